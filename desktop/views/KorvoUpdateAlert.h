// The desktop application's own alert panel: a title bar with a close button, an optional icon, a message, an
// information line and one or two buttons. Shown as a sheet on the main window (window-modal, the delegate is told
// how it ended) or run application-modally. It ends with 1000 (OK, the default button: Return presses it),
// 1001 (Cancel) or 0 (the close button or Escape). GUI thread only; the caller owns the alert.
#pragma once

#include <QDialog>
#include <QImage>

#include <memory>

class KorvoUpdateAlert;
class KorvoUpdateButton;
class KorvoUpdateImageView;
class QLabel;
class QPushButton;

class KorvoUpdateAlertDelegate {
public:
    virtual ~KorvoUpdateAlertDelegate() = default;
    virtual void alertSheetDidEnd(KorvoUpdateAlert*, int, void*) {}
};

class KorvoUpdateAlert : public QDialog {
public:
    static constexpr int kReturnOK = 1000;
    static constexpr int kReturnCancel = 1001;
    static constexpr int kReturnClose = 0;
    // OK's place when there is no Cancel: Cancel's, this far in from the panel's right edge.
    static constexpr int kButtonRightMargin = 15;
    static constexpr int kPanelWidth = 460;
    static constexpr int kTitleBarHeight = 40;

    // A null text means none; a null OK title shows "OK"; no Cancel title gives the one-button form.
    static std::unique_ptr<KorvoUpdateAlert> alertWithTitle(const QString& title, const QString& message,
                                                            const QString& infoMessage, const QString& okButton,
                                                            const QString& cancelButton, const QImage& image);
    static std::unique_ptr<KorvoUpdateAlert> alertWithTitle(const QString& title, const QString& message,
                                                            const QString& okButton, const QString& cancelButton,
                                                            const QImage& image);
    static std::unique_ptr<KorvoUpdateAlert> alertWithTitle(const QString& title, const QString& message,
                                                            const QString& okButton, const QString& cancelButton);

    KorvoUpdateAlert();

    // Runs the panel application-modally and returns its code.
    int runModal();
    // Shows the panel as a sheet on the application's main window (whatever window is named) and returns at once;
    // when it ends, delegate->alertSheetDidEnd(this, code, contextInfo).
    void beginSheetModalForWindow(QWidget* window, KorvoUpdateAlertDelegate* delegate, void* contextInfo);
    bool isSheet() const { return m_isSheet; }
    // The end of a sheet: the delegate, when there is one, hears of it with this alert.
    void sheetDidEnd(int returnCode, void* contextInfo);

    void btnAction(int tag);
    void closeAction();

    QLabel* titleTextField() const { return m_titleTextField; }
    QLabel* messageTextField() const { return m_messageTextField; }
    QLabel* informationTextField() const { return m_informationTextField; }
    KorvoUpdateButton* okButton() const { return m_okButton; }
    KorvoUpdateButton* cancelButton() const { return m_cancelButton; }
    QPushButton* closeButton() const { return m_closeButton; }
    KorvoUpdateImageView* iconImageView() const { return m_iconImageView; }

    void reject() override;

    QWidget* titleBarView() const { return m_titleBarView; }
    KorvoUpdateImageView* titleBarBgImageView() const { return m_titleBarBgImageView; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Takes the icon, the message, the information line, OK and Cancel off the panel, for panels that show
    // something else; their accessors then answer nullptr.
    void removeBodyViews();

private:
    void awakeFromNib();
    void layoutPanel();

    QWidget* m_titleBarView = nullptr;
    KorvoUpdateImageView* m_titleBarBgImageView = nullptr;
    QLabel* m_titleTextField = nullptr;
    QPushButton* m_closeButton = nullptr;
    QLabel* m_messageTextField = nullptr;
    QLabel* m_informationTextField = nullptr;
    KorvoUpdateButton* m_okButton = nullptr;
    KorvoUpdateButton* m_cancelButton = nullptr;
    KorvoUpdateImageView* m_iconImageView = nullptr;
    int m_iconWidth;
    bool m_oneButton = false;
    bool m_isSheet = false;
    KorvoUpdateAlertDelegate* m_delegate = nullptr;
    void* m_contextInfo = nullptr;
};
