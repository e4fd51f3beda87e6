// One-shot background reads of a descriptor, in place of a file handle's read-and-notify: each arm reads what has
// arrived (up to a limit), gathering a reply that comes in pieces for a moment, and hands it to a completion on the
// GUI thread. The
// reader does not own the descriptor; cancel() (and the destructor) returns only when no read is pending, so the
// descriptor can then be closed.
#pragma once

#include <QByteArray>

#include <functional>
#include <mutex>
#include <thread>

class BackgroundReader {
public:
    using Completion = std::function<void(const QByteArray& data)>; // empty data: end of file or error
    // What one completed read takes at most, unless told otherwise.
    static constexpr size_t kDefaultReadLimit = 4096;

    explicit BackgroundReader(int fd);
    ~BackgroundReader();
    BackgroundReader(const BackgroundReader&) = delete;
    BackgroundReader& operator=(const BackgroundReader&) = delete;

    // Arms one read of at most limit bytes; does nothing while one is pending. Returns whether a read was armed.
    bool readInBackgroundAndNotify(Completion completion, size_t limit = kDefaultReadLimit);
    bool isPending() const;
    // Disarms a pending read; afterwards nothing is taken from the descriptor.
    void cancel();

private:
    void run(Completion completion, size_t limit);
    const int m_fd;
    int m_wake[2] = {-1, -1};
    mutable std::mutex m_mutex;
    std::thread m_thread;
    bool m_pending = false;
};
