// Serial frames of the scan tool: command frames, reply codes and the device-error test.
// Shared by every flasher and by the simulated scan tool; Qt-free.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace firmware {

constexpr uint8_t kFrameLead0 = 0xD1;
constexpr uint8_t kFrameLead1 = 0xEE;
constexpr uint8_t kFrameTail = 0xFF;

// Command bytes (third byte of a command frame).
constexpr uint8_t kCmdEnter = 0xC0;
constexpr uint8_t kCmdBlockHeader = 0xC1;
constexpr uint8_t kCmdErase = 0xC2;
constexpr uint8_t kCmdEnd = 0xC3;
constexpr uint8_t kCmdIdentify = 0xC9;

// Reply codes (third byte of a reply).
constexpr uint8_t kReplyEnter = 0x81;
constexpr uint8_t kReplyBlockHeader = 0x82;
constexpr uint8_t kReplyErase = 0x83;
constexpr uint8_t kReplyBlockData = 0x84;
constexpr uint8_t kReplyEnd = 0x85;

// A reply is read as at most this many bytes; only its third byte matters.
constexpr size_t kMaxReplyLength = 8;
// The caller's reply buffer is at least this large.
constexpr size_t kReplyBufferSize = 1024;

// Payload bytes of one block.
constexpr uint32_t kBlockSize = 2048;
// Header and trailer bytes around a block's payload: byte sum (4) and index (2).
constexpr uint32_t kBlockOverhead = 6;

// Base addresses of the two sections in the tool's flash.
constexpr uint32_t kProgramBase = 0x08004000;
constexpr uint32_t kDataBase = 0x00000000;

// The identification reply starts with this text; the model is its last "-"-separated field.
constexpr char kIdentPrefix[] = "TENVOR";
constexpr char kIdentSeparator = '-';

enum class Section { Program, Data };

using Frame9 = std::array<uint8_t, 9>;

constexpr std::array<uint8_t, 3> ProbeCmd = {kFrameLead0, kFrameLead1, kCmdIdentify};
constexpr std::array<uint8_t, 4> EndCmd = {kFrameLead0, kFrameLead1, kCmdEnd, kFrameTail};

Frame9 EnterCmd(Section s);
Frame9 EraseCmd(Section s);
uint32_t sectionBase(Section s);

// D1 EE C1, address (LE32), payloadLength + 6 (LE16), FF.
std::array<uint8_t, 10> BlockHeaderCmd(uint32_t address, uint32_t payloadLength);
// payload, byte sum of the payload (LE32), block index (BE16).
std::vector<uint8_t> blockDataFrame(const uint8_t* payload, uint32_t payloadLength, uint16_t index);

uint32_t byteSum(const uint8_t* data, size_t length);

// The tool's answer to ProbeCmd: unframed text, "TENVOR" and "-"-separated fields, the last the model code.
struct DeviceIdReply {
    std::string text;  // the reply up to its first zero byte, without trailing CR and LF
    std::string model; // its last field; empty when the text ends with "-"
};
// Reads at most count bytes and never past the first zero byte. Nothing when the text does not begin with
// "TENVOR" or has no second field. No character check: callers decode and filter the text as they need.
std::optional<DeviceIdReply> deviceIdReply(const uint8_t* data, size_t count);

// A reply of three or more bytes whose third byte is E0..EF.
inline bool isDeviceError(const uint8_t* reply, long long length) {
    return length >= 3 && (reply[2] & 0xF0) == 0xE0;
}
// The caller's acceptance rule: at least three bytes and the expected code.
inline bool isAccepted(const uint8_t* reply, long long length, uint8_t code) {
    return length >= 3 && reply[2] == code;
}

} // namespace firmware
