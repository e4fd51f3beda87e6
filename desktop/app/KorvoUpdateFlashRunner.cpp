#include "KorvoUpdateFlashRunner.h"

#include "DevicePort.h"
#include "Dispatch.h"
#include "KorvoUpdateSendProc.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {
// A stop is repeated this often while the worker runs: the flasher clears a stop request when it takes the port.
constexpr int kAbortRepeatMs = 50;

struct RunnerState {
    std::mutex mutex;
    std::condition_variable ended;
    bool running = false;
    bool stopRequested = false;
    std::vector<std::function<void()>> idleCallbacks;
    KorvoUpdateFlashRunner::Flash flash;
};

RunnerState& state() {
    static RunnerState s;
    return s;
}

void defaultFlash(const QString& path) {
    DevicePort::sharedManager().retryOpenSerialPort();
    KorvoUpdateSendProc::UpdateProcStrBin(path);
}

void workerEnded() {
    RunnerState& s = state();
    std::vector<std::function<void()>> callbacks;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.running = false;
        s.stopRequested = false;
        DevicePort::sharedManager().setIsUpdating(false);
        callbacks.swap(s.idleCallbacks);
    }
    s.ended.notify_all();
    if (!callbacks.empty() && QCoreApplication::instance())
        dispatch::mainAsync([callbacks] {
            for (const auto& fn : callbacks)
                fn();
        });
}

// Repeats the abort on the GUI thread until the worker has ended.
void repeatAbort() {
    if (!QCoreApplication::instance()) return;
    QTimer::singleShot(kAbortRepeatMs, QCoreApplication::instance(), [] {
        {
            std::lock_guard<std::mutex> lock(state().mutex);
            if (!state().running || !state().stopRequested) return;
        }
        DevicePort::sharedManager().abortExchange();
        repeatAbort();
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
        s.running = true;
        s.stopRequested = false;
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

void KorvoUpdateFlashRunner::stop() {
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        if (!state().running) return;
        const bool repeating = state().stopRequested;
        state().stopRequested = true;
        if (repeating) return;
    }
    DevicePort::sharedManager().abortExchange();
    repeatAbort();
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
    if (s.running) s.stopRequested = true;
    while (s.running) {
        lock.unlock();
        DevicePort::sharedManager().abortExchange();
        lock.lock();
        if (std::chrono::steady_clock::now() >= deadline) return false;
        s.ended.wait_for(lock, std::chrono::milliseconds(kAbortRepeatMs));
    }
    return true;
}
