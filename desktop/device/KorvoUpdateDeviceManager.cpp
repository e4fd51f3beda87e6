#include "KorvoUpdateDeviceManager.h"

#include "Log.h"
#include "serial.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QSet>
#include <QSocketNotifier>

#include <libudev.h>

namespace {
constexpr char kScanToolMark[] = "Virtual";

// USB devices from libudev. Removal events carry no attributes, so the names are kept per device path.
class UdevSource : public KorvoUpdateDeviceManager::Source {
public:
    ~UdevSource() override {
        m_notifier.reset();
        if (m_monitor) udev_monitor_unref(m_monitor);
        if (m_udev) udev_unref(m_udev);
    }

    void start(Report report) override {
        m_report = std::move(report);
        m_udev = udev_new();
        if (!m_udev) {
            syslogline::write("USB monitor: libudev is not available; only the serial device folder is watched");
            return;
        }
        // The monitor is armed before the enumeration so that nothing plugged in between is missed; the name
        // cache drops the events of devices already reported.
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
        if (m_monitor && udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", "usb_device") >= 0 &&
            udev_monitor_enable_receiving(m_monitor) >= 0) {
            m_notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
            QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { receive(); });
        } else {
            syslogline::write("USB monitor: cannot listen to udev events (is udevd running?); plugging in is only "
                              "noticed through the serial device folder");
        }
        enumerate();
    }

private:
    void enumerate() {
        udev_enumerate* e = udev_enumerate_new(m_udev);
        if (!e) return;
        udev_enumerate_add_match_subsystem(e, "usb");
        udev_enumerate_add_match_property(e, "DEVTYPE", "usb_device");
        udev_enumerate_scan_devices(e);
        for (udev_list_entry* entry = udev_enumerate_get_list_entry(e); entry;
             entry = udev_list_entry_get_next(entry)) {
            if (udev_device* dev = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry))) {
                added(dev);
                udev_device_unref(dev);
            }
        }
        udev_enumerate_unref(e);
    }

    void receive() {
        udev_device* dev = udev_monitor_receive_device(m_monitor);
        if (!dev) return;
        const char* action = udev_device_get_action(dev);
        if (action && std::string(action) == "add") added(dev);
        if (action && std::string(action) == "remove") removed(dev);
        udev_device_unref(dev);
    }

    void added(udev_device* dev) {
        const QString path = QString::fromUtf8(udev_device_get_syspath(dev));
        if (m_names.contains(path)) return;
        const char* product = udev_device_get_sysattr_value(dev, "product");
        const QString name = product ? QString::fromUtf8(product) : QString();
        m_names.insert(path, name);
        m_report(true, name);
    }

    void removed(udev_device* dev) {
        const QString path = QString::fromUtf8(udev_device_get_syspath(dev));
        auto it = m_names.find(path);
        if (it == m_names.end()) return;
        const QString name = *it;
        m_names.erase(it);
        m_report(false, name);
    }

    Report m_report;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QHash<QString, QString> m_names;
};

// Entries of a folder: a new one is an attach, one that goes away a detach. While the folder does not exist its
// nearest existing parent is watched, so that the folder is picked up when it appears.
class FolderSource : public KorvoUpdateDeviceManager::Source {
public:
    explicit FolderSource(const QString& dir) : m_dir(QDir::cleanPath(dir)) {}

    void start(Report report) override {
        m_report = std::move(report);
        QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, [this] { rescan(); });
        rescan();
    }

private:
    void rescan() {
        watchPaths();
        QSet<QString> now;
        if (QFileInfo(m_dir).isDir()) {
            const QStringList names =
                QDir(m_dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
            now = QSet<QString>(names.begin(), names.end());
        }
        const QSet<QString> gone = QSet<QString>(m_entries).subtract(now);
        const QSet<QString> added = QSet<QString>(now).subtract(m_entries);
        m_entries = now;
        for (const QString& name : gone)
            m_report(false, name);
        QStringList ordered(added.begin(), added.end());
        ordered.sort();
        for (const QString& name : ordered)
            m_report(true, name);
    }

    void watchPaths() {
        QString watch = m_dir;
        while (!QFileInfo(watch).isDir() && watch != QDir::rootPath() && !watch.isEmpty())
            watch = QFileInfo(watch).absolutePath();
        const QStringList current = m_watcher.directories();
        if (current.size() == 1 && current.first() == watch) return;
        if (!current.isEmpty()) m_watcher.removePaths(current);
        if (QFileInfo(watch).isDir()) m_watcher.addPath(watch);
    }

    const QString m_dir;
    Report m_report;
    QFileSystemWatcher m_watcher;
    QSet<QString> m_entries;
};
} // namespace

KorvoUpdateDeviceManager& KorvoUpdateDeviceManager::sharedManager() {
    static KorvoUpdateDeviceManager manager(defaultSources());
    return manager;
}

KorvoUpdateDeviceManager::KorvoUpdateDeviceManager(std::vector<std::unique_ptr<Source>> sources)
    : m_sources(std::move(sources)) {}

KorvoUpdateDeviceManager::~KorvoUpdateDeviceManager() = default;

std::unique_ptr<KorvoUpdateDeviceManager::Source> KorvoUpdateDeviceManager::udevSource() {
    return std::make_unique<UdevSource>();
}

std::unique_ptr<KorvoUpdateDeviceManager::Source> KorvoUpdateDeviceManager::folderSource(const QString& dir) {
    return std::make_unique<FolderSource>(dir);
}

std::vector<std::unique_ptr<KorvoUpdateDeviceManager::Source>> KorvoUpdateDeviceManager::defaultSources() {
    std::vector<std::unique_ptr<Source>> sources;
    sources.push_back(udevSource());
    sources.push_back(folderSource(QString::fromStdString(serial::deviceDir())));
    return sources;
}

bool KorvoUpdateDeviceManager::isScanToolName(const QString& name) {
    return name.contains(kScanToolMark, Qt::CaseSensitive);
}

void KorvoUpdateDeviceManager::addObservers() {
    ListenUsbConnectEvent();
}

void KorvoUpdateDeviceManager::ListenUsbConnectEvent() {
    if (m_listening) return;
    m_listening = true;
    for (auto& source : m_sources) {
        source->start([this](bool attached, const QString& name) {
            if (!isScanToolName(name)) return;
            if (attached)
                deviceMounted(nullptr);
            else
                deviceUnmounted(nullptr);
        });
    }
}

void KorvoUpdateDeviceManager::deviceMounted(void* object) {
    if (m_delegate) m_delegate->deviceDidMounted(object);
}

void KorvoUpdateDeviceManager::deviceUnmounted(void* object) {
    if (m_delegate) m_delegate->deviceDidUnMounted(object);
}
