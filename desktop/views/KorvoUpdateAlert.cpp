#include "KorvoUpdateAlert.h"

#include "KorvoUpdateButton.h"
#include "KorvoUpdateImageView.h"
#include "appwindow.h"
#include "imageresize.h"
#include "images.h"
#include "korvostyle.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QWindow>

namespace {
// Panel geometry.
constexpr int kCloseButtonSize = 24;
constexpr int kMargin = 22;
constexpr int kIconSize = 56;
constexpr int kIconGap = 16;
constexpr int kTextGap = 8;
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 34;
constexpr int kButtonGap = 12;
constexpr int kButtonBottomMargin = 18;
constexpr int kTitlePixelSize = 15;
constexpr int kMessagePixelSize = 15;
constexpr int kInfoPixelSize = 13;
// The title bar picture is drawn a little wider than the panel, as its right end is cut.
constexpr int kTitleBarPictureOverhang = 40;
const QColor kPanelBorder(150, 150, 150);
const QColor kInfoText(90, 90, 90);

} // namespace

std::unique_ptr<KorvoUpdateAlert> KorvoUpdateAlert::alertWithTitle(const QString& title, const QString& message,
                                                                   const QString& infoMessage, const QString& okButton,
                                                                   const QString& cancelButton, const QImage& image) {
    auto alert = std::make_unique<KorvoUpdateAlert>();
    alert->m_titleTextField->setText(title);
    alert->setWindowTitle(title);
    if (!image.isNull()) {
        alert->m_iconImageView->setImage(image);
    } else {
        alert->m_iconWidth = 0;
        alert->m_iconImageView->hide();
    }
    alert->m_messageTextField->setText(message);
    alert->m_informationTextField->setText(infoMessage);
    alert->m_informationTextField->setVisible(!infoMessage.isEmpty());
    alert->m_okButton->setText(okButton.isNull() ? QStringLiteral("OK") : okButton);
    KorvoUpdateAlert* self = alert.get();
    QObject::connect(alert->m_okButton, &QPushButton::clicked, alert.get(), [self] { self->btnAction(kReturnOK); });
    if (!cancelButton.isNull()) {
        alert->m_cancelButton->setText(cancelButton);
        QObject::connect(alert->m_cancelButton, &QPushButton::clicked, alert.get(),
                         [self] { self->btnAction(kReturnCancel); });
    } else {
        alert->m_oneButton = true;
        alert->m_cancelButton->hide();
    }
    alert->layoutPanel();
    return alert;
}

std::unique_ptr<KorvoUpdateAlert> KorvoUpdateAlert::alertWithTitle(const QString& title, const QString& message,
                                                                   const QString& okButton, const QString& cancelButton,
                                                                   const QImage& image) {
    return alertWithTitle(title, message, QString(), okButton, cancelButton, image);
}

std::unique_ptr<KorvoUpdateAlert> KorvoUpdateAlert::alertWithTitle(const QString& title, const QString& message,
                                                                   const QString& okButton,
                                                                   const QString& cancelButton) {
    return alertWithTitle(title, message, QString(), okButton, cancelButton, QImage());
}

KorvoUpdateAlert::KorvoUpdateAlert() : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint), m_iconWidth(kIconSize) {
    awakeFromNib();
}

void KorvoUpdateAlert::awakeFromNib() {
    korvostyle::fillBackground(this, Qt::white);

    m_titleBarView = new QWidget(this);
    m_titleBarBgImageView = new KorvoUpdateImageView(m_titleBarView);
    m_titleTextField = new QLabel(m_titleBarView);
    m_titleTextField->setFont(korvostyle::boldFont(kTitlePixelSize));
    korvostyle::setTextColor(m_titleTextField, Qt::white);
    m_closeButton = new QPushButton(m_titleBarView);
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    m_closeButton->setFlat(true);
    m_closeButton->setCursor(Qt::PointingHandCursor);
    m_closeButton->setIcon(images::iconNamed("close_white"));
    m_closeButton->setIconSize(QSize(kCloseButtonSize - 8, kCloseButtonSize - 8));
    m_closeButton->setStyleSheet("QPushButton { border: none; background: transparent; }");
    connect(m_closeButton, &QPushButton::clicked, this, [this] { closeAction(); });

    m_iconImageView = new KorvoUpdateImageView(this);
    m_iconImageView->setScaling(KorvoUpdateImageView::Scaling::ProportionallyDown);
    m_messageTextField = new QLabel(this);
    m_messageTextField->setWordWrap(true);
    m_messageTextField->setFont(korvostyle::boldFont(kMessagePixelSize));
    korvostyle::setTextColor(m_messageTextField, Qt::black);
    m_informationTextField = new QLabel(this);
    m_informationTextField->setWordWrap(true);
    m_informationTextField->setFont(korvostyle::systemFont(kInfoPixelSize));
    korvostyle::setTextColor(m_informationTextField, kInfoText);

    m_okButton = new KorvoUpdateButton(this);
    m_okButton->setDefault(true);
    m_okButton->setFont(korvostyle::boldFont(14));
    m_cancelButton = new KorvoUpdateButton(this);
    m_cancelButton->setFont(korvostyle::boldFont(14));
    layoutPanel();
}

void KorvoUpdateAlert::layoutPanel() {
    const int W = kPanelWidth;
    const int textLeft = kMargin + (m_iconWidth > 0 ? m_iconWidth + kIconGap : 0);
    const int textWidth = W - textLeft - kMargin;
    const int messageHeight = m_messageTextField->heightForWidth(textWidth);
    const int infoHeight =
        m_informationTextField->isVisibleTo(this) ? m_informationTextField->heightForWidth(textWidth) : 0;
    const int textHeight = std::max(0, messageHeight) + (infoHeight > 0 ? kTextGap + infoHeight : 0);
    const int bodyHeight = std::max(m_iconWidth > 0 ? kIconSize : 0, textHeight);
    const int H = kTitleBarHeight + kMargin + bodyHeight + kMargin + kButtonHeight + kButtonBottomMargin;
    setFixedSize(W, H);

    m_titleBarView->setGeometry(0, 0, W, kTitleBarHeight);
    m_titleBarBgImageView->setGeometry(0, 0, W + kTitleBarPictureOverhang, kTitleBarHeight);
    m_titleBarBgImageView->setImage(imageresize::resizeImageWithSize(
        images::imageNamed("head"), QSizeF(W + kTitleBarPictureOverhang, kTitleBarHeight)));
    m_titleTextField->setGeometry(kMargin - 6, 0, W - 2 * kMargin - kCloseButtonSize, kTitleBarHeight);
    m_closeButton->setGeometry(W - kCloseButtonSize - 10, (kTitleBarHeight - kCloseButtonSize) / 2, kCloseButtonSize,
                               kCloseButtonSize);

    const int bodyTop = kTitleBarHeight + kMargin;
    m_iconImageView->setGeometry(kMargin, bodyTop, m_iconWidth, m_iconWidth > 0 ? kIconSize : 0);
    const int textTop = bodyTop + (bodyHeight - textHeight) / 2;
    m_messageTextField->setGeometry(textLeft, textTop, textWidth, messageHeight);
    m_informationTextField->setGeometry(textLeft, textTop + messageHeight + kTextGap, textWidth, infoHeight);

    const int buttonTop = H - kButtonBottomMargin - kButtonHeight;
    const QRect cancelFrame(W - kButtonRightMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    m_cancelButton->setGeometry(cancelFrame);
    m_okButton->setGeometry(m_oneButton ? cancelFrame : cancelFrame.translated(-(kButtonWidth + kButtonGap), 0));
}

void KorvoUpdateAlert::removeBodyViews() {
    for (QWidget* view : std::initializer_list<QWidget*>{m_iconImageView, m_messageTextField, m_informationTextField,
                                                         m_okButton, m_cancelButton})
        delete view;
    m_iconImageView = nullptr;
    m_messageTextField = m_informationTextField = nullptr;
    m_okButton = m_cancelButton = nullptr;
}

void KorvoUpdateAlert::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(kPanelBorder);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

int KorvoUpdateAlert::runModal() {
    m_isSheet = false;
    setWindowModality(Qt::ApplicationModal);
    return exec();
}

void KorvoUpdateAlert::beginSheetModalForWindow(QWidget*, KorvoUpdateAlertDelegate* delegate, void* contextInfo) {
    m_isSheet = true;
    m_delegate = delegate;
    m_contextInfo = contextInfo;
    QWidget* main = appwindow::mainWindow();
    setWindowModality(Qt::WindowModal);
    if (main) {
        // A transient parent ties the sheet to the main window (stacking and modality) without owning it.
        winId();
        if (QWindow* handle = windowHandle()) handle->setTransientParent(main->window()->windowHandle());
        const QRect frame = main->window()->geometry();
        move(frame.x() + (frame.width() - width()) / 2, frame.y() + (frame.height() - height()) / 3);
    }
    disconnect(this, &QDialog::finished, this, nullptr);
    connect(this, &QDialog::finished, this, [this](int code) {
        if (m_isSheet) sheetDidEnd(code, m_contextInfo);
    });
    show();
    raise();
    activateWindow();
}

void KorvoUpdateAlert::sheetDidEnd(int returnCode, void* contextInfo) {
    if (m_delegate) m_delegate->alertSheetDidEnd(this, returnCode, contextInfo);
}

void KorvoUpdateAlert::btnAction(int tag) {
    done(tag);
}

void KorvoUpdateAlert::closeAction() {
    done(kReturnClose);
}

void KorvoUpdateAlert::reject() {
    closeAction();
}
