#include "KorvoUpdateSettingView.h"

#include "DevicePort.h"
#include "KorvoUpdateButton.h"
#include "KorvoUpdateCommonTool.h"
#include "Log.h"
#include "images.h"
#include "korvostyle.h"

#include <QRadioButton>
#include <QVariant>

KorvoUpdateSettingView::KorvoUpdateSettingView(QWidget* parent) : QWidget(parent) {
    setupUI();
}

KorvoUpdateSettingView::~KorvoUpdateSettingView() = default;

void KorvoUpdateSettingView::setupUI() {
    m_bottomView = new QWidget(this);
    korvostyle::fillBackground(m_bottomView, korvostyle::kFrameGrey);
    setupBgItems();
    m_lastButton = new KorvoUpdateButton(m_bottomView);
    m_lastButton->setFont(korvostyle::systemFont(kButtonPixelSize));
    connect(m_lastButton, &QPushButton::clicked, this, [this] { applyAction(); });
    m_lanView = new QWidget(this);
    configData();
}

void KorvoUpdateSettingView::setupBgItems() {
    for (int i = 0; i < kBands; ++i) {
        auto* band = new QWidget(this);
        if (i % 2 == 1) korvostyle::fillBackground(band, korvostyle::kStripeGrey);
        m_itemList.push_back(band);
    }
}

void KorvoUpdateSettingView::configData() {
    m_lastButton->setText(localizedText("Settings1"));
    const QString current = KorvoUpdateCommonTool::sharedTool().userLanguage();
    const QMap<QString, QString> names = KorvoUpdateCommonTool::appSupportLanguagesNames();
    Rows rows;
    for (const QString& name : KorvoUpdateCommonTool::appSupportLanguagesNameOrder()) {
        KorvoUpdateSoftwareManagementListModel row;
        row.lanName = name;
        row.lanCode = names.value(name);
        row.selected = row.lanCode == current;
        rows.push_back(row);
    }
    m_lanCode = current;
    resetButtons(rows);
}

void KorvoUpdateSettingView::resetButtons(const Rows& rows) {
    m_list = rows;
    for (QRadioButton* b : m_btnList)
        delete b;
    m_btnList.clear();
    for (size_t i = 0; i < m_list.size(); ++i) {
        auto* button = new QRadioButton(m_list[i].lanName, m_lanView);
        button->setChecked(m_list[i].selected);
        button->setProperty("tag", int(i));
        button->setFont(korvostyle::systemFont(kRadioPixelSize));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAttribute(Qt::WA_TranslucentBackground);
        connect(button, &QRadioButton::clicked, this, [this, button] { radioButtonClicked(button); });
        m_btnList.push_back(button);
    }
    layoutSubviews();
}

void KorvoUpdateSettingView::resizeEvent(QResizeEvent*) {
    layoutSubviews();
}

void KorvoUpdateSettingView::layoutSubviews() {
    const int W = width(), H = height();
    m_bottomView->setGeometry(0, H - kBarHeight, W, kBarHeight);
    m_lastButton->setGeometry((W - kButtonWidth) / 2, (kBarHeight - kButtonHeight) / 2, kButtonWidth, kButtonHeight);
    const int listHeight = std::max(0, H - kBarHeight);
    m_lanView->setGeometry(kSideInset, 0, std::max(0, W - 2 * kSideInset), listHeight);
    for (int i = 0; i < int(m_itemList.size()); ++i)
        m_itemList[size_t(i)]->setGeometry(0, listHeight * i / kBands, W, listHeight / kBands);
    const int lanWidth = m_lanView->width();
    const int buttonWidth = (W - 2 * kSideInset) / 2;
    for (int i = 0; i < int(m_btnList.size()); ++i) {
        const int left = i % 2 == 0 ? 0 : lanWidth - buttonWidth;
        m_btnList[size_t(i)]->setGeometry(left, listHeight * (i / 2) / kBands, std::max(0, buttonWidth),
                                          listHeight / kBands);
    }
}

void KorvoUpdateSettingView::radioButtonClicked(QRadioButton* sender) {
    if (!sender || !sender->isChecked()) return;
    const int tag = sender->property("tag").toInt();
    if (tag < 0 || tag >= int(m_list.size())) return;
    m_lanCode = m_list[size_t(tag)].lanCode;
    syslogline::write("Selected option: " + sender->text().toStdString());
}

void KorvoUpdateSettingView::applyAction() {
    if (DevicePort::sharedManager().isUpdating())
        openAlertView();
    else
        resetMainApp();
}

void KorvoUpdateSettingView::openAlertView() {
    m_alert = KorvoUpdateAlert::alertWithTitle("Warning", localizedText("UpdateHint5"), localizedText("Update21"),
                                               localizedText("Update22"), images::imageNamed("warning"));
    m_alert->beginSheetModalForWindow(window(), this, nullptr);
}

void KorvoUpdateSettingView::alertSheetDidEnd(KorvoUpdateAlert* alert, int returnCode, void*) {
    if (alert == m_alert.get() && returnCode == KorvoUpdateAlert::kReturnOK) resetMainApp();
}

void KorvoUpdateSettingView::resetMainApp() {
    KorvoUpdateCommonTool::sharedTool().setUserlanguage(m_lanCode);
    if (m_resetMainApp) m_resetMainApp();
}
