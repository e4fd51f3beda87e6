// flashcli: identifies the scan tool on the first USB serial device and flashes one package into it,
// printing progress and the result. A console front to the desktop updater's device link and flasher.
#include "DevicePort.h"
#include "KorvoUpdateSendProc.h"
#include "NotificationCenter.h"
#include "frames.h"
#include "serial.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <thread>

namespace {
// How long the tool has to answer the identification probe.
constexpr int kProbeWaitMs = 2000;
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: flashcli PACKAGE.bin\n(devices are looked for in %s, or $%s)\n",
                     serial::kDefaultDeviceDir, serial::kDeviceDirEnv);
        return 2;
    }
    const QString package = QString::fromLocal8Bit(argv[1]);
    DevicePort& port = DevicePort::sharedManager();
    port.openSerialPort();
    if (!port.isOpenPort()) {
        std::fprintf(stderr, "No scan tool found in %s: plug it in (or start scantool-sim) and try again.\n",
                     serial::deviceDir().c_str());
        return 1;
    }
    std::printf("Port: %s\n", port.devicePath().toLocal8Bit().constData());

    NotificationCenter::defaultCenter().addObserver(&app, kDidGetReceiveData, [](const Notification& n) {
        std::printf("Tool: %s\n", n.userInfo.value(kReceiveDataKey).toByteArray().constData());
        std::fflush(stdout);
    });
    port.sendData(
        QByteArray(reinterpret_cast<const char*>(firmware::kProbeCmd.data()), int(firmware::kProbeCmd.size())));
    port.readData(kDidGetReceiveData);

    int lastPercent = -1;
    NotificationCenter::defaultCenter().addObserver(&app, kUpdateDataPro, [&lastPercent](const Notification& n) {
        const QVariantMap info = n.userInfo.value(kProInfoKey).toMap();
        const int status = info.value(kStatusKey).toInt();
        const int percent = int(info.value(kProcessKey).toFloat() * 100.0f + 0.5f);
        if (status == kUpdateStatusRunning && percent != lastPercent) {
            std::printf("\rFlashing: %3d%%", percent);
            std::fflush(stdout);
            lastPercent = percent;
        }
    });

    int result = -1;
    QTimer::singleShot(kProbeWaitMs, &app, [&] {
        std::thread([&] {
            port.setIsUpdating(true);
            result = KorvoUpdateSendProc::UpdateProcStrBin(package);
            port.setIsUpdating(false);
            QMetaObject::invokeMethod(
                &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
        }).detach();
    });
    app.exec();
    port.closeSerialPort();
    if (result == 0) {
        std::printf("\rFlashing: 100%%\nDone: %s was written into the tool.\n", argv[1]);
        return 0;
    }
    std::printf("\nFailed: the tool did not take %s; see the log line above, check the cable and try again.\n",
                argv[1]);
    return 1;
}
