#include "DevicePort.h"
#include "KorvoUpdateSendProc.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "ScanToolSim.h"
#include "TempDir.h"
#include "frames.h"
#include "package.h"

#include <gtest/gtest.h>

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace firmware;
using Step = ScanToolSim::Step;
using Kind = ScanToolSim::FaultKind;
using Clock = std::chrono::steady_clock;

namespace {

struct Report {
    int status;
    float progress;
    QString path;
    Clock::time_point at;
};

Bytes pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(seed + i * 13 + (i >> 8));
    return b;
}

class Flasher : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SCANTOOL_SERIAL_DIR", devices.path().c_str(), 1);
        KorvoUpdateSendProc::Timing t;
        t.timeouts = {50, 300, 50, 300, 50};
        t.pauseAfterPassMs = 150;
        KorvoUpdateSendProc::setTiming(t);
        DevicePort::ExchangeTiming e;
        e.failedWritePauseMs = 10;
        DevicePort::sharedManager().setExchangeTiming(e);
        NotificationCenter::defaultCenter().addObserver(this, kUpdateDataPro, [this](const Notification& n) {
            const QVariantMap info = n.userInfo.value(kProInfoKey).toMap();
            std::lock_guard<std::mutex> lock(mutex);
            reports.push_back({info.value(kStatusKey).toInt(), info.value(kProcessKey).toFloat(),
                               info.value(kPathKey).toString(), Clock::now()});
        });
        ScanToolSim::Options o;
        o.deviceDir = devices.path();
        sim = std::make_unique<ScanToolSim>(o);
        ASSERT_TRUE(sim->start());
    }
    void TearDown() override {
        NotificationCenter::defaultCenter().removeObserver(this);
        DevicePort::sharedManager().closeSerialPort();
        DevicePort::sharedManager().setExchangeTiming({});
        KorvoUpdateSendProc::setTiming({});
        sim.reset();
        unsetenv("SCANTOOL_SERIAL_DIR");
    }

    std::string package(const SectionMap& map, const std::string& name = "QM82_V1.20_EN_20240105.bin") {
        return files.write(name, buildPackage(map));
    }
    int flash(const std::string& path) {
        DevicePort::sharedManager().openSerialPort();
        return KorvoUpdateSendProc::UpdateProcStrBin(QString::fromStdString(path));
    }
    std::vector<int> statuses() {
        std::vector<int> s;
        for (const Report& r : reports)
            s.push_back(r.status);
        return s;
    }
    // The command byte of every frame the tool received, block data as 0.
    std::vector<int> commands() {
        std::vector<int> c;
        for (const auto& f : sim->frames())
            c.push_back(f.size() >= 3 && f.size() <= 10 && f[0] == kFrameLead0 && f[1] == kFrameLead1 ? f[2] : 0);
        return c;
    }

    TempDir devices, files;
    std::unique_ptr<ScanToolSim> sim;
    std::mutex mutex;
    std::vector<Report> reports;
};

} // namespace

TEST_F(Flasher, ProgressOfAProgramSectionOfTwoFullBlocks) {
    const Bytes section = pattern(4096, 1);
    const std::string path = package({{1, section}});
    ASSERT_EQ(flash(path), 0);

    ASSERT_EQ(reports.size(), 5u);
    const std::vector<std::pair<int, float>> expected = {{1, 0.0f}, {1, 0.0f}, {1, 0.5f}, {1, 1.0f}, {2, 1.0f}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(reports[i].status, expected[i].first) << i;
        EXPECT_FLOAT_EQ(reports[i].progress, expected[i].second) << i;
        EXPECT_EQ(reports[i].path.toStdString(), path);
    }
    EXPECT_GE(reports[4].at - reports[3].at, std::chrono::milliseconds(150)); // the pause after the pass
    EXPECT_EQ(commands(), (std::vector<int>{0xC0, 0xC2, 0xC1, 0, 0xC1, 0, 0xC1, 0, 0xC3}));
    EXPECT_EQ(sim->frames()[6], (std::vector<uint8_t>{0xD1, 0xEE, 0xC1, 0x00, 0x50, 0x00, 0x08, 0x06, 0x00, 0xFF}));
    EXPECT_EQ(sim->memory().at(kProgramBase), section);
    EXPECT_TRUE(sim->violations().empty());
    EXPECT_TRUE(DevicePort::sharedManager().isOpenPort()); // the caller closes it after success
}

TEST_F(Flasher, EveryFlagFlashesItsSectionsByteForByte) {
    const Bytes program = pattern(5000, 3), data = pattern(2048 * 3 + 17, 9);
    ASSERT_EQ(flash(package({{1, program}}, "a_V1_EN_20240101.bin")), 0);
    EXPECT_EQ(sim->memory().at(kProgramBase), program);

    ASSERT_EQ(flash(package({{2, data}}, "b_V1_EN_20240101.bin")), 0);
    EXPECT_EQ(sim->memory().at(kDataBase), data);

    reports.clear();
    ASSERT_EQ(flash(package({{1, data}, {2, program}}, "c_V1_EN_20240101.bin")), 0);
    EXPECT_EQ(sim->memory().at(kProgramBase), data);
    EXPECT_EQ(sim->memory().at(kDataBase), program);
    EXPECT_TRUE(sim->violations().empty());
    float highest = 0;
    for (size_t i = 1; i + 1 < reports.size(); ++i) {
        EXPECT_GE(reports[i].progress, highest);
        highest = reports[i].progress;
    }
    EXPECT_LE(highest, 1.0f);
    EXPECT_EQ(statuses().back(), 2);
}

TEST_F(Flasher, SilenceAtEachStepFailsAndNothingFollows) {
    const struct {
        Step step;
        int command;
    } cases[] = {
        {Step::Enter, 0xC0}, {Step::Erase, 0xC2}, {Step::BlockHeader, 0xC1}, {Step::BlockData, 0}, {Step::End, 0xC3}};
    for (const auto& c : cases) {
        sim.reset();
        ScanToolSim::Options o;
        o.deviceDir = devices.path();
        sim = std::make_unique<ScanToolSim>(o);
        ASSERT_TRUE(sim->start());
        sim->addFault({c.step, Kind::Silent});
        reports.clear();
        EXPECT_EQ(flash(package({{1, pattern(100, 1)}})), -1);
        EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
        const std::vector<int> cmds = commands();
        ASSERT_GE(cmds.size(), 3u);
        // The failing frame was tried three times and was the last thing sent.
        EXPECT_EQ(std::vector<int>(cmds.end() - 3, cmds.end()), std::vector<int>(3, c.command));
        EXPECT_EQ(statuses().back(), -1);
        for (int s : statuses())
            EXPECT_NE(s, 2);
    }
}

TEST_F(Flasher, DeviceErrorToTheEraseReportsFailureTwice) {
    sim->addFault({Step::Erase, Kind::DeviceError, -1, -1, 0xE1});
    EXPECT_EQ(flash(package({{1, pattern(3000, 1)}})), -1);
    EXPECT_EQ(statuses(), (std::vector<int>{1, -1, -1}));
    EXPECT_EQ(commands(), (std::vector<int>{0xC0, 0xC2}));
    EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
}

TEST_F(Flasher, ShortVanishedAndSplitReplies) {
    sim->addFault({Step::BlockHeader, Kind::ShortReply, 1, 1, 0xE1, 2});
    EXPECT_EQ(flash(package({{1, pattern(5000, 1)}})), -1);
    EXPECT_EQ(statuses().back(), -1);

    reports.clear();
    sim->clearFaults();
    sim->addFault({Step::BlockData, Kind::SplitReply});
    ASSERT_EQ(flash(package({{1, pattern(5000, 2)}})), 0); // a reply in pieces is gathered
    EXPECT_EQ(sim->memory().at(kProgramBase), pattern(5000, 2));

    reports.clear();
    sim->clearFaults();
    sim->addFault({Step::BlockHeader, Kind::Vanish, 5});
    const auto t0 = Clock::now();
    EXPECT_EQ(flash(package({{1, pattern(20000, 3)}})), -1);
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(3));
    EXPECT_EQ(statuses().back(), -1);
    for (int s : statuses())
        EXPECT_NE(s, 2);
    EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
}

namespace {
// What a line holds that nobody reads, taken in frames of frameLength bytes.
size_t bytesALineHolds(size_t frameLength) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return 0;
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    fcntl(slave, F_SETFL, fcntl(slave, F_GETFL) | O_NONBLOCK);
    const Bytes frame(frameLength, 0x55);
    size_t held = 0;
    for (ssize_t n; (n = ::write(slave, frame.data(), frame.size())) > 0;)
        held += size_t(n);
    close(slave);
    close(master);
    return held;
}
} // namespace

// The tool stops reading in the middle of a block frame, a hung tool: the repeats of the frame fill the line until a
// write comes back short. The frame is not taken for sent, the log tells how much of it went, and the flash fails
// within its time-outs with the port closed.
TEST_F(Flasher, AToolThatStopsReadingMidFrameFailsTheFlashWithinItsTimeouts) {
    constexpr size_t kFrame = kBlockSize + 6;
    ScanToolSim::Fault stop{Step::BlockHeader, Kind::StopReading, 1, 1};
    stop.readBytes = 1000;
    sim->addFault(stop);
    DevicePort::ExchangeTiming e = DevicePort::sharedManager().exchangeTiming();
    e.attempts = int((bytesALineHolds(kFrame) + size_t(stop.readBytes)) / kFrame) + 2;
    e.writeLimitMs = 200;
    DevicePort::sharedManager().setExchangeTiming(e);
    std::vector<std::string> log;
    std::mutex logMutex;
    const syslogline::Sink previous = syslogline::setSink([&](const std::string& line) {
        std::lock_guard<std::mutex> lock(logMutex);
        log.push_back(line);
    });
    const auto t0 = Clock::now();
    EXPECT_EQ(flash(package({{1, pattern(5000, 4)}})), -1);
    const auto elapsed = Clock::now() - t0;
    syslogline::setSink(previous);
    // Each attempt takes at most the write limit and the reply time-out; the bound leaves room for a busy machine.
    EXPECT_LT(elapsed, std::chrono::milliseconds(e.attempts * (e.writeLimitMs + 300) + 10000));
    EXPECT_EQ(statuses().back(), -1);
    for (int s : statuses())
        EXPECT_NE(s, 2);
    EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
    EXPECT_EQ(commands(), (std::vector<int>{0xC0, 0xC2, 0xC1, 0, 0xC1})) << "block 1's data never arrived whole";
    // "took only N of 2054 bytes", with N neither none nor all of the frame.
    const std::string took = "took only ", of = " of " + std::to_string(kFrame) + " bytes";
    bool told = false;
    for (const std::string& line : log) {
        const size_t at = line.find(took), end = line.find(of);
        size_t sent = 0;
        if (at != std::string::npos && end != std::string::npos)
            std::from_chars(line.data() + at + took.size(), line.data() + end, sent);
        told = told || (sent > 0 && sent < kFrame);
    }
    EXPECT_TRUE(told) << "no log line says that the frame went only in part";
}

TEST_F(Flasher, DamagedPackagesAreRefusedBeforeAnythingIsSent) {
    Bytes plain = buildPackage({{1, pattern(500, 1)}});
    scramble(plain);
    Bytes offByOne = plain;
    offByOne[offByOne.size() - 4] += 1;
    Bytes longLength = plain;
    longLength[13] = 0x10; // section length beyond the file
    const Bytes truncated(plain.begin(), plain.begin() + 13);
    for (Bytes damaged : {offByOne, longLength, truncated}) {
        scramble(damaged);
        reports.clear();
        EXPECT_EQ(flash(files.write("bad_V1_EN_20240101.bin", damaged)), -1);
        EXPECT_EQ(statuses(), (std::vector<int>{1, -1}));
    }
    reports.clear();
    EXPECT_EQ(flash(files.file("missing.bin")), -1);
    EXPECT_EQ(statuses(), (std::vector<int>{1, -1}));
    EXPECT_TRUE(sim->frames().empty());
}
