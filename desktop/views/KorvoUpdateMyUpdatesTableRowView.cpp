#include "KorvoUpdateMyUpdatesTableRowView.h"

#include "KorvoUpdateDownloadButton.h"
#include "KorvoUpdateImageView.h"
#include "korvostyle.h"

#include <QLabel>

KorvoUpdateMyUpdatesTableRowView::KorvoUpdateMyUpdatesTableRowView(QWidget* parent) : QWidget(parent) {
    m_imageView1 = new KorvoUpdateImageView(this);
    m_imageView1->setScaling(KorvoUpdateImageView::Scaling::ProportionallyDown);
    m_textLabel1 = new QLabel(this);
    m_textLabel1->setFont(korvostyle::systemFont(kTextPixelSize));
    m_textLabel1->setTextInteractionFlags(Qt::NoTextInteraction);
    m_textLabel1->setAttribute(Qt::WA_TranslucentBackground);
    m_downloadButton = new KorvoUpdateDownloadButton(this);
    resetUpdateCell();
}

void KorvoUpdateMyUpdatesTableRowView::setShowImage(int show) {
    m_showImage = show;
    layoutCell();
}

void KorvoUpdateMyUpdatesTableRowView::resetUpdateCell() {
    setProgress(0.5, KorvoUpdateDownloadButton::kStateFlashing);
}

void KorvoUpdateMyUpdatesTableRowView::setProgress(double progress, int forState) {
    m_downloadButton->setProgress(progress, forState);
}

void KorvoUpdateMyUpdatesTableRowView::resizeEvent(QResizeEvent*) {
    layoutCell();
}

void KorvoUpdateMyUpdatesTableRowView::layoutCell() {
    const int textHeight = m_textLabel1->sizeHint().height();
    const int textTop = (height() - textHeight) / 2;
    switch (m_showImage) {
    case CheckAndText: {
        m_downloadButton->hide();
        m_imageView1->show();
        m_textLabel1->show();
        m_imageView1->setGeometry(kLeading, 0, kCheckWidth, height());
        const int textLeft = kLeading + kCheckWidth + kCheckTextGap;
        m_textLabel1->setGeometry(textLeft, textTop, std::max(0, width() - textLeft), textHeight);
        break;
    }
    case ProgressButton:
        m_imageView1->hide();
        m_textLabel1->hide();
        m_downloadButton->show();
        m_downloadButton->setGeometry(rect());
        break;
    default:
        m_downloadButton->hide();
        m_imageView1->hide();
        m_textLabel1->show();
        m_imageView1->setGeometry(kLeading, 0, 0, 0);
        m_textLabel1->setGeometry(kLeading, textTop, std::max(0, width() - kLeading), textHeight);
        break;
    }
}
