// Finds pluvo's scan tool among the present USB devices (sysfs, as udev publishes it) and the serial ports that
// belong to that very device, never another adapter's: opening a port toggles DTR, which resets other boards.
// The root of the tree is injectable, so tests describe devices with a folder of files. Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace usbtool {

// USB identity of the scan tool.
constexpr uint16_t kVendorId = 0x3d17;
constexpr uint16_t kProductId = 0xa5c2;

struct Scan {
    bool present = false;
    // The tool's ports in a stable order (by USB path and interface, then name): udev's /dev/serial/by-id link
    // where one points at the tty, which survives a replug, else the /dev node.
    std::vector<std::string> ports;
};

// root "" is the real system; otherwise sysfs is read at root + "/sys" and device nodes are named under
// root + "/dev". When the environment sets the serial device folder (serial::kDeviceDirEnv), each of its entries
// whose name contains "usb" counts as a present tool too, after those of sysfs: that is how a simulated tool
// is attached.
Scan scan(const std::string& root = "");

} // namespace usbtool
