#include "Dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <unistd.h>

#include <chrono>
#include <list>
#include <vector>

namespace dispatch {

void mainAsync(std::function<void()> fn) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

void mainSync(const std::function<void()>& fn) {
    if (isMainThread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), fn, Qt::BlockingQueuedConnection);
}

namespace {

class Workers {
public:
    void start(std::function<void()> fn) {
        std::lock_guard<std::mutex> lock(m_mutex);
        forgetParentsLocked();
        joinFinishedLocked();
        m_threads.emplace_back([this, fn = std::move(fn)]() mutable {
            fn();
            fn = nullptr; // what the work captured goes before the thread counts as done
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished.push_back(std::this_thread::get_id());
            m_cv.notify_all();
        });
    }

    // Called once, at exit. The registry itself stays: a thread left behind still reports to it.
    void waitAtExit() {
        std::unique_lock<std::mutex> lock(m_mutex);
        forgetParentsLocked();
        m_cv.wait_for(lock, std::chrono::milliseconds(kWorkerExitWaitMs),
                      [this] { return m_finished.size() == m_threads.size(); });
        joinFinishedLocked();
        for (std::thread& t : m_threads)
            t.detach();
    }

private:
    // In a forked child the threads listed are the parent's: none of them runs here, and none may be joined.
    void forgetParentsLocked() {
        if (m_pid == getpid()) return;
        static auto* const inherited = new std::list<std::thread>;
        inherited->splice(inherited->end(), m_threads);
        m_finished.clear();
        m_pid = getpid();
    }

    // A finished thread has left its work and only ends; joining it waits for its thread-local clean-up.
    void joinFinishedLocked() {
        for (const std::thread::id id : m_finished) {
            for (auto it = m_threads.begin(); it != m_threads.end(); ++it) {
                if (it->get_id() != id) continue;
                it->join();
                m_threads.erase(it);
                break;
            }
        }
        m_finished.clear();
    }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::list<std::thread> m_threads;
    std::vector<std::thread::id> m_finished; // of m_threads: their work is over, they are still to be joined
    pid_t m_pid = getpid();
};

Workers& workers() {
    static Workers* const w = new Workers;
    static const struct ExitWait {
        ~ExitWait() { w->waitAtExit(); }
    } exitWait;
    return *w;
}

} // namespace

void globalAsync(std::function<void()> fn) {
    workers().start(std::move(fn));
}

bool isMainThread() {
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

SerialQueue::SerialQueue() : m_thread([this] { loop(); }) {}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

void SerialQueue::async(std::function<void()> fn) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(fn));
    }
    m_cv.notify_one();
}

void SerialQueue::loop() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_jobs.empty()) return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

} // namespace dispatch
