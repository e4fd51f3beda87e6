#include "KorvoUpdateDeviceManager.h"
#include "TempDir.h"
#include "desktoptest.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// A source whose present devices are given up front and whose later events the test fires.
class FakeSource : public KorvoUpdateDeviceManager::Source {
public:
    explicit FakeSource(std::vector<QString> present) : m_present(std::move(present)) {}
    void start(Report report) override {
        m_report = std::move(report);
        for (const QString& name : m_present)
            m_report(true, name);
    }
    void fire(bool attached, const QString& name) { m_report(attached, name); }

private:
    std::vector<QString> m_present;
    Report m_report;
};

struct Recorder : KorvoUpdateDeviceMonitorDelegate {
    void deviceDidMounted(void*) override { ++mounted; }
    void deviceDidUnMounted(void*) override { ++unmounted; }
    int mounted = 0;
    int unmounted = 0;
};

struct Monitor {
    explicit Monitor(std::vector<QString> present) {
        auto source = std::make_unique<FakeSource>(std::move(present));
        fake = source.get();
        std::vector<std::unique_ptr<KorvoUpdateDeviceManager::Source>> sources;
        sources.push_back(std::move(source));
        manager = std::make_unique<KorvoUpdateDeviceManager>(std::move(sources));
        manager->setDelegate(&recorder);
    }
    FakeSource* fake;
    Recorder recorder;
    std::unique_ptr<KorvoUpdateDeviceManager> manager;
};

TEST(DeviceManager, ToolsAlreadyAttachedAreReportedBeforeAddObserversReturns) {
    Monitor m({"ScanTool Virtual COM Port", "USB Optical Mouse", "ScanTool Virtual COM Port"});
    m.manager->addObservers();
    EXPECT_EQ(m.recorder.mounted, 2);
    EXPECT_EQ(m.recorder.unmounted, 0);
    m.manager->addObservers(); // started once only
    EXPECT_EQ(m.recorder.mounted, 2);
}

TEST(DeviceManager, OnlyVirtualDevicesAreReportedBothWays) {
    Monitor m({});
    m.manager->addObservers();
    m.fake->fire(true, "Mass Storage");
    m.fake->fire(true, "virtual com port"); // the mark is case-sensitive
    EXPECT_EQ(m.recorder.mounted, 0);
    m.fake->fire(true, "ScanTool Virtual COM Port");
    m.fake->fire(false, "ScanTool Virtual COM Port");
    m.fake->fire(false, "Mass Storage");
    EXPECT_EQ(m.recorder.mounted, 1);
    EXPECT_EQ(m.recorder.unmounted, 1);

    m.manager->setDelegate(nullptr);
    m.fake->fire(true, "ScanTool Virtual COM Port"); // dropped silently
    EXPECT_EQ(m.recorder.mounted, 1);
}

class FolderMonitor : public ::testing::Test {
protected:
    void start(const QString& dir) {
        std::vector<std::unique_ptr<KorvoUpdateDeviceManager::Source>> sources;
        sources.push_back(KorvoUpdateDeviceManager::folderSource(dir));
        manager = std::make_unique<KorvoUpdateDeviceManager>(std::move(sources));
        manager->setDelegate(&recorder);
        manager->addObservers();
    }
    static void touch(const std::string& path) {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TempDir devices;
    Recorder recorder;
    std::unique_ptr<KorvoUpdateDeviceManager> manager;
};

TEST_F(FolderMonitor, LinksComingAndGoingAreAttachesAndDetaches) {
    touch(devices.file("usb-ScanTool_Virtual_COM_Port_SIM0001-if00"));
    touch(devices.file("usb-Some_Keyboard-if00"));
    start(QString::fromStdString(devices.path()));
    EXPECT_EQ(recorder.mounted, 1);

    touch(devices.file("usb-ScanTool_Virtual_COM_Port_SIM0002-if00"));
    EXPECT_TRUE(desktoptest::waitUntil([&] { return recorder.mounted == 2; }, 3000));
    QFile::remove(QString::fromStdString(devices.file("usb-ScanTool_Virtual_COM_Port_SIM0001-if00")));
    EXPECT_TRUE(desktoptest::waitUntil([&] { return recorder.unmounted == 1; }, 3000));
    QFile::remove(QString::fromStdString(devices.file("usb-Some_Keyboard-if00")));
    desktoptest::spin(100);
    EXPECT_EQ(recorder.unmounted, 1);
    EXPECT_EQ(recorder.mounted, 2);
}

TEST_F(FolderMonitor, AFolderThatAppearsLaterIsPickedUp) {
    const std::string dir = devices.file("serial/by-id");
    start(QString::fromStdString(dir));
    EXPECT_EQ(recorder.mounted, 0);
    QDir().mkpath(QString::fromStdString(devices.file("serial")));
    desktoptest::spin(100);
    QDir().mkpath(QString::fromStdString(dir));
    desktoptest::spin(100);
    touch(dir + "/usb-ScanTool_Virtual_COM_Port_SIM0001-if00");
    EXPECT_TRUE(desktoptest::waitUntil([&] { return recorder.mounted == 1; }, 3000));
    QDir(QString::fromStdString(dir)).removeRecursively();
    EXPECT_TRUE(desktoptest::waitUntil([&] { return recorder.unmounted == 1; }, 3000));
}

} // namespace
