// flashcli against the simulated tool: it identifies the tool before anything is written, refuses a package for
// another model unless told otherwise, blames the cable only when the link failed, and tells a port it cannot open
// from a missing tool.
#include "ScanToolSim.h"
#include "SpawnedProgram.h"
#include "TempDir.h"

#include "frames.h"
#include "package.h"
#include "serial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
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

enum class Child { OnTerminal, WithoutRootFileAccess };
// The child could not give up root's file access (no CAP_SETPCAP here).
constexpr int kCannotDropAccess = 125;
// Bounds a run on the terminal, so that a flashcli that never ends fails the test instead of hanging it.
constexpr auto kTerminalRunLimit = std::chrono::seconds(120);

// Runs flashcli in a forked child: with a pseudo-terminal as its standard output and error, as in a user's terminal
// (the output then holds what the terminal received); or writing both into outPath, without the capabilities that
// let root open any file, so that a file's mode refuses it as it refuses a user.
Outcome runFlashcliAs(Child how, const std::vector<std::string>& args, const std::string& outPath) {
    std::vector<std::string> all{FLASHCLI_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    Outcome run;
    int master = -1, out = -1;
    pid_t pid = -1;
    if (how == Child::OnTerminal) {
        pid = forkpty(&master, nullptr, nullptr, nullptr);
    } else {
        out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (out < 0) return run;
        pid = fork();
    }
    if (pid == 0) {
        if (how == Child::WithoutRootFileAccess) {
            dup2(out, 1);
            dup2(out, 2);
            const bool dropped =
                prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE) == 0 && prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH) == 0;
            if (!dropped && geteuid() == 0) _exit(kCannotDropAccess);
        }
        execv(FLASHCLI_EXE, argv.data());
        _exit(127);
    }
    if (out >= 0) ::close(out);
    if (pid < 0) return run;
    if (master >= 0) {
        // Read until flashcli has gone and the terminal is closed (EIO).
        const auto deadline = std::chrono::steady_clock::now() + kTerminalRunLimit;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                kill(pid, SIGKILL);
                ADD_FAILURE() << "flashcli did not end";
                break;
            }
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, int(left.count())) <= 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            run.output.append(buffer, size_t(n));
        }
        ::close(master);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (how == Child::WithoutRootFileAccess) {
        const auto bytes = readFileBytes(outPath);
        run.output.assign(bytes.begin(), bytes.end());
    }
    return run;
}

// The lines as a terminal shows them: each one's text after its last carriage return.
std::vector<std::string> shownLines(const std::string& output) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(start, end - start);
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t cr = line.rfind('\r');
        lines.push_back(cr == std::string::npos ? line : line.substr(cr + 1));
        start = end + 1;
    }
    return lines;
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
    // A data-only package (one short pass) under the given name; withProgram adds a program section, flashed in a
    // pass of its own before the data.
    std::string package(const std::string& name, bool damaged = false, bool withProgram = false) {
        firmware::SectionMap sections;
        sections[firmware::kDataSectionKey] = firmware::Bytes(5000);
        for (size_t i = 0; i < 5000; ++i)
            sections[firmware::kDataSectionKey][i] = uint8_t(i * 31 + 7);
        data = sections[firmware::kDataSectionKey];
        if (withProgram) sections[firmware::kProgramSectionKey] = firmware::Bytes(3000, 0x5A);
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

// A tool that restarts as soon as it has acknowledged the last end frame was updated: the flash is done whatever the
// line does next. One that leaves after the first of two passes was not.
TEST_F(Flashcli, ToolThatLeavesAfterTheLastEndFrameIsUpdated) {
    const struct {
        bool withProgram;
        int leavesAfterEnd;
        bool updated;
    } cases[] = {{false, 0, true}, {true, 1, true}, {true, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE((c.withProgram ? "two passes, gone after end " : "one pass, gone after end ") +
                     std::to_string(c.leavesAfterEnd));
        if (sim) sim->stop();
        startTool("QM82");
        sim->addFault({ScanToolSim::Step::End, ScanToolSim::FaultKind::LeaveAfterReply, c.leavesAfterEnd});
        const Outcome run = flash({package("QM82_V1.20_EN_20240312.bin", false, c.withProgram)});
        EXPECT_EQ(run.status, c.updated ? 0 : kExitLink) << run.output;
        EXPECT_EQ(run.output.find("Done: ") != std::string::npos, c.updated) << run.output;
        EXPECT_EQ(flashed(), c.updated);
    }
}

// On a terminal the progress is one line rewritten in place; the failure is told on lines of their own after it.
TEST_F(Flashcli, FailureOnATerminalStartsOnALineOfItsOwn) {
    startTool("QM82");
    sim->addFault({ScanToolSim::Step::End, ScanToolSim::FaultKind::DeviceError});
    const Outcome run = runFlashcliAs(Child::OnTerminal, {package("QM82_V1.20_EN_20240312.bin")}, "");
    EXPECT_EQ(run.status, kExitLink) << run.output;
    const auto lines = shownLines(run.output);
    const auto failed = std::find_if(lines.begin(), lines.end(),
                                     [](const std::string& line) { return line.rfind("Flash of ", 0) == 0; });
    ASSERT_NE(failed, lines.end()) << run.output;
    ASSERT_NE(failed, lines.begin());
    ASSERT_NE(failed + 1, lines.end());
    EXPECT_EQ(std::prev(failed)->rfind("Flashing: ", 0), 0u) << run.output;
    EXPECT_EQ((failed + 1)->rfind("Failed: ", 0), 0u) << run.output;
}

// A port that is there but cannot be opened is told as what it is, once, and never as a missing tool; and no text
// sends the user to the simulated tool.
TEST_F(Flashcli, PortThatCannotBeOpenedIsNotCalledMissing) {
    const std::string qm82 = package("QM82_V1.20_EN_20240312.bin");
    const Outcome none = flash({qm82});
    EXPECT_EQ(none.status, kExitLink);
    EXPECT_EQ(none.output, "No scan tool found in " + devices + ": plug it in and try again.\n");

    // Held as our programs hold it: open for a flash, or leased between two passes.
    startTool("QM82");
    for (const bool lease : {false, true}) {
        const int held = lease ? serial::acquireLease(sim->linkPath()) : serial::openDevice(sim->linkPath());
        ASSERT_GE(held, 0) << std::strerror(errno);
        const Outcome busy = flash({qm82});
        lease ? serial::releaseLease(held) : serial::closeDevice(held);
        EXPECT_EQ(busy.status, kExitLink);
        EXPECT_EQ(busy.output, "Cannot open " + sim->linkPath() + ": " + serial::openFailureHint(EBUSY) +
                                   ". Nothing was written.\n");
    }
    EXPECT_EQ(sim->probes(), 0);

    const std::string noAccess = sim->linkPath();
    sim->stop();
    dir.write("dev/" + noAccess.substr(noAccess.rfind('/') + 1), std::string("tool"));
    ASSERT_EQ(::chmod(noAccess.c_str(), 0), 0);
    const Outcome denied = runFlashcliAs(Child::WithoutRootFileAccess, {qm82}, dir.file("out.txt"));
    if (denied.status == kCannotDropAccess) GTEST_SKIP() << "root's file access cannot be given up here";
    EXPECT_EQ(denied.status, kExitLink);
    EXPECT_EQ(denied.output,
              "Cannot open " + noAccess + ": " + serial::openFailureHint(EACCES) + ". Nothing was written.\n");
}

// The file is checked before the tool is contacted, and each problem is told once, as what it is: a missing
// package for another model is a missing file, not a model problem.
TEST_F(Flashcli, BadPackageIsRefusedBeforeTheToolIsContacted) {
    startTool("QM82");
    const struct {
        std::string path, says;
    } cases[] = {
        {package("QM82_V1.20_EN_20240312.bin", true), "Cannot flash "},
        {dir.write("QM82_V1.21_EN_20240312.bin", std::string("plain text")), "Cannot flash "},
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
        const size_t named = run.output.find("irmware package");
        EXPECT_EQ(run.output.find("irmware package", named + 1), std::string::npos) << run.output;
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
