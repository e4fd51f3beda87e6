#include "BackgroundReader.h"

#include "Dispatch.h"
#include "serial.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
// What one read() takes at most.
constexpr size_t kReadChunk = 4096;
// A reply can arrive in pieces: once bytes are in, more are gathered until the line has been quiet this long...
constexpr int kGatherQuietMs = 30;
// ...but for no longer than this in all.
constexpr int kGatherLimitMs = 250;

// Appends to data, up to limit bytes in all, what else is there or arrives while the line keeps talking.
void gather(int fd, int wakeFd, QByteArray& data, size_t limit) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (size_t(data.size()) < limit && elapsed.elapsed() < kGatherLimitMs) {
        if (serial::waitReadable(fd, kGatherQuietMs, wakeFd) != serial::Wait::Ready) return;
        char buf[kReadChunk];
        const ssize_t n = ::read(fd, buf, std::min(kReadChunk, limit - size_t(data.size())));
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return;
        data.append(buf, int(n));
    }
}
} // namespace

BackgroundReader::BackgroundReader(int fd) : m_fd(fd) {
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) m_wake[0] = m_wake[1] = -1;
}

BackgroundReader::~BackgroundReader() {
    cancel();
    if (m_wake[0] >= 0) ::close(m_wake[0]);
    if (m_wake[1] >= 0) ::close(m_wake[1]);
}

bool BackgroundReader::readInBackgroundAndNotify(Completion completion, size_t limit) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pending || m_wake[0] < 0) return false;
    if (m_thread.joinable()) m_thread.join(); // the previous read has finished
    m_pending = true;
    m_thread = std::thread([this, c = std::move(completion), limit]() mutable { run(std::move(c), limit); });
    return true;
}

bool BackgroundReader::isPending() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pending;
}

void BackgroundReader::cancel() {
    std::thread reader;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_thread.joinable()) return;
        if (m_pending) {
            const char b = 1;
            (void)!::write(m_wake[1], &b, 1);
        }
        reader = std::move(m_thread);
    }
    reader.join(); // outside the lock: the reader takes it on its way out
    std::lock_guard<std::mutex> lock(m_mutex);
    char drain[16];
    while (::read(m_wake[0], drain, sizeof drain) > 0) {
    }
    m_pending = false;
}

void BackgroundReader::run(Completion completion, size_t limit) {
    QByteArray data;
    for (;;) {
        const serial::Wait w = serial::waitReadable(m_fd, -1, m_wake[0]);
        if (w == serial::Wait::Woken) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_pending = false;
            return;
        }
        if (w == serial::Wait::Error) break;
        char buf[kReadChunk];
        const ssize_t n = ::read(m_fd, buf, std::min(sizeof buf, std::max<size_t>(limit, 1)));
        if (n > 0) {
            data = QByteArray(buf, int(n));
            gather(m_fd, m_wake[0], data, limit);
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        break;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending = false;
    }
    if (completion) dispatch::mainAsync([completion, data] { completion(data); });
}
