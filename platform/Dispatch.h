// Queues: the main queue is the Qt event loop of the GUI thread; global work runs on worker threads of its own;
// a serial queue runs its jobs one after another on a thread of its own.
// Worker threads are joined, not left running: one whose work is over is joined at the next start, and at exit
// the process waits up to kWorkerExitWaitMs for the others, so a thread never ends after the process has begun to
// tear down (its thread-local state, such as the TLS library's error queue, would be freed by nobody).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace dispatch {

// Runs fn on the GUI thread's event loop, later. Needs a QCoreApplication.
void mainAsync(std::function<void()> fn);
// Runs fn on the GUI thread and waits for it; runs it at once when called on the GUI thread.
void mainSync(const std::function<void()>& fn);
// A worker still busy at exit (a transfer waiting on a silent host) is left behind after this; the work of every
// caller ends within it once its result has been delivered.
constexpr int kWorkerExitWaitMs = 3000;

// Runs fn on a new worker thread.
void globalAsync(std::function<void()> fn);
bool isMainThread();

class SerialQueue {
public:
    SerialQueue();
    ~SerialQueue(); // waits for the jobs already queued
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;
    void async(std::function<void()> fn);

private:
    void loop();
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_jobs;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace dispatch
