// Stateless operations on USB serial devices: list, open, set the line up, write, close.
// Listing uses the device folder of the platform layer (udev's by-id links, or a simulated tool's link).
#pragma once

#include <QByteArray>
#include <QStringList>

class IOKitTool {
public:
    // Paths of the USB serial devices, in name order.
    static QStringList availableSerialDevices();
    // Non-blocking, read-write, not the controlling terminal; -1 on failure.
    static int openSerialDevice(const QString& path);
    // 115200 baud, raw, CLOCAL and CREAD, VMIN 0, VTIME 10.
    static void configureSerialDevice(int fd);
    static void closeSerialDevice(int fd);
    // One write of all bytes; the result is not reported and a short write is not continued.
    static void writeData(const QByteArray& data, int fd);
};
