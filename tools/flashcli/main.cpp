// flashcli: checks that the package is a sound one, identifies the scan tool on the USB serial device, checks that
// the package is meant for its model, and only then flashes it, printing progress and the result. A console front
// to the desktop updater's device link and flasher.
//   flashcli [--any-model] PACKAGE.bin
// Exit codes: 0 flashed (or --help); 1 no tool, a port that cannot be opened, no answer or a failed flash (the
// link); 2 usage; 3 package refused.
#include "DevicePort.h"
#include "KorvoUpdateSendProc.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "frames.h"
#include "package.h"
#include "packagename.h"
#include "serial.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

namespace {

constexpr int kExitDone = 0;
constexpr int kExitLink = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRefused = 3;

// How long the tool has to start answering the identification probe.
constexpr int kProbeWaitMs = 2000;
// The reply is complete once the line has been quiet this long (a few bytes' time at 115200 baud, with slack).
constexpr int kReplyQuietMs = 100;
// An identification reply is a short text; more than this is report text or noise, not a reply.
constexpr size_t kMaxReplyLength = 256;

// Asked for (--help): on standard output, success. Otherwise a usage error: on standard error.
int usage(bool asked) {
    std::fprintf(asked ? stdout : stderr,
                 "usage: flashcli [--any-model] PACKAGE.bin\n"
                 "  --any-model  flash even when the package's model differs from the tool's\n"
                 "  --help       show this text\n"
                 "(devices are looked for in %s, or $%s)\n",
                 serial::kDefaultDeviceDir, serial::kDeviceDirEnv);
    return asked ? kExitDone : kExitUsage;
}

// Reads and checks the package before any tool is contacted; prints the one reason when it cannot be flashed. The
// flasher reads and checks the file again when it flashes it.
bool packageIsSound(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        std::fprintf(stderr, "Cannot read %s: %s. Nothing was written.\n", path.c_str(), std::strerror(errno));
        return false;
    }
    // A FIFO or a device would block the read or never end it.
    if (!S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "Cannot read %s: not a regular file. Nothing was written.\n", path.c_str());
        return false;
    }
    firmware::Bytes bytes;
    if (!firmware::readWholeFile(path, bytes)) {
        const int err = errno;
        std::fprintf(stderr, "Cannot read %s: %s. Nothing was written.\n", path.c_str(), std::strerror(err));
        return false;
    }
    firmware::scramble(bytes);
    const firmware::UpdatePackage checked = firmware::checkPackage(bytes.data(), bytes.size());
    if (!checked.ok) {
        std::fprintf(stderr, "Cannot flash %s: %s. Nothing was written.\n", path.c_str(), checked.error.c_str());
        return false;
    }
    return true;
}

// Sends the probe on a quiet line and gathers the reply; empty when the tool did not answer.
std::string identify(DevicePort& port) {
    const int fd = port.serialFileDescriptor();
    // Bytes already waiting (report text, the late reply of an earlier exchange) are not part of the reply.
    serial::discardInput(fd);
    port.sendData(QByteArray(reinterpret_cast<const char*>(firmware::ProbeCmd.data()), int(firmware::ProbeCmd.size())));
    std::string reply;
    int waitMs = kProbeWaitMs;
    while (reply.size() < kMaxReplyLength && serial::waitReadable(fd, waitMs) == serial::Wait::Ready) {
        char buffer[64];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) break;
        reply.append(buffer, size_t(n));
        waitMs = kReplyQuietMs;
    }
    return reply;
}

// The model named by an identification reply ("TENVOR", "-"-separated fields, the last one), or "" when the
// reply is not one.
std::string modelFromReply(const std::string& reply) {
    const auto parsed = firmware::deviceIdReply(reinterpret_cast<const uint8_t*>(reply.data()), reply.size());
    return parsed ? parsed->model : std::string();
}

// The flash's progress, rewritten in place on one line; anything printed while it is open starts on a line of its
// own, or on a terminal it would run on from the percentage.
class ProgressLine {
public:
    void show(int percent) {
        std::printf("\rFlashing: %3d%%", percent);
        std::fflush(stdout);
        m_open = true;
    }
    void end() {
        if (!m_open) return;
        std::fputc('\n', stdout);
        std::fflush(stdout);
        m_open = false;
    }

private:
    bool m_open = false;
};

void toSystemLog(const std::string& line) {
    syslog(LOG_NOTICE, "%s", line.c_str());
}

std::string printable(const std::string& text) {
    std::string out;
    for (const unsigned char c : text)
        out += (c >= 0x20 && c < 0x7F) ? char(c) : '?';
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool anyModel = false;
    std::string package;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return usage(true);
        if (arg == "--any-model")
            anyModel = true;
        else if (!arg.empty() && arg[0] != '-' && package.empty())
            package = arg;
        else
            return usage(false);
    }
    if (package.empty()) return usage(false);
    if (!packageIsSound(package)) return kExitRefused;

    DevicePort& port = DevicePort::sharedManager();
    // The port logs why it could not be opened; that line goes to the system log only, as the user is told below.
    const syslogline::Sink defaultSink = syslogline::setSink(toSystemLog);
    port.openSerialPort();
    syslogline::setSink(defaultSink);
    if (!port.isOpenPort()) {
        if (const int err = port.lastOpenError())
            std::fprintf(stderr, "Cannot open %s: %s. Nothing was written.\n",
                         port.devicePath().toLocal8Bit().constData(), serial::openFailureHint(err).c_str());
        else
            std::fprintf(stderr, "No scan tool found in %s: plug it in and try again.\n", serial::deviceDir().c_str());
        return kExitLink;
    }
    std::printf("Port: %s\n", port.devicePath().toLocal8Bit().constData());

    const std::string reply = identify(port);
    const std::string model = modelFromReply(reply);
    if (model.empty()) {
        port.closeSerialPort();
        if (reply.empty())
            std::fprintf(stderr, "The scan tool did not answer the identification probe: check the cable, unplug "
                                 "the tool and plug it in again, then try again. Nothing was written.\n");
        else
            std::fprintf(stderr,
                         "The device answered \"%s\", which is not a scan tool's identification: check that "
                         "the scan tool is plugged in and the cable is sound. Nothing was written.\n",
                         printable(reply).c_str());
        return kExitLink;
    }
    std::printf("Tool: %s\n", model.c_str());

    const std::string fileName = package.substr(package.find_last_of('/') + 1);
    const auto fields = firmware::splitPackageFileName(fileName);
    if (!fields || !firmware::packageModelMatches(fields->model, model)) {
        if (!anyModel) {
            port.closeSerialPort();
            if (fields)
                std::fprintf(stderr, "Refused: %s is for the model %s, but the tool is a %s. ", fileName.c_str(),
                             fields->model.c_str(), model.c_str());
            else
                std::fprintf(stderr,
                             "Refused: the name %s does not say which model it is for "
                             "(model_version_language_yyyyMMdd.bin), and the tool is a %s. ",
                             fileName.c_str(), model.c_str());
            std::fprintf(stderr,
                         "Choose a %s package, or give --any-model to flash it all the same. Nothing was written.\n",
                         model.c_str());
            return kExitRefused;
        }
        std::printf("Flashing %s into a %s tool as asked (--any-model).\n", fileName.c_str(), model.c_str());
    }

    ProgressLine progress;
    int lastPercent = -1;
    NotificationCenter::defaultCenter().addObserver(&app, kUpdateDataPro, [&](const Notification& n) {
        const QVariantMap info = n.userInfo.value(kProInfoKey).toMap();
        const int status = info.value(kStatusKey).toInt();
        const int percent = int(info.value(kProcessKey).toFloat() * 100.0f + 0.5f);
        if (status == kUpdateStatusRunning && percent != lastPercent) {
            progress.show(percent);
            lastPercent = percent;
        }
    });
    // The flasher logs why a flash failed, on this thread.
    syslogline::setSink([&progress](const std::string& line) {
        progress.end();
        toSystemLog(line);
        std::fprintf(stderr, "%s\n", line.c_str());
    });

    port.setIsUpdating(true);
    const int result = KorvoUpdateSendProc::UpdateProcStrBin(QString::fromLocal8Bit(package.c_str()));
    port.setIsUpdating(false);
    port.closeSerialPort();
    if (result == 0) progress.show(100);
    progress.end();
    syslogline::setSink(defaultSink);
    if (result == 0) {
        std::printf("Done: %s was written into the tool.\n", package.c_str());
        return kExitDone;
    }
    std::printf("Failed: the tool did not take %s; see the log line above, check the cable and try again.\n",
                package.c_str());
    return kExitLink;
}
