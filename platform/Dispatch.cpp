#include "Dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

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

void globalAsync(std::function<void()> fn) {
    std::thread(std::move(fn)).detach();
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
