#include "IOKitTool.h"

#include "serial.h"

#include <unistd.h>

QStringList IOKitTool::availableSerialDevices() {
    QStringList list;
    for (const std::string& p : serial::listUsbSerialDevices())
        list << QString::fromStdString(p);
    return list;
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
