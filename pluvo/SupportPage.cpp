#include "SupportPage.h"

#include "PngResource.h"

#include <QPainter>

CSupportPage::CSupportPage(QWidget* parent) : CDialog(parent, false) {
    setObjectName(QStringLiteral("page222"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSupportPage::OnInitDialog() {
    m_picture = LoadPngResource(kSupportPicture);
}

void CSupportPage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!m_picture.isNull()) p.drawImage(QPoint(kPictureOffsetX, 0), m_picture);
}
