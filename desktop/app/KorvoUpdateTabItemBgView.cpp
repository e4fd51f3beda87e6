#include "KorvoUpdateTabItemBgView.h"

#include "DevicePort.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateImageView.h"
#include "images.h"
#include "korvostyle.h"

#include <QLabel>

#include <cerrno>

namespace {
constexpr int kIconSize = 30;
constexpr int kIconLeft = 10;
constexpr int kTextGap = 6;
} // namespace

KorvoUpdateTabItemBgView::KorvoUpdateTabItemBgView(QWidget* parent) : QWidget(parent) {
    resetBase();
}

void KorvoUpdateTabItemBgView::resetBase() {
    korvostyle::fillBackground(this, korvostyle::kFrameGrey);

    m_imageView = new KorvoUpdateImageView(this);
    m_lab = new QLabel(this);
    m_lab->setFont(korvostyle::boldFont(16));
    m_lab->setAttribute(Qt::WA_TranslucentBackground);
    m_lab->setWordWrap(true); // the port errors take two lines
    show("icon_disconnect", "Update7");
}

void KorvoUpdateTabItemBgView::show(const QString& image, const QString& textKey) {
    m_imageName = image;
    m_imageView->setImage(images::imageNamed(image, QSize(kIconSize, kIconSize)));
    m_lab->setText(localizedText(textKey));
    resizeEvent(nullptr);
}

void KorvoUpdateTabItemBgView::changeConnect(bool connected) {
    if (!connected) {
        show("icon_disconnect", "Update7");
        return;
    }
    show("icon_connect", DevicePort::sharedManager().curName().isEmpty() ? "Update6" : "Update8");
}

void KorvoUpdateTabItemBgView::changePortError(int openError) {
    switch (openError) {
    case EACCES:
    case EPERM:
        show("icon_disconnect", "PortError1"); // no udev rule, not in the dialout group
        break;
    case EBUSY:
    case EWOULDBLOCK:
        show("icon_disconnect", "PortError2"); // held by another program
        break;
    default:
        show("icon_disconnect", "PortError3");
        break;
    }
}

void KorvoUpdateTabItemBgView::resizeEvent(QResizeEvent*) {
    m_imageView->setGeometry(kIconLeft, (height() - kIconSize) / 2, kIconSize, kIconSize);
    const int left = kIconLeft + kIconSize + kTextGap;
    m_lab->setGeometry(left, 0, std::max(0, width() - left - kIconLeft), height());
}
