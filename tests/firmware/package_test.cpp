#include "TempDir.h"
#include "package.h"
#include "packagename.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace firmware;

namespace {

Bytes pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(seed + i * 7);
    return b;
}

Bytes unscrambled(Bytes b) {
    scramble(b);
    return b;
}

// A data section with the logo entry's name at nameAt and its offset and size fields after it.
Bytes dataWithLogoEntry(size_t sectionSize, size_t nameAt, uint32_t offset, uint32_t size) {
    Bytes d = pattern(sectionSize, 3);
    const std::string name = kLogoEntryName;
    std::copy(name.begin(), name.end(), d.begin() + long(nameAt));
    for (int i = 0; i < 4; ++i) {
        d[nameAt + kLogoOffsetField + i] = uint8_t(offset >> (8 * i));
        d[nameAt + kLogoSizeField + i] = uint8_t(size >> (8 * i));
    }
    return d;
}

} // namespace

TEST(PackageFormat, RoundTripsEachFlagByteForByte) {
    for (const SectionMap& map : {SectionMap{{1, pattern(5000, 1)}}, SectionMap{{2, pattern(77, 9)}},
                                  SectionMap{{1, pattern(4096, 2)}, {2, pattern(300, 5)}}}) {
        const Bytes built = buildPackage(map);
        ASSERT_FALSE(built.empty());
        EXPECT_EQ(parsePackage(unscrambled(built)), map);
        EXPECT_EQ(buildPackage(parsePackage(unscrambled(built))), built);
        const Bytes plain = unscrambled(built);
        EXPECT_TRUE(checkPackage(plain.data(), plain.size()).ok);
    }
}

TEST(PackageFormat, ChecksumCountsLengthFieldsByValue) {
    // flags 2, length 3, bytes 01 02 03: 537 + 2 + 3 + 6 = 548
    const Bytes plain = unscrambled(buildPackage({{2, {1, 2, 3}}}));
    ASSERT_EQ(plain.size(), 7u + 4 + 4 + 3 + 4);
    EXPECT_EQ(Bytes(plain.end() - 4, plain.end()), (Bytes{0x24, 0x02, 0x00, 0x00}));

    // A length of 0x0102 has byte sum 3 but value 258: only the value rule gives a valid package.
    const Bytes big = unscrambled(buildPackage({{1, Bytes(0x0102, 0)}}));
    EXPECT_EQ(readUInt32LE(Bytes(big.end() - 4, big.end())), 537u + 1 + 0x0102);
    EXPECT_TRUE(checkPackage(big.data(), big.size()).ok);
}

TEST(PackageFormat, ReadUInt32CutFieldsAndEmpty) {
    EXPECT_EQ(readUInt32LE(Bytes{}), 0u);
    EXPECT_EQ(readUInt32LE(Bytes{0x78, 0x56, 0x34, 0x12}), 0x12345678u);
    // Zero bytes stand in front of a cut field.
    EXPECT_EQ(readUInt32LE(Bytes{0x01, 0x02}), 0x02010000u);
}

TEST(PackageFormat, ParseRefusesShortOrFlaglessInput) {
    EXPECT_TRUE(parsePackage(Bytes{'Z', 'O', 'R', 'N', 'A', 'X', '7', 1, 0, 0, 0}).empty());
    Bytes noFlags = unscrambled(buildPackage({{1, pattern(10, 1)}}));
    noFlags[7] = 4; // neither bit 0 nor bit 1
    EXPECT_TRUE(parsePackage(noFlags).empty());
    // A length larger than the data takes what remains, never more.
    Bytes longLen = unscrambled(buildPackage({{1, pattern(10, 1)}}));
    longLen[11] = 0xFF;
    longLen[12] = 0xFF;
    EXPECT_EQ(parsePackage(longLen).at(1).size(), 14u);
    EXPECT_TRUE(buildPackage({}).empty());
}

TEST(PackageCheck, RefusesEveryDamage) {
    const Bytes good = unscrambled(buildPackage({{1, pattern(100, 1)}, {2, pattern(50, 2)}}));
    ASSERT_TRUE(checkPackage(good.data(), good.size()).ok);
    auto refused = [](Bytes b) { return !checkPackage(b.data(), b.size()).ok; };

    Bytes magic = good;
    magic[0] = 'X';
    EXPECT_TRUE(refused(magic));
    Bytes flags = good;
    flags[7] = 4;
    EXPECT_TRUE(refused(flags));
    Bytes sum = good;
    sum[sum.size() - 4] ^= 1;
    EXPECT_TRUE(refused(sum));
    Bytes truncated(good.begin(), good.end() - 10);
    EXPECT_TRUE(refused(truncated));
    Bytes padded = good;
    padded.push_back(0);
    EXPECT_TRUE(refused(padded));
    Bytes hugeLength = good;
    hugeLength[14] = 0x7F; // section 1 claims ~2 GB
    EXPECT_TRUE(refused(hugeLength));
    EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + 12))); // shorter than its header
    EXPECT_TRUE(refused(Bytes{}));
}

TEST(PackageCheck, SectionsAreWhereTheFlashersSendFrom) {
    const Bytes both = unscrambled(buildPackage({{1, pattern(100, 1)}, {2, pattern(50, 2)}}));
    const UpdatePackage c = checkPackage(both.data(), both.size());
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.programOffset, 19u);
    EXPECT_EQ(c.programLength, 100u);
    EXPECT_EQ(c.dataOffset, 119u);
    EXPECT_EQ(c.dataLength, 50u);
    const Bytes dataOnly = unscrambled(buildPackage({{2, pattern(50, 2)}}));
    const UpdatePackage d = checkPackage(dataOnly.data(), dataOnly.size());
    EXPECT_TRUE(d.ok && !d.hasProgram() && d.hasData() && d.dataOffset == 15u);
}

TEST(LogoPatch, CutsPadsAndKeepsEverythingElse) {
    TempDir dir;
    const Bytes data = dataWithLogoEntry(400, 10, 100, 64);
    const SectionMap map{{1, pattern(30, 4)}, {2, data}};
    const std::string pkg = dir.write("QM82_V1.20_EN_20240115.bin", buildPackage(map));

    const std::string longLogo = dir.write("long.bmp", Bytes(100, 0xAB));
    ASSERT_TRUE(patchLogoInPackage(map, pkg, longLogo, "20250303"));
    const std::string out = dir.file("QM82_V1.20_EN_20250303.bin");
    SectionMap patched = parsePackage(unscrambled(readFileBytes(out)));
    Bytes expect = data;
    std::fill(expect.begin() + 100, expect.begin() + 164, 0xAB);
    EXPECT_EQ(patched.at(2), expect);
    EXPECT_EQ(patched.at(1), map.at(1));
    EXPECT_TRUE(fileExists(pkg)); // the original stays

    const std::string shortLogo = dir.write("short.bmp", Bytes(10, 0xCD));
    ASSERT_TRUE(patchLogoInPackage(map, pkg, shortLogo, "20250303"));
    patched = parsePackage(unscrambled(readFileBytes(out)));
    expect = data;
    std::fill(expect.begin() + 100, expect.begin() + 110, 0xCD);
    std::fill(expect.begin() + 110, expect.begin() + 164, 0x00);
    EXPECT_EQ(patched.at(2), expect);
    EXPECT_EQ(patched.at(2).size(), data.size());
}

TEST(LogoPatch, FirstNameCountsAndShortSectionsStayUnchanged) {
    TempDir dir;
    const std::string logo = dir.write("logo.bmp", Bytes(8, 0xEE));
    Bytes twice = dataWithLogoEntry(600, 10, 200, 8);
    const Bytes second = dataWithLogoEntry(600, 300, 400, 8);
    std::copy(second.begin() + 300, second.begin() + 352, twice.begin() + 300);
    const std::string pkg = dir.write("a_20240101.bin", Bytes{});
    ASSERT_TRUE(patchLogoInPackage({{2, twice}}, pkg, logo, "20250101"));
    const Bytes got = parsePackage(unscrambled(readFileBytes(dir.file("a_20250101.bin")))).at(2);
    EXPECT_EQ(Bytes(got.begin() + 200, got.begin() + 208), Bytes(8, 0xEE));
    EXPECT_EQ(Bytes(got.begin() + 400, got.begin() + 408), Bytes(twice.begin() + 400, twice.begin() + 408));

    // 52 bytes: too short to be touched, still rewritten.
    Bytes exact(52, 0);
    const std::string name = kLogoEntryName;
    std::copy(name.begin(), name.end(), exact.begin());
    ASSERT_TRUE(patchLogoInPackage({{2, exact}}, pkg, logo, "20250102"));
    EXPECT_EQ(parsePackage(unscrambled(readFileBytes(dir.file("a_20250102.bin")))).at(2), exact);
}

TEST(LogoPatch, EntryOutsideTheSectionLeavesThePackageAlone) {
    TempDir dir;
    const std::string logo = dir.write("logo.bmp", Bytes(8, 0xEE));
    const std::string pkg = dir.write("a_20240101.bin", Bytes{});
    EXPECT_FALSE(patchLogoInPackage({{2, dataWithLogoEntry(200, 10, 190, 20)}}, pkg, logo, "20250101"));
    EXPECT_FALSE(patchLogoInPackage({{2, dataWithLogoEntry(200, 10, 0xFFFFFFF0u, 0x20)}}, pkg, logo, "20250101"));
    // The name so close to the end that its size field is cut short.
    Bytes cut = pattern(80, 1);
    const std::string name = kLogoEntryName;
    std::copy(name.begin(), name.end(), cut.begin() + 40);
    EXPECT_FALSE(patchLogoInPackage({{2, cut}}, pkg, logo, "20250101"));
    EXPECT_FALSE(fileExists(dir.file("a_20250101.bin")));
}

TEST(LogoPatch, OutputNamesAndFailures) {
    EXPECT_EQ(datedPackagePath("/u/QM82_V1.20_EN_20240115.bin", "20250303"), "/u/QM82_V1.20_EN_20250303.bin");
    EXPECT_EQ(datedPackagePath("/u/firmware.bin", "20250303"), "/u/firmware_20250303.bin");
    EXPECT_EQ(datedPackagePath("/u/x", "20250303"), "/u/x_20250303.bin");

    TempDir dir;
    const SectionMap map{{2, dataWithLogoEntry(200, 0, 100, 20)}};
    // A folder that cannot be written: false, not success.
    EXPECT_FALSE(patchLogoInPackage(map, "/nonexistent-folder/a_20240101.bin", dir.file("none"), "20250101"));
    EXPECT_FALSE(loadAndPatchPackage(dir.file("missing_20240101.bin"), dir.file("none"), "20250101"));
    EXPECT_FALSE(loadAndPatchPackage("", dir.file("none"), "20250101"));
    const std::string junk = dir.write("junk_20240101.bin", Bytes(9, 0x11));
    EXPECT_FALSE(loadAndPatchPackage(junk, dir.file("none"), "20250101"));

    // A missing logo rewrites the package unchanged under the new date; today's name is replaced in place.
    const std::string pkg = dir.write("p_20250101.bin", buildPackage(map));
    ASSERT_TRUE(loadAndPatchPackage(pkg, dir.file("none"), "20250101"));
    EXPECT_EQ(readFileBytes(pkg), buildPackage(map));
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"junk_20240101.bin", "p_20250101.bin",
                                                    "p_20250101.bin.orig"})); // no temporary left
}

// A package already under the output name (dated today, or a newer one the newest-package rule passed over) is
// kept beside it before it is replaced; the first one kept stays, and no package search takes it.
TEST(LogoPatch, PackageUnderTheOutputNameIsKeptOnce) {
    TempDir dir;
    const SectionMap map{{1, pattern(30, 4)}, {2, dataWithLogoEntry(200, 0, 100, 20)}};
    const Bytes original = buildPackage(map);
    const std::string pkg = dir.write("QM82_V1.20_EN_20250101.bin", original);
    const std::string first = dir.write("first.bmp", Bytes(20, 0xAA));
    const std::string second = dir.write("second.bmp", Bytes(20, 0xBB));

    ASSERT_TRUE(loadAndPatchPackage(pkg, first, "20250101"));
    EXPECT_EQ(readFileBytes(pkg + kOriginalSuffix), original);
    const Bytes patchedOnce = readFileBytes(pkg);
    EXPECT_NE(patchedOnce, original);
    ASSERT_TRUE(loadAndPatchPackage(pkg, second, "20250101"));
    EXPECT_EQ(readFileBytes(pkg + kOriginalSuffix), original);
    const Bytes data = parsePackage(unscrambled(readFileBytes(pkg))).at(2);
    EXPECT_EQ(Bytes(data.begin() + 100, data.begin() + 120), Bytes(20, 0xBB));
    EXPECT_EQ(findLatestPackageIn(dir.path()), pkg);

    // Patching an older package whose dated name is taken keeps what stood there.
    const std::string older = dir.write("QM64_V1.00_EN_20240101.bin", original);
    const std::string taken = dir.write("QM64_V1.00_EN_20250101.bin", pattern(64, 9));
    ASSERT_TRUE(loadAndPatchPackage(older, first, "20250101"));
    EXPECT_EQ(readFileBytes(taken + kOriginalSuffix), pattern(64, 9));
    EXPECT_EQ(readFileBytes(older), original);

    // Nothing is kept when no file stood under the output name.
    ASSERT_TRUE(loadAndPatchPackage(older, first, "20250202"));
    EXPECT_FALSE(fileExists(dir.file("QM64_V1.00_EN_20250202.bin") + kOriginalSuffix));
}

// The patcher checks the package as the flashers do: a damaged one would otherwise leave it with a checksum that
// hides the damage.
TEST(LogoPatch, DamagedPackageIsNotRewritten) {
    TempDir dir;
    const std::string logo = dir.write("logo.bmp", Bytes(20, 0xAA));
    const Bytes good = buildPackage({{1, pattern(300, 4)}, {2, dataWithLogoEntry(200, 0, 100, 20)}});
    Bytes flipped = good;
    flipped[50] ^= 0x01;
    const Bytes cut(good.begin(), good.end() - 10);
    for (const Bytes& damaged : {flipped, cut}) {
        const std::string pkg = dir.write("QM82_V1.20_EN_20240101.bin", damaged);
        EXPECT_FALSE(loadAndPatchPackage(pkg, logo, "20250101"));
        EXPECT_EQ(readFileBytes(pkg), damaged);
        EXPECT_FALSE(fileExists(dir.file("QM82_V1.20_EN_20250101.bin")));
    }
}

TEST(NewestPackage, DateKeyTiesAndNonDates) {
    TempDir dir;
    EXPECT_EQ(findLatestPackageIn(dir.path()), "");
    dir.write("c_20231231.bin", "x");
    dir.write("b_20240101.bin", "x");
    dir.write("a_20240101.bin", "x");
    dir.write("z_2024.txt", "x");
    EXPECT_EQ(findLatestPackageIn(dir.path()), dir.file("a_20240101.bin"));

    TempDir nodates;
    nodates.write("Beta_latest.bin", "x");
    nodates.write("alpha_current.bin", "x");
    EXPECT_EQ(findLatestPackageIn(nodates.path()), nodates.file("alpha_current.bin"));
}

TEST(PackageFileNames, FieldsAndTheModelRule) {
    const auto f = splitPackageFileName("QM82_V1.20_EN_20240105.bin");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->model, "QM82");
    EXPECT_EQ(f->date, "20240105");
    EXPECT_FALSE(splitPackageFileName("QM82_V1.20_20240105.bin"));

    // A model's letters in any case name the same model; nothing else does.
    EXPECT_TRUE(packageModelMatches("QM82", "QM82"));
    EXPECT_TRUE(packageModelMatches("qm82", "QM82"));
    EXPECT_TRUE(packageModelMatches("Qm82", "qM82"));
    EXPECT_FALSE(packageModelMatches("QM8", "QM82"));
    EXPECT_FALSE(packageModelMatches("QM820", "QM82"));
    EXPECT_FALSE(packageModelMatches("QM83", "QM82"));
    EXPECT_FALSE(packageModelMatches("", ""));
    EXPECT_FALSE(packageModelMatches("QM-82", "QM_82"));
    EXPECT_FALSE(packageModelMatches("QM\xC2\xB2", "QM\xC3\xA2")) << "only ASCII letters fold";
}
