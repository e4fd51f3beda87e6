#include "FlashWorker.h"

#include "TextIds.h"
#include "TextLibrary.h"
#include "WindowMessage.h"
#include "flashpass.h"
#include "frames.h"
#include "package.h"
#include "serial.h"

#include <QMessageBox>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::mutex g_timingMutex;
FlashTiming g_timing;

// The identification reply: this text, then the model.
constexpr char kIdentText[] = "TENVOR-";
constexpr size_t kIdentTextLength = sizeof kIdentText - 1;
// A reply must be longer than this to identify the tool.
constexpr long kMinIdentReply = 8;
constexpr int kMaxDeviceIdLength = 260;
// Progress is percent of the bytes before the block: i x 2048 x 100.
constexpr uint64_t kPercentPerBlock = uint64_t(firmware::kBlockSize) * 100;

QString text(const TextId& id) {
    return pluvo::adsGetStdText_CString(MakeTextId(id));
}

void send(const FlashArgs& a, unsigned message, WPARAM w, LPARAM l) {
    if (!a.control || !a.control->stopped()) SendMessage(a.listWindow, message, w, l);
}

// AfxMessageBox of the worker, shown on the interface thread.
void failureBox(const FlashArgs& a, const TextId& id) {
    if (a.control && a.control->stopped()) return;
    const QString message = text(id);
    RunOnInterfaceThread([&] {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("pluvo"), message, QMessageBox::Ok);
        box.exec();
    });
}

void status(const FlashArgs& a, int percent, bool erasing) {
    send(a, kMsgProgress, WPARAM(a.row), percent);
    const QString s = PassStatusText(percent, erasing);
    send(a, kMsgStatusText, WPARAM(a.row), LPARAM(&s));
}

bool pauseUnlessStopped(const FlashArgs& a, int ms) {
    if (!a.control) {
        ::usleep(useconds_t(ms) * 1000);
        return true;
    }
    pollfd p{a.control->wakeFd(), POLLIN, 0};
    return ::poll(&p, 1, ms) == 0;
}

bool sameFile(const std::string& path, int fd) {
    struct stat a {
    }, b{};
    return stat(path.c_str(), &a) == 0 && fstat(fd, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the port for a pass by its stable path, trying again for a short while (a tool re-enumerating after a
// pass). A lease left on a tty that went away is replaced by one on the new tty.
bool openForPass(SerialPort& port, const FlashArgs& a, int& leaseFd) {
    const FlashTiming t = GetFlashTiming();
    for (int attempt = 0; attempt < t.reopenAttempts; ++attempt) {
        if (leaseFd >= 0 && !sameFile(a.port, leaseFd)) {
            serial::releaseLease(leaseFd);
            leaseFd = -1;
        }
        if (leaseFd < 0) leaseFd = serial::acquireLease(a.port);
        if (leaseFd >= 0 && port.Open(a.port, leaseFd)) return true;
        if (!pauseUnlessStopped(a, t.reopenPauseMs)) return false;
    }
    return false;
}
} // namespace

FlashControl::FlashControl() : m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

FlashControl::~FlashControl() {
    if (m_wakeFd >= 0) ::close(m_wakeFd);
}

void FlashControl::stop() {
    m_stopped = true;
    const uint64_t one = 1;
    if (m_wakeFd >= 0) (void)!::write(m_wakeFd, &one, sizeof one);
}

void SetFlashTiming(const FlashTiming& timing) {
    std::lock_guard<std::mutex> lock(g_timingMutex);
    g_timing = timing;
}

FlashTiming GetFlashTiming() {
    std::lock_guard<std::mutex> lock(g_timingMutex);
    return g_timing;
}

QString PassStatusText(int percent, bool erasing) {
    return QString::asprintf("%d%% / ", percent) + text(erasing ? textid::kErasing : textid::kWriting);
}

QStringList StatusTexts() {
    constexpr int kWidestPercent = 100;
    return {PassStatusText(kWidestPercent, true), PassStatusText(kWidestPercent, false),
            text(textid::kUpdateSucceeded)};
}

int BlockPercent(uint64_t index, uint64_t length, int progressMode) {
    const uint64_t p = length == 0 ? 0 : std::min<uint64_t>(100, index * kPercentPerBlock / length);
    if (progressMode == 2) return int(double(p) * 0.5);
    if (progressMode == 3) return int(double(p) * 0.5 + 50);
    return int(p);
}

QString ParseIdentReply(const uint8_t* reply, long count) {
    if (!reply || count <= kMinIdentReply) return {};
    const auto parsed = firmware::deviceIdReply(reply, size_t(count));
    // The id is all that follows "TENVOR-", not only the last field.
    if (!parsed || parsed->text.compare(0, kIdentTextLength, kIdentText) != 0) return {};
    QString id;
    for (size_t i = kIdentTextLength; i < parsed->text.size() && id.size() < kMaxDeviceIdLength; ++i) {
        const auto c = uint8_t(parsed->text[i]);
        // The id becomes a key of pluvo.cfg and a part of file names: printable ASCII only.
        if (c > 0x20 && c < 0x7F && c != '=' && c != '[' && c != ']' && c != '/' && c != '\\') id += QChar(c);
    }
    return id;
}

int FlashImage(const uint8_t* payload, uint32_t length, const uint8_t* eraseFrame, const uint8_t* enterFrame,
               uint32_t baseAddress, int progressMode, FlashArgs& a) {
    const FlashTiming t = GetFlashTiming();
    SerialPort port;
    if (a.control) port.setWakeFd(a.control->wakeFd());
    if (!openForPass(port, a, a.leaseFd)) {
        failureBox(a, textid::kPortNotOpened);
        return -1;
    }
    auto fail = [&] {
        port.Close();
        failureBox(a, textid::kDeviceNoAnswer);
        return -1;
    };
    uint8_t reply[SerialPort::kReplyBufferSize];
    const long n = port.Query(firmware::ProbeCmd.data(), long(firmware::ProbeCmd.size()), t.probeMs, reply);
    // The tool must still be the model the package is for: another may have been plugged in meanwhile.
    if (ParseIdentReply(reply, n) != a.deviceId || a.deviceId.isEmpty()) return fail();

    firmware::Frame9 enter{}, erase{};
    std::copy(enterFrame, enterFrame + enter.size(), enter.begin());
    std::copy(eraseFrame, eraseFrame + erase.size(), erase.begin());
    firmware::PassTimeouts timeouts;
    timeouts.enterMs = t.enterMs;
    timeouts.eraseMs = t.eraseMs;
    timeouts.headerMs = t.headerMs;
    timeouts.dataMs = t.dataMs;
    timeouts.endMs = t.endMs;
    firmware::PassHooks hooks;
    hooks.entered = [&] { status(a, progressMode == 3 ? 50 : 0, true); };
    hooks.blockStarts = [&](uint32_t i) { status(a, BlockPercent(i, length, progressMode), false); };
    const firmware::Exchange exchange = [&](const uint8_t* frame, long long len, uint32_t ms, uint8_t* out) {
        // runPass's reply buffer is smaller than ours: never let the exchange write past it.
        return (long long)port.Query(frame, long(len), ms, out, firmware::kReplyBufferSize);
    };
    const firmware::PassResult r =
        firmware::runPass(exchange, payload, length, enter, erase, baseAddress, progressMode, timeouts, {}, hooks);
    if (!r.ok) return fail();
    port.Close();
    return 0;
}

int ApplyUpdateFile(FlashArgs& a) {
    struct stat st {};
    if (stat(a.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        failureBox(a, textid::kFileUnreadable);
        return -1;
    }
    if (st.st_size > kMaxPackageBytes) {
        failureBox(a, textid::kInvalidPackage);
        return -1;
    }
    firmware::Bytes bytes;
    if (!firmware::readWholeFile(a.path, bytes)) {
        failureBox(a, textid::kFileUnreadable);
        return -1;
    }
    firmware::scramble(bytes);
    const firmware::UpdatePackage p = firmware::checkPackage(bytes.data(), bytes.size());
    if (!p.ok) {
        failureBox(a, textid::kInvalidPackage);
        return -1;
    }
    auto done = [](int r) { return r; };
    using firmware::Section;
    const bool both = p.hasProgram() && p.hasData();
    if (p.hasProgram()) {
        if (FlashImage(bytes.data() + p.programOffset, uint32_t(p.programLength),
                       firmware::EraseCmd(Section::Program).data(), firmware::EnterCmd(Section::Program).data(),
                       firmware::kProgramBase, both ? 2 : 1, a) < 0)
            return done(-1);
    } else {
        if (FlashImage(bytes.data() + p.dataOffset, uint32_t(p.dataLength), firmware::EraseCmd(Section::Data).data(),
                       firmware::EnterCmd(Section::Data).data(), firmware::kDataBase, 1, a) < 0)
            return done(-1);
    }
    if (!pauseUnlessStopped(a, GetFlashTiming().betweenPassesMs)) return done(-1);
    if (both &&
        FlashImage(bytes.data() + p.dataOffset, uint32_t(p.dataLength), firmware::EraseCmd(Section::Data).data(),
                   firmware::EnterCmd(Section::Data).data(), firmware::kDataBase, 3, a) < 0)
        return done(-1);
    send(a, kMsgProgress, WPARAM(a.row), 100);
    const QString s = text(textid::kUpdateSucceeded);
    send(a, kMsgStatusText, WPARAM(a.row), LPARAM(&s));
    return done(0);
}

int FlashWorker(FlashArgs* raw) {
    std::unique_ptr<FlashArgs> a(raw);
    send(*a, kMsgFlashStart, 0, a->row);
    const int r = ApplyUpdateFile(*a);
    FlashedVersion flashed{a->deviceId, a->version};
    if (r < 0)
        send(*a, kMsgFlashFailed, 0, 0);
    else
        send(*a, kMsgFlashSucceeded, 0, LPARAM(&flashed));
    send(*a, kMsgFlashEnd, 0, a->row);
    serial::releaseLease(a->leaseFd);
    if (a->control) a->control->finished = true;
    return 0;
}
