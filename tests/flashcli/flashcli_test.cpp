// flashcli against the simulated tool: it identifies the tool before anything is written, refuses a package for
// another model unless told otherwise, and blames the cable only when the link failed.
#include "ScanToolSim.h"
#include "SpawnedProgram.h"
#include "TempDir.h"

#include "frames.h"
#include "package.h"
#include "serial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kExitLink = 1;
constexpr int kExitRefused = 3;
constexpr char kCableAdvice[] = "check the cable";

struct Outcome {
    int status = -1;
    std::string output;
};

// Runs flashcli with its standard output and error in one file.
Outcome runFlashcli(const std::vector<std::string>& args, const std::string& outPath) {
    Outcome run;
    run.status = SpawnedProgram::run(FLASHCLI_EXE, args, outPath);
    const auto bytes = readFileBytes(outPath);
    run.output.assign(bytes.begin(), bytes.end());
    return run;
}

class Flashcli : public ::testing::Test {
protected:
    void SetUp() override {
        devices = dir.file("dev");
        ASSERT_EQ(::mkdir(devices.c_str(), 0755), 0);
        setenv(serial::kDeviceDirEnv, devices.c_str(), 1);
    }
    void startTool(const std::string& model, const std::string& identText = {}) {
        ScanToolSim::Options o;
        o.deviceDir = devices;
        o.model = model;
        o.identText = identText;
        sim = std::make_unique<ScanToolSim>(o);
        ASSERT_TRUE(sim->start()) << sim->lastError();
    }
    // A data-only package (one short pass) under the given name.
    std::string package(const std::string& name, bool damaged = false) {
        firmware::SectionMap sections;
        sections[firmware::kDataSectionKey] = firmware::Bytes(5000);
        for (size_t i = 0; i < 5000; ++i)
            sections[firmware::kDataSectionKey][i] = uint8_t(i * 31 + 7);
        data = sections[firmware::kDataSectionKey];
        firmware::Bytes bytes = firmware::buildPackage(sections);
        if (damaged) bytes[bytes.size() - 1] ^= 0x01;
        return dir.write(name, bytes);
    }
    Outcome flash(const std::vector<std::string>& args) { return runFlashcli(args, dir.file("out.txt")); }
    bool anythingWritten() const {
        const auto frames = sim->frames();
        return std::any_of(frames.begin(), frames.end(),
                           [](const auto& f) { return f.size() >= 3 && f[2] != firmware::kCmdIdentify; });
    }
    bool flashed() const {
        const auto memory = sim->memory();
        const auto at = memory.find(firmware::kDataBase);
        return at != memory.end() && at->second.size() >= data.size() &&
               std::equal(data.begin(), data.end(), at->second.begin());
    }

    TempDir dir;
    std::string devices;
    std::unique_ptr<ScanToolSim> sim;
    firmware::Bytes data;
};

TEST_F(Flashcli, PackageForTheToolsModelIsFlashedAfterIdentification) {
    startTool("QM82");
    const Outcome run = flash({package("QM82_V1.20_EN_20240312.bin")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Tool: QM82"), std::string::npos) << run.output;
    EXPECT_EQ(sim->probes(), 1);
    EXPECT_TRUE(flashed());
    EXPECT_TRUE(sim->violations().empty());
}

TEST_F(Flashcli, ModelFieldInLowerCaseIsTheToolsModel) {
    startTool("QM82");
    const Outcome run = flash({package("qm82_V1.20_EN_20240312.BIN")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(flashed());
}

TEST_F(Flashcli, ToolThatDoesNotAnswerIsNotFlashed) {
    startTool("QM82");
    sim->addFault({ScanToolSim::Step::Probe, ScanToolSim::FaultKind::Silent});
    const Outcome run = flash({package("QM82_V1.20_EN_20240312.bin")});
    EXPECT_EQ(run.status, kExitLink) << run.output;
    EXPECT_NE(run.output.find(kCableAdvice), std::string::npos) << run.output;
    EXPECT_FALSE(anythingWritten());

    // A device that answers something else is no scan tool either.
    sim->clearFaults();
    sim->stop();
    startTool("QM82", "HELLO WORLD");
    const Outcome other = flash({package("QM82_V1.20_EN_20240312.bin")});
    EXPECT_EQ(other.status, kExitLink) << other.output;
    EXPECT_FALSE(anythingWritten());
}

TEST_F(Flashcli, PackageForAnotherModelIsRefusedUnlessAskedFor) {
    startTool("QM82");
    const std::string qm64 = package("QM64_V1.20_EN_20240312.bin");
    const Outcome refused = flash({qm64});
    EXPECT_EQ(refused.status, kExitRefused) << refused.output;
    EXPECT_NE(refused.output.find("QM64"), std::string::npos) << refused.output;
    EXPECT_EQ(refused.output.find(kCableAdvice), std::string::npos) << refused.output;
    EXPECT_FALSE(anythingWritten());

    const Outcome unnamed = flash({package("logo-test.bin")});
    EXPECT_EQ(unnamed.status, kExitRefused) << unnamed.output;
    EXPECT_FALSE(anythingWritten());

    const Outcome forced = flash({"--any-model", qm64});
    EXPECT_EQ(forced.status, 0) << forced.output;
    EXPECT_TRUE(flashed());
}

// The file is checked before the tool is contacted, and each problem is told once, as what it is: a missing
// package for another model is a missing file, not a model problem.
TEST_F(Flashcli, BadPackageIsRefusedBeforeTheToolIsContacted) {
    startTool("QM82");
    const struct {
        std::string path, says;
    } cases[] = {
        {package("QM82_V1.20_EN_20240312.bin", true), "Not a firmware package: "},
        {dir.file("QM64_V1.30_EN_20240312.bin"), "Cannot read "},
        {devices, "Cannot read "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const Outcome run = flash({c.path});
        EXPECT_EQ(run.status, kExitRefused) << run.output;
        EXPECT_EQ(run.output.rfind(c.says + c.path, 0), 0u) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
        EXPECT_EQ(run.output.find(kCableAdvice), std::string::npos) << run.output;
        EXPECT_EQ(sim->probes(), 0);
    }
}

// Help is asked for: standard output and success. A wrong argument is a usage error on standard error.
TEST(FlashcliUsage, HelpIsOutputAndSuccess) {
    TempDir dir;
    const auto run = [&dir](const std::string& arg) {
        pid_t pid = -1;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, dir.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&fa, 2, dir.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::string exe = FLASHCLI_EXE, a = arg;
        char* argv[] = {exe.data(), a.data(), nullptr};
        const bool spawned = posix_spawn(&pid, FLASHCLI_EXE, &fa, nullptr, argv, environ) == 0;
        posix_spawn_file_actions_destroy(&fa);
        int status = -1;
        if (spawned) waitpid(pid, &status, 0);
        const auto out = readFileBytes(dir.file("out")), err = readFileBytes(dir.file("err"));
        return std::make_tuple(WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end()),
                               std::string(err.begin(), err.end()));
    };
    const auto [helpStatus, helpOut, helpErr] = run("--help");
    EXPECT_EQ(helpStatus, 0);
    EXPECT_EQ(helpOut.rfind("usage: flashcli", 0), 0u) << helpOut;
    EXPECT_EQ(helpErr, "");
    const auto [badStatus, badOut, badErr] = run("--no-such-option");
    EXPECT_EQ(badStatus, 2);
    EXPECT_EQ(badOut, "");
    EXPECT_EQ(badErr.rfind("usage: flashcli", 0), 0u) << badErr;
}

} // namespace
