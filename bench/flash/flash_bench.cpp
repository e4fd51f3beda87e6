// Flashes a 1 MiB program section into the simulated scan tool, unpaced and at the real line rate, and measures
// the CPU that the flashing side spends while the tool takes 10 s to erase, against a busy-polling reply wait.
#include "DevicePort.h"
#include "KorvoUpdateSendProc.h"
#include "frames.h"
#include "package.h"

#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
constexpr uint32_t kPayload = 1024 * 1024;
constexpr double kLineBytesPerSecond = 11520.0; // 115200 baud, 8N1
constexpr int kSlowEraseMs = 10000;

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Sim {
    pid_t pid = -1;
    Sim(const std::string& exe, const std::string& dir, std::vector<std::string> extra) {
        std::vector<std::string> args = {exe, "--dir", dir, "--quiet"};
        args.insert(args.end(), extra.begin(), extra.end());
        pid = fork();
        if (pid == 0) {
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        for (int i = 0; i < 100 && fs::is_empty(dir); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~Sim() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
};

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
        Sim sim(simExe, dev, {"--paced"});
        const Run r = flashOnce(big);
        const double ideal = kPayload / kLineBytesPerSecond;
        std::printf("paced 115200 8N1: %s wall %.2f s vs %.2f s for the bare payload at line rate: efficiency %.1f%% "
                    "(target >= 95%%); CPU %.2f s (%.2f%% of one core)\n",
                    r.ok ? "ok" : "FAILED", r.wall, ideal, 100 * ideal / r.wall, r.cpu, 100 * r.cpu / r.wall);
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
