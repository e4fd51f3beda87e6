// Shared helpers of the web client's tests: waiting on the main queue, and what a callback saw.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

// Runs the main queue until pred holds or timeoutMs passed; returns pred().
inline bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!pred() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return pred();
}

inline bool onMainThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}
