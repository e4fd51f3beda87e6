// The text library file format (".cbf"): header layout, limits and the byte scrambling of version 257 and above.
// Shared by the reader and by the tool that writes libraries, so both agree on every byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace cbf {

constexpr char kMagic[] = "TENVOR";
constexpr size_t kMagicLength = 6;
constexpr size_t kVersionOffset = 6;    // 16-bit little-endian
constexpr size_t kKeyLengthOffset = 10; // bytes of one id in the index
constexpr size_t kCountOffset = 16;     // 32-bit big-endian record count
constexpr size_t kIndexOffset = 20;     // first index entry; also the header's size
constexpr size_t kRecordOffsetSize = 4; // big-endian offset after each index id
constexpr size_t kFieldLengthSize = 2;  // big-endian length before each field
constexpr size_t kKeyTrailerSize = 2;   // little-endian file-key length at the very end
constexpr uint16_t kPlainVersion = 1;
constexpr uint16_t kScrambledVersion = 257; // this and above: scrambled contents
constexpr size_t kMaxFileKey = 400;         // the reader's key buffer; longer keys are refused
constexpr size_t kKeyCycle = 255;           // key bytes in use: position modulo 255
constexpr size_t kMaxFieldLength = 0xFFFF;
constexpr uint8_t kScrambleBias = 32;

using FileKey = std::array<uint8_t, kMaxFileKey>;

inline uint8_t unscramble(uint8_t stored, size_t position, const FileKey& key) {
    const uint8_t t = uint8_t(stored - kScrambleBias);
    const uint8_t rotated = uint8_t((t << 1) | (t >> 7));
    return uint8_t(rotated ^ key[position % kKeyCycle]);
}

inline uint8_t scramble(uint8_t plain, size_t position, const FileKey& key) {
    const uint8_t t = uint8_t(plain ^ key[position % kKeyCycle]);
    const uint8_t rotated = uint8_t((t >> 1) | (t << 7));
    return uint8_t(rotated + kScrambleBias);
}

} // namespace cbf
