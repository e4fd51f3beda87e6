// The content of the application's window: its own title bar (logo, version, close and minimise) and bottom bar,
// the tab bar with the five screens, and the place where the port, the USB monitor and the flasher meet. It opens
// and probes the port when its view loads and one second after a tool is attached, closes it when the tool goes
// away, and starts a flash when the firmware list asks for one.
//
// A flash holds the port until its worker has ended (KorvoUpdateFlashRunner). An attach during a flash leaves it
// alone (the tool being flashed is there already) and its reopen waits for the flash's end; a detach stops it only
// when the port being flashed has gone, and the close waits for the worker. A tool pulled out during a flash, before
// its last end frame was acknowledged, brings up an alert that the update did not finish and how to finish it. A
// controller made while a flash runs (a new language) cuts it, and then probes the tool, every kProbeRetryMs, until it
// answers or goes: a tool cut off in the middle of an erase answers nothing until the erase is done. Until the tool has
// answered, the status bar says it is connected, not that it is ready. Several controllers may exist one after another
// (the language settings rebuild the screen); only the newest keeps the port, so releasing an older one never closes
// the port the newer one has opened. GUI thread, except didGetUpdateData, which runs on the flash worker.
#pragma once

#include "KorvoUpdateAlert.h"
#include "KorvoUpdateDeviceManager.h"
#include "KorvoUpdatePrintInfoView.h"
#include "KorvoUpdateSearchDTCView.h"
#include "KorvoUpdateSettingView.h"
#include "KorvoUpdateSoftwareView.h"
#include "KorvoUpdateTabItemModel.h"
#include "KorvoUpdateTabView.h"
#include "KorvoUpdateUserManualView.h"
#include "KorvoUpdateViewController.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

class DevicePort;
class KorvoUpdateImageView;
class QLabel;
class QPushButton;
struct Notification;

class KorvoUpdateMainViewController : public KorvoUpdateViewController,
                                      public KorvoUpdateTabViewDataSource,
                                      public KorvoUpdateTabViewDelegate,
                                      public KorvoUpdateDeviceMonitorDelegate,
                                      public KorvoUpdateAlertDelegate {
public:
    static constexpr int kTitleBarHeight = 44;
    static constexpr int kBottomBarHeight = 25;
    // The content views are this much lower than the tab bar (its top strip and status bar).
    static constexpr int kContentHeightInset = 130;
    static constexpr int kContentWidth = 910;
    // The tool needs this long after it shows up before its port answers.
    static constexpr int kReopenDelayMs = 1000;
    // How long the teardown of the port's keeper waits for a stopped flash to end.
    static constexpr int kTeardownWaitMs = 3000;
    // A tool still busy with a cut flash (an erase takes up to 50 s) is asked again this often: longer than any
    // reply takes, short enough that its packages show soon after it is free.
    static constexpr int kProbeRetryMs = 2000;
    // A tool pulled out during a flash makes the flash fail a moment before the system reports it gone; a report
    // within this time still counts as the flash's cause.
    static constexpr int kUnplugAfterFailureMs = 3000;

    explicit KorvoUpdateMainViewController(QWidget* parent = nullptr);
    ~KorvoUpdateMainViewController() override;

    // Tab bar data source and delegate.
    long long numberOfItemsInTabView(KorvoUpdateTabView* tabView) override;
    KorvoUpdateTabItemModel tabViewItemAtIndex(KorvoUpdateTabView* tabView, long long index) override;
    QWidget* tabViewContentViewForItemAtIndex(KorvoUpdateTabView* tabView, long long index) override;
    void tabViewDidSelectTabItemAtIndex(KorvoUpdateTabView* tabView, long long index) override;

    // USB monitor.
    void deviceDidMounted(void* object) override;
    void deviceDidUnMounted(void* object) override;

    // Closes, opens and, when a device opened, shows it connected and probes it.
    void didOpenSerialPort();
    void refreshDeviceStatus();
    void sendmessage();

    // A confirmed package: flashed on a worker, or turned back with status 0 while a flash runs.
    void softwareItemClick(const QString& path, int index);
    static void didPostUpdateData(int status, float pro, const QString& path);
    void didGetUpdateData(const Notification& note);

    bool isUpdate() const;

    void closeAction();
    // During a flash: asks with the exit alert (or brings it to the front) and keeps the window open.
    bool windowShouldClose() override;
    void minimizeAction();
    void alertSheetDidEnd(KorvoUpdateAlert* alert, int returnCode, void* contextInfo) override;

    const std::vector<KorvoUpdateTabItemModel>& items();
    KorvoUpdateTabView* tabView() const { return m_tabView; }
    KorvoUpdateSoftwareView* myUpdatesView() const { return m_myUpdatesView; }
    KorvoUpdatePrintInfoView* printView() const { return m_printView; }
    KorvoUpdateSearchDTCView* searchDTCView() const { return m_searchDTCView; }
    KorvoUpdateUserManualView* userManualView() const { return m_userManualView; }
    KorvoUpdateSettingView* settingView() const { return m_settingView; }
    // Puts a new controller, in the language now stored, in this one's place in the window; this one goes away
    // once control is back in the event loop. Nothing happens when this one is not the window's content.
    void resetMainViewController();
    KorvoUpdateAlert* exitAlert() const { return m_exitAlert.get(); }
    // The alert that a flash was cut by pulling the tool out; null until one was.
    KorvoUpdateAlert* unplugAlert() const { return m_unplugAlert.get(); }
    // The tool is probed again and again, as after a cut flash, until it answers.
    bool isProbingUntilAnswered() const { return m_probeTimer.isActive(); }
    // Room for a "no update" and an error alert of this screen; nothing shows either yet, so both stay null.
    KorvoUpdateAlert* noUpdateAlert() const { return m_noUpdateAlert.get(); }
    KorvoUpdateAlert* errorAlert() const { return m_errorAlert.get(); }
    DevicePort& devPort() const { return m_devPort; }
    KorvoUpdateImageView* logoImageView() const { return m_logoImageView; }
    KorvoUpdateImageView* copyrightImageView() const { return m_copyrightImageView; }
    QLabel* titleSearchField() const { return m_titleSearchField; }
    QLabel* copyrightLabel() const { return m_copyrightLabel; }
    QLabel* comLabel() const { return m_comLabel; }
    QPushButton* closeButton() const { return m_closeButton; }
    QPushButton* miniButton() const { return m_miniButton; }
    // True for the newest controller, the one that keeps the port.
    bool isPortKeeper() const;

protected:
    void viewDidLoad() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildTitleAndBottomBars();
    // The firmware list's two completions: flash a confirmed package, show the tool identified.
    void connectFirmwareList();
    void viewDidLayout();
    void closeWindowWhenIdle();
    // The port last opened for the tool is no longer listed, or no longer the tool's; true when none was opened.
    bool toolPortIsGone() const;
    // Stops a flash, shows the tool disconnected and closes the port once no flash runs.
    void didDetachTool();
    // The package of a flash that this detach cut short: the one running and not yet succeeded, or one that failed
    // just before; empty when none or when the cut was told already.
    QString flashCutByDetach() const;
    void showUnplugAlert(const QString& path);
    void probeUntilAnswered();
    void probeAgain();

    DevicePort& m_devPort;
    QWidget* m_titleBarView = nullptr;
    KorvoUpdateImageView* m_titleBarBgImageView = nullptr;
    KorvoUpdateImageView* m_logoImageView = nullptr;
    QLabel* m_titleSearchField = nullptr;
    KorvoUpdateTabView* m_tabView = nullptr;
    QWidget* m_bottomView = nullptr;
    KorvoUpdateImageView* m_copyrightImageView = nullptr;
    QLabel* m_copyrightLabel = nullptr;
    QLabel* m_comLabel = nullptr;
    QPushButton* m_closeButton = nullptr;
    QPushButton* m_miniButton = nullptr;

    QPointer<KorvoUpdateSoftwareView> m_myUpdatesView;
    QPointer<KorvoUpdatePrintInfoView> m_printView;
    QPointer<KorvoUpdateSearchDTCView> m_searchDTCView;
    QPointer<KorvoUpdateUserManualView> m_userManualView;
    QPointer<KorvoUpdateSettingView> m_settingView;
    std::vector<QPointer<QWidget>> m_spareViews;
    std::unique_ptr<KorvoUpdateAlert> m_exitAlert;
    std::unique_ptr<KorvoUpdateAlert> m_unplugAlert;
    std::unique_ptr<KorvoUpdateAlert> m_noUpdateAlert;
    std::unique_ptr<KorvoUpdateAlert> m_errorAlert;
    std::vector<KorvoUpdateTabItemModel> m_items;
    QTimer m_reopenTimer;
    QTimer m_probeTimer;
    QString m_failedFlashPath; // the last flash that failed, and when
    QElapsedTimer m_failedFlashClock;
    bool m_cutTold = false; // the alert of a cut flash was shown since the last attach or flash
};
