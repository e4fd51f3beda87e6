// Stateless operations on USB serial devices: list, open, set the line up, write, close.
// Listing uses the device folder of the platform layer (udev's by-id links, or a simulated tool's link).
#pragma once

#include <QByteArray>
#include <QStringList>

class IOKitTool {
public:
    // Paths of the USB serial devices, in name order.
    static QStringList availableSerialDevices();
    // Whether a listed device is the scan tool's port: its name carries the mark the USB monitor looks for
    // ("Virtual"), or udev says the tty belongs to a USB device of the tool's identity (3d17:a5c2). Another
    // adapter's port is never written to.
    static bool isScanToolDevice(const QString& path);
    // The first of paths with the tool's USB identity, else the first with the mark; empty when none is.
    static QString scanToolDevice(const QStringList& paths);
    // Non-blocking, read-write, not the controlling terminal; -1 on failure.
    static int openSerialDevice(const QString& path);
    // 115200 baud, raw, CLOCAL and CREAD, VMIN 0, VTIME 10.
    static void configureSerialDevice(int fd);
    static void closeSerialDevice(int fd);
    // One write of all bytes; the result is not reported and a short write is not continued.
    static void writeData(const QByteArray& data, int fd);
};
