#include "AppDelegate.h"
#include "DevicePort.h"
#include "KorvoUpdateButton.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateFlashRunner.h"
#include "KorvoUpdateImageView.h"
#include "KorvoUpdateMainViewController.h"
#include "KorvoUpdateSendProc.h"
#include "KorvoUpdateTabItemBgView.h"
#include "KorvoUpdateWindow.h"
#include "KorvoUpdateWindowController.h"
#include "NotificationCenter.h"
#include "QtTranslations.h"
#include "ScanToolSim.h"
#include "TempDir.h"
#include "UserDefaults.h"
#include "desktoptest.h"
#include "mainbundle.h"
#include "package.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <linux/capability.h>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using desktoptest::spin;
using desktoptest::waitUntil;

namespace {

struct Report {
    int status;
    QString path;
    bool busyWhenPosted;
};

class MainView : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SCANTOOL_SERIAL_DIR", devices.path().c_str(), 1);
        desktoptest::useEnglish();
        DevicePort::ExchangeTiming e;
        e.failedWritePauseMs = 10;
        DevicePort::sharedManager().setExchangeTiming(e);
        KorvoUpdateSendProc::Timing t;
        t.pauseAfterPassMs = 50;
        KorvoUpdateSendProc::setTiming(t);
        NotificationCenter::defaultCenter().addObserver(this, kUpdateDataPro, [this](const Notification& n) {
            const QVariantMap info = n.userInfo.value(kProInfoKey).toMap();
            std::lock_guard<std::mutex> lock(mutex);
            reports.push_back({info.value(kStatusKey).toInt(), info.value(kPathKey).toString(),
                               DevicePort::sharedManager().isUpdating()});
        });
        ScanToolSim::Options o;
        o.deviceDir = devices.path();
        sim = std::make_unique<ScanToolSim>(o);
    }
    void TearDown() override {
        controller.reset();
        mainbundle::setResourcePath(desktoptest::resourcesDir());
        EXPECT_TRUE(KorvoUpdateFlashRunner::stopAndWait(5000));
        KorvoUpdateFlashRunner::setFlashForTesting({});
        NotificationCenter::defaultCenter().removeObserver(this);
        DevicePort::sharedManager().closeSerialPort();
        DevicePort::sharedManager().setCurName("");
        sim->stop();
        unsetenv("SCANTOOL_SERIAL_DIR");
    }
    KorvoUpdateMainViewController* load() {
        controller = std::make_unique<KorvoUpdateMainViewController>();
        controller->loadViewIfNeeded();
        return controller.get();
    }
    QString statusText() const { return statusText(controller.get()); }
    static QString statusText(KorvoUpdateMainViewController* c) { return c->tabView()->btmView()->lab()->text(); }
    // Resources as shipped, but for one package of the simulated tool's model in Update; its path.
    QString shipOnePackage() {
        const QDir source(desktoptest::resourcesDir());
        for (const QString& name : source.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            QFile::link(source.filePath(name), QString::fromStdString(shipped.file(name.toStdString())));
        QDir(QString::fromStdString(shipped.path())).mkdir("Update");
        firmware::Bytes program(9000);
        for (size_t i = 0; i < program.size(); ++i)
            program[i] = uint8_t(i * 7 + 3);
        const std::string path =
            shipped.write("Update/QM82_V1.20_EN_20240105.bin", firmware::buildPackage({{1, program}}));
        mainbundle::setResourcePath(QString::fromStdString(shipped.path()));
        return QString::fromStdString(path);
    }
    std::vector<Report> reportsWithStatus(int status) {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<Report> out;
        for (const Report& r : reports)
            if (r.status == status) out.push_back(r);
        return out;
    }
    // A fake flash that runs until released.
    void blockingFlash() {
        KorvoUpdateFlashRunner::setFlashForTesting([this](const QString&) {
            while (!release.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
    }
    std::string writePackage() {
        return packages.write("QM82_V1.20_EN_20240105.bin", firmware::buildPackage({{1, firmware::Bytes(6000, 0xA5)}}));
    }

    TempDir devices;
    TempDir packages;
    TempDir shipped;
    std::unique_ptr<ScanToolSim> sim;
    std::unique_ptr<KorvoUpdateMainViewController> controller;
    std::mutex mutex;
    std::vector<Report> reports;
    std::atomic<bool> release{false};
};

TEST_F(MainView, ProbesAtLoadAndOneSecondAfterAnAttach) {
    ASSERT_TRUE(sim->start()) << sim->lastError();
    load();
    EXPECT_TRUE(DevicePort::sharedManager().isOpenPort());
    EXPECT_TRUE(sim->waitFor([&] { return sim->probes() == 1; }, 2000));
    EXPECT_EQ(statusText(), localizedText("Update6"));

    // Two reports of one plug-in (udev and the serial link) lead to one reopen, a second after the last.
    controller->deviceDidMounted(nullptr);
    controller->deviceDidMounted(nullptr);
    spin(700);
    EXPECT_EQ(sim->probes(), 1);
    EXPECT_TRUE(waitUntil([&] { return sim->probes() == 2; }, 2000));
    spin(300);
    EXPECT_EQ(sim->probes(), 2);
}

TEST_F(MainView, DetachClosesThePortAndShowsDisconnected) {
    ASSERT_TRUE(sim->start());
    load();
    ASSERT_TRUE(DevicePort::sharedManager().isOpenPort());
    DevicePort::sharedManager().setCurName("QM82");
    controller->deviceDidUnMounted(nullptr);
    EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
    EXPECT_EQ(statusText(), localizedText("Update7"));
    EXPECT_EQ(DevicePort::sharedManager().curName(), "");
}

TEST_F(MainView, WithNoDeviceNothingIsProbed) {
    load();
    EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
    EXPECT_EQ(statusText(), localizedText("Update7"));
    EXPECT_EQ(controller->titleSearchField()->text(), "V1.0.0");
    EXPECT_EQ(controller->copyrightLabel()->text(), localizedText("App3"));
    EXPECT_EQ(sim->probes(), 0);
    EXPECT_EQ(&controller->devPort(), &DevicePort::sharedManager());
    EXPECT_FALSE(controller->logoImageView()->image().isNull());
    EXPECT_FALSE(controller->copyrightImageView()->image().isNull());
    EXPECT_EQ(controller->noUpdateAlert(), nullptr);
    EXPECT_EQ(controller->errorAlert(), nullptr);
}

TEST_F(MainView, ASecondFlashIsTurnedBackAndTheBusyFlagLastsUntilTheWorkerEnds) {
    blockingFlash();
    load();
    controller->softwareItemClick("/first.bin", 0);
    EXPECT_TRUE(controller->isUpdate());
    controller->softwareItemClick("/second.bin", 1);
    const auto resets = reportsWithStatus(kUpdateStatusReset);
    ASSERT_EQ(resets.size(), 1u);
    EXPECT_EQ(resets[0].path, "/second.bin");

    // An attach or detach does not clear the flag while the worker runs.
    controller->deviceDidUnMounted(nullptr);
    controller->deviceDidMounted(nullptr);
    EXPECT_TRUE(controller->isUpdate());
    release = true;
    EXPECT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 2000));
    EXPECT_FALSE(controller->isUpdate());
}

// Work held back until a flash has ended must not run under a flash started before that work reached the GUI
// thread.
TEST_F(MainView, WorkWaitingForTheEndOfAFlashWaitsAlsoForAFlashStartedMeanwhile) {
    blockingFlash();
    ASSERT_TRUE(KorvoUpdateFlashRunner::start("/first.bin"));
    bool ranWhileBusy = false, ran = false;
    KorvoUpdateFlashRunner::whenIdle([&] {
        ran = true;
        ranWhileBusy = DevicePort::sharedManager().isUpdating();
    });
    release = true;
    // The first worker ends; before the GUI thread turns, a second flash starts.
    while (KorvoUpdateFlashRunner::isRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    release = false;
    ASSERT_TRUE(KorvoUpdateFlashRunner::start("/second.bin"));
    spin(50);
    EXPECT_FALSE(ran);
    release = true;
    EXPECT_TRUE(waitUntil([&] { return ran; }, 2000));
    EXPECT_FALSE(ranWhileBusy);
}

// Another "Virtual" device plugged in and pulled out again while a flash runs: the flash goes on to the end, and
// the reopen of the attach waits for it, so that the tool is listed and shown connected afterwards.
TEST_F(MainView, AnotherToolsPortComingAndGoingDuringAFlashLeavesIt) {
    ASSERT_TRUE(sim->start());
    sim->setEraseMs(800);
    load();
    ASSERT_TRUE(waitUntil([] { return DevicePort::sharedManager().curName() == "QM82"; }, 2000));
    const QString connected = statusText();
    ASSERT_NE(connected, localizedText("Update7"));
    KorvoUpdateDeviceManager monitor([&] {
        std::vector<std::unique_ptr<KorvoUpdateDeviceManager::Source>> sources;
        sources.push_back(KorvoUpdateDeviceManager::folderSource(QString::fromStdString(devices.path())));
        return sources;
    }());
    monitor.addObservers();
    monitor.setDelegate(controller.get());

    firmware::Bytes program(7000);
    for (size_t i = 0; i < program.size(); ++i)
        program[i] = uint8_t(i * 13 + 5);
    const std::string package = packages.write("QM82_V1.20_EN_20240105.bin", firmware::buildPackage({{1, program}}));
    controller->softwareItemClick(QString::fromStdString(package), 0);
    ASSERT_TRUE(sim->waitFor([&] { return sim->frames().size() >= 3; }, 3000)); // probe, enter, erase

    // Its name sorts before the tool's, so it would be the first tool port listed.
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const std::string other = devices.file("usb-Acme_Virtual_COM_Port_B2-if00");
    ASSERT_EQ(symlink(ptsname(master), other.c_str()), 0);
    spin(200);
    EXPECT_TRUE(KorvoUpdateFlashRunner::isRunning());
    ASSERT_EQ(unlink(other.c_str()), 0);
    spin(200);
    EXPECT_TRUE(KorvoUpdateFlashRunner::isRunning());
    EXPECT_EQ(statusText(), connected);

    EXPECT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 10000));
    EXPECT_EQ(reportsWithStatus(kUpdateStatusDone).size(), 1u);
    EXPECT_TRUE(reportsWithStatus(kUpdateStatusFailed).empty());
    EXPECT_EQ(sim->completedPasses(), 1);
    EXPECT_TRUE(sim->violations().empty());
    EXPECT_EQ(sim->memory().at(firmware::kProgramBase), program);
    EXPECT_EQ(sim->probes(), 1); // nothing was probed during the flash

    // The attach's reopen, once the flash is over: the tool is probed and identified again.
    EXPECT_TRUE(waitUntil([&] { return sim->probes() == 2; }, 3000));
    EXPECT_TRUE(waitUntil([] { return DevicePort::sharedManager().curName() == "QM82"; }, 3000));
    EXPECT_TRUE(DevicePort::sharedManager().isOpenPort());
    EXPECT_EQ(statusText(), localizedText("Update8"));
    monitor.setDelegate(nullptr);
    close(slave);
    close(master);
}

// The tool's own link goes during the erase (the tool answers nothing meanwhile): the flash fails at once, the
// tool is shown gone and the port is closed once the worker is done.
TEST_F(MainView, TheToolGoingDuringAFlashStopsItAtOnce) {
    ASSERT_TRUE(sim->start());
    sim->setEraseMs(2500); // longer than the wait for the failure below
    load();
    ASSERT_TRUE(waitUntil([] { return DevicePort::sharedManager().curName() == "QM82"; }, 2000));
    KorvoUpdateDeviceManager monitor([&] {
        std::vector<std::unique_ptr<KorvoUpdateDeviceManager::Source>> sources;
        sources.push_back(KorvoUpdateDeviceManager::folderSource(QString::fromStdString(devices.path())));
        return sources;
    }());
    monitor.addObservers();
    monitor.setDelegate(controller.get());
    controller->softwareItemClick(QString::fromStdString(writePackage()), 0);
    ASSERT_TRUE(sim->waitFor([&] { return sim->frames().size() >= 3; }, 3000)); // probe, enter, erase

    ASSERT_EQ(unlink(sim->linkPath().c_str()), 0);
    EXPECT_TRUE(waitUntil([&] { return !reportsWithStatus(kUpdateStatusFailed).empty(); }, 1500));
    for (const Report& r : reportsWithStatus(kUpdateStatusFailed))
        EXPECT_TRUE(r.busyWhenPosted);
    EXPECT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 3000));
    EXPECT_FALSE(controller->isUpdate());
    EXPECT_TRUE(reportsWithStatus(kUpdateStatusDone).empty());
    EXPECT_EQ(statusText(), localizedText("Update7"));
    EXPECT_EQ(DevicePort::sharedManager().curName(), "");
    EXPECT_TRUE(waitUntil([] { return !DevicePort::sharedManager().isOpenPort(); }, 1000));
    EXPECT_EQ(sim->probes(), 1);
    monitor.setDelegate(nullptr);
}

// A detach reported while the tool's link is still there (udev may report the device before its link goes)
// leaves the flash; once the flash has ended the tool is found gone and shown so.
TEST_F(MainView, AToolWhoseLinkGoesAfterItsDetachIsShownGoneWhenTheFlashEnds) {
    ASSERT_TRUE(sim->start());
    load();
    ASSERT_TRUE(DevicePort::sharedManager().isOpenPort());
    blockingFlash();
    controller->softwareItemClick("/pkg.bin", 0);
    controller->deviceDidUnMounted(nullptr);
    EXPECT_NE(statusText(), localizedText("Update7"));
    ASSERT_EQ(unlink(sim->linkPath().c_str()), 0);
    release = true;
    EXPECT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 2000));
    EXPECT_TRUE(waitUntil([&] { return statusText() == localizedText("Update7"); }, 1000));
    EXPECT_EQ(DevicePort::sharedManager().curName(), "");
    EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
}

TEST_F(MainView, AGoodFlashClosesThePortAndClearsTheFlag) {
    ASSERT_TRUE(sim->start());
    load();
    ASSERT_TRUE(sim->waitFor([&] { return sim->probes() == 1; }, 2000));
    controller->softwareItemClick(QString::fromStdString(writePackage()), 0);
    EXPECT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 10000));
    ASSERT_EQ(reportsWithStatus(kUpdateStatusDone).size(), 1u);
    EXPECT_TRUE(sim->violations().empty());
    EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
    EXPECT_FALSE(controller->isUpdate());
}

TEST_F(MainView, ReleasingAReplacedControllerLeavesTheNewOnesPortOpen) {
    ASSERT_TRUE(sim->start());
    auto old = std::make_unique<KorvoUpdateMainViewController>();
    old->loadViewIfNeeded();
    load();
    EXPECT_TRUE(controller->isPortKeeper());
    EXPECT_FALSE(old->isPortKeeper());
    ASSERT_TRUE(sim->waitFor([&] { return sim->probes() == 2; }, 2000));
    old.reset();
    EXPECT_TRUE(DevicePort::sharedManager().isOpenPort());
    EXPECT_EQ(KorvoUpdateDeviceManager::sharedManager().delegate(), controller.get());
    controller.reset();
    EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
    EXPECT_EQ(KorvoUpdateDeviceManager::sharedManager().delegate(), nullptr);
}

TEST_F(MainView, ClosingDuringAFlashAsksAndOnlyOkCloses) {
    blockingFlash();
    KorvoUpdateWindow window;
    auto* c = new KorvoUpdateMainViewController;
    window.setContentViewController(std::unique_ptr<KorvoUpdateViewController>(c));
    window.show();
    c->softwareItemClick("/pkg.bin", 0);

    c->closeAction();
    ASSERT_TRUE(c->exitAlert());
    EXPECT_TRUE(c->exitAlert()->isVisible());
    QTest::mouseClick(c->exitAlert()->cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(window.isVisible());

    c->closeAction();
    QTest::mouseClick(c->exitAlert()->closeButton(), Qt::LeftButton);
    EXPECT_TRUE(window.isVisible());

    c->closeAction();
    QTest::mouseClick(c->exitAlert()->okButton(), Qt::LeftButton);
    spin(50);
    EXPECT_TRUE(window.isVisible()); // the stopped flash's worker has not ended yet
    release = true;
    EXPECT_TRUE(waitUntil([&] { return !window.isVisible(); }, 2000));
}

TEST_F(MainView, ClosingWhileIdleClosesAtOnce) {
    KorvoUpdateWindow window;
    auto* c = new KorvoUpdateMainViewController;
    window.setContentViewController(std::unique_ptr<KorvoUpdateViewController>(c));
    window.show();
    EXPECT_EQ(window.size(), QSize(1140, 724));
    EXPECT_TRUE(window.wasCentred());
    const QPoint moved = window.pos() + QPoint(40, 30);
    window.move(moved);
    window.hide();
    window.show();
    EXPECT_EQ(window.pos(), moved); // centred once only
    c->closeAction();
    EXPECT_FALSE(c->exitAlert());
    EXPECT_FALSE(window.isVisible());
}

// Bytes on the line before the probe (report text the tool sent while nobody listened) do not hide its reply.
TEST_F(MainView, TextWaitingOnTheLineDoesNotHideTheIdentification) {
    ASSERT_TRUE(sim->start());
    sim->sendReport("REPORT 0421\r\nP0301 Cylinder 1 misfire\r\n");
    load();
    ASSERT_TRUE(sim->waitFor([&] { return sim->probes() == 1; }, 2000));
    EXPECT_TRUE(waitUntil([] { return DevicePort::sharedManager().curName() == "QM82"; }, 2000));
}

// A flash stopped during the erase by a replug: the tool's late reply to it comes after the port was reopened, and
// the probe waits until the line is quiet, so the tool is identified again without a replug.
TEST_F(MainView, AfterAStoppedFlashTheLineFallsQuietBeforeTheProbe) {
    DevicePort::ExchangeTiming e = DevicePort::sharedManager().exchangeTiming();
    e.settleQuietMs = 700;
    e.settleMaxMs = 4000;
    DevicePort::sharedManager().setExchangeTiming(e);
    ASSERT_TRUE(sim->start());
    sim->setEraseMs(1300); // its reply comes after the reopen a second after the attach, or while it waits
    load();
    ASSERT_TRUE(waitUntil([] { return DevicePort::sharedManager().curName() == "QM82"; }, 2000));
    controller->softwareItemClick(QString::fromStdString(writePackage()), 0);
    ASSERT_TRUE(sim->waitFor([&] { return sim->frames().size() >= 3; }, 3000)); // probe, enter, erase
    // The tool is unplugged and plugged in again: its detach stops the flash, its attach reopens the port.
    char target[256] = {};
    ASSERT_GT(readlink(sim->linkPath().c_str(), target, sizeof target - 1), 0);
    ASSERT_EQ(unlink(sim->linkPath().c_str()), 0);
    controller->deviceDidUnMounted(nullptr);
    EXPECT_EQ(DevicePort::sharedManager().curName(), "");
    ASSERT_EQ(symlink(target, sim->linkPath().c_str()), 0);
    controller->deviceDidMounted(nullptr);
    EXPECT_TRUE(waitUntil([&] { return !reportsWithStatus(kUpdateStatusFailed).empty(); }, 1500));
    EXPECT_TRUE(waitUntil([&] { return sim->probes() == 2; }, 6000));
    EXPECT_TRUE(waitUntil([] { return DevicePort::sharedManager().curName() == "QM82"; }, 3000));
}

// The language is switched while the tool erases: the flash is cut, and the tool, busy with the erase, answers no
// probe until it is done. The new screen asks it again until it answers, so its packages come back; until then the
// status bar does not say the tool is ready.
TEST_F(MainView, AfterAFlashCutByANewLanguageTheToolIsAskedUntilItAnswers) {
    const QString package = shipOnePackage();
    ASSERT_TRUE(sim->start());
    sim->setEraseMs(3000);
    KorvoUpdateWindow window;
    auto* first = new KorvoUpdateMainViewController;
    window.setContentViewController(std::unique_ptr<KorvoUpdateViewController>(first));
    window.show();
    ASSERT_TRUE(waitUntil([&] { return first->myUpdatesView()->listModels().size() == 1; }, 3000));
    first->softwareItemClick(package, 0);
    ASSERT_TRUE(sim->waitFor([&] { return sim->frames().size() >= 3; }, 3000)); // probe, enter, erase

    first->resetMainViewController(); // as Apply in the language tab does, once the user agreed
    auto* second = dynamic_cast<KorvoUpdateMainViewController*>(window.contentViewController());
    ASSERT_TRUE(second && second != first);
    ASSERT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 3000));
    ASSERT_TRUE(waitUntil([] { return DevicePort::sharedManager().isOpenPort(); }, 3000));
    EXPECT_TRUE(second->isProbingUntilAnswered());
    bool readyWhileEmpty = false;
    const bool listed = waitUntil(
        [&] {
            const bool empty = second->myUpdatesView()->listModels().empty();
            if (empty && statusText(second) == localizedText("Update8")) readyWhileEmpty = true;
            return !empty;
        },
        10000);
    EXPECT_TRUE(listed) << "the tool's packages came back";
    EXPECT_FALSE(readyWhileEmpty) << "the status said ready while the tool had not answered";
    EXPECT_EQ(statusText(second), localizedText("Update8"));
    EXPECT_EQ(DevicePort::sharedManager().curName(), "QM82");
    EXPECT_GE(sim->probes(), 3); // at the start, after the cut, and again once the erase was over
    EXPECT_TRUE(waitUntil([&] { return !second->isProbingUntilAnswered(); }, 3000));
    const int probes = sim->probes();
    spin(KorvoUpdateMainViewController::kProbeRetryMs + 500);
    EXPECT_EQ(sim->probes(), probes) << "an answered tool is not asked again";
}

// The tool pulled out during a flash: an alert, in the interface language, says that the update did not finish
// and what to do, naming the package to flash again.
TEST_F(MainView, PullingTheToolOutDuringAFlashSaysTheUpdateDidNotFinish) {
    QStringList messages;
    for (const char* language : {"en", "de"}) {
        UserDefaults::standardUserDefaults().setObject(language, kUserLanguageKey);
        KorvoUpdateCommonTool::sharedTool().initBaseBundle();
        messages << localizedText("UpdateHint6");
        ASSERT_TRUE(sim->start());
        sim->setEraseMs(2500);
        load();
        ASSERT_TRUE(waitUntil([] { return DevicePort::sharedManager().curName() == "QM82"; }, 3000));
        const QString package = QString::fromStdString(writePackage());
        controller->softwareItemClick(package, 0);
        ASSERT_TRUE(sim->waitFor([&] { return sim->frames().size() >= 3; }, 3000)) << language; // erasing
        EXPECT_FALSE(controller->unplugAlert());

        sim->vanish();
        controller->deviceDidUnMounted(nullptr);
        ASSERT_TRUE(controller->unplugAlert()) << language;
        EXPECT_TRUE(controller->unplugAlert()->isVisible());
        EXPECT_EQ(controller->unplugAlert()->titleTextField()->text(), localizedText("Alert1"));
        EXPECT_EQ(controller->unplugAlert()->messageTextField()->text(), localizedText("UpdateHint6"));
        EXPECT_EQ(controller->unplugAlert()->informationTextField()->text(), "QM82_V1.20_EN_20240105.bin");
        EXPECT_EQ(controller->unplugAlert()->okButton()->text(), localizedText("Update21"));
        EXPECT_FALSE(controller->unplugAlert()->cancelButton()->isVisibleTo(controller->unplugAlert()));
        EXPECT_EQ(statusText(), localizedText("Update7"));
        EXPECT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 3000));
        // The system's second report of the same unplug asks nothing more.
        KorvoUpdateAlert* shown = controller->unplugAlert();
        controller->deviceDidUnMounted(nullptr);
        EXPECT_EQ(controller->unplugAlert(), shown);
        const QString shots = qEnvironmentVariable("KORVO_SCREENSHOT_DIR");
        if (!shots.isEmpty()) shown->grab().save(QString("%1/unplugged_during_flash_%2.png").arg(shots, language));
        QTest::mouseClick(shown->okButton(), Qt::LeftButton);
        EXPECT_FALSE(shown->isVisible());
        controller.reset();
    }
    EXPECT_NE(messages[0], messages[1]);
}

// A tool that restarts after its update leaves the line right after acknowledging the last end frame, within the
// pause that follows it: the update has succeeded, and is reported so, with no alert that it did not finish. Gone
// after the first of two passes, it is cut.
TEST_F(MainView, AToolLeavingAfterItsLastEndFrameWasAcknowledgedHasBeenUpdated) {
    const QString package = shipOnePackage();
    KorvoUpdateSendProc::Timing t;
    t.pauseAfterPassMs = 60000; // the detach comes within it, and ends it
    KorvoUpdateSendProc::setTiming(t);
    const auto gone = [&] { return !QFile::exists(QString::fromStdString(sim->linkPath())); };
    sim->addFault({ScanToolSim::Step::End, ScanToolSim::FaultKind::LeaveAfterReply, 0});
    ASSERT_TRUE(sim->start());
    load();
    ASSERT_TRUE(waitUntil([&] { return controller->myUpdatesView()->listModels().size() == 1; }, 3000));
    controller->softwareItemClick(package, 0);
    ASSERT_TRUE(waitUntil(gone, 10000));
    controller->deviceDidUnMounted(nullptr);
    EXPECT_FALSE(controller->unplugAlert());
    ASSERT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 5000));
    EXPECT_EQ(reportsWithStatus(kUpdateStatusDone).size(), 1u);
    EXPECT_TRUE(reportsWithStatus(kUpdateStatusFailed).empty());
    EXPECT_EQ(sim->completedPasses(), 1);
    EXPECT_FALSE(controller->unplugAlert());

    // Gone between the two passes of a package with both sections: cut.
    ASSERT_TRUE(sim->start());
    controller->deviceDidMounted(nullptr);
    ASSERT_TRUE(waitUntil([] { return DevicePort::sharedManager().curName() == "QM82"; }, 3000));
    const std::string both = packages.write("QM82_V1.30_EN_20240105.bin",
                                            firmware::buildPackage({{1, firmware::Bytes(3000, 1)}, {2, {7, 8}}}));
    controller->softwareItemClick(QString::fromStdString(both), 0);
    ASSERT_TRUE(waitUntil(gone, 10000));
    EXPECT_EQ(sim->completedPasses(), 2);
    EXPECT_FALSE(KorvoUpdateFlashRunner::hasSucceeded());
    controller->deviceDidUnMounted(nullptr);
    ASSERT_TRUE(waitUntil([&] { return controller->unplugAlert() != nullptr; }, 5000));
    EXPECT_EQ(controller->unplugAlert()->informationTextField()->text(), "QM82_V1.30_EN_20240105.bin");
}

// The flash fails first (the tool's link went with the tool) and the system reports the unplug a moment later: the
// alert comes all the same. An unplug long after a finished flash brings none.
TEST_F(MainView, AnUnplugReportedJustAfterTheFlashFailedStillSaysTheUpdateDidNotFinish) {
    ASSERT_TRUE(sim->start());
    load();
    blockingFlash();
    controller->softwareItemClick("/pkg/QM82_V1.20_EN_20240105.bin", 0);
    KorvoUpdateSendProc::didPostUpdateData(kUpdateStatusFailed, 0.3f, "/pkg/QM82_V1.20_EN_20240105.bin");
    release = true;
    ASSERT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 2000));
    spin(50);
    sim->vanish();
    controller->deviceDidUnMounted(nullptr);
    ASSERT_TRUE(controller->unplugAlert());
    EXPECT_EQ(controller->unplugAlert()->informationTextField()->text(), "QM82_V1.20_EN_20240105.bin");
    controller->unplugAlert()->btnAction(KorvoUpdateAlert::kReturnOK);

    // Plugged in again and pulled out with no flash: nothing to tell.
    ASSERT_TRUE(sim->start());
    controller->deviceDidMounted(nullptr);
    KorvoUpdateAlert* told = controller->unplugAlert();
    spin(KorvoUpdateMainViewController::kUnplugAfterFailureMs + 200);
    sim->vanish();
    controller->deviceDidUnMounted(nullptr);
    EXPECT_EQ(controller->unplugAlert(), told);
    EXPECT_FALSE(told->isVisible());
}

// A second USB serial adapter whose link sorts first: the tool's own port is opened, probed and listed, and the
// adapter gets not one byte.
TEST_F(MainView, AnotherAdaptersPortIsNeverWritten) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const std::string adapter = devices.file("usb-Acme_USB_Serial_Adapter_A1-if00-port0");
    ASSERT_EQ(symlink(ptsname(master), adapter.c_str()), 0);
    ASSERT_TRUE(sim->start());

    TempDir resources;
    const QDir source(desktoptest::resourcesDir());
    for (const QString& name : source.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        QFile::link(source.filePath(name), QString::fromStdString(resources.file(name.toStdString())));
    QDir(QString::fromStdString(resources.path())).mkdir("Update");
    resources.write("Update/QM82_V1.20_EN_20240105.bin", firmware::buildPackage({{1, firmware::Bytes(3000, 1)}}));
    mainbundle::setResourcePath(QString::fromStdString(resources.path()));

    load();
    EXPECT_EQ(DevicePort::sharedManager().devicePath().toStdString(), sim->linkPath());
    EXPECT_TRUE(sim->waitFor([&] { return sim->probes() == 1; }, 2000));
    EXPECT_TRUE(waitUntil([&] { return controller->myUpdatesView()->listModels().size() == 1; }, 2000));
    EXPECT_EQ(DevicePort::sharedManager().curName(), "QM82");
    controller->deviceDidMounted(nullptr);
    EXPECT_TRUE(waitUntil([&] { return sim->probes() == 2; }, 3000));

    pollfd p{master, POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 100), 0) << "the adapter received bytes";
    controller.reset();
    mainbundle::setResourcePath(desktoptest::resourcesDir());
    close(slave);
    close(master);
}

// Drops the override of file permissions and of exclusive terminals from this thread's effective capabilities
// while it lives, so that a test run as root meets the checks a user meets.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        if (syscall(SYS_capget, &m_header, m_saved) != 0) return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_SYS_ADMIN));
        m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~WithoutPermissionOverride() {
        if (m_dropped) syscall(SYS_capset, &m_header, m_saved);
    }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};

// The tool's port is there but may not be opened: the status bar says so and what to do, not "not connected".
TEST_F(MainView, APortFoundButNotOpenableSaysWhatIsWrong) {
    ASSERT_TRUE(sim->start());
    ASSERT_EQ(chmod(sim->slavePath().c_str(), 0), 0);
    for (const char* language : {"en", "ru"}) {
        UserDefaults::standardUserDefaults().setObject(language, kUserLanguageKey);
        KorvoUpdateCommonTool::sharedTool().initBaseBundle();
        {
            WithoutPermissionOverride asUser;
            load();
        }
        EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
        EXPECT_EQ(DevicePort::sharedManager().lastOpenError(), EACCES);
        EXPECT_EQ(statusText(), localizedText("PortError1")) << language;
        EXPECT_NE(statusText(), localizedText("Update7"));
        EXPECT_EQ(sim->probes(), 0);
        const QString shots = qEnvironmentVariable("KORVO_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            controller->resize(1140, 724);
            controller->show();
            controller->grab().save(QString("%1/port_not_openable_%2.png").arg(shots, language));
        }
        controller->deviceDidUnMounted(nullptr);
        EXPECT_EQ(statusText(), localizedText("Update7"));
        controller.reset();
    }
}

// The program started as main() starts it, a flash into the simulated tool under way: a close through the window
// system (the window manager's close, Alt+F4) and the end of the session ask first and never cut the flash.
TEST_F(MainView, AWindowSystemCloseOrLogoutDuringAFlashAsksAndTheFlashGoesOn) {
    ASSERT_TRUE(sim->start());
    sim->setEraseMs(600);
    AppDelegate delegate;
    delegate.applicationWillFinishLaunching();
    KorvoUpdateWindowController windowController;
    windowController.windowDidLoad();
    delegate.applicationDidFinishLaunching();
    KorvoUpdateWindow* window = windowController.window();
    auto* c = dynamic_cast<KorvoUpdateMainViewController*>(window->contentViewController());
    ASSERT_TRUE(c);
    ASSERT_TRUE(waitUntil([] { return DevicePort::sharedManager().curName() == "QM82"; }, 3000));
    EXPECT_TRUE(AppDelegate::applicationShouldTerminate(false)); // idle: the session may end

    c->softwareItemClick(QString::fromStdString(writePackage()), 0);
    ASSERT_TRUE(sim->waitFor([&] { return sim->frames().size() >= 3; }, 3000)); // erasing

    QCloseEvent close;
    QCoreApplication::sendEvent(window->windowHandle(), &close);
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(c->exitAlert());
    EXPECT_TRUE(c->exitAlert()->isVisible());
    KorvoUpdateAlert* asked = c->exitAlert();
    QCloseEvent again;
    QCoreApplication::sendEvent(window->windowHandle(), &again);
    EXPECT_EQ(c->exitAlert(), asked); // the same question, not a second one
    QTest::mouseClick(asked->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(asked->isVisible());

    // A logout: held back, and asked when the session manager allows it.
    EXPECT_FALSE(AppDelegate::applicationShouldTerminate(false));
    EXPECT_FALSE(c->exitAlert()->isVisible());
    EXPECT_FALSE(AppDelegate::applicationShouldTerminate(true));
    ASSERT_TRUE(c->exitAlert()->isVisible());
    QTest::mouseClick(c->exitAlert()->cancelButton(), Qt::LeftButton);

    EXPECT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 15000));
    EXPECT_EQ(reportsWithStatus(kUpdateStatusDone).size(), 1u);
    EXPECT_TRUE(reportsWithStatus(kUpdateStatusFailed).empty());
    EXPECT_EQ(sim->completedPasses(), 1);
    EXPECT_TRUE(sim->violations().empty());
    EXPECT_TRUE(window->isVisible());

    // Idle again: a window-system close closes at once.
    QCloseEvent last;
    QCoreApplication::sendEvent(window->windowHandle(), &last);
    EXPECT_FALSE(window->isVisible());
    // The monitor started here lives on in this process: it sees the tool go while its controller still listens.
    sim->stop();
    spin(300);
}

// Another program holds the tool's port exclusively: the status bar says the port is in use.
TEST_F(MainView, APortHeldByAnotherProgramSaysItIsInUse) {
    ASSERT_TRUE(sim->start());
    const int holder = ::open(sim->slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(ioctl(holder, TIOCEXCL), 0);
    {
        WithoutPermissionOverride asUser;
        load();
    }
    EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());
    EXPECT_EQ(DevicePort::sharedManager().lastOpenError(), EBUSY);
    EXPECT_EQ(statusText(), localizedText("PortError2"));
    EXPECT_EQ(sim->probes(), 0);
    ::close(holder);
}

// A termination signal (a session ending without a session manager) during a flash: the quit waits for its end.
TEST_F(MainView, ATerminationSignalDuringAFlashQuitsOnlyAfterIt) {
    ASSERT_TRUE(sim->start());
    sim->setEraseMs(600);
    AppDelegate delegate;
    delegate.applicationWillFinishLaunching();
    KorvoUpdateWindowController windowController;
    windowController.windowDidLoad();
    KorvoUpdateWindow* window = windowController.window();
    auto* c = dynamic_cast<KorvoUpdateMainViewController*>(window->contentViewController());
    ASSERT_TRUE(waitUntil([] { return DevicePort::sharedManager().curName() == "QM82"; }, 3000));
    c->softwareItemClick(QString::fromStdString(writePackage()), 0);
    ASSERT_TRUE(sim->waitFor([&] { return sim->frames().size() >= 3; }, 3000)); // erasing

    ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
    spin(200);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(KorvoUpdateFlashRunner::isRunning());
    EXPECT_TRUE(waitUntil([&] { return !window->isVisible(); }, 15000));
    EXPECT_EQ(reportsWithStatus(kUpdateStatusDone).size(), 1u);
    EXPECT_EQ(sim->completedPasses(), 1);
}

// The title of Qt's print dialog.
QString qtPrintTitle() {
    return QCoreApplication::translate("QPrintDialog", "Print");
}

// Qt's own dialogs (print, file) speak the interface language, and follow it when the screen is rebuilt in another.
TEST_F(MainView, QtsOwnDialogsFollowTheInterfaceLanguage) {
    const std::pair<const char*, const char*> languages[] = {
        {"de", "Drucken"}, {"ru", "Печать"}, {"pt", "Imprimir"}, {"sv", "Skriv ut"}, {"en", "Print"}};
    for (const auto& [language, print] : languages) {
        UserDefaults::standardUserDefaults().setObject(language, kUserLanguageKey);
        KorvoUpdateCommonTool::sharedTool().initBaseBundle();
        load();
        EXPECT_EQ(qtPrintTitle(), QString::fromUtf8(print)) << language;
        controller.reset();
    }
}

// pluvo names the interface language by pluvo.cfg's number, Lumaset by the language of its own translation; Qt's
// texts come in that language.
TEST(QtTranslations, PluvosLanguageNumbersAndLumasetsTranslationsGiveQtsTextsInTheirLanguage) {
    const std::pair<int, const char*> numbers[] = {{3, "Drucken"}, {4, "Tlačiť"}, {6, "Skriv ut"}, {8, "Tisk"},
                                                   {10, "Печать"}, {0, "Print"},  {99, "Print"}};
    for (const auto& [number, print] : numbers) {
        qttranslations::install(qttranslations::languageOfNumber(number));
        EXPECT_EQ(qtPrintTitle(), QString::fromUtf8(print)) << number;
    }
    EXPECT_TRUE(qttranslations::install("sk_SK"));
    EXPECT_EQ(qtPrintTitle(), QString::fromUtf8("Tlačiť"));
    EXPECT_FALSE(qttranslations::install("en_US"));
    EXPECT_EQ(qtPrintTitle(), "Print");
    EXPECT_FALSE(qttranslations::install(""));
}

} // namespace
