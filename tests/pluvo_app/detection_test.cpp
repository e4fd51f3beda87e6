// Detection: the tool among the USB devices of a sysfs tree and only its own ports; the device check of the main
// dialog with the simulated tool present and answering, present and silent, and absent.
#include "Fixture.h"

#include "CodePage.h"
#include "ProListCtrl.h"
#include "QuenlarkDlg.h"
#include "TextIds.h"
#include "TextLibrary.h"
#include "UpdatePage.h"
#include "UsbToolScan.h"
#include "serial.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QThread>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void mkdirs(const std::string& path) {
    std::string p;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (path[i] == '/' && i > 0)) ::mkdir(path.substr(0, i).c_str(), 0755);
    }
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// A USB device folder under devices/, linked from bus/usb/devices as sysfs does, with tty nodes below it.
void addUsbDevice(const std::string& root, const std::string& name, const char* vid, const char* pid,
                  const std::vector<std::string>& ttyPaths) {
    const std::string real = root + "/sys/devices/pci0000:00/usb1/" + name;
    mkdirs(real);
    writeText(real + "/idVendor", std::string(vid) + "\n");
    writeText(real + "/idProduct", std::string(pid) + "\n");
    for (const std::string& t : ttyPaths)
        mkdirs(real + "/" + t);
    mkdirs(root + "/sys/bus/usb/devices");
    ::symlink(real.c_str(), (root + "/sys/bus/usb/devices/" + name).c_str());
    mkdirs(root + "/dev");
}

struct EnvGuard {
    explicit EnvGuard(const std::string& value) { ::setenv(serial::kDeviceDirEnv, value.c_str(), 1); }
    EnvGuard() { ::unsetenv(serial::kDeviceDirEnv); }
    ~EnvGuard() { ::unsetenv(serial::kDeviceDirEnv); }
};
} // namespace

TEST(PluvoDetection, FindsTheToolAndOnlyItsOwnPorts) {
    EnvGuard noSimulator;
    TempDir root;
    EXPECT_FALSE(usbtool::scan(root.path()).present);

    // Another adapter's port must never be touched (opening it resets its board).
    addUsbDevice(root.path(), "1-2", "0403", "6001", {"1-2:1.0/ttyUSB0/tty/ttyUSB0"});
    EXPECT_FALSE(usbtool::scan(root.path()).present);

    addUsbDevice(root.path(), "1-1", "3d17", "a5c2", {"1-1:1.2/tty/ttyACM1", "1-1:1.0/tty/ttyACM0"});
    // A by-id link names ttyACM0 stably.
    mkdirs(root.path() + "/dev/serial/by-id");
    writeText(root.path() + "/dev/ttyACM0", "");
    writeText(root.path() + "/dev/ttyACM1", "");
    ::symlink("../../ttyACM0", (root.path() + "/dev/serial/by-id/usb-Velmoran_Tool-if00").c_str());
    const usbtool::Scan s = usbtool::scan(root.path());
    EXPECT_TRUE(s.present);
    ASSERT_EQ(s.ports.size(), 2u);
    EXPECT_EQ(s.ports[0], root.path() + "/dev/serial/by-id/usb-Velmoran_Tool-if00");
    EXPECT_EQ(s.ports[1], root.path() + "/dev/ttyACM1");

    // Present but without ports yet (the driver not bound).
    TempDir bare;
    addUsbDevice(bare.path(), "2-1", "3D17", "A5C2", {});
    const usbtool::Scan b = usbtool::scan(bare.path());
    EXPECT_TRUE(b.present);
    EXPECT_TRUE(b.ports.empty());
}

class PluvoDeviceCheck : public ::testing::Test {
protected:
    void SetUp() override {
        dlg = std::make_unique<CQuenlarkDlg>();
        dlg->state().programFolder = program.folder();
        dlg->setScanRoot(emptyRoot.path());
    }
    ProgramFolder program;
    TempDir emptyRoot, devices;
    std::unique_ptr<CQuenlarkDlg> dlg;
};

TEST_F(PluvoDeviceCheck, IdentifiedSilentAndAbsent) {
    EnvGuard env(devices.path());
    writeBytes(program.update("QM64_V1.20_EN_20210910.bin"), makePackage(randomBytes(3000, 1), {}));
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    BoxAnswerer boxes(QMessageBox::Ok);
    dlg->OnInitDialog();
    EXPECT_EQ(dlg->statusText(), textOf(0x3E));
    EXPECT_EQ(dlg->state().deviceId, "QM64");
    EXPECT_EQ(dlg->state().devicePort, sim->linkPath());
    EXPECT_EQ(dlg->updatePage()->list()->rowCount(), 1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(dlg->updatePage()->guide()->isVisibleTo(dlg->updatePage()));

    // Present but silent, events more than a second apart: the id is given up.
    sim->addFault({ScanToolSim::Step::Probe, ScanToolSim::FaultKind::Silent});
    QThread::msleep(1100);
    dlg->OnDeviceChange();
    EXPECT_EQ(dlg->statusText(), textOf(0x3E) + textOf(0x16));
    EXPECT_TRUE(dlg->state().deviceId.isEmpty());
    EXPECT_EQ(dlg->updatePage()->list()->rowCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dlg->updatePage()->guide()->isVisibleTo(dlg->updatePage()));

    sim->stop();
    QThread::msleep(1100);
    dlg->OnDeviceChange();
    EXPECT_EQ(dlg->statusText(), textOf(0x3A));
    EXPECT_FALSE(dlg->state().present);
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_F(PluvoDeviceCheck, ABurstKeepsTheModelWhileThePortIsHeldElsewhere) {
    EnvGuard env(devices.path());
    writeBytes(program.update("QM64_V1.20_EN_20210910.bin"), makePackage(randomBytes(3000, 1), {}));
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    dlg->OnInitDialog();
    ASSERT_EQ(dlg->state().deviceId, "QM64");
    const int other = serial::openDevice(sim->linkPath()); // another program holds the port
    ASSERT_GE(other, 0);
    QThread::msleep(500);
    dlg->OnDeviceChange();
    EXPECT_EQ(dlg->state().deviceId, "QM64") << "within a second the model is kept";
    QThread::msleep(1100);
    dlg->OnDeviceChange();
    EXPECT_TRUE(dlg->state().deviceId.isEmpty());
    EXPECT_EQ(dlg->statusText(), CQuenlarkDlg::PortProblemText(EBUSY));
    serial::closeDevice(other);
}

// The connection mark says what the status line says, on every way to "not connected".
TEST_F(PluvoDeviceCheck, TheMarkAndTheStatusLineNeverDisagree) {
    EnvGuard env(devices.path());
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    BoxAnswerer boxes(QMessageBox::Ok); // no packages for the tool
    dlg->OnInitDialog();
    ASSERT_EQ(dlg->statusText(), textOf(0x3E));
    EXPECT_TRUE(markShowsConnected(*dlg));
    // Pulled out within a second of being plugged in: the model is kept over the burst, the tool is gone.
    sim->stop();
    dlg->OnDeviceChange();
    EXPECT_EQ(dlg->statusText(), textOf(0x3A));
    EXPECT_FALSE(markShowsConnected(*dlg));

    // Plugged in again, another program takes the port, and the tool is pulled out.
    ASSERT_TRUE(sim->start());
    dlg->OnDeviceChange();
    ASSERT_EQ(dlg->statusText(), textOf(0x3E));
    EXPECT_TRUE(markShowsConnected(*dlg));
    const int other = serial::openDevice(sim->linkPath());
    ASSERT_GE(other, 0);
    dlg->OnDeviceChange();
    EXPECT_TRUE(markShowsConnected(*dlg));
    sim->stop();
    serial::closeDevice(other);
    dlg->OnDeviceChange();
    EXPECT_EQ(dlg->statusText(), textOf(0x3A));
    EXPECT_FALSE(markShowsConnected(*dlg));
}

// A port that will not open: the reason first, in the interface language, wrapped inside the window.
TEST_F(PluvoDeviceCheck, ARefusedPortSaysWhyFirstInTheInterfaceLanguageInsideTheWindow) {
    struct Restore {
        ~Restore() {
            CCodePage::Settle(0);
            pluvo::ResetTextLibrary();
        }
    } restore;
    EnvGuard env(devices.path());
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    const int other = serial::openDevice(sim->linkPath()); // another program holds the port
    ASSERT_GE(other, 0);
    for (const int language : {0, 3}) {
        CCodePage::Settle(language);
        pluvo::ResetTextLibrary();
        CQuenlarkDlg localised;
        localised.state().programFolder = program.folder();
        localised.setScanRoot(emptyRoot.path());
        localised.OnInitDialog();
        localised.show();
        const QString reason = pluvo::adsGetStdText_CString(MakeTextId(textid::kPortInUse));
        EXPECT_EQ(localised.statusText(), reason) << language;
        QLabel* line = localised.statusLine();
        EXPECT_TRUE(localised.rect().contains(line->geometry())) << "inside the window";
        const QRect needed = QFontMetrics(line->font())
                                 .boundingRect(QRect(QPoint(), line->size()), Qt::TextWordWrap, localised.statusText());
        EXPECT_LE(needed.width(), line->width()) << language;
        EXPECT_LE(needed.height(), line->height()) << language;
        EXPECT_TRUE(line->wordWrap());
    }
    EXPECT_NE(CQuenlarkDlg::PortProblemText(EBUSY), CQuenlarkDlg::PortProblemText(EACCES));
    serial::closeDevice(other);
    sim->stop();

    // Every reason in every language fits the status line, in a font no smaller than the readable minimum.
    CQuenlarkDlg dlg;
    dlg.state().programFolder = program.folder();
    dlg.setScanRoot(emptyRoot.path());
    dlg.OnInitDialog();
    const QRect room(QPoint(), dlg.statusLine()->size());
    for (int language = 0; language <= 11; ++language) {
        CCodePage::Settle(language);
        pluvo::ResetTextLibrary();
        for (const int err : {EACCES, EBUSY, EIO}) {
            const QString reason = CQuenlarkDlg::PortProblemText(err);
            const QFont font = CQuenlarkDlg::StatusFont(reason, room.size());
            const QRect needed = QFontMetrics(font).boundingRect(room, Qt::TextWordWrap, reason);
            EXPECT_LE(needed.height(), room.height()) << language << " " << reason.toStdString();
            EXPECT_LE(needed.width(), room.width()) << language << " " << reason.toStdString();
            EXPECT_GE(font.pixelSize(), CQuenlarkDlg::kMinStatusPixels);
        }
    }
}
