// The USB attach monitor and the choice of the tool's port against udev devices and events scripted with umockdev.
// Runs under umockdev-wrapper, which points libudev, /sys and /dev at the test bed (see CMakeLists.txt).
// glib's headers name a field "signals", which Qt makes a keyword: they come first.
#include <umockdev.h>

#include "IOKitTool.h"
#include "KorvoUpdateDeviceManager.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Recorder : KorvoUpdateDeviceMonitorDelegate {
    void deviceDidMounted(void*) override { ++mounted; }
    void deviceDidUnMounted(void*) override { ++unmounted; }
    int mounted = 0;
    int unmounted = 0;
};

bool waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return pred();
}

void spin(int ms) {
    waitUntil([] { return false; }, ms);
}

class Udev : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qEnvironmentVariable("LD_PRELOAD").contains("umockdev")) << "run under umockdev-wrapper";
        bed = umockdev_testbed_new();
    }
    void TearDown() override {
        manager.reset();
        if (bed) g_object_unref(bed);
    }
    // A USB device (subsystem usb, device type usb_device) with its product name and identity.
    std::string addUsb(const char* name, const char* product, const char* vendorId, const char* productId) {
        gchar* path = umockdev_testbed_add_device(bed, "usb", name, nullptr, "product", product, "idVendor", vendorId,
                                                  "idProduct", productId, nullptr, "DEVTYPE", "usb_device", nullptr);
        std::string out = path ? path : "";
        g_free(path);
        return out;
    }
    void startMonitor() {
        std::vector<std::unique_ptr<KorvoUpdateDeviceManager::Source>> sources;
        sources.push_back(KorvoUpdateDeviceManager::udevSource());
        manager = std::make_unique<KorvoUpdateDeviceManager>(std::move(sources));
        manager->setDelegate(&recorder);
        manager->addObservers();
    }

    UMockdevTestbed* bed = nullptr;
    Recorder recorder;
    std::unique_ptr<KorvoUpdateDeviceManager> manager;
};

TEST_F(Udev, ToolsComingAndGoingReachTheDelegateOnceEachOtherDevicesNever) {
    const std::string present = addUsb("1-1", "ScanTool Virtual COM Port", "3d17", "a5c2");
    addUsb("1-2", "USB Optical Mouse", "046d", "c077");
    startMonitor();
    EXPECT_EQ(recorder.mounted, 1); // the tool already attached, reported inside addObservers
    EXPECT_EQ(recorder.unmounted, 0);

    const std::string tool = addUsb("1-3", "ScanTool Virtual COM Port", "3d17", "a5c2");
    umockdev_testbed_uevent(bed, tool.c_str(), "add");
    EXPECT_TRUE(waitUntil([&] { return recorder.mounted == 2; }, 3000));
    const std::string stick = addUsb("1-4", "Mass Storage", "0781", "5567");
    umockdev_testbed_uevent(bed, stick.c_str(), "add");
    umockdev_testbed_uevent(bed, stick.c_str(), "remove");
    spin(200);
    EXPECT_EQ(recorder.mounted, 2);
    EXPECT_EQ(recorder.unmounted, 0);

    umockdev_testbed_uevent(bed, tool.c_str(), "remove");
    umockdev_testbed_remove_device(bed, tool.c_str());
    EXPECT_TRUE(waitUntil([&] { return recorder.unmounted == 1; }, 3000));
    // A repeated event of a device already known is not a second attach.
    umockdev_testbed_uevent(bed, present.c_str(), "add");
    spin(200);
    EXPECT_EQ(recorder.mounted, 2);
    EXPECT_EQ(recorder.unmounted, 1);
}

// A port whose link name lacks the mark is still the tool's when udev says its USB device has the tool's identity;
// another adapter's port is not.
TEST_F(Udev, APortIsTheToolsByItsUsbIdentity) {
    const std::string tool = addUsb("2-1", "Serial", "3d17", "a5c2");
    const std::string other = addUsb("2-2", "USB Serial Adapter", "067b", "2303");
    gchar* toolTty =
        umockdev_testbed_add_device(bed, "tty", "ttyACM0", tool.c_str(), nullptr, "DEVNAME", "/dev/ttyACM0", nullptr);
    gchar* otherTty =
        umockdev_testbed_add_device(bed, "tty", "ttyUSB0", other.c_str(), nullptr, "DEVNAME", "/dev/ttyUSB0", nullptr);
    ASSERT_TRUE(toolTty && otherTty);
    g_free(toolTty);
    g_free(otherTty);

    TempDir links;
    const QString toolLink = QString::fromStdString(links.file("usb-Maker_Serial_0001-if00"));
    const QString otherLink = QString::fromStdString(links.file("usb-Acme_USB_Serial_Adapter_A1-if00-port0"));
    ASSERT_TRUE(QFile::link("/dev/ttyACM0", toolLink));
    ASSERT_TRUE(QFile::link("/dev/ttyUSB0", otherLink));
    EXPECT_TRUE(IOKitTool::isScanToolDevice(toolLink));
    EXPECT_FALSE(IOKitTool::isScanToolDevice(otherLink));
    EXPECT_EQ(IOKitTool::scanToolDevice({otherLink, toolLink}), toolLink);
    const QString markOnly = QString::fromStdString(links.file("usb-Another_Virtual_COM_Port-if00"));
    EXPECT_TRUE(IOKitTool::isScanToolDevice(markOnly));
    // Another device with the mark in its name sorts first: the port with the tool's identity is still chosen.
    EXPECT_EQ(IOKitTool::scanToolDevice({markOnly, otherLink, toolLink}), toolLink);
    EXPECT_EQ(IOKitTool::scanToolDevice({otherLink, markOnly}), markOnly);
}

} // namespace
