#include "DataSheet.h"
#include "libname.h"

#include "LibraryFixture.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace {

CBinary id(const std::string& hex) {
    return CBinary::FromHex(hex);
}

void putBE(std::vector<uint8_t>& b, size_t at, uint32_t v, size_t n) {
    for (size_t i = 0; i < n; ++i)
        b[at + i] = uint8_t(v >> (8 * (n - 1 - i)));
}

// Plain or scrambled; searched in the file or in a whole-file copy.
class DataSheetTest : public ::testing::TestWithParam<std::tuple<bool, bool>> {
protected:
    bool scrambled() const { return std::get<0>(GetParam()); }
    bool wholeFile() const { return std::get<1>(GetParam()); }

    bool open(const std::vector<uint8_t>& bytes, const std::string& name = "en_text.cbf") {
        dir.write(name, bytes);
        sheet.SetFolder(dir.path());
        sheet.SetWholeFileMode(wholeFile());
        return sheet.Open("en_text.cbf");
    }

    TempDir dir;
    CDataSheet sheet;
};

TEST_P(DataSheetTest, FindsFirstLastAndEveryIdBetween) {
    ASSERT_TRUE(open(numberedLibrary(300, scrambled())));
    EXPECT_EQ(sheet.IsScrambled(), scrambled());
    EXPECT_EQ(sheet.GetRecordCount(), 300u);
    for (int n = 0; n < 300; ++n)
        EXPECT_EQ(sheet.ReadText(id(numberedId(n))), numberedText(n));
    EXPECT_EQ(sheet.ReadText(id(numberedId(300))), "");
    EXPECT_EQ(sheet.ReadText(id("00FF00000000")), "");
    EXPECT_EQ(sheet.ReadText(id("FF00000000")), "");     // shorter than the index's ids
    EXPECT_EQ(sheet.ReadText(id("FF000000000000")), ""); // longer

    CBinaryGroup fields;
    ASSERT_TRUE(sheet.FindRecord(id(numberedId(298)), fields));
    ASSERT_TRUE(sheet.FindNextRecord(fields));
    EXPECT_EQ(CDataSheet::TextOfRecord(fields), numberedText(299));
    EXPECT_FALSE(sheet.FindNextRecord(fields));
}

TEST_P(DataSheetTest, EmptyAndSingleRecordLibraries) {
    ASSERT_TRUE(open(numberedLibrary(0, scrambled())));
    EXPECT_EQ(sheet.ReadText(id(numberedId(0))), "");
    CBinaryGroup fields;
    EXPECT_FALSE(sheet.FindNextRecord(fields));

    ASSERT_TRUE(open(numberedLibrary(1, scrambled())));
    EXPECT_EQ(sheet.ReadText(id(numberedId(0))), numberedText(0));
    EXPECT_EQ(sheet.ReadText(id(numberedId(1))), "");
}

TEST_P(DataSheetTest, RecordFieldsMakeTheText) {
    using mktextlib::Record;
    const std::vector<Record> records = {
        {idBytes("010000000001"), {"Hel", std::string("lo\0", 3)}},
        {idBytes("010000000002"), {"one", "two", "three"}},
        {idBytes("010000000003"), {std::string("cut\0here", 8)}},
        {idBytes("010000000004"), {std::string("a\0b", 3), "c"}},
        {idBytes("010000000005"), {}},
        {idBytes("010000000006"), {"", "after an empty field"}},
    };
    ASSERT_TRUE(open(buildLibrary(records, scrambled())));
    EXPECT_EQ(sheet.ReadText(id("010000000001")), "Hello");
    EXPECT_EQ(sheet.ReadText(id("010000000002")), "one");
    EXPECT_EQ(sheet.ReadText(id("010000000003")), "cut");
    EXPECT_EQ(sheet.ReadText(id("010000000004")), "a");
    EXPECT_EQ(sheet.ReadText(id("010000000005")), "");
    CBinaryGroup fields;
    EXPECT_TRUE(sheet.FindRecord(id("010000000006"), fields));
    EXPECT_EQ(fields.GetSize(), 0u); // a zero length ends the record
}

TEST_P(DataSheetTest, DamagedLibrariesGiveEmptyTexts) {
    const std::vector<uint8_t> good = numberedLibrary(3, scrambled());
    const size_t entry = 6 + 4;
    const size_t bodyStart = 20 + 3 * entry;
    const size_t keyTail = scrambled() ? 255 + 2 : 0;

    // Stored bytes of one plain value, written where the reader expects it.
    auto store = [&](std::vector<uint8_t>& b, size_t at, uint32_t value, size_t n) {
        putBE(b, at, value, n);
        if (!scrambled()) return;
        cbf::FileKey key{};
        const auto k = mktextlib::MakeFileKey("test");
        std::copy(k.begin(), k.end(), key.begin());
        for (size_t i = 0; i < n; ++i)
            b[at + i] = cbf::scramble(b[at + i], i, key);
    };

    std::vector<uint8_t> offsetBeyond = good;
    store(offsetBeyond, 20 + 6, uint32_t(good.size() + 100), 4);
    ASSERT_TRUE(open(offsetBeyond));
    EXPECT_EQ(sheet.ReadText(id(numberedId(0))), "");
    EXPECT_EQ(sheet.ReadText(id(numberedId(1))), numberedText(1));

    std::vector<uint8_t> offsetIntoKey = good;
    store(offsetIntoKey, 20 + 6, uint32_t(good.size() - keyTail - 1), 4);
    ASSERT_TRUE(open(offsetIntoKey));
    EXPECT_EQ(sheet.ReadText(id(numberedId(0))), "");

    std::vector<uint8_t> fieldBeyond = good;
    store(fieldBeyond, bodyStart + 1, 0xFFFF, 2);
    ASSERT_TRUE(open(fieldBeyond));
    EXPECT_EQ(sheet.ReadText(id(numberedId(0))), "");

    std::vector<uint8_t> manyFields = good;
    store(manyFields, bodyStart, 0xFF, 1);
    ASSERT_TRUE(open(manyFields));
    EXPECT_EQ(sheet.ReadText(id(numberedId(2))), numberedText(2));

    std::vector<uint8_t> countBeyond = good;
    putBE(countBeyond, 16, 0x10000000, 4);
    EXPECT_FALSE(open(countBeyond));
    EXPECT_EQ(sheet.ReadText(id(numberedId(0))), "");

    std::vector<uint8_t> noKeyLength = good;
    noKeyLength[10] = 0;
    EXPECT_FALSE(open(noKeyLength));

    std::vector<uint8_t> truncated(good.begin(), good.end() - (scrambled() ? 0 : 5));
    if (!scrambled()) {
        ASSERT_TRUE(open(truncated));
        EXPECT_EQ(sheet.ReadText(id(numberedId(0))), numberedText(0));
        EXPECT_EQ(sheet.ReadText(id(numberedId(2))), "");
    }
    EXPECT_FALSE(open(std::vector<uint8_t>(good.begin(), good.begin() + 19)));
    EXPECT_FALSE(open(std::vector<uint8_t>(good.begin(), good.begin() + 25)));

    std::vector<uint8_t> badMagic = good;
    badMagic[0] = 'X';
    EXPECT_FALSE(open(badMagic));
}

TEST_P(DataSheetTest, LibraryNamesIgnoreLetterCaseAndFallBackToTheScrambledName) {
    ASSERT_TRUE(open(numberedLibrary(2, scrambled()), "en_TEXT.cbf"));
    EXPECT_EQ(sheet.ReadText(id(numberedId(1))), numberedText(1));

    TempDir other;
    other.write(libname::ScrambledFileName("en_text."), numberedLibrary(2, scrambled(), " hidden"));
    CDataSheet hidden;
    hidden.SetFolder(other.path());
    ASSERT_TRUE(hidden.Open("en_text.CBF"));
    EXPECT_EQ(hidden.ReadText(id(numberedId(1))), numberedText(1) + " hidden");
    EXPECT_FALSE(hidden.Open("de_text.cbf"));
    EXPECT_FALSE(hidden.Open("en_text.txt"));
}

INSTANTIATE_TEST_SUITE_P(Modes, DataSheetTest, ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) ? "Scrambled" : "Plain") +
                                    (std::get<1>(info.param) ? "WholeFile" : "FromFile");
                         });

// A scrambled library laid out by hand from the format's rules, independent of the writer.
TEST(DataSheetFormat, ReadsAHandScrambledLibrary) {
    const uint8_t key[3] = {0x13, 0xA5, 0x00};
    auto scramble = [&](uint8_t plain, size_t i) {
        const uint8_t t = uint8_t(plain ^ (i % 255 < 3 ? key[i % 255] : 0));
        return uint8_t(uint8_t((t >> 1) | (t << 7)) + 32);
    };
    std::vector<uint8_t> f = {'T', 'E', 'N', 'V', 'O', 'R', 0x01, 0x01, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    const uint8_t idPlain[6] = {0xFF, 0, 0, 0, 0, 0x3A};
    for (size_t i = 0; i < 6; ++i)
        f.push_back(scramble(idPlain[i], i));
    const uint8_t offset[4] = {0, 0, 0, 30};
    for (size_t i = 0; i < 4; ++i)
        f.push_back(scramble(offset[i], i));
    f.push_back(scramble(1, 0));
    f.push_back(scramble(0, 0));
    f.push_back(scramble(2, 1));
    f.push_back(scramble('O', 0));
    f.push_back(scramble('K', 1));
    f.insert(f.end(), key, key + 3);
    f.push_back(3);
    f.push_back(0);
    EXPECT_EQ(cbf::unscramble(0x49, 0, cbf::FileKey{0x13}), 0x41);

    TempDir dir;
    dir.write("ru_text.cbf", f);
    CDataSheet sheet;
    sheet.SetFolder(dir.path());
    ASSERT_TRUE(sheet.Open("ru_text.cbf"));
    EXPECT_EQ(sheet.ReadText(id("FF000000003A")), "OK");
}

TEST(DataSheetFormat, ScrambledKeyMustFitItsBufferAndTheFile) {
    TempDir dir;
    auto open = [&](const std::vector<uint8_t>& bytes, CDataSheet& sheet) {
        dir.write("en_text.cbf", bytes);
        sheet.SetFolder(dir.path());
        return sheet.Open("en_text.cbf");
    };
    for (const bool wholeFile : {false, true}) {
        CDataSheet sheet;
        sheet.SetWholeFileMode(wholeFile);
        std::vector<uint8_t> longKey = numberedLibrary(2, true);
        longKey.insert(longKey.end() - 2, 146, 0); // 255 + 146 = 401 key bytes
        longKey[longKey.size() - 2] = uint8_t(401 & 0xFF);
        longKey[longKey.size() - 1] = uint8_t(401 >> 8);
        EXPECT_FALSE(open(longKey, sheet));

        std::vector<uint8_t> keyBeyond = numberedLibrary(2, true); // 315 bytes
        keyBeyond[keyBeyond.size() - 2] = uint8_t(400 & 0xFF);
        keyBeyond[keyBeyond.size() - 1] = uint8_t(400 >> 8);
        EXPECT_FALSE(open(keyBeyond, sheet));

        // A library cut short has lost its key's length: the two bytes now at its end are key bytes, read as a
        // length the file cannot hold, and the library is refused rather than read with a wrong key.
        std::vector<uint8_t> truncated = numberedLibrary(3, true);
        truncated.resize(truncated.size() - 40);
        const size_t claimed = truncated[truncated.size() - 2] | size_t(truncated[truncated.size() - 1]) << 8;
        ASSERT_TRUE(claimed > 400 || claimed + 2 > truncated.size()) << claimed;
        EXPECT_FALSE(open(truncated, sheet));
        EXPECT_EQ(sheet.ReadText(id(numberedId(0))), "");
    }
}

// Nothing after the last record is read as one: not an index entry beyond the record count, not the file key.
TEST(DataSheetFormat, NeverReadsPastItsLastRecord) {
    TempDir dir;
    CDataSheet sheet;
    sheet.SetFolder(dir.path());
    CBinaryGroup fields;

    // Three records on file, the header counting two: the third is out of reach, by search and by "next".
    for (const bool scrambled : {false, true}) {
        std::vector<uint8_t> lib = numberedLibrary(3, scrambled);
        putBE(lib, 16, 2, 4);
        dir.write("en_text.cbf", lib);
        ASSERT_TRUE(sheet.Open("en_text.cbf"));
        EXPECT_EQ(sheet.ReadText(id(numberedId(2))), "");
        ASSERT_TRUE(sheet.FindRecord(id(numberedId(1)), fields));
        EXPECT_FALSE(sheet.FindNextRecord(fields)) << scrambled;
        EXPECT_EQ(fields.GetSize(), 0u);
    }

    // A record offset into the file key, whose bytes would read as a record with the text "OK".
    const auto plainAt = [](uint8_t stored, size_t position, const std::vector<uint8_t>& key) {
        cbf::FileKey k{};
        std::copy(key.begin(), key.end(), k.begin());
        return cbf::unscramble(stored, position, k);
    };
    std::vector<uint8_t> key(5, 0);
    const auto solve = [&](size_t index, size_t position, uint8_t wanted) {
        for (int v = 0; v < 256; ++v) {
            key[index] = uint8_t(v);
            if (plainAt(uint8_t(v), position, key) == wanted) return true;
        }
        return false;
    };
    // Field count 1, length 00 02, bytes "OK": each byte at its position in its own run.
    ASSERT_TRUE(solve(0, 0, 1));
    ASSERT_TRUE(solve(1, 0, 0));
    ASSERT_TRUE(solve(2, 1, 2));
    ASSERT_TRUE(solve(3, 0, 'O'));
    ASSERT_TRUE(solve(4, 1, 'K'));
    for (size_t i = 0; i < key.size(); ++i) // solving later bytes changed nothing the earlier ones decode with
        ASSERT_EQ(plainAt(key[i], i == 2 || i == 4 ? 1 : 0, key), (std::vector<uint8_t>{1, 0, 2, 'O', 'K'}[i]));
    mktextlib::Options options;
    options.scrambled = true;
    options.fileKey = key;
    std::vector<uint8_t> lib;
    std::string error;
    ASSERT_TRUE(mktextlib::BuildLibrary({textRecord(numberedId(0), "zero")}, options, lib, error)) << error;
    const size_t keyStart = lib.size() - 2 - key.size();
    cbf::FileKey k{};
    std::copy(key.begin(), key.end(), k.begin());
    for (size_t i = 0; i < 4; ++i)
        lib[20 + 6 + i] = cbf::scramble(uint8_t(keyStart >> (8 * (3 - i))), i, k);
    dir.write("en_text.cbf", lib);
    ASSERT_TRUE(sheet.Open("en_text.cbf"));
    EXPECT_EQ(sheet.ReadText(id(numberedId(0))), "");

    // An index whose count reaches into the key: refused, though the file is long enough to hold it.
    std::vector<uint8_t> reaching = numberedLibrary(3, true);
    const size_t dataEnd = reaching.size() - 2 - mktextlib::kDefaultKeyLength;
    const uint32_t count = uint32_t((dataEnd - 20) / 10 + 1);
    ASSERT_LE(20 + count * 10, reaching.size());
    putBE(reaching, 16, count, 4);
    dir.write("en_text.cbf", reaching);
    EXPECT_FALSE(sheet.Open("en_text.cbf"));
}

TEST(DataSheetFormat, ScrambledNameUsesOurConstants) {
    EXPECT_EQ(libname::ScrambledFileName("en_text."), "6D4E571F043FCF76DCFB82FBF85227CD6169F12");
    const std::string raw = libname::ScrambleLibraryName(std::string(40, '\xA6'));
    EXPECT_EQ(raw.find('\0'), std::string::npos); // a zero sum becomes 1
}

TEST(DataSheetFormat, ScramblingIsItsOwnInverseForEveryByteAndPosition) {
    std::mt19937 random(7);
    cbf::FileKey key{};
    for (auto& k : key)
        k = uint8_t(random());
    for (size_t pos = 0; pos < 600; pos += 7)
        for (int b = 0; b < 256; ++b)
            ASSERT_EQ(cbf::unscramble(cbf::scramble(uint8_t(b), pos, key), pos, key), b) << pos;
}

} // namespace
