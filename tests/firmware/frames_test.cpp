#include "frames.h"

#include <gtest/gtest.h>

using namespace firmware;
using V = std::vector<uint8_t>;

template <size_t N> V v(const std::array<uint8_t, N>& a) {
    return V(a.begin(), a.end());
}

TEST(Frames, CommandBytesAreTheToolsOwn) {
    EXPECT_EQ(v(EnterCmd(Section::Program)), (V{0xD1, 0xEE, 0xC0, 0x3A, 0x7C, 0x19, 0xE4, 0x52, 0xFF}));
    EXPECT_EQ(v(EnterCmd(Section::Data)), (V{0xD1, 0xEE, 0xC0, 0x52, 0xE4, 0x19, 0x7C, 0x3A, 0xFF}));
    EXPECT_EQ(v(EraseCmd(Section::Program)), (V{0xD1, 0xEE, 0xC2, 0x00, 0x40, 0x00, 0x08, 0xF2, 0xFF}));
    EXPECT_EQ(v(EraseCmd(Section::Data)), (V{0xD1, 0xEE, 0xC2, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(v(EndCmd), (V{0xD1, 0xEE, 0xC3, 0xFF}));
    EXPECT_EQ(v(ProbeCmd), (V{0xD1, 0xEE, 0xC9}));
}

TEST(Frames, BlockHeaderAndData) {
    // 100 bytes at index 3 of the program section: base + 6144, length field 106.
    EXPECT_EQ(v(BlockHeaderCmd(kProgramBase + 3 * kBlockSize, 100)),
              (V{0xD1, 0xEE, 0xC1, 0x00, 0x58, 0x00, 0x08, 0x6A, 0x00, 0xFF}));
    const V payload(2048, 0xFF);
    const V frame = blockDataFrame(payload.data(), 2048, 0x0102);
    ASSERT_EQ(frame.size(), 2054u);
    // 2048 x 255 = 0x0007F800, little-endian; the index big-endian.
    EXPECT_EQ(V(frame.end() - 6, frame.end()), (V{0x00, 0xF8, 0x07, 0x00, 0x01, 0x02}));
    EXPECT_EQ(blockDataFrame(nullptr, 0, 2), (V{0, 0, 0, 0, 0x00, 0x02}));
}

TEST(Frames, ReplyJudgedByItsThirdByte) {
    const uint8_t ok[] = {0xD1, 0xEE, 0x83, 0xFF};
    const uint8_t err[] = {0x00, 0x00, 0xE5};
    EXPECT_TRUE(isAccepted(ok, 4, kReplyErase));
    EXPECT_FALSE(isAccepted(ok, 2, kReplyErase));
    EXPECT_FALSE(isAccepted(ok, 4, kReplyEnd));
    EXPECT_TRUE(isDeviceError(err, 3));
    EXPECT_FALSE(isDeviceError(err, 2));
    EXPECT_FALSE(isDeviceError(ok, 4));
}

TEST(Frames, DeviceIdReplyTable) {
    struct Case {
        std::string bytes;
        size_t count;
        bool isReply;
        std::string text, model;
    };
    const std::string bounded = std::string("TENVOR-QM82", 11) + "-XX";
    const Case cases[] = {
        {"TENVOR-QM82", 11, true, "TENVOR-QM82", "QM82"},
        {"TENVOR-2024-QM82", 16, true, "TENVOR-2024-QM82", "QM82"},
        {std::string("TENVOR-QM82\r\n\0-junk", 19), 19, true, "TENVOR-QM82", "QM82"},
        {"TENVOR-QM82\n\r\n", 14, true, "TENVOR-QM82", "QM82"},
        {bounded, 11, true, "TENVOR-QM82", "QM82"}, // the count bounds the scan, not the zero byte
        {"TENVORX-QM82", 12, true, "TENVORX-QM82", "QM82"},
        {"TENVOR-", 7, true, "TENVOR-", ""},
        {"TENVOR-QM82-", 12, true, "TENVOR-QM82-", ""},
        {"TENVOR", 6, false, "", ""},
        {"TENVO", 5, false, "", ""},
        {"HELLO-QM82", 10, false, "", ""},
        {"xTENVOR-QM82", 12, false, "", ""},
        {std::string("\0TENVOR-QM82", 12), 12, false, "", ""},
        {"", 0, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const auto r = deviceIdReply(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.count);
        ASSERT_EQ(r.has_value(), c.isReply);
        if (!r) continue;
        EXPECT_EQ(r->text, c.text);
        EXPECT_EQ(r->model, c.model);
    }
    EXPECT_FALSE(deviceIdReply(nullptr, 8));
}
