#include "KorvoUpdateUpdateInfoAlert.h"

#include "KorvoUpdateButton.h"
#include "KorvoUpdateImageView.h"
#include "korvostyle.h"

#include <QAbstractTextDocumentLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>

#include <cmath>

namespace {
constexpr int kPanelHeight = KorvoUpdateAlert::kTitleBarHeight + KorvoUpdateUpdateInfoAlert::kBodyTop +
                             KorvoUpdateUpdateInfoAlert::kScrollHeight + KorvoUpdateUpdateInfoAlert::kOkTopGap +
                             KorvoUpdateUpdateInfoAlert::kOkHeight + KorvoUpdateUpdateInfoAlert::kOkBottomMargin;
} // namespace

KorvoUpdateUpdateInfoAlert::KorvoUpdateUpdateInfoAlert() {
    removeBodyViews();
    setFixedSize(kPanelWidth, kPanelHeight);
}

std::unique_ptr<KorvoUpdateUpdateInfoAlert>
KorvoUpdateUpdateInfoAlert::updateInfoAlertWithTitle(const QString& title, const QString& message,
                                                     const QString& okButton, const QImage& image) {
    auto alert = std::make_unique<KorvoUpdateUpdateInfoAlert>();
    KorvoUpdateUpdateInfoAlert* self = alert.get();
    alert->titleTextField()->setText(title);
    alert->setWindowTitle(title);
    const int W = alert->width(), H = alert->height();
    const int top = kTitleBarHeight + kBodyTop;

    alert->m_updateIconImageView = new KorvoUpdateImageView(self);
    alert->m_updateIconImageView->setScaling(KorvoUpdateImageView::Scaling::ProportionallyDown);
    alert->m_updateIconImageView->setImage(image);
    alert->m_updateIconImageView->setGeometry(kLeadingMargin, top, kIconSize, kIconSize);

    const int scrollLeft = kLeadingMargin + kIconSize;
    alert->m_scrollView = new QScrollArea(self);
    alert->m_scrollView->setFrameShape(QFrame::NoFrame);
    alert->m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    alert->m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    alert->m_scrollView->setWidgetResizable(false);
    korvostyle::fillBackground(alert->m_scrollView->viewport(), Qt::white);
    alert->m_scrollView->setGeometry(scrollLeft, top, W - kTrailingMargin - scrollLeft, kScrollHeight);

    // The text keeps its own height, the one the message needs at the scroll view's width; the scroll view
    // scrolls it.
    alert->m_textView = new QTextEdit;
    alert->m_textView->setReadOnly(true);
    alert->m_textView->setFrameShape(QFrame::NoFrame);
    alert->m_textView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    alert->m_textView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    alert->m_textView->setFont(korvostyle::systemFont(kTextPixelSize));
    korvostyle::setTextColor(alert->m_textView, Qt::black);
    korvostyle::fillBackground(alert->m_textView->viewport(), Qt::white);
    if (!message.isEmpty()) alert->m_textView->setPlainText(message);
    // The scroll bar's room is kept free, so that the text does not move under it when it shows.
    const int textWidth = alert->m_scrollView->width() - alert->m_scrollView->verticalScrollBar()->sizeHint().width();
    alert->m_textView->document()->setTextWidth(textWidth);
    const int textHeight = int(std::ceil(alert->m_textView->document()->documentLayout()->documentSize().height()));
    alert->m_textView->resize(textWidth, textHeight);
    alert->m_scrollView->setWidget(alert->m_textView);

    alert->m_updateInfoOKButton = new KorvoUpdateButton(okButton.isNull() ? QStringLiteral("OK") : okButton, self);
    alert->m_updateInfoOKButton->setFlat(true);
    alert->m_updateInfoOKButton->setFont(korvostyle::systemFont(kOkPixelSize));
    alert->m_updateInfoOKButton->setDefault(true);
    alert->m_updateInfoOKButton->setGeometry(W - kOkRightMargin - kOkWidth, H - kOkBottomMargin - kOkHeight, kOkWidth,
                                             kOkHeight);
    QObject::connect(alert->m_updateInfoOKButton, &QPushButton::clicked, self, [self] { self->btnAction(kReturnOK); });
    return alert;
}
