#include "Binary.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

CBinary bytes(std::initializer_list<uint8_t> b) {
    return CBinary(std::vector<uint8_t>(b).data(), b.size());
}

TEST(Binary, OrdersByUnsignedBytesThenLength) {
    EXPECT_EQ(bytes({1, 2}).Compare(bytes({1, 2, 0})), -1);
    EXPECT_EQ(bytes({1, 2, 0}).Compare(bytes({1, 2})), 1);
    EXPECT_EQ(bytes({1, 3}).Compare(bytes({1, 2, 0xFF})), 1);
    EXPECT_EQ(bytes({0x7F}).Compare(bytes({0x80})), -1);
    EXPECT_EQ(bytes({0xFF, 0, 0, 0, 0, 0x3A}).Compare(bytes({0xFF, 0, 0, 0, 0, 0x3A})), 0);
    EXPECT_EQ(CBinary().Compare(bytes({0})), -1);
    EXPECT_EQ(CBinary().Compare(CBinary()), 0);
}

TEST(Binary, CopiesShareStorageUntilOneChanges) {
    CBinary a = bytes({1, 2, 3});
    CBinary b = a;
    EXPECT_TRUE(a.IsSharedWith(b));
    const uint8_t more = 4;
    ASSERT_TRUE(b.Append(&more, 1));
    EXPECT_FALSE(a.IsSharedWith(b));
    EXPECT_EQ(a, bytes({1, 2, 3}));
    EXPECT_EQ(b, bytes({1, 2, 3, 4}));

    CBinary c = a;
    ASSERT_TRUE(c.Assign("xy", 2));
    EXPECT_EQ(a, bytes({1, 2, 3}));
    EXPECT_EQ(c.GetLength(), 2u);
}

TEST(Binary, BadArgumentsLeaveTheBufferAsItWas) {
    CBinary a = bytes({1, 2});
    CBinary::ClearLastError();
    EXPECT_FALSE(a.Assign("x", -1));
    EXPECT_EQ(CBinary::GetLastError(), CBinary::kBadArgument);
    CBinary::ClearLastError();
    EXPECT_FALSE(a.Append(nullptr, 3));
    EXPECT_EQ(CBinary::GetLastError(), CBinary::kBadArgument);
    EXPECT_EQ(a, bytes({1, 2}));
    EXPECT_TRUE(a.Assign(nullptr, 0));
    EXPECT_TRUE(a.IsEmpty());
}

TEST(Binary, HoldsMoreThanSixteenBitsOfBytes) {
    std::vector<uint8_t> big(70000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint8_t(i * 7);
    CBinary b;
    ASSERT_TRUE(b.Assign(big.data(), 65529));
    ASSERT_TRUE(b.Append(big.data() + 65529, 70000 - 65529));
    ASSERT_EQ(b.GetLength(), 70000u);
    EXPECT_EQ(std::vector<uint8_t>(b.GetData(), b.GetData() + b.GetLength()), big);
}

TEST(Binary, AppendsAndAssignsItsOwnBytes) {
    std::vector<uint8_t> expected(100);
    for (size_t i = 0; i < expected.size(); ++i)
        expected[i] = uint8_t(i);
    CBinary a(expected.data(), expected.size());
    for (int round = 0; round < 6; ++round) { // each round outgrows the storage the source lies in
        ASSERT_TRUE(a.Append(a.GetData(), static_cast<long long>(a.GetLength())));
        expected.insert(expected.end(), expected.begin(), expected.end());
    }
    EXPECT_EQ(std::vector<uint8_t>(a.GetData(), a.GetData() + a.GetLength()), expected);
    ASSERT_TRUE(a.Assign(a.GetData() + 10, 5));
    EXPECT_EQ(a, bytes({10, 11, 12, 13, 14}));
}

TEST(Binary, HexadecimalIds) {
    EXPECT_EQ(CBinary::FromHex("FF000000003a"), bytes({0xFF, 0, 0, 0, 0, 0x3A}));
    EXPECT_EQ(bytes({0xFF, 0, 0x0A}).ToHex(), "FF000A");
    EXPECT_TRUE(CBinary::FromHex("FF00000000G1").IsEmpty());
    EXPECT_TRUE(CBinary::FromHex("FF00000000 1").IsEmpty());
    EXPECT_TRUE(CBinary::FromHex("FF0").IsEmpty());
    EXPECT_TRUE(CBinary::FromHex("").IsEmpty());
}

} // namespace
