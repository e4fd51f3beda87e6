// The two programs as a user runs them: scantool-sim served and stopped by a signal, mkpackage's files read back.
#include "HostLine.h"
#include "SpawnedProgram.h"
#include "TempDir.h"

#include "flashpass.h"
#include "frames.h"
#include "package.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

using Bytes = std::vector<uint8_t>;

namespace {

constexpr char kLink[] = "usb-ScanTool_Virtual_COM_Port_SIM0001-if00";

std::string text(const std::string& path) {
    const Bytes b = readFileBytes(path);
    return std::string(b.begin(), b.end());
}

bool waitForFile(const std::string& path) {
    for (int i = 0; i < 300 && !fileExists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fileExists(path);
}

firmware::SectionMap readPackage(const std::string& path) {
    Bytes b = readFileBytes(path);
    firmware::scramble(b);
    EXPECT_TRUE(firmware::checkPackage(b.data(), b.size()).ok) << firmware::checkPackage(b.data(), b.size()).error;
    return firmware::parsePackage(b);
}

TEST(ScanToolSimProgram, ServesAPassAndDumpsWhatWasFlashed) {
    TempDir dir;
    SpawnedProgram sim(SCANTOOL_SIM_EXE, {"--dir", dir.file("dev"), "--dump", dir.file("out"), "--erase-ms", "20"},
                       dir.file("log"));
    ASSERT_TRUE(waitForFile(dir.file("dev/") + kLink)) << text(dir.file("log"));
    {
        HostLine host(dir.file("dev/") + kLink);
        const Bytes section = {1, 2, 3, 4, 5};
        firmware::Exchange exchange = [&](const uint8_t* f, long long n, uint32_t timeoutMs, uint8_t* out) {
            const Bytes r = host.transact(Bytes(f, f + n), 4, int(timeoutMs));
            std::copy(r.begin(), r.end(), out);
            return (long long)r.size();
        };
        const auto r = firmware::runPass(exchange, section.data(), 5, firmware::EnterCmd(firmware::Section::Data),
                                         firmware::EraseCmd(firmware::Section::Data), 0, 1,
                                         {1000, 1000, 1000, 1000, 1000}, nullptr);
        EXPECT_TRUE(r.ok);
    }
    sim.signal(SIGINT);
    EXPECT_EQ(sim.wait(), 0) << text(dir.file("log"));
    EXPECT_EQ(readFileBytes(dir.file("out/00000000.bin")), Bytes({1, 2, 3, 4, 5}));
    EXPECT_EQ(text(dir.file("out/violations.txt")), "");
    EXPECT_FALSE(fileExists(dir.file("dev/") + kLink));
    const std::string log = text(dir.file("log"));
    EXPECT_NE(log.find("scantool-sim: " + dir.file("dev/") + kLink + " -> /dev/pts/"), std::string::npos) << log;
    EXPECT_NE(log.find("1 pass(es) completed, 0 violation(s)"), std::string::npos) << log;
}

TEST(ScanToolSimProgram, FaultOptionsAndViolationsShowInTheExitStatus) {
    TempDir dir;
    SpawnedProgram sim(SCANTOOL_SIM_EXE,
                       {"--dir", dir.path(), "--link", "usb-x", "--model", "QX9", "--error", "enter:1=E5", "--short",
                        "probe=1", "--dump", dir.file("out"), "--quiet"},
                       dir.file("log"));
    ASSERT_TRUE(waitForFile(dir.file("usb-x")));
    {
        HostLine host(dir.file("usb-x"));
        EXPECT_EQ(host.transact(Bytes(firmware::ProbeCmd.begin(), firmware::ProbeCmd.end()), 8, 200), Bytes({'T'}));
        const auto enter = firmware::EnterCmd(firmware::Section::Program);
        EXPECT_EQ(host.transact(Bytes(enter.begin(), enter.end()))[2], firmware::kReplyEnter);
        EXPECT_EQ(host.transact(Bytes(enter.begin(), enter.end()))[2], 0xE5);
        EXPECT_EQ(host.transact({0xD1, 0xEE, 0xC3, 0xFF})[2], 0xEF);
    }
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 1);
    EXPECT_NE(text(dir.file("out/violations.txt")).find("end frame before"), std::string::npos);
    EXPECT_EQ(text(dir.file("log")).find("received"), std::string::npos); // quiet
}

TEST(ScanToolSimProgram, RefusesBadArguments) {
    TempDir dir;
    EXPECT_EQ(SpawnedProgram::run(SCANTOOL_SIM_EXE, {"--dir", dir.path(), "--silent", "flash"}, dir.file("log")), 2);
    EXPECT_NE(text(dir.file("log")).find("unknown step \"flash\""), std::string::npos);
    EXPECT_EQ(SpawnedProgram::run(SCANTOOL_SIM_EXE, {"--dir", dir.path(), "--error", "erase=D0"}, dir.file("log")), 2);
    EXPECT_EQ(SpawnedProgram::run(SCANTOOL_SIM_EXE, {"--paced"}, dir.file("log")), 2);
    EXPECT_NE(text(dir.file("log")).find("--dir is required"), std::string::npos);
}

TEST(MkPackage, RoundTripsTheGivenSections) {
    TempDir dir;
    const Bytes program = {9, 8, 7}, data(5000, 0x33);
    dir.write("p.bin", program);
    dir.write("d.bin", data);
    ASSERT_EQ(
        SpawnedProgram::run(MKPACKAGE_EXE,
                            {"-o", dir.file("both.bin"), "--program", dir.file("p.bin"), "--data", dir.file("d.bin")},
                            dir.file("log")),
        0)
        << text(dir.file("log"));
    const auto both = readPackage(dir.file("both.bin"));
    EXPECT_EQ(both, (firmware::SectionMap{{1, program}, {2, data}}));

    ASSERT_EQ(SpawnedProgram::run(MKPACKAGE_EXE, {"-o", dir.file("p1.bin"), "--random-program", "4096", "--seed", "5"},
                                  dir.file("log")),
              0);
    ASSERT_EQ(SpawnedProgram::run(MKPACKAGE_EXE, {"-o", dir.file("p2.bin"), "--random-program", "4096", "--seed", "5"},
                                  dir.file("log")),
              0);
    ASSERT_EQ(SpawnedProgram::run(MKPACKAGE_EXE, {"-o", dir.file("p3.bin"), "--random-program", "4096", "--seed", "6"},
                                  dir.file("log")),
              0);
    const auto p1 = readPackage(dir.file("p1.bin"));
    ASSERT_EQ(p1.size(), 1u);
    EXPECT_EQ(p1.at(1).size(), 4096u);
    EXPECT_EQ(readFileBytes(dir.file("p1.bin")), readFileBytes(dir.file("p2.bin")));
    EXPECT_NE(readFileBytes(dir.file("p1.bin")), readFileBytes(dir.file("p3.bin")));

    ASSERT_EQ(SpawnedProgram::run(MKPACKAGE_EXE, {"-o", dir.file("d.pkg"), "--random-data", "0"}, dir.file("log")), 0);
    EXPECT_EQ(readPackage(dir.file("d.pkg")), (firmware::SectionMap{{2, {}}}));
}

TEST(MkPackage, LogoEntryLiesWhereTheFormatSays) {
    TempDir dir;
    ASSERT_EQ(SpawnedProgram::run(
                  MKPACKAGE_EXE,
                  {"-o", dir.file("l.bin"), "--random-program", "100", "--random-data", "777", "--logo-entry"},
                  dir.file("log")),
              0)
        << text(dir.file("log"));
    const auto sections = readPackage(dir.file("l.bin"));
    ASSERT_EQ(sections.size(), 2u);
    const Bytes& d = sections.at(2);
    ASSERT_GE(d.size(), 52u);
    EXPECT_EQ(std::string(d.begin(), d.begin() + 14), "RB350_LOGO.cbf");
    const uint32_t offset = firmware::readUInt32LE(&d[44], 4), size = firmware::readUInt32LE(&d[48], 4);
    EXPECT_EQ(size, 153670u);
    ASSERT_LE(size_t(offset) + size, d.size());
    EXPECT_EQ(d.size(), size_t(offset) + size + 777);
    EXPECT_EQ(d[offset], 'B');
    EXPECT_EQ(d[offset + 1], 'M');
    EXPECT_EQ(firmware::readUInt32LE(&d[offset + 2], 4), 153670u);

    // The logo tool's patcher finds the entry and replaces exactly its bytes.
    const Bytes logo(153670, 0xAB);
    dir.write("logo.bmp", logo);
    ASSERT_TRUE(firmware::patchLogoInPackage(sections, dir.file("QM82_V1.00_EN_20240101.bin"), dir.file("logo.bmp"),
                                             "20250101"));
    const auto patched = readPackage(dir.file("QM82_V1.00_EN_20250101.bin"));
    EXPECT_EQ(Bytes(patched.at(2).begin() + offset, patched.at(2).begin() + offset + size), logo);
    EXPECT_TRUE(std::equal(d.begin(), d.begin() + offset, patched.at(2).begin()));
}

TEST(MkPackage, RefusesWhatItCannotDo) {
    TempDir dir;
    EXPECT_EQ(SpawnedProgram::run(MKPACKAGE_EXE, {"-o", dir.file("x.bin")}, dir.file("log")), 2);
    EXPECT_NE(text(dir.file("log")).find("nothing to package"), std::string::npos);
    EXPECT_EQ(SpawnedProgram::run(MKPACKAGE_EXE, {"--random-data", "10"}, dir.file("log")), 2);
    EXPECT_EQ(SpawnedProgram::run(MKPACKAGE_EXE, {"-o", dir.file("x.bin"), "--random-data", "-3"}, dir.file("log")), 2);
    EXPECT_EQ(
        SpawnedProgram::run(MKPACKAGE_EXE, {"-o", dir.file("x.bin"), "--data", dir.file("missing")}, dir.file("log")),
        1);
    EXPECT_NE(text(dir.file("log")).find("cannot read the data file"), std::string::npos);
    EXPECT_EQ(
        SpawnedProgram::run(MKPACKAGE_EXE, {"-o", dir.file("no/such/x.bin"), "--random-data", "1"}, dir.file("log")),
        1);
    EXPECT_FALSE(fileExists(dir.file("x.bin")));
}

} // namespace
