#include "KorvoUpdateFlashRunner.h"

#include "DevicePort.h"
#include "Dispatch.h"
#include "KorvoUpdateSendProc.h"

#include <QCoreApplication>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

struct RunnerState {
    std::mutex mutex;
    std::condition_variable ended;
    bool running = false;
    bool succeeded = false;
    QString path;
    std::vector<std::function<void()>> idleCallbacks;
    KorvoUpdateFlashRunner::Flash flash;
};

RunnerState& state() {
    static RunnerState s;
    return s;
}

void defaultFlash(const QString& path) {
    DevicePort::sharedManager().retryOpenSerialPort();
    KorvoUpdateSendProc::UpdateProcStrBin(path, [] {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().succeeded = true;
    });
}

void workerEnded() {
    RunnerState& s = state();
    std::vector<std::function<void()>> callbacks;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.running = false;
        s.succeeded = false;
        s.path.clear();
        DevicePort::sharedManager().setIsUpdating(false);
        callbacks.swap(s.idleCallbacks);
    }
    s.ended.notify_all();
    // A flash may start before these reach the GUI thread; they then wait for that one too.
    if (!callbacks.empty() && QCoreApplication::instance())
        dispatch::mainAsync([callbacks] {
            for (const auto& fn : callbacks)
                KorvoUpdateFlashRunner::whenIdle(fn);
        });
}

} // namespace

void KorvoUpdateFlashRunner::setFlashForTesting(Flash flash) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().flash = std::move(flash);
}

bool KorvoUpdateFlashRunner::start(const QString& path) {
    RunnerState& s = state();
    Flash flash;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.running) return false;
        // A stop from now on holds for this flash, whatever step its worker has reached.
        DevicePort::sharedManager().clearAbort();
        s.running = true;
        s.succeeded = false;
        s.path = path;
        DevicePort::sharedManager().setIsUpdating(true);
        flash = s.flash ? s.flash : Flash(defaultFlash);
    }
    dispatch::globalAsync([flash, path] {
        flash(path);
        workerEnded();
    });
    return true;
}

bool KorvoUpdateFlashRunner::isRunning() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().running;
}

bool KorvoUpdateFlashRunner::hasSucceeded() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().running && state().succeeded;
}

QString KorvoUpdateFlashRunner::currentPath() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().path;
}

void KorvoUpdateFlashRunner::stop() {
    if (isRunning()) DevicePort::sharedManager().abortExchange();
}

void KorvoUpdateFlashRunner::whenIdle(std::function<void()> fn) {
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        if (state().running) {
            state().idleCallbacks.push_back(std::move(fn));
            return;
        }
    }
    fn();
}

bool KorvoUpdateFlashRunner::stopAndWait(int timeoutMs) {
    RunnerState& s = state();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(s.mutex);
    if (s.running) DevicePort::sharedManager().abortExchange();
    return s.ended.wait_until(lock, deadline, [&s] { return !s.running; });
}
