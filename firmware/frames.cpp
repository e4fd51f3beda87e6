#include "frames.h"

#include <cstring>

namespace firmware {

namespace {
// Key bytes 3..7 of the program section's enter frame; the data section's are the same reversed.
constexpr uint8_t kEnterKey[5] = {0x3A, 0x7C, 0x19, 0xE4, 0x52};
// Byte 7 of the erase frame, per section.
constexpr uint8_t kEraseTagProgram = 0xF2;
constexpr uint8_t kEraseTagData = 0x00;

void putLE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
} // namespace

Frame9 EnterCmd(Section s) {
    Frame9 f{kFrameLead0, kFrameLead1, kCmdEnter, 0, 0, 0, 0, 0, kFrameTail};
    for (int i = 0; i < 5; ++i)
        f[3 + i] = s == Section::Program ? kEnterKey[i] : kEnterKey[4 - i];
    return f;
}

Frame9 EraseCmd(Section s) {
    Frame9 f{kFrameLead0, kFrameLead1, kCmdErase, 0, 0, 0, 0, 0, kFrameTail};
    putLE32(&f[3], sectionBase(s));
    f[7] = s == Section::Program ? kEraseTagProgram : kEraseTagData;
    return f;
}

uint32_t sectionBase(Section s) {
    return s == Section::Program ? kProgramBase : kDataBase;
}

std::array<uint8_t, 10> BlockHeaderCmd(uint32_t address, uint32_t payloadLength) {
    std::array<uint8_t, 10> f{kFrameLead0, kFrameLead1, kCmdBlockHeader, 0, 0, 0, 0, 0, 0, kFrameTail};
    putLE32(&f[3], address);
    const uint32_t len = payloadLength + kBlockOverhead;
    f[7] = uint8_t(len);
    f[8] = uint8_t(len >> 8);
    return f;
}

std::vector<uint8_t> blockDataFrame(const uint8_t* payload, uint32_t payloadLength, uint16_t index) {
    std::vector<uint8_t> f(payloadLength + kBlockOverhead);
    for (uint32_t i = 0; i < payloadLength; ++i)
        f[i] = payload[i];
    putLE32(&f[payloadLength], byteSum(payload, payloadLength));
    f[payloadLength + 4] = uint8_t(index >> 8);
    f[payloadLength + 5] = uint8_t(index);
    return f;
}

uint32_t byteSum(const uint8_t* data, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i)
        sum += data[i];
    return sum;
}

std::optional<DeviceIdReply> deviceIdReply(const uint8_t* data, size_t count) {
    if (!data) return std::nullopt;
    const auto* end = static_cast<const uint8_t*>(std::memchr(data, 0, count));
    std::string text(reinterpret_cast<const char*>(data), end ? size_t(end - data) : count);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    if (text.compare(0, sizeof kIdentPrefix - 1, kIdentPrefix) != 0) return std::nullopt;
    const size_t lastSeparator = text.rfind(kIdentSeparator);
    if (lastSeparator == std::string::npos) return std::nullopt;
    DeviceIdReply reply;
    reply.model = text.substr(lastSeparator + 1);
    reply.text = std::move(text);
    return reply;
}

} // namespace firmware
