// Flashes a 1 MiB program section into the simulated scan tool, unpaced and at the real line rate, and measures
// the CPU that the flashing side spends while the tool takes 10 s to erase, against a busy-polling reply wait.
// At the line rate it gives the whole call's efficiency and the data phase's (first data frame to the end reply,
// framed bytes both ways at the line rate over the time taken), each beside the ceiling that the framing and the
// pauses allow; the data phase also against a bare write-and-wait loop over the same line, run alongside.
#include "DevicePort.h"
#include "KorvoUpdateSendProc.h"
#include "frames.h"
#include "package.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
constexpr uint32_t kPayload = 1024 * 1024;
constexpr uint32_t kBaselinePayload = 256 * 1024; // enough blocks for a steady figure, a quarter of the time
constexpr double kLineBytesPerSecond = 11520.0;   // 115200 baud, 8N1
constexpr int kSlowEraseMs = 10000;
// Frame lengths: enter and erase, block header, end, every reply.
constexpr uint32_t kSetupFrame = 9, kHeaderFrame = 10, kEndFrame = 4, kReply = 4;
// How the simulated tool names the first data frame and the end frame in its event lines.
constexpr char kFirstDataEvent[] = "scantool-sim: block data #0 received";
constexpr char kEndEvent[] = "scantool-sim: end #";

double lineSeconds(double bytes) {
    return bytes / kLineBytesPerSecond;
}

// Line bytes (frames and replies, both ways) and reply pauses of one pass over a section.
struct PassShape {
    double allBytes = 0;  // the whole pass
    int allPauses = 0;    // one after each reply
    double dataBytes = 0; // after the first data frame's last byte up to the end reply's
    int dataPauses = 0;
};

PassShape passShape(uint32_t payload) {
    const uint32_t blocks = payload / firmware::kBlockSize + 1; // the last one short, or empty
    const double dataFrames = double(payload) + double(firmware::kBlockOverhead) * blocks;
    PassShape s;
    s.allBytes =
        2.0 * (kSetupFrame + kReply) + blocks * (kHeaderFrame + 2.0 * kReply) + dataFrames + kEndFrame + kReply;
    s.allPauses = 2 + 2 * int(blocks) + 1;
    const double firstData = std::min(payload, firmware::kBlockSize) + double(firmware::kBlockOverhead);
    s.dataBytes = s.allBytes - 2.0 * (kSetupFrame + kReply) - (kHeaderFrame + kReply) - firstData;
    s.dataPauses = 1 + 2 * int(blocks - 1); // none after the end reply, which closes the phase
    return s;
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// The simulated tool in a process of its own, so its CPU is not the flashing side's. Watched, its event lines are
// read as they come, and the times the tool had the first data frame and the last end frame are kept.
struct Sim {
    pid_t pid = -1;
    int log = -1;
    std::thread reader;
    std::atomic<int64_t> firstDataNs{0}, endNs{0};

    Sim(const std::string& exe, const std::string& dir, std::vector<std::string> extra, bool watch = false) {
        std::vector<std::string> args = {exe, "--dir", dir};
        if (!watch) args.push_back("--quiet");
        args.insert(args.end(), extra.begin(), extra.end());
        int fds[2] = {-1, -1};
        if (watch && pipe(fds) != 0) std::perror("pipe");
        pid = fork();
        if (pid == 0) {
            if (fds[1] >= 0) {
                dup2(fds[1], STDOUT_FILENO);
                ::close(fds[0]);
                ::close(fds[1]);
            }
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        if (fds[1] >= 0) {
            ::close(fds[1]);
            log = fds[0];
            reader = std::thread([this] { readLog(); });
        }
        for (int i = 0; i < 100 && fs::is_empty(dir); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~Sim() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        if (reader.joinable()) reader.join(); // ends at the end of the pipe
        if (log >= 0) ::close(log);
    }
    void readLog() {
        std::string line;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(log, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            const int64_t at = nowNs();
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] != '\n') {
                    line += buf[i];
                    continue;
                }
                if (line.rfind(kFirstDataEvent, 0) == 0 && firstDataNs == 0) firstDataNs = at;
                if (line.rfind(kEndEvent, 0) == 0 && line.find(" received") != std::string::npos) endNs = at;
                line.clear();
            }
        }
    }
    // Seconds from the tool having the first data frame to the end reply being through, 0 if either was not seen.
    double dataPhaseSeconds() const {
        // The tool logs the end frame before it answers; the line may still be on its way here.
        for (int i = 0; i < 100 && endNs == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (firstDataNs == 0 || endNs == 0) return 0;
        return (endNs - firstDataNs) / 1e9 + lineSeconds(kReply);
    }
};

std::string linkIn(const std::string& dir) {
    for (const auto& e : fs::directory_iterator(dir))
        return e.path().string();
    return {};
}

// A pass as a bare loop: write the frame, wait for its reply, pause as the protocol asks; nothing else.
bool barePass(const std::string& devicePath, const firmware::Bytes& section, int replyPauseMs) {
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B115200);
    tcsetattr(fd, TCSANOW, &tio);
    const firmware::Exchange exchange = [&](const uint8_t* f, long long n, uint32_t timeoutMs, uint8_t* reply) {
        for (long long done = 0; done < n;) {
            const ssize_t w = ::write(fd, f + done, size_t(n - done));
            pollfd p{fd, POLLOUT, 0};
            if (w > 0)
                done += w;
            else if (errno != EAGAIN || ::poll(&p, 1, int(timeoutMs)) <= 0)
                return -1LL;
        }
        long long got = 0;
        while (got < kReply) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, int(timeoutMs)) <= 0) return -1LL;
            const ssize_t r = ::read(fd, reply + got, size_t(firmware::kMaxReplyLength - got));
            if (r > 0) got += r;
        }
        ::poll(nullptr, 0, replyPauseMs);
        return got;
    };
    const auto s = firmware::Section::Program;
    const bool ok = firmware::runPass(exchange, section.data(), uint32_t(section.size()), firmware::EnterCmd(s),
                                      firmware::EraseCmd(s), firmware::sectionBase(s), 1, {}, nullptr)
                        .ok;
    ::close(fd);
    return ok;
}

struct Run {
    double wall = 0, cpu = 0;
    bool ok = false;
};

Run flashOnce(const std::string& package) {
    DevicePort& port = DevicePort::sharedManager();
    port.openSerialPort();
    Run r;
    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    r.ok = KorvoUpdateSendProc::UpdateProcStrBin(QString::fromStdString(package)) == 0;
    r.wall = std::chrono::duration<double>(Clock::now() - t0).count();
    r.cpu = cpuSeconds() - cpu0;
    port.closeSerialPort();
    return r;
}

// The reply wait as a tight loop over a non-blocking read, for comparison.
double busyWaitCpu(const std::string& devicePath, int eraseMs) {
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    const auto enter = firmware::EnterCmd(firmware::Section::Program);
    const auto erase = firmware::EraseCmd(firmware::Section::Program);
    uint8_t reply[8];
    auto exchange = [&](const uint8_t* f, size_t n, int timeoutMs) {
        (void)!::write(fd, f, n);
        const auto t0 = Clock::now();
        while (Clock::now() - t0 < std::chrono::milliseconds(timeoutMs))
            if (::read(fd, reply, sizeof reply) > 0) return true;
        return false;
    };
    exchange(enter.data(), enter.size(), 100);
    const double cpu0 = cpuSeconds();
    exchange(erase.data(), erase.size(), eraseMs + 5000);
    const double cpu = cpuSeconds() - cpu0;
    ::close(fd);
    return cpu;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: flash_bench PATH/TO/scantool-sim\n");
        return 2;
    }
    const std::string simExe = argv[1];
    const fs::path work = fs::temp_directory_path() / ("flash-bench-" + std::to_string(getpid()));
    fs::create_directories(work / "dev");
    const std::string dev = (work / "dev").string();
    setenv("SCANTOOL_SERIAL_DIR", dev.c_str(), 1);

    firmware::Bytes section(kPayload);
    for (size_t i = 0; i < section.size(); ++i)
        section[i] = uint8_t(i * 31 + (i >> 11));
    const std::string big = (work / "QM82_V9.99_EN_20240101.bin").string();
    firmware::writeFileAtomically(big, firmware::buildPackage({{1, section}}));
    const std::string small = (work / "QM82_V0.01_EN_20240101.bin").string();
    firmware::writeFileAtomically(small, firmware::buildPackage({{1, firmware::Bytes(4096, 0x5A)}}));

    std::printf("payload %u bytes (%u blocks + the empty last one)\n", kPayload, kPayload / firmware::kBlockSize);
    {
        Sim sim(simExe, dev, {});
        const Run r = flashOnce(big);
        std::printf("unpaced: %s wall %.2f s, flashing-side CPU %.2f s (%.1f%% of one core)\n", r.ok ? "ok" : "FAILED",
                    r.wall, r.cpu, 100 * r.cpu / r.wall);
    }
    {
        const double replyPause = DevicePort::sharedManager().exchangeTiming().replyPauseMs / 1000.0;
        const double passPause = KorvoUpdateSendProc::timing().pauseAfterPassMs / 1000.0;
        const PassShape shape = passShape(kPayload);
        double dataPhase = 0;
        {
            Sim sim(simExe, dev, {"--paced"}, true);
            const Run r = flashOnce(big);
            const double payload = lineSeconds(kPayload);
            const double ceiling = payload / (lineSeconds(shape.allBytes) + shape.allPauses * replyPause + passPause);
            std::printf("paced 115200 8N1: %s wall %.2f s, CPU %.2f s (%.2f%% of one core)\n", r.ok ? "ok" : "FAILED",
                        r.wall, r.cpu, 100 * r.cpu / r.wall);
            std::printf("  whole call: payload at line rate %.2f s / wall: efficiency %.1f%% (target >= 95%%); "
                        "ceiling %.1f%% (framing, %.0f ms after each reply, %.0f ms after the pass)\n",
                        payload, 100 * payload / r.wall, 100 * ceiling, replyPause * 1000, passPause * 1000);
            dataPhase = sim.dataPhaseSeconds();
        }
        const double framed = lineSeconds(shape.dataBytes);
        const double dataCeiling = framed / (framed + shape.dataPauses * replyPause);
        if (dataPhase > 0)
            std::printf("  data phase (first data frame to the end reply): framed bytes at line rate %.2f s / %.2f s: "
                        "efficiency %.1f%%; ceiling %.1f%% (%.0f ms after each reply)\n",
                        framed, dataPhase, 100 * framed / dataPhase, 100 * dataCeiling, replyPause * 1000);
        else
            std::printf("  data phase: not seen in the tool's events\n");

        Sim sim(simExe, dev, {"--paced"}, true);
        firmware::Bytes baseSection(section.begin(), section.begin() + kBaselinePayload);
        const bool ok = barePass(linkIn(dev), baseSection, int(replyPause * 1000));
        const double baseFramed = lineSeconds(passShape(kBaselinePayload).dataBytes);
        const double base = sim.dataPhaseSeconds();
        if (base > 0 && dataPhase > 0)
            std::printf("  baseline, a bare write-and-wait loop over %u KiB: %s data phase efficiency %.1f%%; "
                        "ratio ours/baseline %.4f\n",
                        kBaselinePayload / 1024, ok ? "ok" : "FAILED", 100 * baseFramed / base,
                        (framed / dataPhase) / (baseFramed / base));
        else
            std::printf("  baseline: %s, data phase not seen\n", ok ? "ok" : "FAILED");
    }
    {
        Sim sim(simExe, dev, {"--erase-ms", std::to_string(kSlowEraseMs)});
        const Run r = flashOnce(small);
        std::printf("slow erase %d s: %s wall %.2f s, flashing-side CPU %.3f s (%.2f%% of one core, target < 2%%)\n",
                    kSlowEraseMs / 1000, r.ok ? "ok" : "FAILED", r.wall, r.cpu, 100 * r.cpu / r.wall);
        const std::string path = DevicePort::sharedManager().devicePath().toStdString();
        const double busy = busyWaitCpu(path, kSlowEraseMs);
        std::printf("  baseline busy-polling wait, same erase: CPU %.2f s; ratio ours/baseline %.4f\n", busy,
                    busy > 0 ? r.cpu / busy : 0.0);
    }
    fs::remove_all(work);
    return 0;
}
