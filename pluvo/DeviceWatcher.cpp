#include "DeviceWatcher.h"

#include "serial.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <libudev.h>

DeviceWatcher::DeviceWatcher(QObject* parent) : QObject(parent), m_folder(new QFileSystemWatcher(this)) {
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(kCoalesceMs);
    connect(&m_coalesce, &QTimer::timeout, this, &DeviceWatcher::changed);

    m_udev = udev_new();
    if (m_udev) m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor) {
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", "usb_device");
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "tty", nullptr);
        if (udev_monitor_enable_receiving(m_monitor) == 0) {
            m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, [this] {
                if (udev_device* d = udev_monitor_receive_device(m_monitor)) udev_device_unref(d);
                poke();
            });
        }
    }
    watchFolder();
    connect(m_folder, &QFileSystemWatcher::directoryChanged, this, [this] {
        watchFolder();
        poke();
    });
}

DeviceWatcher::~DeviceWatcher() {
    delete m_notifier;
    if (m_monitor) udev_monitor_unref(m_monitor);
    if (m_udev) udev_unref(m_udev);
}

void DeviceWatcher::watchFolder() {
    // The folder itself may be missing until the first device (udev makes /dev/serial/by-id then): its parent is
    // watched meanwhile. Only one of them, so that unrelated changes of the parent start no device checks.
    const QString dir = QString::fromStdString(serial::deviceDir());
    const QString parent = QFileInfo(dir).path();
    const QString wanted = QFileInfo(dir).isDir() ? dir : parent;
    const QStringList watched = m_folder->directories();
    for (const QString& d : watched)
        if (d != wanted) m_folder->removePath(d);
    if (QFileInfo(wanted).isDir() && !watched.contains(wanted)) m_folder->addPath(wanted);
}

void DeviceWatcher::poke() {
    m_coalesce.start();
}
