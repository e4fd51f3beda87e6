#include "KorvoUpdateMainViewController.h"

#include "DevicePort.h"
#include "Dispatch.h"
#include "IOKitTool.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateFlashRunner.h"
#include "KorvoUpdateImageView.h"
#include "KorvoUpdatePrintInfoView.h"
#include "KorvoUpdateSendProc.h"
#include "KorvoUpdateSoftwareView.h"
#include "KorvoUpdateWindow.h"
#include "NotificationCenter.h"
#include "QtTranslations.h"
#include "frames.h"
#include "imageresize.h"
#include "images.h"
#include "korvostyle.h"
#include "mainbundle.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include <atomic>

namespace {
struct TabEntry {
    const char* titleKey;
    const char* icon;
};
const TabEntry kTabEntries[] = {
    {"Main1", "Toolbar_update"},   {"Main2", "Toolbar_serial"}, {"Main3", "Toolbar_info"},
    {"Main4", "Toolbar_feedback"}, {"Main5", "Toolbar_print"},
};

// Title bar and bottom bar layout.
constexpr int kLogoLeft = 16;
constexpr int kVersionGap = 12;
constexpr int kWindowButtonSize = 28;
constexpr int kWindowButtonGap = 6;
constexpr int kWindowButtonRight = 10;
constexpr int kVersionPixelSize = 13;
constexpr int kBottomTextPixelSize = 12;
constexpr int kBottomTextMargin = 15;
constexpr double kBottomPictureInset = 8;
const QColor kBottomText(80, 80, 80);
const QColor kVersionText(230, 236, 245);

// The newest controller keeps the port; an older one leaves it alone when it goes away.
std::atomic<KorvoUpdateMainViewController*> g_portKeeper{nullptr};

// The language of Qt's translations for an interface language: the tables are in European Portuguese, and the
// Chinese codes name a script or a region.
QString qtTranslationLanguage(const QString& userLanguage) {
    if (userLanguage == "pt") return QStringLiteral("pt_PT");
    if (userLanguage == "zh-Hans") return QStringLiteral("zh_CN");
    if (userLanguage == "zh-HK") return QStringLiteral("zh_TW");
    return userLanguage;
}

QLabel* makeLabel(QWidget* parent, const QFont& font, const QColor& color) {
    auto* label = new QLabel(parent);
    label->setFont(font);
    label->setAttribute(Qt::WA_TranslucentBackground);
    korvostyle::setTextColor(label, color);
    return label;
}

QPushButton* makeWindowButton(QWidget* parent, const QString& image) {
    auto* button = new QPushButton(parent);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setIcon(images::iconNamed(image));
    button->setIconSize(QSize(kWindowButtonSize, kWindowButtonSize));
    button->setStyleSheet("QPushButton { border: none; background: transparent; }"
                          "QPushButton:hover { background: rgba(255, 255, 255, 40); border-radius: 4px; }");
    return button;
}
} // namespace

KorvoUpdateMainViewController::KorvoUpdateMainViewController(QWidget* parent)
    : KorvoUpdateViewController(parent), m_devPort(DevicePort::sharedManager()) {
    m_reopenTimer.setSingleShot(true);
    m_reopenTimer.setInterval(kReopenDelayMs);
    connect(&m_reopenTimer, &QTimer::timeout, this, [this] {
        QPointer<KorvoUpdateMainViewController> self(this);
        KorvoUpdateFlashRunner::whenIdle([self] {
            if (self && self->isPortKeeper()) self->didOpenSerialPort();
        });
    });
    m_probeTimer.setInterval(kProbeRetryMs);
    connect(&m_probeTimer, &QTimer::timeout, this, [this] { probeAgain(); });
}

KorvoUpdateMainViewController::~KorvoUpdateMainViewController() {
    NotificationCenter::defaultCenter().removeObserver(this);
    KorvoUpdateDeviceManager& manager = KorvoUpdateDeviceManager::sharedManager();
    if (manager.delegate() == this) manager.setDelegate(nullptr);
    KorvoUpdateMainViewController* self = this;
    if (g_portKeeper.compare_exchange_strong(self, nullptr)) {
        KorvoUpdateFlashRunner::stopAndWait(kTeardownWaitMs);
        m_devPort.closeSerialPort();
    }
}

bool KorvoUpdateMainViewController::isPortKeeper() const {
    return g_portKeeper.load() == this;
}

bool KorvoUpdateMainViewController::isUpdate() const {
    return m_devPort.isUpdating();
}

const std::vector<KorvoUpdateTabItemModel>& KorvoUpdateMainViewController::items() {
    if (m_items.empty())
        for (const TabEntry& e : kTabEntries)
            m_items.push_back({localizedText(e.titleKey), e.icon});
    return m_items;
}

void KorvoUpdateMainViewController::buildTitleAndBottomBars() {
    m_titleBarView = new QWidget(this);
    m_titleBarBgImageView = new KorvoUpdateImageView(m_titleBarView);
    m_logoImageView = new KorvoUpdateImageView(m_titleBarView);
    m_titleSearchField = makeLabel(m_titleBarView, korvostyle::systemFont(kVersionPixelSize), kVersionText);
    m_miniButton = makeWindowButton(m_titleBarView, "btn_min");
    m_closeButton = makeWindowButton(m_titleBarView, "btn_close");
    connect(m_closeButton, &QPushButton::clicked, this, [this] { closeAction(); });
    connect(m_miniButton, &QPushButton::clicked, this, [this] { minimizeAction(); });

    m_tabView = new KorvoUpdateTabView(this);

    m_bottomView = new QWidget(this);
    m_copyrightImageView = new KorvoUpdateImageView(m_bottomView);
    m_copyrightLabel = makeLabel(m_bottomView, korvostyle::systemFont(kBottomTextPixelSize), kBottomText);
    m_comLabel = makeLabel(m_bottomView, korvostyle::systemFont(kBottomTextPixelSize), kBottomText);
    m_comLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void KorvoUpdateMainViewController::viewDidLoad() {
    buildTitleAndBottomBars();
    g_portKeeper.store(this);

    if (KorvoUpdateFlashRunner::isRunning()) {
        // Rebuilt while a flash runs: the user agreed to end it; the port is reopened once its worker is done, and
        // the tool, which may still be busy with what it was told last, is asked until it answers.
        KorvoUpdateFlashRunner::stop();
        QPointer<KorvoUpdateMainViewController> self(this);
        KorvoUpdateFlashRunner::whenIdle([self] {
            if (!self || !self->isPortKeeper()) return;
            self->didOpenSerialPort();
            self->probeUntilAnswered();
        });
    } else {
        didOpenSerialPort();
    }

    m_titleSearchField->setText(QString("V%1").arg(mainbundle::shortVersionString()));
    m_logoImageView->setImage(images::imageNamed("logo"));
    m_copyrightLabel->setText(localizedText("App3"));
    m_comLabel->setText(localizedText("App4"));
    // Qt's own dialogs (print, file) speak the interface language too, which a rebuild may just have changed.
    qttranslations::install(qtTranslationLanguage(KorvoUpdateCommonTool::sharedTool().userLanguage()));

    m_tabView->setDelegate(this);
    m_tabView->setDataSource(this);

    m_myUpdatesView = new KorvoUpdateSoftwareView(this);
    // Connected now, not only when its tab is first shown: a reply may come before that and must show as ready.
    connectFirmwareList();
    m_printView = new KorvoUpdatePrintInfoView(this);
    m_searchDTCView = new KorvoUpdateSearchDTCView(this);
    m_userManualView = new KorvoUpdateUserManualView(this);
    m_settingView = new KorvoUpdateSettingView(this);
    QPointer<KorvoUpdateMainViewController> self(this);
    m_settingView->setResetMainAppCompletion([self] {
        if (self) self->resetMainViewController();
    });
    for (QWidget* view : std::initializer_list<QWidget*>{m_myUpdatesView, m_printView, m_searchDTCView,
                                                         m_userManualView, m_settingView})
        view->hide();

    KorvoUpdateDeviceManager::sharedManager().setDelegate(this);
    NotificationCenter::defaultCenter().addObserver(this, kUpdateDataPro,
                                                    [this](const Notification& note) { didGetUpdateData(note); });
    viewDidLayout();
}

void KorvoUpdateMainViewController::resizeEvent(QResizeEvent*) {
    if (isViewLoaded()) viewDidLayout();
}

void KorvoUpdateMainViewController::viewDidLayout() {
    const int W = width(), H = height();
    m_titleBarView->setGeometry(0, 0, W, kTitleBarHeight);
    m_titleBarBgImageView->setGeometry(0, 0, W, kTitleBarHeight);
    m_titleBarBgImageView->setImage(
        imageresize::resizeImageWithSize(images::imageNamed("TopLogo"), QSizeF(W, kTitleBarHeight)));
    const QSize logo = m_logoImageView->image().size();
    m_logoImageView->setGeometry(kLogoLeft, (kTitleBarHeight - logo.height()) / 2, logo.width(), logo.height());
    const int closeLeft = W - kWindowButtonRight - kWindowButtonSize;
    const int buttonTop = (kTitleBarHeight - kWindowButtonSize) / 2;
    m_closeButton->setGeometry(closeLeft, buttonTop, kWindowButtonSize, kWindowButtonSize);
    m_miniButton->setGeometry(closeLeft - kWindowButtonGap - kWindowButtonSize, buttonTop, kWindowButtonSize,
                              kWindowButtonSize);
    const int versionLeft = kLogoLeft + logo.width() + kVersionGap;
    m_titleSearchField->setGeometry(versionLeft, 0, std::max(0, m_miniButton->x() - versionLeft), kTitleBarHeight);

    m_tabView->setGeometry(0, kTitleBarHeight, W, H - kTitleBarHeight - kBottomBarHeight);

    m_bottomView->setGeometry(0, H - kBottomBarHeight, W, kBottomBarHeight);
    m_copyrightImageView->setGeometry(0, 0, W, kBottomBarHeight);
    const double inset = kBottomPictureInset;
    m_copyrightImageView->setImage(imageresize::stretchableImageWithSize(
        images::imageNamed("Bottom"), QSizeF(W, kBottomBarHeight), {inset, inset, inset, inset}));
    const int half = W / 2;
    m_copyrightLabel->setGeometry(kBottomTextMargin, 0, half - kBottomTextMargin, kBottomBarHeight);
    m_comLabel->setGeometry(half, 0, half - kBottomTextMargin, kBottomBarHeight);
}

long long KorvoUpdateMainViewController::numberOfItemsInTabView(KorvoUpdateTabView*) {
    return static_cast<long long>(items().size());
}

KorvoUpdateTabItemModel KorvoUpdateMainViewController::tabViewItemAtIndex(KorvoUpdateTabView*, long long index) {
    const auto& list = items();
    return index >= 0 && index < static_cast<long long>(list.size()) ? list[size_t(index)] : KorvoUpdateTabItemModel{};
}

QWidget* KorvoUpdateMainViewController::tabViewContentViewForItemAtIndex(KorvoUpdateTabView* tabView, long long index) {
    const QRect frame(0, 0, tabView->contentSize().width(), tabView->height() - kContentHeightInset);
    QWidget* view = nullptr;
    switch (index) {
    case 0:
        connectFirmwareList();
        view = m_myUpdatesView;
        break;
    case 1:
        view = m_printView;
        break;
    case 2:
        view = m_searchDTCView;
        break;
    case 3:
        view = m_userManualView;
        break;
    case 4:
        view = m_settingView;
        break;
    default:
        view = new QWidget(this);
        m_spareViews.emplace_back(view);
        break;
    }
    if (view) view->setGeometry(frame);
    return view;
}

void KorvoUpdateMainViewController::connectFirmwareList() {
    QPointer<KorvoUpdateMainViewController> self(this);
    m_myUpdatesView->setSendUpdateInfoCompletion([self](const QString& path, int row) {
        if (self) self->softwareItemClick(path, row);
    });
    m_myUpdatesView->setRefUpdateInfoCompletion([self] {
        if (self) self->refreshDeviceStatus();
    });
}

void KorvoUpdateMainViewController::tabViewDidSelectTabItemAtIndex(KorvoUpdateTabView*, long long index) {
    if (m_printView) m_printView->didOpenOrCloseTime(index == 1);
}

void KorvoUpdateMainViewController::resetMainViewController() {
    auto* win = dynamic_cast<KorvoUpdateWindow*>(window());
    if (!win || win->contentViewController() != this) return;
    if (m_printView) m_printView->closeTimer();
    // The new controller stops a running flash and reopens the port once the worker has ended. This one is still
    // on the stack (Apply's handler, the alert's end), so it goes later, as the port's keeper no more.
    std::unique_ptr<KorvoUpdateViewController> old =
        win->setContentViewController(std::make_unique<KorvoUpdateMainViewController>());
    old.release()->deleteLater();
}

void KorvoUpdateMainViewController::didOpenSerialPort() {
    m_devPort.closeSerialPort();
    m_devPort.openSerialPort();
    if (!m_devPort.isOpenPort()) {
        if (const int err = m_devPort.lastOpenError()) m_tabView->didFailToOpenPort(err);
        return;
    }
    // The tool on the port just opened is ready once it has told its model again.
    m_devPort.setCurName(QString(""));
    refreshDeviceStatus();
    sendmessage();
}

void KorvoUpdateMainViewController::probeUntilAnswered() {
    if (m_devPort.isOpenPort() && m_devPort.curName().isEmpty()) m_probeTimer.start();
}

void KorvoUpdateMainViewController::probeAgain() {
    // Answered, gone, or no longer this controller's port: nothing more to ask.
    if (!isPortKeeper() || !m_devPort.isOpenPort() || !m_devPort.curName().isEmpty() ||
        KorvoUpdateFlashRunner::isRunning()) {
        m_probeTimer.stop();
        return;
    }
    sendmessage();
}

void KorvoUpdateMainViewController::refreshDeviceStatus() {
    m_tabView->didChangeStatus(true);
}

void KorvoUpdateMainViewController::sendmessage() {
    // The reply must start the bytes read, so nothing left from before may precede it.
    m_devPort.discardWaitingInput();
    m_devPort.sendData(
        QByteArray(reinterpret_cast<const char*>(firmware::ProbeCmd.data()), int(firmware::ProbeCmd.size())));
    m_devPort.readData(kDidGetReceiveData);
}

void KorvoUpdateMainViewController::deviceDidMounted(void*) {
    m_cutTold = false;
    if (KorvoUpdateFlashRunner::isRunning()) {
        // The tool being flashed is attached already, so another device came: the flash goes on, and the reopen
        // that brings the list and status up to date waits for its end.
        QPointer<KorvoUpdateMainViewController> self(this);
        KorvoUpdateFlashRunner::whenIdle([self] {
            if (self) self->m_reopenTimer.start();
        });
        return;
    }
    // One pending reopen serves any number of reports that come together (a tool can be seen by udev and by its
    // serial link at once).
    m_reopenTimer.start();
}

void KorvoUpdateMainViewController::deviceDidUnMounted(void*) {
    if (KorvoUpdateFlashRunner::isRunning() && !toolPortIsGone()) {
        // Another device went. The tool's own link may vanish only after its report, so its port is looked at
        // again once the flash has ended.
        QPointer<KorvoUpdateMainViewController> self(this);
        KorvoUpdateFlashRunner::whenIdle([self] {
            if (self && self->toolPortIsGone()) self->didDetachTool();
        });
        return;
    }
    didDetachTool();
}

bool KorvoUpdateMainViewController::toolPortIsGone() const {
    const QString path = m_devPort.devicePath();
    return path.isEmpty() || !QFileInfo::exists(path) || !IOKitTool::availableSerialDevices().contains(path) ||
           !IOKitTool::isScanToolDevice(path);
}

void KorvoUpdateMainViewController::didDetachTool() {
    const QString cut = flashCutByDetach();
    KorvoUpdateFlashRunner::stop();
    m_probeTimer.stop();
    m_tabView->didChangeStatus(false);
    m_devPort.setCurName(QString(""));
    if (m_myUpdatesView) m_myUpdatesView->clearListModels();
    QPointer<KorvoUpdateMainViewController> self(this);
    KorvoUpdateFlashRunner::whenIdle([self] {
        if (self && self->isPortKeeper()) self->m_devPort.closeSerialPort();
    });
    if (!cut.isEmpty()) showUnplugAlert(cut);
}

QString KorvoUpdateMainViewController::flashCutByDetach() const {
    if (m_cutTold) return QString();
    // A flash whose last end frame was acknowledged has succeeded: the tool may restart and leave in the pause after
    // it.
    if (KorvoUpdateFlashRunner::isRunning())
        return KorvoUpdateFlashRunner::hasSucceeded() ? QString() : KorvoUpdateFlashRunner::currentPath();
    if (m_failedFlashClock.isValid() && !m_failedFlashClock.hasExpired(kUnplugAfterFailureMs)) return m_failedFlashPath;
    return QString();
}

void KorvoUpdateMainViewController::showUnplugAlert(const QString& path) {
    m_cutTold = true;
    // What to do comes first; the package named below is the one to flash again.
    m_unplugAlert = KorvoUpdateAlert::alertWithTitle(localizedText("Alert1"), localizedText("UpdateHint6"),
                                                     QFileInfo(path).fileName(), localizedText("Update21"), QString(),
                                                     images::imageNamed("warning"));
    m_unplugAlert->beginSheetModalForWindow(window(), nullptr, nullptr);
}

void KorvoUpdateMainViewController::softwareItemClick(const QString& path, int) {
    if (!KorvoUpdateFlashRunner::start(path)) {
        didPostUpdateData(kUpdateStatusReset, 0.0f, path);
        return;
    }
    m_cutTold = false;
    m_failedFlashClock.invalidate();
}

void KorvoUpdateMainViewController::didPostUpdateData(int status, float pro, const QString& path) {
    KorvoUpdateSendProc::didPostUpdateData(status, pro, path);
}

void KorvoUpdateMainViewController::didGetUpdateData(const Notification& note) {
    const QVariantMap info = note.userInfo.value(kProInfoKey).toMap();
    const int status = info.value(kStatusKey).toInt();
    // A good flash leaves the port open; it is closed here, on the worker, which still holds the port.
    if (status == kUpdateStatusDone && isPortKeeper()) m_devPort.closeSerialPort();
    if (status == kUpdateStatusFailed) {
        // Noted for a detach that may follow: the tool may have been pulled out.
        QPointer<KorvoUpdateMainViewController> self(this);
        const QString path = info.value(kPathKey).toString();
        dispatch::mainAsync([self, path] {
            if (!self) return;
            self->m_failedFlashPath = path;
            self->m_failedFlashClock.start();
        });
    }
}

void KorvoUpdateMainViewController::closeAction() {
    window()->close();
}

bool KorvoUpdateMainViewController::windowShouldClose() {
    if (!m_devPort.isUpdating()) return true;
    if (m_exitAlert && m_exitAlert->isVisible()) {
        m_exitAlert->raise();
        m_exitAlert->activateWindow();
        return false;
    }
    m_exitAlert = KorvoUpdateAlert::alertWithTitle("Warning", localizedText("UpdateHint5"), localizedText("Update21"),
                                                   localizedText("Update22"), images::imageNamed("warning"));
    m_exitAlert->beginSheetModalForWindow(window(), this, nullptr);
    return false;
}

void KorvoUpdateMainViewController::alertSheetDidEnd(KorvoUpdateAlert* alert, int returnCode, void*) {
    if (alert == m_exitAlert.get() && returnCode == KorvoUpdateAlert::kReturnOK) closeWindowWhenIdle();
}

void KorvoUpdateMainViewController::closeWindowWhenIdle() {
    KorvoUpdateFlashRunner::stop();
    QPointer<QWidget> win(window());
    KorvoUpdateFlashRunner::whenIdle([win] {
        if (win) win->close();
    });
}

void KorvoUpdateMainViewController::minimizeAction() {
    window()->showMinimized();
}
