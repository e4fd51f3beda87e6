#include "KorvoUpdateDownloadButton.h"

#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateProgressView.h"

#include <QEvent>
#include <QLabel>

namespace {

QLabel* plainLabel(QWidget* parent, int pixelSize) {
    auto* label = new QLabel(parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    label->setFont(font);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setFocusPolicy(Qt::NoFocus);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setWordWrap(false);
    return label;
}

} // namespace

KorvoUpdateDownloadButton::KorvoUpdateDownloadButton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_titleLabel = plainLabel(this, kFontPixelSize);
    m_progressLabel = plainLabel(this, kFontPixelSize);
    m_progressView = new KorvoUpdateProgressView(this);
    m_progressView->setMaxValue(kMaxValue);
    m_downloadState = kStateIdle;
    layoutSubviews();
}

QString KorvoUpdateDownloadButton::titleKeyForState(int state) {
    switch (state) {
    case kStateFlashing:
        return QStringLiteral("UpdateHint2");
    case kStateDone:
        return QStringLiteral("UpdateHint3");
    case kStateFailed:
        return QStringLiteral("UpdateHint4");
    default:
        return QString();
    }
}

QString KorvoUpdateDownloadButton::progressTextForState(double progress, int state) {
    switch (state) {
    case kStateFlashing:
    case kStateFailed:
        // The percentage reads as the bar shows it, never "nan%" or "-25%".
        return QString::asprintf("%0.0f%%", KorvoUpdateProgressView::clampedProgress(progress) * 100);
    case kStateDone:
        return QStringLiteral("100%");
    default:
        return QString();
    }
}

void KorvoUpdateDownloadButton::setProgress(double progress, int forState) {
    m_doubleValue = progress;
    m_downloadState = forState;
    const QString key = titleKeyForState(forState);
    m_titleLabel->setText(key.isEmpty() ? QString() : localizedText(key));
    m_progressLabel->setText(progressTextForState(progress, forState));
    m_progressView->setProgress(progress);
    layoutSubviews();
}

void KorvoUpdateDownloadButton::layoutSubviews() {
    const int barY = (height() - kBarHeight) / 2;
    m_progressView->setGeometry(kBarLeading, barY, kBarWidth, kBarHeight);
    const QSize progressSize = m_progressLabel->sizeHint();
    const int progressX = m_progressView->geometry().right() + 1 + kBarLeading;
    m_progressLabel->setGeometry(progressX, (height() - progressSize.height()) / 2, progressSize.width(),
                                 progressSize.height());
    const QSize titleSize = m_titleLabel->sizeHint();
    m_titleLabel->setGeometry(m_progressLabel->geometry().right() + 1 + kBarLeading,
                              (height() - titleSize.height()) / 2, titleSize.width(), titleSize.height());
}

QSize KorvoUpdateDownloadButton::sizeHint() const {
    return QSize(m_titleLabel->geometry().right() + 1 + kBarLeading, kBarHeight);
}

void KorvoUpdateDownloadButton::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutSubviews();
}

void KorvoUpdateDownloadButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) layoutSubviews();
}
