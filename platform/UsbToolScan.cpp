#include "UsbToolScan.h"

#include "serial.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

namespace usbtool {

namespace {
// How deep below a USB device its tty nodes may lie (interface / tty / ttyACM0, or interface / ttyUSB0 / tty).
constexpr int kTtySearchDepth = 4;

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool isDir(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isLink(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

unsigned readHex(const std::string& path) {
    std::ifstream f(path);
    std::string s;
    if (!(f >> s)) return 0;
    char* end = nullptr;
    const unsigned long v = std::strtoul(s.c_str(), &end, 16);
    return (end && *end == '\0' && v <= 0xFFFF) ? unsigned(v) : 0;
}

std::string realPath(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

// tty names below a USB device, depth first in name order. Child USB devices (a hub's ports) are not entered:
// their ports are theirs, not the tool's.
void findTtys(const std::string& dir, int depth, std::vector<std::string>& out) {
    if (depth > kTtySearchDepth) return;
    for (const std::string& name : entries(dir)) {
        const std::string path = dir + "/" + name;
        if (isLink(path) || !isDir(path)) continue; // sysfs links lead back up the tree
        if (name.rfind("tty", 0) == 0 && name != "tty") {
            if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
            continue;
        }
        if (std::ifstream(path + "/idVendor")) continue; // another USB device below this one
        findTtys(path, depth + 1, out);
    }
}

std::string stablePath(const std::string& root, const std::string& tty) {
    const std::string node = root + "/dev/" + tty;
    const std::string byId = root + "/dev/serial/by-id";
    const std::string target = realPath(node);
    for (const std::string& name : entries(byId)) {
        const std::string link = byId + "/" + name;
        if (!target.empty() && realPath(link) == target) return link;
    }
    return node;
}
} // namespace

Scan scan(const std::string& root) {
    Scan result;
    const std::string devices = root + "/sys/bus/usb/devices";
    for (const std::string& name : entries(devices)) {
        const std::string dev = devices + "/" + name;
        if (readHex(dev + "/idVendor") != kVendorId || readHex(dev + "/idProduct") != kProductId) continue;
        result.present = true;
        const std::string real = realPath(dev);
        std::vector<std::string> ttys;
        findTtys(real.empty() ? dev : real, 0, ttys);
        for (const std::string& tty : ttys)
            result.ports.push_back(stablePath(root, tty));
    }
    if (serial::deviceDirIsSet()) {
        for (const std::string& link : serial::listUsbSerialDevices()) {
            result.present = true;
            if (std::find(result.ports.begin(), result.ports.end(), link) == result.ports.end())
                result.ports.push_back(link);
        }
    }
    return result;
}

} // namespace usbtool
