#include "IOKitTool.h"

#include "KorvoUpdateDeviceManager.h"
#include "serial.h"

#include <QFileInfo>

#include <libudev.h>
#include <unistd.h>

namespace {
// The scan tool's USB identity, as udev gives it in the usb_device's attributes.
constexpr char kToolVendorId[] = "3d17";
constexpr char kToolProductId[] = "a5c2";

bool hasToolIdentity(const QString& path) {
    // The by-id entry is a link to the tty node; udev knows the node by its name in the tty subsystem.
    const QFileInfo entry(path);
    QString node = entry.canonicalFilePath();
    if (node.isEmpty() && entry.isSymLink()) node = entry.symLinkTarget();
    if (node.isEmpty()) return false;
    udev* u = udev_new();
    if (!u) return false;
    bool match = false;
    if (udev_device* tty =
            udev_device_new_from_subsystem_sysname(u, "tty", QFileInfo(node).fileName().toUtf8().constData())) {
        if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device")) {
            const char* vendor = udev_device_get_sysattr_value(usb, "idVendor");
            const char* product = udev_device_get_sysattr_value(usb, "idProduct");
            match = vendor && product && QString(vendor).compare(kToolVendorId, Qt::CaseInsensitive) == 0 &&
                    QString(product).compare(kToolProductId, Qt::CaseInsensitive) == 0;
        }
        udev_device_unref(tty); // the parent belongs to the child
    }
    udev_unref(u);
    return match;
}
} // namespace

QStringList IOKitTool::availableSerialDevices() {
    QStringList list;
    for (const std::string& p : serial::listUsbSerialDevices())
        list << QString::fromStdString(p);
    return list;
}

bool IOKitTool::isScanToolDevice(const QString& path) {
    return KorvoUpdateDeviceManager::isScanToolName(QFileInfo(path).fileName()) || hasToolIdentity(path);
}

QString IOKitTool::scanToolDevice(const QStringList& paths) {
    // The tool's USB identity goes before the mark: another device may carry "Virtual" in its name and sort first.
    for (const QString& path : paths)
        if (hasToolIdentity(path)) return path;
    for (const QString& path : paths)
        if (KorvoUpdateDeviceManager::isScanToolName(QFileInfo(path).fileName())) return path;
    return QString();
}

int IOKitTool::openSerialDevice(const QString& path) {
    return serial::openDevice(path.toStdString());
}

void IOKitTool::configureSerialDevice(int fd) {
    serial::configureDevice(fd);
}

void IOKitTool::closeSerialDevice(int fd) {
    serial::closeDevice(fd);
}

void IOKitTool::writeData(const QByteArray& data, int fd) {
    (void)!::write(fd, data.constData(), size_t(data.size()));
}
