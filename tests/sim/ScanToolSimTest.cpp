#include "ScanToolSim.h"
#include "HostLine.h"
#include "TempDir.h"
#include "TestBytes.h"

#include "flashpass.h"
#include "frames.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <numeric>
#include <poll.h>
#include <thread>
#include <unistd.h>

using firmware::Section;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using Step = ScanToolSim::Step;
using Kind = ScanToolSim::FaultKind;

namespace {

constexpr uint8_t kRefused = 0xEF;

template <size_t N> Bytes b(const std::array<uint8_t, N>& a) {
    return Bytes(a.begin(), a.end());
}
Bytes reply(uint8_t code) {
    return {0xD1, 0xEE, code, 0xFF};
}

long long msSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { startSim({}); }

    void startSim(ScanToolSim::Options o) {
        host.reset();
        sim.reset();
        o.deviceDir = dir.path();
        sim = std::make_unique<ScanToolSim>(o);
        ASSERT_TRUE(sim->start()) << sim->lastError();
        host = std::make_unique<HostLine>(sim->linkPath());
        ASSERT_TRUE(host->isOpen());
    }

    // One pass as the flashers run it, over the host line.
    firmware::PassResult pass(const Bytes& section, Section s, firmware::PassTimeouts t = longTimeouts()) {
        firmware::Exchange exchange = [&](const uint8_t* f, long long n, uint32_t timeoutMs, uint8_t* out) {
            const Bytes r = host->transact(Bytes(f, f + n), 4, int(timeoutMs));
            std::copy(r.begin(), r.end(), out);
            return (long long)r.size();
        };
        return firmware::runPass(exchange, section.data(), uint32_t(section.size()), firmware::EnterCmd(s),
                                 firmware::EraseCmd(s), firmware::sectionBase(s), 1, t, nullptr);
    }

    static firmware::PassTimeouts longTimeouts() { return {2000, 2000, 2000, 5000, 2000}; }

    void enterAndErase(Section s = Section::Program) {
        ASSERT_EQ(host->transact(b(firmware::EnterCmd(s))), reply(firmware::kReplyEnter));
        ASSERT_EQ(host->transact(b(firmware::EraseCmd(s))), reply(firmware::kReplyErase));
    }

    Bytes sendBlock(uint32_t address, const Bytes& payload, uint16_t index) {
        const Bytes h = host->transact(b(firmware::BlockHeaderCmd(address, uint32_t(payload.size()))));
        if (h != reply(firmware::kReplyBlockHeader)) return h;
        return host->transact(firmware::blockDataFrame(payload.data(), uint32_t(payload.size()), index));
    }

    TempDir dir;
    std::unique_ptr<ScanToolSim> sim;
    std::unique_ptr<HostLine> host;
};

TEST_F(SimTest, ProbeAnswersWithIdentificationText) {
    EXPECT_EQ(host->transact(b(firmware::ProbeCmd), 11),
              Bytes({'T', 'E', 'N', 'V', 'O', 'R', '-', 'Q', 'M', '8', '2'}));
    EXPECT_EQ(sim->probes(), 1);
    EXPECT_EQ(sim->linkPath(), dir.path() + "/usb-ScanTool_Virtual_COM_Port_SIM0001-if00");

    ScanToolSim::Options o;
    o.model = "QX10";
    o.linkName = "usb-Other-if00";
    startSim(o);
    const Bytes r = host->transact(b(firmware::ProbeCmd), 11);
    EXPECT_EQ(std::string(r.begin(), r.end()), "TENVOR-QX10");
    EXPECT_TRUE(sim->violations().empty());
}

TEST_F(SimTest, WholePassLeavesExactlyTheSection) {
    const Bytes section = randomBytes(4096, 1);
    const Bytes empty;
    enterAndErase();
    EXPECT_EQ(sendBlock(0x08004000, Bytes(section.begin(), section.begin() + 2048), 0), reply(0x84));
    EXPECT_EQ(sendBlock(0x08004800, Bytes(section.begin() + 2048, section.end()), 1), reply(0x84));
    EXPECT_EQ(sendBlock(0x08005000, empty, 2), reply(0x84));
    EXPECT_EQ(sim->completedPasses(), 0);
    EXPECT_EQ(host->transact(b(firmware::EndCmd)), reply(0x85));

    EXPECT_TRUE(sim->violations().empty()) << sim->violations().front();
    const auto mem = sim->memory();
    ASSERT_EQ(mem.size(), 1u);
    EXPECT_EQ(mem.at(firmware::kProgramBase), section);
    EXPECT_EQ(sim->completedPasses(), 1);
    const auto frames = sim->frames();
    ASSERT_EQ(frames.size(), 9u);
    EXPECT_EQ(frames[6], b(firmware::BlockHeaderCmd(0x08005000, 0)));
    EXPECT_EQ(frames[7].size(), 6u);
}

TEST_F(SimTest, TwoPassSessionFillsBothBases) {
    const Bytes program = randomBytes(5000, 2), data = randomBytes(2048 * 3, 3);
    EXPECT_TRUE(pass(program, Section::Program).ok);
    EXPECT_TRUE(pass(data, Section::Data).ok);
    const auto mem = sim->memory();
    EXPECT_EQ(mem.at(firmware::kProgramBase), program);
    EXPECT_EQ(mem.at(firmware::kDataBase), data);
    EXPECT_EQ(sim->completedPasses(), 2);
    EXPECT_TRUE(sim->violations().empty());

    // A new erase starts the section afresh.
    const Bytes shorter = randomBytes(100, 4);
    EXPECT_TRUE(pass(shorter, Section::Data).ok);
    EXPECT_EQ(sim->memory().at(firmware::kDataBase), shorter);
}

TEST_F(SimTest, BlockDataIsTakenByCountEvenWithFrameBytesInside) {
    // Payloads that look like frames: the same header, an enter, an end.
    Bytes section = b(firmware::BlockHeaderCmd(0x08004000, 2048));
    const auto enter = firmware::EnterCmd(Section::Program);
    section.insert(section.end(), enter.begin(), enter.end());
    section.insert(section.end(), firmware::EndCmd.begin(), firmware::EndCmd.end());
    section.resize(2048 + 9, 0xD1);
    EXPECT_TRUE(pass(section, Section::Program).ok);
    EXPECT_EQ(sim->memory().at(firmware::kProgramBase), section);
    EXPECT_TRUE(sim->violations().empty());
}

TEST_F(SimTest, RefusesWrongFramesWithViolation) {
    const Bytes payload = randomBytes(2048, 5);
    struct Case {
        const char* name;
        std::function<Bytes()> act;
        const char* words;
    };
    const Case cases[] = {
        {"bad byte sum",
         [&] {
             host->transact(b(firmware::BlockHeaderCmd(0x08004000, 2048)));
             Bytes data = firmware::blockDataFrame(payload.data(), 2048, 0);
             data[2048] ^= 1;
             return host->transact(data);
         },
         "byte sum"},
        {"wrong index",
         [&] {
             host->transact(b(firmware::BlockHeaderCmd(0x08004000, 2048)));
             return host->transact(firmware::blockDataFrame(payload.data(), 2048, 1));
         },
         "index 1, expected 0"},
        {"wrong address", [&] { return host->transact(b(firmware::BlockHeaderCmd(0x08004800, 2048))); }, "0x08004800"},
        {"data section erase after program enter", [&] { return host->transact(b(firmware::EraseCmd(Section::Data))); },
         "does not match"},
        {"block too long", [&] { return host->transact(b(firmware::BlockHeaderCmd(0x08004000, 2049))); }, "2055"},
        {"end without a short last block", [&] { return host->transact(b(firmware::EndCmd)); }, "shorter than 2048"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startSim({});
        enterAndErase();
        EXPECT_EQ(c.act(), reply(kRefused));
        const auto v = sim->violations();
        ASSERT_EQ(v.size(), 1u);
        EXPECT_NE(v[0].find(c.words), std::string::npos) << v[0];
        EXPECT_TRUE(sim->memory().at(firmware::kProgramBase).empty());
    }

    startSim({});
    EXPECT_EQ(host->transact(b(firmware::EraseCmd(Section::Program))), reply(kRefused));
    Bytes badKey = b(firmware::EnterCmd(Section::Program));
    badKey[4] ^= 0xFF;
    EXPECT_EQ(host->transact(badKey), reply(kRefused));
    EXPECT_EQ(sim->violations().size(), 2u);
}

TEST_F(SimTest, SkipsStrayBytesAndCarriesOn) {
    ASSERT_TRUE(host->send({0x00, 0x41, 0xD1, 0x42}));
    const Bytes r = host->transact(b(firmware::ProbeCmd), 11);
    EXPECT_EQ(std::string(r.begin(), r.end()), "TENVOR-QM82");
    ASSERT_TRUE(sim->waitFor([&] { return !sim->violations().empty(); }, 1000));
    EXPECT_NE(sim->violations()[0].find("outside a frame"), std::string::npos);
    EXPECT_EQ(host->transact({0xD1, 0xEE, 0xC7}), reply(kRefused));
}

TEST_F(SimTest, HostRepeatsAfterTimeouts) {
    // No answer to the first erase, the second header and the third block: a host that repeats each is served.
    sim->addFault({Step::Erase, Kind::Silent, 0, 1});
    sim->addFault({Step::BlockHeader, Kind::Silent, 1, 1});
    sim->addFault({Step::BlockData, Kind::Silent, 2, 1});
    firmware::PassTimeouts t{100, 100, 100, 100, 100};
    firmware::Exchange exchange = [&](const uint8_t* f, long long n, uint32_t timeoutMs, uint8_t* out) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const Bytes r = host->transact(Bytes(f, f + n), 4, int(timeoutMs));
            if (!r.empty()) {
                std::copy(r.begin(), r.end(), out);
                return (long long)r.size();
            }
        }
        return -1LL;
    };
    const Bytes section = randomBytes(5000, 6);
    const auto r =
        firmware::runPass(exchange, section.data(), uint32_t(section.size()), firmware::EnterCmd(Section::Program),
                          firmware::EraseCmd(Section::Program), firmware::kProgramBase, 1, t, nullptr);
    EXPECT_TRUE(r.ok) << firmware::passStepName(r.failedAt);
    EXPECT_EQ(sim->memory().at(firmware::kProgramBase), section);
    EXPECT_TRUE(sim->violations().empty()) << sim->violations().front();
    EXPECT_EQ(sim->frames().size(), 2u + 3u + 2u * 3u + 1u);
}

TEST_F(SimTest, HostThatGivesUpMidBlockCanStartAgain) {
    sim->addFault({Step::BlockHeader, Kind::ShortReply, 1, 1});
    const Bytes section = randomBytes(3000, 7);
    const auto first = pass(section, Section::Program, {300, 300, 100, 300, 300});
    EXPECT_FALSE(first.ok);
    EXPECT_EQ(first.failedAt, firmware::PassStep::BlockHeader);
    // The simulator still waits for block 1's data; the next pass's enter must not be swallowed by it.
    EXPECT_TRUE(pass(section, Section::Program).ok);
    EXPECT_EQ(sim->memory().at(firmware::kProgramBase), section);
    EXPECT_TRUE(sim->violations().empty());
}

TEST_F(SimTest, FaultsDoWhatTheySay) {
    // Device error with the given code; the frame does not take effect.
    sim->addFault({Step::Enter, Kind::DeviceError, 0, 1, 0xE5});
    EXPECT_EQ(host->transact(b(firmware::EnterCmd(Section::Program))), reply(0xE5));
    EXPECT_EQ(host->transact(b(firmware::EraseCmd(Section::Program))), reply(kRefused));
    sim->clearFaults();

    // Short reply: only the first bytes.
    sim->addFault({Step::Enter, Kind::ShortReply, -1, 1, 0, 1});
    EXPECT_EQ(host->transact(b(firmware::EnterCmd(Section::Program)), 4, 150), Bytes({0xD1}));

    // Split reply: two bytes, a pause, the rest.
    sim->addFault({Step::Erase, Kind::SplitReply, -1, -1, 0, 2, 300});
    ASSERT_TRUE(host->send(b(firmware::EraseCmd(Section::Program))));
    const auto t0 = Clock::now();
    EXPECT_EQ(host->receive(2, 1000), Bytes({0xD1, 0xEE}));
    EXPECT_TRUE(host->receive(2, 100).empty());
    EXPECT_EQ(host->receive(2, 1000), Bytes({0x83, 0xFF}));
    EXPECT_GE(msSince(t0), 280);

    // Silent: nothing comes; the next occurrence is answered.
    sim->addFault({Step::BlockHeader, Kind::Silent, 0, 1});
    const Bytes header = b(firmware::BlockHeaderCmd(firmware::kProgramBase, 10));
    EXPECT_TRUE(host->transact(header, 4, 150).empty());
    EXPECT_EQ(host->transact(header), reply(firmware::kReplyBlockHeader));

    // A fault on the probe changes the text reply alike.
    sim->addFault({Step::Probe, Kind::ShortReply, -1, 1, 0, 2});
    EXPECT_EQ(host->transact(b(firmware::ProbeCmd), 11, 150), Bytes({'T', 'E'}));
    EXPECT_EQ(sim->violations().size(), 1u); // the erase refused after the failed enter
}

TEST_F(SimTest, VanishingToolFailsTheHostsLine) {
    sim->addFault({Step::Erase, Kind::Vanish});
    ASSERT_EQ(host->transact(b(firmware::EnterCmd(Section::Program))), reply(firmware::kReplyEnter));
    ASSERT_TRUE(host->send(b(firmware::EraseCmd(Section::Program))));
    EXPECT_TRUE(host->receive(4, 1000).empty());
    EXPECT_NE(host->lastError(), 0); // end of file or EIO, not a time-out
    EXPECT_FALSE(host->send(b(firmware::ProbeCmd)));
    EXPECT_EQ(errno, EIO);
    EXPECT_FALSE(fileExists(sim->linkPath()));
    EXPECT_EQ(sim->memory().count(firmware::kProgramBase), 0u); // the erase never happened

    // Plugged in again: a new line under the same link, the step count starting afresh.
    sim->clearFaults();
    ASSERT_TRUE(sim->start());
    host = std::make_unique<HostLine>(sim->linkPath());
    EXPECT_TRUE(pass(randomBytes(10, 8), Section::Program).ok);

    sim->vanish();
    EXPECT_FALSE(host->send(b(firmware::ProbeCmd)));
    EXPECT_FALSE(fileExists(sim->linkPath()));
    sim->vanish();
    sim->stop();
}

TEST_F(SimTest, ToolThatRestartsHangsOrReportsAtOnce) {
    // Leaves right after acknowledging the end: the pass is whole and counted, then the line is gone.
    sim->addFault({Step::End, Kind::LeaveAfterReply});
    EXPECT_TRUE(pass(randomBytes(3000, 4), Section::Program).ok);
    EXPECT_EQ(sim->completedPasses(), 1);
    EXPECT_TRUE(sim->waitFor([&] { return !fileExists(sim->linkPath()); }, 1000));

    // Stops reading after the header's reply: the block frame is taken only in part, never answered.
    sim->clearFaults();
    ASSERT_TRUE(sim->start());
    host = std::make_unique<HostLine>(sim->linkPath());
    sim->addFault({Step::BlockHeader, Kind::StopReading, -1, -1, 0xE1, 2, 20, 100});
    enterAndErase();
    const Bytes payload = randomBytes(2048, 5);
    ASSERT_EQ(host->transact(b(firmware::BlockHeaderCmd(firmware::kProgramBase, 2048))),
              reply(firmware::kReplyBlockHeader));
    const Bytes frame = firmware::blockDataFrame(payload.data(), 2048, 0);
    const Bytes flood(64 * 1024, 0x55);
    EXPECT_FALSE(host->send(frame, 200) && host->send(flood, 200));
    EXPECT_TRUE(host->receive(4, 200).empty());

    // Starts a report as soon as the host opens the line.
    const std::string report(3000, 'R');
    host.reset();
    ScanToolSim::Options o;
    o.deviceDir = dir.path();
    sim = std::make_unique<ScanToolSim>(o);
    sim->setReportOnOpen(report);
    ASSERT_TRUE(sim->start());
    host = std::make_unique<HostLine>(sim->linkPath());
    const Bytes got = host->receive(report.size(), 2000);
    EXPECT_EQ(std::string(got.begin(), got.end()), report);
}

TEST_F(SimTest, ReportTextAndHostReopening) {
    sim->sendReport("REPORT 1\r\n");
    const Bytes r = host->receive(10, 1000);
    EXPECT_EQ(std::string(r.begin(), r.end()), "REPORT 1\r\n");

    // The host closing its side leaves the tool serving.
    host.reset();
    host = std::make_unique<HostLine>(sim->linkPath());
    ASSERT_TRUE(host->isOpen());
    EXPECT_EQ(host->transact(b(firmware::ProbeCmd), 11).size(), 11u);
}

TEST_F(SimTest, StopEndsALongErasePromptly) {
    sim->setEraseMs(60000);
    ASSERT_EQ(host->transact(b(firmware::EnterCmd(Section::Program))), reply(firmware::kReplyEnter));
    ASSERT_TRUE(host->send(b(firmware::EraseCmd(Section::Program))));
    ASSERT_TRUE(sim->waitFor([&] { return sim->frames().size() == 2; }, 1000));
    const auto t0 = Clock::now();
    sim->stop();
    EXPECT_LT(msSince(t0), 500);
    EXPECT_FALSE(fileExists(sim->linkPath()));
    sim->stop();
}

TEST_F(SimTest, EraseTakesItsTime) {
    sim->setEraseMs(150);
    ASSERT_EQ(host->transact(b(firmware::EnterCmd(Section::Program))), reply(firmware::kReplyEnter));
    const auto t0 = Clock::now();
    EXPECT_EQ(host->transact(b(firmware::EraseCmd(Section::Program))), reply(firmware::kReplyErase));
    EXPECT_GE(msSince(t0), 140);
}

TEST_F(SimTest, PacedLineRunsAtTheLineRate) {
    sim->setPaced(true);
    // Microseconds the bytes take on the wire at 115200 baud 8N1, rounded down.
    auto lineUs = [](size_t bytes) { return (long long)bytes * 1000000 / 11520; };
    long long line = 0, soonest = LLONG_MAX; // soonest: a reply's lead over its frame and itself crossing the line
    firmware::Exchange exchange = [&](const uint8_t* f, long long n, uint32_t timeoutMs, uint8_t* out) {
        const auto t = Clock::now();
        const Bytes r = host->transact(Bytes(f, f + n), 4, int(timeoutMs));
        const long long took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t).count();
        line += lineUs(size_t(n)) + lineUs(r.size());
        soonest = std::min(soonest, took - lineUs(size_t(n)) - lineUs(r.size()));
        std::copy(r.begin(), r.end(), out);
        return (long long)r.size();
    };
    const Bytes section = randomBytes(20000, 9);
    const auto t0 = Clock::now();
    ASSERT_TRUE(firmware::runPass(exchange, section.data(), uint32_t(section.size()),
                                  firmware::EnterCmd(Section::Program), firmware::EraseCmd(Section::Program),
                                  firmware::kProgramBase, 1, longTimeouts(), nullptr)
                    .ok);
    const long long took = msSince(t0);
    EXPECT_GE(soonest, 0);
    EXPECT_GE(took, line / 1000);
    EXPECT_LE(took, line / 1000 * 3 / 2 + 1000);
    EXPECT_EQ(sim->memory().at(firmware::kProgramBase), section);

    // A report comes off the line as it goes: its first bytes long before its last, half a second on.
    const std::string report(5760, 'x');
    const auto t1 = Clock::now();
    std::thread reporter([&] { sim->sendReport(report); });
    const Bytes first = host->receive(1, 2000);
    const long long firstMs = msSince(t1);
    const Bytes rest = host->receive(report.size() - 1, 3000);
    const long long lastMs = msSince(t1);
    reporter.join();
    EXPECT_EQ(first.size() + rest.size(), report.size());
    EXPECT_LT(firstMs, 250);
    EXPECT_GE(lastMs, 500);

    // A host that outruns the line is held back, as by a full driver buffer: in 300 ms it gets some kilobytes
    // ahead of the line, not the megabyte it offers.
    const int fd = ::open(sim->linkPath().c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const Bytes junk(4096, 0x55);
    size_t taken = 0;
    for (const auto t2 = Clock::now(); msSince(t2) < 300 && taken < (1u << 20);) {
        const ssize_t n = ::write(fd, junk.data(), junk.size());
        pollfd p{fd, POLLOUT, 0};
        if (n > 0)
            taken += size_t(n);
        else
            ::poll(&p, 1, 10);
    }
    ::close(fd);
    EXPECT_LT(taken, 256u * 1024);
}

} // namespace
