// The tool's serial ports against a device tree made by umockdev: a tool that carries a hub, with another adapter
// plugged into that hub. glib's headers name a field "signals", which Qt makes a keyword: they come first.
#include <umockdev.h>

#include "UsbToolScan.h"
#include "serial.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {
constexpr char kUsb[] = "/devices/pci0000:00/0000:00:14.0/usb1";

// A udev record (umockdev's format) of a USB device, one of its interfaces and a tty on it.
std::string usbDevice(const std::string& path, const char* vendor, const char* product, const std::string& tty,
                      const std::string& ttyBelowInterface) {
    return "P: " + path + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=" + vendor +
           "\nA: idProduct=" + product + "\n\n" + "P: " + path + "/" + path.substr(path.rfind('/') + 1) +
           ":1.0\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n\n" + "P: " + path + "/" +
           path.substr(path.rfind('/') + 1) + ":1.0/" + ttyBelowInterface + "\nN: " + tty +
           "\nE: SUBSYSTEM=tty\nE: DEVNAME=/dev/" + tty + "\n\n";
}
} // namespace

TEST(PluvoToolPorts, ComeFromTheToolsOwnDeviceNeverFromOneBehindItsHub) {
    ::unsetenv(serial::kDeviceDirEnv); // no simulated tool: only the tree counts
    UMockdevTestbed* bed = umockdev_testbed_new();
    ASSERT_TRUE(bed);
    const std::string tool = std::string(kUsb) + "/1-1";
    // The tool's own port, and an FTDI adapter in the port of the tool's hub, its tty deeper in the tree.
    const std::string records = usbDevice(tool, "3d17", "a5c2", "ttyACM0", "tty/ttyACM0") +
                                usbDevice(tool + "/1-1.2", "0403", "6001", "ttyUSB0", "ttyUSB0/tty/ttyUSB0");
    GError* error = nullptr;
    ASSERT_TRUE(umockdev_testbed_add_from_string(bed, records.c_str(), &error)) << (error ? error->message : "");
    gchar* rootDir = umockdev_testbed_get_root_dir(bed);
    const std::string root = rootDir;
    g_free(rootDir);

    const usbtool::Scan scan = usbtool::scan(root);
    EXPECT_TRUE(scan.present);
    ASSERT_EQ(scan.ports.size(), 1u) << scan.ports.back();
    EXPECT_EQ(scan.ports[0], root + "/dev/ttyACM0");
    g_object_unref(bed);
}
