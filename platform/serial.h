// Serial devices: listing of the USB serial devices, open, line set-up, and waits with poll() on a tty.
// The folder where devices are found defaults to udev's /dev/serial/by-id and can be set through the
// environment variable SCANTOOL_SERIAL_DIR, so that a simulated tool can stand in for a real one. A relative
// folder there is taken relative to the folder the program was started in: as the program loads, the variable is
// made absolute, so that programs it starts in other folders (pluvo restarted by the picture tool or its helper)
// find the same devices.
#pragma once

#include <string>
#include <vector>

namespace serial {

constexpr char kDeviceDirEnv[] = "SCANTOOL_SERIAL_DIR";
constexpr char kDefaultDeviceDir[] = "/dev/serial/by-id";

// The device folder, always absolute; a relative value set later is taken relative to the current folder.
std::string deviceDir();
// Whether the environment names the device folder (a simulated tool), rather than udev's default.
bool deviceDirIsSet();
// Full paths of the entries of deviceDir() whose name contains "usb" (case-sensitive), in name order.
std::vector<std::string> listUsbSerialDevices();

// open(2) with O_RDWR, O_NONBLOCK and O_NOCTTY, then taken for exclusive use: an flock(2) on the tty, which every
// program of ours takes the same way, and TIOCEXCL, which makes the kernel refuse other opens (root excepted).
// A port held elsewhere gives -1 with errno EBUSY; other failures keep open(2)'s errno.
// leaseFd: a lease (acquireLease) this process holds on the same tty; the lock is then already ours.
int openDevice(const std::string& path, int leaseFd = -1);
// Gives up exclusive use (TIOCNXCL) and closes. Use it for every descriptor openDevice returned.
void closeDevice(int fd);
// Holds the tty's lock without using the line, so that the port stays ours while it is closed and reopened (between
// two passes of one flash). -1 with errno EBUSY when held elsewhere.
int acquireLease(const std::string& path);
void releaseLease(int leaseFd);
// 115200 baud, raw (8 data bits, no parity), CLOCAL and CREAD, VMIN 0, VTIME 10, applied at once.
// Stop bits and flow control stay as the driver has them. Returns false when the line cannot be set up.
bool configureDevice(int fd);
// Drops bytes received but not yet read.
void discardInput(int fd);

enum class Wait { Ready, Timeout, Woken, Error };
// Blocks in poll() until fd is readable (or writable), the wake descriptor is readable, or timeoutMs passes.
Wait waitReadable(int fd, int timeoutMs, int wakeFd = -1);
Wait waitWritable(int fd, int timeoutMs, int wakeFd = -1);

// errno values that mean the device is gone, not merely busy.
bool isDeviceGone(int err);

// A short explanation of why a device could not be opened, for log lines.
std::string openFailureHint(int err);

} // namespace serial
