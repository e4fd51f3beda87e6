// SerialPort against the simulated tool: the probe's attempts, device errors, split replies, the reply clock at
// the real line rate, and exclusive use of the port between programs.
#include "Fixture.h"

#include "FlashWorker.h"
#include "SerialPort.h"
#include "frames.h"
#include "serial.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

namespace {
long probe(SerialPort& port, uint8_t* reply) {
    return port.Query(firmware::ProbeCmd.data(), 3, 100, reply);
}
// Enter, erase and the header of a whole first block, each answered.
void startBlock(SerialPort& port, uint8_t* reply) {
    ASSERT_GT(port.Query(firmware::EnterCmd(firmware::Section::Data).data(), 9, 100, reply), 2);
    ASSERT_GT(port.Query(firmware::EraseCmd(firmware::Section::Data).data(), 9, 100, reply), 2);
    const auto header = firmware::BlockHeaderCmd(0, firmware::kBlockSize);
    ASSERT_EQ(port.Query(header.data(), long(header.size()), 100, reply), 4);
}
} // namespace

TEST(PluvoSerialPort, ProbeAnswersAttemptsAndDeviceErrors) {
    TempDir dir;
    auto sim = startSim(dir.path(), "QM64");
    ASSERT_TRUE(sim);
    SerialPort port;
    ASSERT_EQ(port.Open(sim->linkPath()), 1);
    EXPECT_EQ(port.Open(sim->linkPath()), 1) << "already open";
    uint8_t reply[SerialPort::kReplyBufferSize];

    const long n = probe(port, reply);
    EXPECT_EQ(ParseIdentReply(reply, n), "QM64");
    EXPECT_EQ(sim->probes(), 1);

    // A silent tool is asked three times, then the exchange gives 0.
    sim->addFault({ScanToolSim::Step::Probe, ScanToolSim::FaultKind::Silent, -1, 3});
    EXPECT_EQ(probe(port, reply), 0);
    EXPECT_EQ(sim->probes(), 4);

    // A device error ends the exchange at once, without another attempt.
    sim->clearFaults();
    sim->addFault({ScanToolSim::Step::Probe, ScanToolSim::FaultKind::DeviceError, -1, 1, 0xE3});
    EXPECT_EQ(probe(port, reply), -1);
    EXPECT_EQ(sim->probes(), 5);

    // A reply in two pieces is read whole.
    sim->clearFaults();
    sim->addFault({ScanToolSim::Step::Probe, ScanToolSim::FaultKind::SplitReply, -1, 1, 0xE1, 2, 30});
    const long split = probe(port, reply);
    EXPECT_EQ(ParseIdentReply(reply, split), "QM64");
}

TEST(PluvoSerialPort, IdentReplyRules) {
    const uint8_t withNul[] = "TENVOR-QM64\0garbage";
    EXPECT_EQ(ParseIdentReply(withNul, sizeof withNul - 1), "QM64");
    const uint8_t eight[] = "TENVOR-Q";
    EXPECT_EQ(ParseIdentReply(eight, 8), "") << "a reply of exactly 8 bytes is no identification";
    const uint8_t other[] = "OTHER-QM64";
    EXPECT_EQ(ParseIdentReply(other, 10), "");
    const uint8_t unsafe[] = "TENVOR-Q=M\r\n[6]4";
    EXPECT_EQ(ParseIdentReply(unsafe, sizeof unsafe - 1), "QM64") << "the id becomes a pluvo.cfg key";
    // The scan is bounded by the count, not by a zero byte somewhere past it.
    uint8_t full[SerialPort::kReplyBufferSize];
    std::memset(full, 'A', sizeof full);
    std::memcpy(full, "TENVOR-", 7);
    EXPECT_EQ(ParseIdentReply(full, 20), QString(13, QLatin1Char('A')));
    EXPECT_EQ(ParseIdentReply(full, sizeof full).size(), 260);
}

TEST(PluvoSerialPort, ReplyClockCountsTheFrameLineTime) {
    EXPECT_EQ(SerialPort::lineTimeMs(2054), 179u);
    TempDir dir;
    auto sim = startSim(dir.path(), "QM82", true);
    ASSERT_TRUE(sim);
    SerialPort port;
    ASSERT_EQ(port.Open(sim->linkPath()), 1);
    uint8_t reply[SerialPort::kReplyBufferSize];
    ASSERT_NO_FATAL_FAILURE(startBlock(port, reply));
    const firmware::Bytes payload = randomBytes(firmware::kBlockSize, 7);
    const auto data = firmware::blockDataFrame(payload.data(), firmware::kBlockSize, 0);
    // 2054 bytes take 178 ms on the wire: a 100 ms window from write() would fail and send the block again.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Query(data.data(), long(data.size()), 100, reply), 4);
    EXPECT_EQ(reply[2], firmware::kReplyBlockData);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(170));
    EXPECT_TRUE(sim->violations().empty());
}

TEST(PluvoSerialPort, ThePortIsUsedByOneProgramAtATime) {
    TempDir dir;
    auto sim = startSim(dir.path(), "QM82");
    ASSERT_TRUE(sim);
    {
        SerialPort pluvo;
        ASSERT_EQ(pluvo.Open(sim->linkPath()), 1);
        // The desktop program opens through the same platform call.
        errno = 0;
        EXPECT_EQ(serial::openDevice(sim->linkPath()), -1);
        EXPECT_EQ(errno, EBUSY);
        SerialPort second;
        EXPECT_EQ(second.Open(sim->linkPath()), 0);
        EXPECT_EQ(second.lastOpenError(), EBUSY);
    }
    const int desktop = serial::openDevice(sim->linkPath());
    ASSERT_GE(desktop, 0);
    SerialPort pluvo;
    EXPECT_EQ(pluvo.Open(sim->linkPath()), 0);
    serial::closeDevice(desktop);
    EXPECT_EQ(pluvo.Open(sim->linkPath()), 1);
    pluvo.Close();

    // A lease keeps the port while it is closed between passes; its holder can still open it.
    const int lease = serial::acquireLease(sim->linkPath());
    ASSERT_GE(lease, 0);
    EXPECT_EQ(serial::openDevice(sim->linkPath()), -1);
    EXPECT_EQ(pluvo.Open(sim->linkPath(), lease), 1);
    pluvo.Close();
    serial::releaseLease(lease);
}

TEST(PluvoSerialPort, AWakeEndsTheWaitAtOnce) {
    TempDir dir;
    auto sim = startSim(dir.path(), "QM82");
    ASSERT_TRUE(sim);
    sim->addFault({ScanToolSim::Step::Erase, ScanToolSim::FaultKind::Silent});
    FlashControl control;
    SerialPort port;
    port.setWakeFd(control.wakeFd());
    ASSERT_EQ(port.Open(sim->linkPath()), 1);
    uint8_t reply[SerialPort::kReplyBufferSize];
    ASSERT_GT(port.Query(firmware::EnterCmd(firmware::Section::Data).data(), 9, 100, reply), 2);
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        control.stop();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Query(firmware::EraseCmd(firmware::Section::Data).data(), 9, 50000, reply), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    waker.join();
}

// A tool that hangs mid-frame stops taking bytes: the block goes unanswered, and once the line is full a frame
// that cannot go out whole is not written at all, however much of it the driver took.
TEST(PluvoSerialPort, AToolThatStopsReadingMidFrameGetsNoPartOfAFrameCountedAsSent) {
    TempDir dir;
    auto sim = startSim(dir.path(), "QM82");
    ASSERT_TRUE(sim);
    ScanToolSim::Fault hang{ScanToolSim::Step::BlockHeader, ScanToolSim::FaultKind::StopReading};
    hang.readBytes = 1000; // of the 2054 of the block that follows
    sim->addFault(hang);
    SerialPort port;
    ASSERT_EQ(port.Open(sim->linkPath()), 1);
    uint8_t reply[SerialPort::kReplyBufferSize];
    ASSERT_NO_FATAL_FAILURE(startBlock(port, reply));
    const firmware::Bytes payload = randomBytes(firmware::kBlockSize, 8);
    const auto data = firmware::blockDataFrame(payload.data(), firmware::kBlockSize, 0);
    EXPECT_LE(port.Query(data.data(), long(data.size()), 100, reply), 0);
    // More frames than any pseudo-terminal holds: each is written whole until one cannot be.
    constexpr int kMoreThanTheLineHolds = 64;
    long last = 0;
    for (int i = 0; i < kMoreThanTheLineHolds && last >= 0; ++i) {
        last = port.Write(data.data(), long(data.size()));
        ASSERT_TRUE(last == long(data.size()) || last == -1) << "frame " << i << ": " << last << " bytes";
    }
    EXPECT_EQ(last, -1);
}

TEST(PluvoSerialPort, AReplyNeverRunsPastTheCallersBuffer) {
    TempDir dir;
    auto sim = startSim(dir.path(), "QM64-LONG-MODEL-NAME");
    ASSERT_TRUE(sim);
    SerialPort port;
    ASSERT_EQ(port.Open(sim->linkPath()), 1);
    // runPass hands a smaller buffer than a Read could fill: the rest of the reply stays out of it.
    uint8_t buffer[16 + 8];
    std::memset(buffer, 0xAB, sizeof buffer);
    EXPECT_EQ(port.Query(firmware::ProbeCmd.data(), 3, 100, buffer, 16), 16);
    for (size_t i = 16; i < sizeof buffer; ++i)
        EXPECT_EQ(buffer[i], 0xAB) << i;
}
