// Tab 4, language settings: one radio button per offered interface language, two to a row on alternating stripes,
// and Apply, which stores the chosen language and has the main view controller rebuilt in it. During a flash Apply
// asks first; only OK goes on (and the rebuild ends the flash). GUI thread only.
#pragma once

#include "KorvoUpdateAlert.h"
#include "KorvoUpdateSoftwareManagementListModel.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class KorvoUpdateButton;
class QRadioButton;

class KorvoUpdateSettingView : public QWidget, public KorvoUpdateAlertDelegate {
public:
    using Rows = std::vector<KorvoUpdateSoftwareManagementListModel>;
    // Rebuilds the main view controller; called after the language has been stored.
    using ResetMainApp = std::function<void()>;

    static constexpr int kBarHeight = 60;
    static constexpr int kButtonWidth = 150;
    static constexpr int kButtonHeight = 40;
    static constexpr int kButtonPixelSize = 15;
    static constexpr int kRadioPixelSize = 16;
    static constexpr int kBands = 6;
    static constexpr int kSideInset = 20;

    explicit KorvoUpdateSettingView(QWidget* parent = nullptr);
    ~KorvoUpdateSettingView() override;

    void setResetMainAppCompletion(ResetMainApp block) { m_resetMainApp = std::move(block); }

    void radioButtonClicked(QRadioButton* sender);
    void applyAction();
    void openAlertView();
    void alertSheetDidEnd(KorvoUpdateAlert* alert, int returnCode, void* contextInfo) override;
    void resetMainApp();
    void resetButtons(const Rows& rows);

    const Rows& list() const { return m_list; }
    const std::vector<QRadioButton*>& btnList() const { return m_btnList; }
    const std::vector<QWidget*>& itemList() const { return m_itemList; }
    QWidget* bottomView() const { return m_bottomView; }
    KorvoUpdateButton* lastButton() const { return m_lastButton; }
    QWidget* lanView() const { return m_lanView; }
    QString lanCode() const { return m_lanCode; }
    KorvoUpdateAlert* alert() const { return m_alert.get(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setupUI();
    void setupBgItems();
    void configData();
    void layoutSubviews();

    Rows m_list;
    std::vector<QRadioButton*> m_btnList;
    std::vector<QWidget*> m_itemList;
    QWidget* m_bottomView = nullptr;
    KorvoUpdateButton* m_lastButton = nullptr;
    QWidget* m_lanView = nullptr;
    QString m_lanCode;
    std::unique_ptr<KorvoUpdateAlert> m_alert;
    ResetMainApp m_resetMainApp;
};
