// Tells the desktop updater when a scan tool is plugged in or removed: every USB device whose name contains
// "Virtual" (the tool's USB serial function) that comes or goes is reported to the one delegate, without any
// device data. Two sources feed it: libudev (USB devices, named by their product attribute) and the serial device
// folder (SCANTOOL_SERIAL_DIR or /dev/serial/by-id, where a simulated tool makes its link). Devices already
// present are reported inside addObservers(). GUI thread only: later reports come from the GUI event loop.
#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class KorvoUpdateDeviceMonitorDelegate {
public:
    virtual ~KorvoUpdateDeviceMonitorDelegate() = default;
    virtual void deviceDidMounted(void*) {}
    virtual void deviceDidUnMounted(void*) {}
};

class KorvoUpdateDeviceManager {
public:
    // Where attach and detach events come from; each event carries the device's name.
    class Source {
    public:
        using Report = std::function<void(bool attached, const QString& name)>;
        virtual ~Source() = default;
        // Reports the devices present now before it returns, then watches; later reports come on the GUI thread.
        virtual void start(Report report) = 0;
    };

    static KorvoUpdateDeviceManager& sharedManager();
    explicit KorvoUpdateDeviceManager(std::vector<std::unique_ptr<Source>> sources);
    ~KorvoUpdateDeviceManager();
    KorvoUpdateDeviceManager(const KorvoUpdateDeviceManager&) = delete;
    KorvoUpdateDeviceManager& operator=(const KorvoUpdateDeviceManager&) = delete;

    // USB devices through libudev (subsystem usb, device type usb_device).
    static std::unique_ptr<Source> udevSource();
    // Entries of a folder; the folder may appear later.
    static std::unique_ptr<Source> folderSource(const QString& dir);
    // libudev and the serial device folder of the platform layer.
    static std::vector<std::unique_ptr<Source>> defaultSources();

    // Starts the sources; once only (a second call does nothing).
    void addObservers();
    void ListenUsbConnectEvent();
    void deviceMounted(void* object);
    void deviceUnmounted(void* object);

    KorvoUpdateDeviceMonitorDelegate* delegate() const { return m_delegate; }
    void setDelegate(KorvoUpdateDeviceMonitorDelegate* delegate) { m_delegate = delegate; }

    // The mark of the tool's USB serial function in a device name.
    static bool isScanToolName(const QString& name);

private:
    std::vector<std::unique_ptr<Source>> m_sources;
    KorvoUpdateDeviceMonitorDelegate* m_delegate = nullptr;
    bool m_listening = false;
};
