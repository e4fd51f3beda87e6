// Tells pluvo's main dialog that the set of devices may have changed (its WM_DEVICECHANGE): USB and tty events of
// udev's monitor, and changes of the serial device folder (where a simulated tool appears). A burst of events
// comes out as one signal. Lives on the interface thread.
#pragma once

#include <QObject>
#include <QTimer>

class QFileSystemWatcher;
class QSocketNotifier;
struct udev;
struct udev_monitor;

class DeviceWatcher : public QObject {
    Q_OBJECT
public:
    // Events closer together than this are one change.
    static constexpr int kCoalesceMs = 250;

    explicit DeviceWatcher(QObject* parent = nullptr);
    ~DeviceWatcher() override;

signals:
    void changed();

private:
    void poke();
    void watchFolder();

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QFileSystemWatcher* m_folder;
    QTimer m_coalesce;
};
