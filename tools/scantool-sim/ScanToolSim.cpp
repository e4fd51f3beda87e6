#include "ScanToolSim.h"

#include "frames.h"
#include "package.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;

// 115200 baud with 8N1 framing is ten bits on the wire per byte.
constexpr int64_t kLineBytesPerSecond = 11520;
constexpr int64_t kNanosPerSecond = 1000000000;
// Bytes taken from the host ahead of the line, as a serial driver's buffer holds them; past that the
// pseudo-terminal fills and the host's writes wait, as they would on a real line.
constexpr size_t kRxBuffer = 4096;
// Bytes go to the host in pieces of at most a USB packet, each once its last byte is through.
constexpr size_t kTxPiece = 64;
// The serving thread wakes on the line clock; the default 50 us timer slack would make every wake-up late.
constexpr unsigned long kTimerSlackNs = 1000;
// How long to look for further bytes before judging a lone frame inside an expected block (the host writes a
// block in one go, so its bytes follow at once).
constexpr int kSettleMs = 2;
constexpr int kWaitForPollMs = 2;
// A host sets the line up and discards stale input right after opening it; a report starts after that.
constexpr int kOpenSettleMs = 50;
// A host that has not read for this long is not going to; the bytes are dropped as a full USB buffer would.
constexpr int kWriteStallMs = 1000;
// Bytes written to the master reach the host's side of the line within this long.
constexpr int kHandOverMs = 20;
// Command frame lengths, by command byte.
constexpr size_t kProbeLength = 3;
constexpr size_t kEnterLength = 9;
constexpr size_t kEraseLength = 9;
constexpr size_t kHeaderLength = 10;
constexpr size_t kEndLength = 4;
constexpr uint8_t kRefusalCode = 0xEF;
// Bytes of junk quoted in a violation.
constexpr size_t kJunkQuoted = 16;

size_t commandLength(uint8_t cmd) {
    switch (cmd) {
    case firmware::kCmdIdentify:
        return kProbeLength;
    case firmware::kCmdEnter:
        return kEnterLength;
    case firmware::kCmdErase:
        return kEraseLength;
    case firmware::kCmdBlockHeader:
        return kHeaderLength;
    case firmware::kCmdEnd:
        return kEndLength;
    default:
        return 0;
    }
}

Bytes replyFrame(uint8_t code) {
    return {firmware::kFrameLead0, firmware::kFrameLead1, code, firmware::kFrameTail};
}

template <size_t N> Bytes toBytes(const std::array<uint8_t, N>& a) {
    return Bytes(a.begin(), a.end());
}

std::string hex(const uint8_t* p, size_t n, size_t limit = SIZE_MAX) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < n && i < limit; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
        s += b;
    }
    if (n > limit) s += " ...";
    return s;
}
std::string hex(const Bytes& v) {
    return hex(v.data(), v.size());
}

std::string fmt(const char* f, unsigned long long a, unsigned long long b = 0, unsigned long long c = 0) {
    char buf[256];
    std::snprintf(buf, sizeof buf, f, a, b, c);
    return buf;
}

const char* stepName(ScanToolSim::Step s) {
    switch (s) {
    case ScanToolSim::Step::Probe:
        return "probe";
    case ScanToolSim::Step::Enter:
        return "enter";
    case ScanToolSim::Step::Erase:
        return "erase";
    case ScanToolSim::Step::BlockHeader:
        return "block header";
    case ScanToolSim::Step::BlockData:
        return "block data";
    case ScanToolSim::Step::End:
        return "end";
    }
    return "?";
}

bool isPrefix(const Bytes& p, const Bytes& of) {
    return p.size() <= of.size() && std::equal(p.begin(), p.end(), of.begin());
}

std::string errnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace

ScanToolSim::ScanToolSim(Options o) : m_opt(std::move(o)), m_paced(m_opt.paced), m_eraseMs(m_opt.eraseMs) {
    if (m_opt.identText.empty()) m_opt.identText = std::string(firmware::kIdentPrefix) + "-" + m_opt.model;
    if (!m_opt.deviceDir.empty()) m_linkPath = m_opt.deviceDir + "/" + m_opt.linkName;
}

ScanToolSim::~ScanToolSim() {
    stop();
}

bool ScanToolSim::start() {
    std::lock_guard<std::mutex> life(m_lifeMu);
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> tx(m_txMu);
            if (m_master >= 0) return true;
        }
        m_thread.join(); // it ended when the tool vanished
    }
    auto fail = [&](const std::string& why) {
        closeLine();
        std::lock_guard<std::mutex> lock(m_mu);
        m_lastError = why;
        return false;
    };
    if (m_opt.deviceDir.empty()) return fail("no device folder given: set Options::deviceDir (--dir)");
    std::error_code ec;
    std::filesystem::create_directories(m_opt.deviceDir, ec);
    if (ec) return fail("cannot create the device folder " + m_opt.deviceDir + ": " + ec.message());

    if (m_wakeFd >= 0) ::close(m_wakeFd);
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) return fail(errnoText("eventfd"));
    m_ending = false;

    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) return fail(errnoText("posix_openpt (are pseudo-terminals available? /dev/ptmx)"));
    char name[128];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || ptsname_r(m_master, name, sizeof name) != 0)
        return fail(errnoText("cannot unlock the pseudo-terminal"));
    m_slavePath = name;
    m_slaveKeep = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveKeep < 0) return fail(errnoText("cannot open " + m_slavePath));
    termios tio{};
    if (tcgetattr(m_slaveKeep, &tio) != 0) return fail(errnoText("tcgetattr on " + m_slavePath));
    cfmakeraw(&tio);
    cfsetspeed(&tio, B115200);
    tio.c_cflag |= CLOCAL | CREAD;
    if (tcsetattr(m_slaveKeep, TCSANOW, &tio) != 0) return fail(errnoText("tcsetattr on " + m_slavePath));
    if (fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0) return fail(errnoText("fcntl"));
    bool reportOnOpen;
    {
        std::lock_guard<std::mutex> lock(m_mu);
        reportOnOpen = !m_reportOnOpen.empty();
    }
    if (reportOnOpen) {
        // Watched after our own open of the slave, so only the host's opens are seen.
        m_openWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_openWatch < 0 || inotify_add_watch(m_openWatch, m_slavePath.c_str(), IN_OPEN) < 0)
            return fail(errnoText("cannot watch " + m_slavePath + " for the host opening it"));
    }

    // A stale link from an earlier run is replaced in one step.
    const std::string tmp = m_linkPath + ".tmp" + std::to_string(getpid());
    ::unlink(tmp.c_str());
    if (symlink(m_slavePath.c_str(), tmp.c_str()) != 0 || rename(tmp.c_str(), m_linkPath.c_str()) != 0) {
        const std::string why = errnoText("cannot make the link " + m_linkPath + " (is the folder writable?)");
        ::unlink(tmp.c_str());
        return fail(why);
    }

    {
        std::lock_guard<std::mutex> lock(m_mu);
        m_stepCounts.clear();
        m_lastError.clear();
    }
    m_rx = Rx::Idle;
    m_buf.clear();
    m_junk.clear();
    m_lastHeader.clear();
    m_lastData.clear();
    m_readLeft.reset();
    m_rxQueue.clear();
    m_rxLine = {};
    {
        std::lock_guard<std::mutex> tx(m_txMu);
        m_txLine = {};
    }
    m_reportOnOpenSent = false;
    resetPass();
    m_thread = std::thread(&ScanToolSim::serve, this);
    return true;
}

void ScanToolSim::stop() {
    std::lock_guard<std::mutex> life(m_lifeMu);
    if (m_thread.joinable()) {
        signalEnding();
        m_thread.join();
    }
    closeLine();
    std::lock_guard<std::mutex> tx(m_txMu);
    if (m_wakeFd >= 0) ::close(m_wakeFd);
    m_wakeFd = -1;
}

void ScanToolSim::vanish() {
    if (m_serverId.load() == std::this_thread::get_id()) {
        closeLine();
        return;
    }
    std::lock_guard<std::mutex> life(m_lifeMu);
    if (m_thread.joinable()) {
        signalEnding();
        m_thread.join();
    }
    closeLine();
}

void ScanToolSim::signalEnding() {
    m_ending = true;
    if (m_wakeFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t r = ::write(m_wakeFd, &one, sizeof one);
    }
}

void ScanToolSim::closeLine() {
    signalEnding();
    std::lock_guard<std::mutex> tx(m_txMu);
    if (m_master < 0 && m_slaveKeep < 0 && m_openWatch < 0) return;
    // Only our own link goes; another instance may have taken the name since.
    char target[256];
    const ssize_t n = readlink(m_linkPath.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, size_t(n)) == m_slavePath) ::unlink(m_linkPath.c_str());
    if (m_master >= 0) ::close(m_master);
    if (m_slaveKeep >= 0) ::close(m_slaveKeep);
    if (m_openWatch >= 0) ::close(m_openWatch);
    m_master = m_slaveKeep = m_openWatch = -1;
    event("line closed, link " + m_linkPath + " removed");
}

std::string ScanToolSim::linkPath() const {
    return m_linkPath;
}
std::string ScanToolSim::slavePath() const {
    return m_slavePath;
}

std::string ScanToolSim::lastError() const {
    std::lock_guard<std::mutex> lock(m_mu);
    return m_lastError;
}

void ScanToolSim::addFault(const Fault& f) {
    std::lock_guard<std::mutex> lock(m_mu);
    m_faults.push_back(f);
}

void ScanToolSim::clearFaults() {
    std::lock_guard<std::mutex> lock(m_mu);
    m_faults.clear();
}

void ScanToolSim::setEraseMs(int ms) {
    m_eraseMs = ms;
}
void ScanToolSim::setPaced(bool paced) {
    m_paced = paced;
}

void ScanToolSim::setEventHandler(std::function<void(const std::string&)> handler) {
    std::lock_guard<std::mutex> lock(m_mu);
    m_eventHandler = std::move(handler);
}

void ScanToolSim::setReportOnOpen(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mu);
    m_reportOnOpen = text;
}

void ScanToolSim::sendReport(const std::string& text) {
    event("report of " + std::to_string(text.size()) + " bytes sent");
    writeOut(Bytes(text.begin(), text.end()), Clock::now());
}

std::map<uint32_t, std::vector<uint8_t>> ScanToolSim::memory() const {
    std::lock_guard<std::mutex> lock(m_mu);
    return m_memory;
}

std::vector<std::string> ScanToolSim::violations() const {
    std::lock_guard<std::mutex> lock(m_mu);
    return m_violations;
}

std::vector<std::vector<uint8_t>> ScanToolSim::frames() const {
    std::lock_guard<std::mutex> lock(m_mu);
    return m_frames;
}

int ScanToolSim::probes() const {
    std::lock_guard<std::mutex> lock(m_mu);
    return m_probes;
}

int ScanToolSim::completedPasses() const {
    std::lock_guard<std::mutex> lock(m_mu);
    return m_completedPasses;
}

bool ScanToolSim::waitFor(const std::function<bool()>& pred, int timeoutMs) const {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (Clock::now() >= deadline) return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(kWaitForPollMs));
    }
    return true;
}

void ScanToolSim::event(const std::string& text) const {
    std::function<void(const std::string&)> handler;
    {
        std::lock_guard<std::mutex> lock(m_mu);
        handler = m_eventHandler;
    }
    if (handler) handler(text);
}

void ScanToolSim::violation(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(m_mu);
        m_violations.push_back(text);
    }
    event("VIOLATION: " + text);
}

// ---- the line ----

ScanToolSim::Clock::time_point ScanToolSim::LineClock::next(Clock::time_point ready) {
    if (m_bytes == 0 || ready >= m_free) {
        m_start = ready; // the line was idle: a new burst starts
        m_bytes = 0;
    }
    ++m_bytes;
    m_free = m_start + std::chrono::nanoseconds(m_bytes * kNanosPerSecond / kLineBytesPerSecond);
    return m_free;
}

bool ScanToolSim::pause(int64_t microseconds) const {
    return pauseUntil(Clock::now() + std::chrono::microseconds(std::max<int64_t>(microseconds, 0)));
}

bool ScanToolSim::pauseUntil(Clock::time_point deadline) const {
    for (;;) {
        if (m_ending) return false;
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()).count();
        if (left <= 0) return true;
        timespec ts{time_t(left / kNanosPerSecond), long(left % kNanosPerSecond)};
        pollfd p{m_wakeFd, POLLIN, 0};
        const int r = ppoll(&p, 1, &ts, nullptr);
        if (r > 0) return false;
        if (r < 0 && errno != EINTR) return false;
    }
}

bool ScanToolSim::writeAll(const uint8_t* data, size_t length) {
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(m_master, data + done, length - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        // The line is full: wait a while for the host to read, but never hang on a host that does not.
        pollfd p[2] = {{m_master, POLLOUT, 0}, {m_wakeFd, POLLIN, 0}};
        const int r = ::poll(p, 2, kWriteStallMs);
        if (r < 0 && errno != EINTR) return false;
        if (p[1].revents & POLLIN) return false;
        if (r == 0) {
            event(std::to_string(length - done) + " byte(s) dropped: the host has not read the line for " +
                  std::to_string(kWriteStallMs) + " ms");
            return false;
        }
    }
    return true;
}

bool ScanToolSim::transmit(const uint8_t* data, size_t length, Clock::time_point from, Clock::time_point* through) {
    if (!m_paced) {
        const bool ok = writeAll(data, length);
        *through = Clock::now();
        return ok;
    }
    std::vector<Clock::time_point> at(length);
    for (auto& t : at)
        t = m_txLine.next(from);
    *through = at.back();
    for (size_t sent = 0; sent < length;) {
        size_t upto = std::min(length, sent + kTxPiece);
        if (!pauseUntil(at[upto - 1])) return false;
        // A wake-up that came late finds more through: it all goes.
        const auto now = Clock::now();
        while (upto < length && at[upto] <= now)
            ++upto;
        if (!writeAll(data + sent, upto - sent)) return false;
        sent = upto;
    }
    return true;
}

void ScanToolSim::awaitHostRead() {
    if (!pause(int64_t(kHandOverMs) * 1000)) return;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteStallMs);
    for (;;) {
        int unread = 0;
        {
            std::lock_guard<std::mutex> tx(m_txMu);
            if (m_slaveKeep < 0 || ioctl(m_slaveKeep, FIONREAD, &unread) != 0) return;
        }
        if (unread == 0 || Clock::now() >= deadline || !pause(int64_t(kWaitForPollMs) * 1000)) return;
    }
}

void ScanToolSim::writeOut(const Bytes& bytes, Clock::time_point from, int splitDelayMs) {
    std::lock_guard<std::mutex> tx(m_txMu);
    if (m_master < 0 || bytes.empty()) return;
    // A split reply goes out as its first two bytes, a pause, and the rest.
    constexpr size_t kSplitHead = 2;
    const size_t first = splitDelayMs >= 0 && bytes.size() > kSplitHead ? kSplitHead : bytes.size();
    Clock::time_point through;
    if (!transmit(bytes.data(), first, from, &through) || first == bytes.size()) return;
    const auto rest = through + std::chrono::milliseconds(splitDelayMs);
    if (!pauseUntil(rest)) return;
    transmit(bytes.data() + first, bytes.size() - first, rest, &through);
}

void ScanToolSim::serve() {
    m_serverId = std::this_thread::get_id();
    prctl(PR_SET_TIMERSLACK, kTimerSlackNs, 0, 0, 0);
    uint8_t buf[kRxBuffer];
    while (!m_ending && m_master >= 0) {
        parseArrived();
        if (m_ending) break;
        // A tool that stopped reading leaves the host's bytes in the line, as does a full buffer.
        const bool reading = (!m_readLeft || *m_readLeft > 0) && m_rxQueue.size() < kRxBuffer;
        // Parsing waits for the byte that could end a frame, not for each byte.
        timespec ts{};
        if (!m_rxQueue.empty()) {
            const auto wake = m_rxQueue[std::min(bytesBeforeAction(), m_rxQueue.size()) - 1].through;
            const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(wake - Clock::now()).count();
            if (left > 0) ts = {time_t(left / kNanosPerSecond), long(left % kNanosPerSecond)};
        }
        pollfd p[3] = {{reading ? m_master : -1, POLLIN, 0}, {m_wakeFd, POLLIN, 0}, {m_openWatch, POLLIN, 0}};
        const int r = ppoll(p, 3, m_rxQueue.empty() ? nullptr : &ts, nullptr);
        if (r < 0) {
            if (errno == EINTR) continue;
            event(errnoText("poll failed; the simulated tool stops serving"));
            break;
        }
        if (m_ending || (p[1].revents & POLLIN)) break;
        if (p[2].revents & POLLIN) {
            onHostOpened();
            continue;
        }
        if (!(p[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        size_t want = kRxBuffer - m_rxQueue.size();
        if (m_readLeft) want = std::min(want, *m_readLeft);
        const ssize_t n = ::read(m_master, buf, want);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            // The slave is kept open, so this should not happen; do not spin on it.
            event(n < 0 ? errnoText("read from the pseudo-terminal failed") : "end of file on the pseudo-terminal");
            if (!pause(100 * 1000)) break;
            continue;
        }
        // The host wrote them no later than now; each follows the one before it on the wire.
        const auto seen = Clock::now();
        const bool paced = m_paced;
        for (ssize_t i = 0; i < n; ++i)
            m_rxQueue.push_back({buf[i], paced ? m_rxLine.next(seen) : seen});
        if (m_readLeft) *m_readLeft -= size_t(n);
    }
    m_serverId = std::thread::id();
}

void ScanToolSim::onHostOpened() {
    alignas(inotify_event) char events[sizeof(inotify_event) + NAME_MAX + 1];
    while (::read(m_openWatch, events, sizeof events) > 0) {
    }
    if (m_reportOnOpenSent) return;
    m_reportOnOpenSent = true;
    std::string text;
    {
        std::lock_guard<std::mutex> lock(m_mu);
        text = m_reportOnOpen;
    }
    event("the host opened the line");
    if (pause(int64_t(kOpenSettleMs) * 1000)) sendReport(text);
}

// Parses the bytes that are through the line by now (all of them, unpaced).
void ScanToolSim::parseArrived() {
    const auto now = Clock::now();
    const bool paced = m_paced;
    while (!m_rxQueue.empty() && !m_ending && (!paced || m_rxQueue.front().through <= now)) {
        const RxByte b = m_rxQueue.front();
        m_rxQueue.pop_front();
        m_eventTime = b.through;
        feed(b.value);
    }
    if (m_rxQueue.empty()) flushJunk();
}

// The fewest further bytes after which the parser could answer a frame; it never says more than that.
size_t ScanToolSim::bytesBeforeAction() const {
    const size_t have = m_buf.size();
    switch (m_rx) {
    case Rx::Idle:
        return kProbeLength; // the shortest frame, and the first byte that can be refused
    case Rx::Command:
        return have < kProbeLength ? kProbeLength - have : m_expect - have;
    case Rx::Data: {
        // A lone probe, enter or repeated header ends early; the block by count.
        size_t fewest = SIZE_MAX;
        for (const size_t end : {kProbeLength, kEnterLength, kHeaderLength, m_expect})
            if (end > have) fewest = std::min(fewest, end - have);
        return fewest == SIZE_MAX ? 1 : fewest;
    }
    case Rx::RepeatData:
        return m_lastData.size() - have;
    }
    return 1;
}

bool ScanToolSim::morePending() const {
    if (!m_rxQueue.empty()) return true;
    pollfd p{m_master, POLLIN, 0};
    return ::poll(&p, 1, kSettleMs) > 0 && (p.revents & POLLIN);
}

void ScanToolSim::flushJunk() {
    if (m_junk.empty()) return;
    violation(std::to_string(m_junk.size()) +
              " unexpected byte(s) outside a frame skipped: " + hex(m_junk.data(), m_junk.size(), kJunkQuoted));
    m_junk.clear();
}

void ScanToolSim::feed(uint8_t b) {
    switch (m_rx) {
    case Rx::Idle:
        if (b == firmware::kFrameLead0) {
            flushJunk();
            m_buf.assign(1, b);
            m_rx = Rx::Command;
        } else if (!m_lastData.empty() && b == m_lastData[0]) {
            // Perhaps the host sends the last block again, its reply having been lost.
            flushJunk();
            m_buf.assign(1, b);
            m_rx = Rx::RepeatData;
        } else {
            m_junk.push_back(b);
        }
        return;
    case Rx::Command:
        m_buf.push_back(b);
        if (m_buf.size() == 2 && b != firmware::kFrameLead1) {
            m_junk.push_back(m_buf[0]);
            m_rx = Rx::Idle;
            feed(b);
            return;
        }
        if (m_buf.size() == 3) {
            m_expect = commandLength(b);
            if (m_expect == 0) {
                m_rx = Rx::Idle;
                flushJunk();
                writeOut(refuse(fmt("unknown command byte %02llX after D1 EE", b)), m_eventTime);
                return;
            }
        }
        if (m_buf.size() >= 3 && m_buf.size() == m_expect) {
            m_rx = Rx::Idle;
            const Bytes frame = std::move(m_buf);
            m_buf.clear();
            onCommand(frame);
        }
        return;
    case Rx::Data:
        feedData(b);
        return;
    case Rx::RepeatData:
        m_buf.push_back(b);
        if (b != m_lastData[m_buf.size() - 1]) {
            m_junk.insert(m_junk.end(), m_buf.begin(), m_buf.end() - 1);
            m_buf.clear();
            m_rx = Rx::Idle;
            feed(b);
        } else if (m_buf.size() == m_lastData.size()) {
            m_rx = Rx::Idle;
            const Bytes frame = std::move(m_buf);
            m_buf.clear();
            handle(Step::BlockData, frame, [&] {
                event("block data repeated; stored already");
                return replyFrame(firmware::kReplyBlockData);
            });
        }
        return;
    }
}

// Block data may hold any bytes, D1 EE included, so it is taken by count. Only a whole frame that the host would
// send while a block is outstanding (the same header again after a lost reply, or a new start with a probe or an
// enter after it gave up), with nothing behind it, is taken as a command instead.
void ScanToolSim::feedData(uint8_t b) {
    m_buf.push_back(b);
    bool exact = false, prefix = false;
    if (m_buf.size() <= kHeaderLength) {
        const Bytes candidates[] = {m_lastHeader, toBytes(firmware::ProbeCmd),
                                    toBytes(firmware::EnterCmd(firmware::Section::Program)),
                                    toBytes(firmware::EnterCmd(firmware::Section::Data))};
        for (const Bytes& c : candidates) {
            exact = exact || m_buf == c;
            prefix = prefix || isPrefix(m_buf, c);
        }
    }
    if (exact && !morePending()) {
        const Bytes frame = std::move(m_buf);
        m_buf.clear();
        if (frame == m_lastHeader) {
            handle(Step::BlockHeader, frame, [&] {
                event("block header repeated; still waiting for its data");
                return replyFrame(firmware::kReplyBlockHeader);
            });
            return;
        }
        event(fmt("block %llu abandoned by the host before its data", m_nextIndex));
        m_rx = Rx::Idle;
        onCommand(frame);
        return;
    }
    if (m_buf.size() == m_expect && !(prefix && morePending())) {
        m_rx = Rx::Idle;
        const Bytes frame = std::move(m_buf);
        m_buf.clear();
        handle(Step::BlockData, frame, [&] { return blockData(frame); });
    } else if (m_buf.size() > m_expect && !prefix) {
        const Bytes rest(m_buf.begin() + long(m_expect), m_buf.end());
        const Bytes frame(m_buf.begin(), m_buf.begin() + long(m_expect));
        m_buf.clear();
        m_rx = Rx::Idle;
        handle(Step::BlockData, frame, [&] { return blockData(frame); });
        for (uint8_t r : rest)
            feed(r);
    }
}

void ScanToolSim::onCommand(const Bytes& frame) {
    m_lastData.clear();
    switch (frame[2]) {
    case firmware::kCmdIdentify:
        handle(Step::Probe, frame, [&] {
            event("probe answered with \"" + m_opt.identText + "\"");
            return Bytes(m_opt.identText.begin(), m_opt.identText.end());
        });
        return;
    case firmware::kCmdEnter:
        handle(Step::Enter, frame, [&] { return enter(frame); });
        return;
    case firmware::kCmdErase:
        handle(Step::Erase, frame, [&] { return erase(frame); });
        return;
    case firmware::kCmdBlockHeader:
        handle(Step::BlockHeader, frame, [&] { return header(frame); });
        return;
    case firmware::kCmdEnd:
        handle(Step::End, frame, [&] { return end(frame); });
        return;
    }
}

std::optional<ScanToolSim::Fault> ScanToolSim::takeFault(Step step, int occurrence) {
    for (Fault& f : m_faults) {
        if (f.step != step || f.times == 0 || (f.occurrence != -1 && f.occurrence != occurrence)) continue;
        if (f.times > 0) --f.times;
        return f;
    }
    return std::nullopt;
}

void ScanToolSim::handle(Step step, const Bytes& frame, const std::function<Bytes()>& apply) {
    std::optional<Fault> fault;
    int occurrence;
    {
        std::lock_guard<std::mutex> lock(m_mu);
        m_frames.push_back(frame);
        occurrence = m_stepCounts[step]++;
        if (step == Step::Probe) ++m_probes;
        fault = takeFault(step, occurrence);
    }
    event(std::string(stepName(step)) + " #" + std::to_string(occurrence) +
          " received: " + hex(frame.data(), frame.size(), kJunkQuoted));
    const std::string where = std::string(stepName(step)) + " #" + std::to_string(occurrence);

    Bytes reply;
    if (fault && fault->kind == FaultKind::Vanish) {
        event("fault: vanishing on " + where);
        closeLine();
        return;
    }
    if (fault && fault->kind == FaultKind::DeviceError) {
        event(fmt("fault: device error %02llX on ", fault->errorCode) + where);
        if (step == Step::BlockHeader) m_rx = Rx::Idle; // the host will not send the block
        reply = replyFrame(fault->errorCode);
    } else {
        reply = apply();
    }
    if (reply.empty()) return; // interrupted by the end of the session
    int splitDelayMs = -1;
    if (fault && fault->kind == FaultKind::Silent) {
        event("fault: no reply to " + where);
        return;
    }
    if (fault && fault->kind == FaultKind::ShortReply) {
        reply.resize(std::min(reply.size(), size_t(std::max(fault->shortLength, 0))));
        event("fault: only " + std::to_string(reply.size()) + " byte(s) of the reply to " + where);
    }
    if (fault && fault->kind == FaultKind::SplitReply) {
        splitDelayMs = std::max(fault->splitDelayMs, 0);
        event("fault: reply to " + where + " split, " + std::to_string(splitDelayMs) + " ms apart");
    }
    // Counted before the reply goes out, so a host that has the acknowledgement sees the count.
    const bool acknowledged = reply.size() >= 3 && reply[2] == firmware::kReplyEnd;
    if (step == Step::End && m_passEnded && !m_passCounted && acknowledged) {
        m_passCounted = true;
        std::lock_guard<std::mutex> lock(m_mu);
        ++m_completedPasses;
    }
    writeOut(reply, m_eventTime, splitDelayMs);
    if (fault && fault->kind == FaultKind::LeaveAfterReply) {
        // Hanging up discards what the host has not read yet; the reply is meant to reach it.
        awaitHostRead();
        event("fault: leaving after the reply to " + where);
        closeLine();
    }
    if (fault && fault->kind == FaultKind::StopReading) {
        // Bytes queued already were taken from the line.
        event("fault: taking " + std::to_string(fault->readBytes) + " more byte(s) after the reply to " + where +
              ", then no more");
        m_readLeft = size_t(std::max(fault->readBytes, 0));
    }
}

ScanToolSim::Bytes ScanToolSim::refuse(const std::string& why) {
    violation(why);
    return replyFrame(kRefusalCode);
}

void ScanToolSim::resetPass() {
    m_entered = m_erased = m_lastBlockSeen = m_passEnded = m_passCounted = false;
    m_nextIndex = 0;
}

ScanToolSim::Bytes ScanToolSim::enter(const Bytes& f) {
    const bool program = f == toBytes(firmware::EnterCmd(firmware::Section::Program));
    const bool data = f == toBytes(firmware::EnterCmd(firmware::Section::Data));
    if (!program && !data) {
        if (f[8] != firmware::kFrameTail) return refuse("enter frame does not end in FF: " + hex(f));
        return refuse("enter frame carries neither the program key nor its reverse: " + hex(f));
    }
    resetPass();
    m_entered = true;
    m_dataSection = data;
    m_base = firmware::sectionBase(data ? firmware::Section::Data : firmware::Section::Program);
    event(std::string("entered the ") + (data ? "data" : "program") + " section");
    return replyFrame(firmware::kReplyEnter);
}

ScanToolSim::Bytes ScanToolSim::erase(const Bytes& f) {
    if (!m_entered) return refuse("erase before enter: " + hex(f));
    const auto expected =
        toBytes(firmware::EraseCmd(m_dataSection ? firmware::Section::Data : firmware::Section::Program));
    if (f != expected)
        return refuse(std::string("erase frame ") + hex(f) + " does not match the entered " +
                      (m_dataSection ? "data" : "program") + " section, which expects " + hex(expected));
    {
        std::lock_guard<std::mutex> lock(m_mu);
        m_memory[m_base].clear();
    }
    const int ms = m_eraseMs;
    event(fmt("erasing at 0x%08llX for %llu ms", m_base, (unsigned long long)std::max(ms, 0)));
    m_eventTime += std::chrono::milliseconds(std::max(ms, 0));
    if (!pauseUntil(m_eventTime)) return {};
    m_erased = true;
    m_nextIndex = 0;
    m_lastBlockSeen = false;
    return replyFrame(firmware::kReplyErase);
}

ScanToolSim::Bytes ScanToolSim::header(const Bytes& f) {
    if (!m_erased) return refuse("block header before an erase: " + hex(f));
    if (m_lastBlockSeen) return refuse("block header after the last, shorter block; the end frame was due: " + hex(f));
    const uint32_t address = firmware::readUInt32LE(&f[3], 4);
    const uint32_t length = uint32_t(f[7]) | uint32_t(f[8]) << 8;
    const uint32_t expected = m_base + firmware::kBlockSize * m_nextIndex;
    if (f[9] != firmware::kFrameTail) return refuse("block header does not end in FF: " + hex(f));
    if (address != expected)
        return refuse(fmt("block header for address 0x%08llX, but block %llu belongs at 0x%08llX", address, m_nextIndex,
                          expected));
    if (length < firmware::kBlockOverhead || length > firmware::kBlockSize + firmware::kBlockOverhead)
        return refuse(fmt("block header with length field %llu; it must be 6 to 2054 (payload + 6)", length));
    m_blockAddress = address;
    m_blockLength = length;
    m_lastHeader = f;
    m_expect = length;
    m_buf.clear();
    m_rx = Rx::Data;
    event(fmt("block %llu header: address 0x%08llX, %llu payload bytes", m_nextIndex, address,
              length - firmware::kBlockOverhead));
    return replyFrame(firmware::kReplyBlockHeader);
}

ScanToolSim::Bytes ScanToolSim::blockData(const Bytes& f) {
    const uint32_t n = m_blockLength - firmware::kBlockOverhead;
    const uint32_t sum = firmware::readUInt32LE(&f[n], 4);
    const uint32_t actual = firmware::byteSum(f.data(), n);
    const uint32_t index = uint32_t(f[n + 4]) << 8 | f[n + 5];
    if (sum != actual)
        return refuse(
            fmt("block %llu: byte sum field 0x%08llX, but the payload sums to 0x%08llX", m_nextIndex, sum, actual));
    if (index != m_nextIndex) return refuse(fmt("block data carries index %llu, expected %llu", index, m_nextIndex));
    {
        std::lock_guard<std::mutex> lock(m_mu);
        Bytes& mem = m_memory[m_base];
        const size_t offset = m_blockAddress - m_base;
        if (mem.size() < offset + n) mem.resize(offset + n);
        std::copy(f.begin(), f.begin() + n, mem.begin() + long(offset));
    }
    event(fmt("block %llu stored: %llu bytes at 0x%08llX", m_nextIndex, n, m_blockAddress));
    ++m_nextIndex;
    m_lastBlockSeen = n < firmware::kBlockSize;
    m_lastData = f;
    return replyFrame(firmware::kReplyBlockData);
}

ScanToolSim::Bytes ScanToolSim::end(const Bytes& f) {
    if (f[3] != firmware::kFrameTail) return refuse("end frame does not end in FF: " + hex(f));
    if (m_passEnded) {
        event("end repeated; the pass is complete already");
        return replyFrame(firmware::kReplyEnd);
    }
    if (!m_erased) return refuse("end frame before enter, erase and blocks");
    if (!m_lastBlockSeen)
        return refuse(fmt("end frame after block %llu without a last block shorter than 2048 bytes", m_nextIndex));
    const uint32_t blocks = m_nextIndex;
    resetPass();
    m_passEnded = true;
    event(fmt("pass complete: %llu blocks", blocks));
    return replyFrame(firmware::kReplyEnd);
}
