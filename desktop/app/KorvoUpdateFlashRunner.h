// Runs at most one flash at a time on a worker thread and keeps the busy flag (DevicePort::isUpdating) set from
// the start until the worker has ended, so that nothing else reads, closes or reopens the port meanwhile. The
// state is process-wide, as the port is: a main view controller made later sees a flash started by an earlier one.
// start(), stop() and whenIdle() are called on the GUI thread; isRunning() from any thread.
#pragma once

#include <QString>

#include <functional>

class KorvoUpdateFlashRunner {
public:
    using Flash = std::function<void(const QString& path)>;

    // Starts the flash of path on a worker; false, starting nothing, while one runs.
    static bool start(const QString& path);
    static bool isRunning();
    // The running flash's last pass had its end frame acknowledged: it has succeeded, whatever the link does next.
    static bool hasSucceeded();
    // The package being flashed; empty when no flash runs.
    static QString currentPath();
    // Makes the running flash end as a failure: its exchanges end at once, whatever step the worker is in.
    static void stop();
    // Runs fn on the GUI thread once no flash runs: at once when none runs, else after the worker has ended.
    static void whenIdle(std::function<void()> fn);
    // stop() and a wait of at most timeoutMs for the worker; true when it has ended.
    static bool stopAndWait(int timeoutMs);

    // Replaces what the worker runs (default: DevicePort retryOpenSerialPort, then the flasher, which tells
    // hasSucceeded); empty restores it.
    static void setFlashForTesting(Flash flash);
};
