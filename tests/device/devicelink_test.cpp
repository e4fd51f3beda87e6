#include "DevicePort.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "PtyPeer.h"
#include "TempDir.h"
#include "frames.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <termios.h>
#include <thread>

using V = std::vector<uint8_t>;

namespace {

bool spinUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

double threadCpuMs() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

class DeviceLink : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SCANTOOL_SERIAL_DIR", dir.path().c_str(), 1);
        DevicePort::ExchangeTiming t;
        t.failedWritePauseMs = 10;
        t.emptyFramePauseMs = 10;
        port().setExchangeTiming(t);
        previousSink = syslogline::setSink([this](const std::string& l) { logged.push_back(l); });
    }
    void TearDown() override {
        port().endExclusive();
        port().clearAbort();
        port().closeSerialPort();
        port().setExchangeTiming({});
        NotificationCenter::defaultCenter().removeObserver(this);
        syslogline::setSink(previousSink);
        unsetenv("SCANTOOL_SERIAL_DIR");
    }
    static DevicePort& port() { return DevicePort::sharedManager(); }
    long long exchange(const V& frame, unsigned timeoutMs, uint8_t* reply) {
        return port().mySendData(frame.data(), (long long)frame.size(), timeoutMs, reply);
    }

    TempDir dir;
    std::vector<std::string> logged;
    syslogline::Sink previousSink;
    uint8_t reply[firmware::kReplyBufferSize];
};

const firmware::Frame9 kEnterFrame = firmware::EnterCmd(firmware::Section::Program);
const V kEnter(kEnterFrame.begin(), kEnterFrame.end());

} // namespace

TEST_F(DeviceLink, OpensTheFirstUsbDeviceOrStaysClosed) {
    port().openSerialPort();
    EXPECT_FALSE(port().isOpenPort());
    EXPECT_TRUE(port().portDevices().isEmpty());
    EXPECT_TRUE(port().devicePath().isEmpty());

    PtyPeer second(dir.path(), "usb-B_Virtual_COM_Port-if00");
    PtyPeer first(dir.path(), "usb-A_Virtual_COM_Port-if00");
    PtyPeer other(dir.path(), "pci-Other-if00");
    port().openSerialPort();
    ASSERT_TRUE(port().isOpenPort());
    EXPECT_NE(port().fileHandle(), nullptr);
    EXPECT_EQ(port().portDevices().size(), 2);
    EXPECT_EQ(port().devicePath().toStdString(), first.link());

    port().closeSerialPort();
    port().closeSerialPort();
    EXPECT_FALSE(port().isOpenPort());
    EXPECT_EQ(port().fileHandle(), nullptr);
    // The reopen takes the remembered device and arms no reader.
    port().retryOpenSerialPort();
    ASSERT_TRUE(port().isOpenPort());
    EXPECT_EQ(port().fileHandle(), nullptr);
    int posted = 0;
    NotificationCenter::defaultCenter().addObserver(this, kDidGetReceiveData, [&](const Notification&) { ++posted; });
    port().readData(kDidGetReceiveData);
    first.send({'x'});
    spinUntil([] { return false; }, 100);
    EXPECT_EQ(posted, 0);
}

TEST_F(DeviceLink, ClosedPortLogsAndStillTakesTheName) {
    EXPECT_EQ(port().sendData("abc"), -1);
    port().readData("didGetPrintData");
    EXPECT_EQ(port().postName().toStdString(), "didGetPrintData");
    EXPECT_EQ(logged, (std::vector<std::string>{kSerialPortNotOpen, kSerialPortNotOpen}));
    EXPECT_EQ(exchange(kEnter, 50, reply), -1);
}

TEST_F(DeviceLink, BackgroundReadPostsUnderTheNameInForce) {
    PtyPeer tool(dir.path());
    port().openSerialPort();
    QByteArray got;
    QString gotName;
    bool onGuiThread = false;
    auto& centre = NotificationCenter::defaultCenter();
    for (const char* name : {kDidGetReceiveData, kDidGetPrintData})
        centre.addObserver(this, name, [&](const Notification& n) {
            got = n.userInfo.value(kReceiveDataKey).toByteArray();
            gotName = n.name;
            onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
    ASSERT_EQ(port().sendData(QByteArray("\xD1\xEE\xC9", 3)), 1);
    EXPECT_EQ(tool.readFrame(500), (V{0xD1, 0xEE, 0xC9}));
    port().readData(kDidGetReceiveData);
    port().readData(kDidGetPrintData); // replaces the name of the pending read
    // The reply comes in two pieces; it is handed on whole.
    tool.send({'T', 'E', 'N', 'V'});
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    tool.send({'O', 'R', '-', 'Q', 'M', '8', '2'});
    ASSERT_TRUE(spinUntil([&] { return !got.isEmpty(); }, 2000));
    EXPECT_EQ(got, QByteArray("TENVOR-QM82"));
    EXPECT_EQ(gotName, QString(kDidGetPrintData));
    EXPECT_TRUE(onGuiThread);
}

// A read for the report takes all the text waiting on the line, not one reply's worth, so a tool that sends at
// line rate, read once a second, loses nothing.
TEST_F(DeviceLink, AReportReadTakesAllTheTextWaiting) {
    PtyPeer tool(dir.path());
    port().openSerialPort();
    QList<QByteArray> reads;
    NotificationCenter::defaultCenter().addObserver(this, kDidGetPrintData, [&](const Notification& n) {
        reads << n.userInfo.value(kReceiveDataKey).toByteArray();
    });
    QByteArray report;
    for (int i = 0; report.size() < 10000; ++i) // more than a reply's worth, less than the pty holds
        report += "Line " + QByteArray::number(i) + ": P0301 Cylinder 1 Misfire Detected\r\n";
    constexpr int kPiece = 4096;
    for (int at = 0; at < report.size(); at += kPiece)
        tool.send(V(report.begin() + at, report.begin() + std::min(report.size(), at + kPiece)));
    port().readData(kDidGetPrintData);
    ASSERT_TRUE(spinUntil([&] { return !reads.isEmpty(); }, 2000));
    ASSERT_EQ(reads.size(), 1);
    EXPECT_EQ(reads.first().size(), report.size());
    EXPECT_EQ(reads.first(), report);
}

TEST_F(DeviceLink, AFlashTakesThePortFromAPendingRead) {
    PtyPeer tool(dir.path());
    port().openSerialPort();
    int posted = 0;
    NotificationCenter::defaultCenter().addObserver(this, kDidGetPrintData, [&](const Notification&) { ++posted; });
    port().readData(kDidGetPrintData);
    port().beginExclusive();
    port().readData(kDidGetPrintData); // arms nothing during a flash

    auto answer = std::async(std::launch::async, [&] {
        const V frame = tool.readFrame(1000);
        tool.send({0xD1, 0xEE, 0x81, 0xFF});
        return frame;
    });
    EXPECT_EQ(exchange(kEnter, 1000, reply), 4);
    EXPECT_EQ(answer.get(), kEnter);
    EXPECT_EQ(reply[2], 0x81);
    spinUntil([] { return false; }, 50);
    EXPECT_EQ(posted, 0);
}

TEST_F(DeviceLink, SilenceIsTriedThreeTimesWithoutSpinning) {
    PtyPeer tool(dir.path());
    port().openSerialPort();
    port().beginExclusive();
    const auto start = std::chrono::steady_clock::now();
    const double cpu0 = threadCpuMs();
    EXPECT_EQ(exchange(kEnter, 300, reply), -1);
    const double cpu = threadCpuMs() - cpu0;
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 900);
    EXPECT_LT(ms, 2500);
    EXPECT_LT(cpu, 45.0) << "the reply wait must block, not poll in a loop";
    EXPECT_EQ(tool.readFrame(100).size(), 3 * kEnter.size()); // written three times
}

TEST_F(DeviceLink, RepliesAreJudgedAsTheToolSendsThem) {
    PtyPeer tool(dir.path());
    port().openSerialPort();
    port().beginExclusive();
    auto replyWith = [&](std::vector<V> pieces) {
        return std::async(std::launch::async, [&tool, pieces] {
            V all = tool.readFrame(1000);
            for (const V& p : pieces) {
                tool.send(p);
                std::this_thread::sleep_for(std::chrono::milliseconds(15));
            }
            all = tool.readFrame(150); // anything the host sent again
            return all;
        });
    };

    auto err = replyWith({{0xD1, 0xEE, 0xE5, 0xFF}});
    EXPECT_EQ(exchange(kEnter, 100, reply), -1); // a device error ends at once
    EXPECT_TRUE(err.get().empty());

    for (const V& shortReply : {V{0xD1}, V{0xD1, 0xEE}}) {
        auto s = replyWith({shortReply});
        EXPECT_EQ(exchange(kEnter, 100, reply), (long long)shortReply.size());
        EXPECT_TRUE(s.get().empty()); // a short reply is not retried; the caller fails the step
    }

    auto split = replyWith({{0xD1, 0xEE}, {0x81, 0xFF}});
    EXPECT_EQ(exchange(kEnter, 500, reply), 4);
    EXPECT_EQ(reply[2], 0x81);
    split.get();
}

TEST_F(DeviceLink, EmptyFrameAndVanishedDevice) {
    PtyPeer tool(dir.path());
    port().openSerialPort();
    port().beginExclusive();
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(port().mySendData(kEnter.data(), 0, 100, reply), -1);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(30)); // three pauses

    tool.vanish();
    const auto t1 = std::chrono::steady_clock::now();
    EXPECT_EQ(exchange(kEnter, 100, reply), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - t1, std::chrono::seconds(2)) << "a gone device fails at once";
}

TEST_F(DeviceLink, AbortEndsALongWait) {
    PtyPeer tool(dir.path());
    port().openSerialPort();
    port().beginExclusive();
    auto aborter = std::async(std::launch::async, [] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        DevicePort::sharedManager().abortExchange();
    });
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(exchange(kEnter, 50000, reply), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
    aborter.get();
    port().beginExclusive();
    EXPECT_EQ(exchange(kEnter, 50, reply), -1); // stays aborted until cleared, whoever takes the port
    tool.readFrame(50);                         // what the aborted exchange wrote
    port().clearAbort();
    auto answer = std::async(std::launch::async, [&] {
        tool.readFrame(1000);
        tool.send({0xD1, 0xEE, 0x81});
    });
    EXPECT_EQ(exchange(kEnter, 1000, reply), 3);
    answer.get();
}

TEST_F(DeviceLink, OneWriteExchangeNeverSendsPastTheFrame) {
    PtyPeer tool(dir.path());
    port().openSerialPort();
    port().beginExclusive();
    // Frames a little larger than the line's buffer, so a write is cut short while the tool keeps reading.
    constexpr size_t kShortest = 12000, kStep = 500, kSizes = 25;
    auto byteAt = [](size_t i) { return i == 0 ? uint8_t(0xD1) : uint8_t(i % 200); }; // 0xD1 marks a frame's start
    std::atomic<bool> stop{false};
    auto reader = std::async(std::launch::async, [&] {
        V got;
        while (!stop) {
            const V piece = tool.readNow();
            got.insert(got.end(), piece.begin(), piece.end());
        }
        return got;
    });
    for (size_t i = 0; i < 300; ++i) {
        V frame(kShortest + kStep * (i % kSizes));
        for (size_t k = 0; k < frame.size(); ++k)
            frame[k] = byteAt(k);
        port().shortSendData(frame.data(), (long long)frame.size(), 1, reply);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop = true;
    const V got = reader.get();
    ASSERT_FALSE(got.empty());
    size_t at = 0;
    for (size_t k = 0; k < got.size(); ++k) {
        at = got[k] == 0xD1 ? 0 : at + 1;
        ASSERT_LT(at, kShortest + kStep * kSizes) << "byte " << k << " lies beyond the frame";
        ASSERT_EQ(got[k], byteAt(at)) << "byte " << k << " is not the frame's";
    }
}

TEST_F(DeviceLink, LineIsSetUpRawAt115200LeavingStopBitsAndFlowControl) {
    PtyPeer tool(dir.path());
    {
        // A line left cooked, slow, with two stop bits and hardware flow control by an earlier program.
        const int fd = ::open(tool.link().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        termios t{};
        ASSERT_EQ(tcgetattr(fd, &t), 0);
        t.c_lflag |= ICANON | ECHO;
        t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
        t.c_cflag &= ~(CLOCAL | CREAD);
        cfsetspeed(&t, B9600);
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0);
        ::close(fd);
    }
    port().openSerialPort();
    ASSERT_TRUE(port().isOpenPort());
    const int fd = port().serialFileDescriptor();
    EXPECT_TRUE(fcntl(fd, F_GETFL) & O_NONBLOCK);
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), speed_t(B115200));
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB), tcflag_t(CS8));
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(t.c_cflag & (CSTOPB | CRTSCTS), tcflag_t(CSTOPB | CRTSCTS));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 10);
}

TEST_F(DeviceLink, NothingIsPostedForAPortThatHasBeenClosed) {
    PtyPeer tool(dir.path());
    port().openSerialPort();
    int posted = 0;
    NotificationCenter::defaultCenter().addObserver(this, kDidGetReceiveData, [&](const Notification&) { ++posted; });
    port().readData(kDidGetReceiveData);
    // The tool answers and is unplugged while its reply is still being gathered: the reply belongs to a tool that
    // is gone, as the read does once its port is closed.
    tool.send({'T', 'E', 'N', 'V', 'O', 'R', '-', 'Q', 'M', '8', '2'});
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    port().closeSerialPort();
    spinUntil([] { return false; }, 150);
    EXPECT_EQ(posted, 0);

    // A read whose completion is already queued when the port closes is not delivered either.
    port().openSerialPort();
    port().readData(kDidGetReceiveData);
    tool.send({'T', 'E', 'N', 'V', 'O', 'R', '-', 'Q', 'M', '8', '2'});
    std::this_thread::sleep_for(std::chrono::milliseconds(150)); // read, gathered and queued, not yet delivered
    port().closeSerialPort();
    spinUntil([] { return false; }, 100);
    EXPECT_EQ(posted, 0);

    port().openSerialPort();
    port().readData(kDidGetReceiveData);
    tool.send({'T', 'E', 'N', 'V', 'O', 'R', '-', 'Q', 'M', '8', '2'});
    EXPECT_TRUE(spinUntil([&] { return posted == 1; }, 1000)); // an open port still delivers
}
