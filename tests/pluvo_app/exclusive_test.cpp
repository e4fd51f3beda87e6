// pluvo and the desktop updater never share the tool: while pluvo flashes (its passes and the pause between them)
// the desktop's DevicePort cannot open the port, and while the desktop holds it pluvo cannot.
#include "Fixture.h"

#include "DevicePort.h"
#include "FlashWorker.h"
#include "ProListCtrl.h"
#include "QuenlarkDlg.h"
#include "UpdatePage.h"
#include "frames.h"
#include "serial.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <cstdlib>
#include <gtest/gtest.h>

TEST(PluvoExclusive, PluvoAndTheDesktopUpdaterNeverShareThePort) {
    TempDir devices, emptyRoot;
    ProgramFolder program;
    ::setenv(serial::kDeviceDirEnv, devices.path().c_str(), 1);
    const firmware::Bytes code = randomBytes(6000, 31), data = randomBytes(5000, 32);
    writeBytes(program.update("QM82_V3.00_EN_20240601.bin"), makePackage(code, data));
    auto sim = startSim(devices.path(), "QM82");
    ASSERT_TRUE(sim);
    sim->setEraseMs(150);
    const FlashTiming saved = GetFlashTiming();
    FlashTiming slow = saved;
    slow.betweenPassesMs = 300;
    SetFlashTiming(slow);

    {
        CQuenlarkDlg dlg;
        dlg.state().programFolder = program.folder();
        dlg.setScanRoot(emptyRoot.path());
        dlg.OnInitDialog();
        ASSERT_EQ(dlg.updatePage()->list()->rowCount(), 1);
        BoxAnswerer boxes(QMessageBox::Yes);
        dlg.updatePage()->list()->item(0, 0)->setCheckState(Qt::Checked);
        ASSERT_TRUE(waitUntil([&] { return dlg.state().busy; }, 3000));
        DevicePort& desktop = DevicePort::sharedManager();
        int opened = 0, tries = 0;
        while (dlg.state().busy && tries < 2000) {
            desktop.openSerialPort();
            if (desktop.isOpenPort()) {
                ++opened;
                desktop.closeSerialPort();
            }
            ++tries;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(10);
        }
        EXPECT_GT(tries, 20);
        EXPECT_EQ(opened, 0) << "the desktop got the port during pluvo's flash";
        ASSERT_FALSE(dlg.state().busy);
        ASSERT_TRUE(waitUntil([&] { return !dlg.updatePage()->workerRunning(); }, 3000));
        EXPECT_EQ(sim->memory().at(firmware::kProgramBase), code);
        EXPECT_EQ(sim->memory().at(firmware::kDataBase), data);
        EXPECT_EQ(boxes.texts.size(), 1);

        // The reverse: the desktop holds the port; pluvo's check cannot open it and says why.
        desktop.openSerialPort();
        ASSERT_TRUE(desktop.isOpenPort());
        SerialPort port;
        EXPECT_EQ(port.Open(sim->linkPath()), 0);
        QThread::msleep(1100);
        dlg.OnDeviceChange();
        EXPECT_TRUE(dlg.state().deviceId.isEmpty());
        EXPECT_EQ(dlg.statusText(), CQuenlarkDlg::PortProblemText(EBUSY));
        desktop.closeSerialPort();
        EXPECT_EQ(port.Open(sim->linkPath()), 1);
    }
    SetFlashTiming(saved);
    ::unsetenv(serial::kDeviceDirEnv);
}
