#include "MyPictureWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace {
const QColor kBackground(58, 173, 218);
} // namespace

MyPictureWidget::MyPictureWidget(QWidget* parent) : QOpenGLWidget(parent) {
    setAcceptDrops(true);
}

QSize MyPictureWidget::drawnSize(const QSize& picture, const QSize& view) {
    if (picture.width() > view.width() || picture.height() > view.height())
        return picture.scaled(view, Qt::KeepAspectRatio);
    return picture;
}

void MyPictureWidget::setPictureName(QString strPicName) {
    m_pictureName = strPicName;
}

QString MyPictureWidget::getPictureName() const {
    return m_pictureName;
}

void MyPictureWidget::drawPicture(QString strPicName) {
    setPictureName(strPicName);
    update();
}

void MyPictureWidget::paintEvent(QPaintEvent* event) {
    QOpenGLWidget::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    // Read on every paint, so a picture changed on disk shows as it is now.
    QImage picture;
    if (m_pictureName.isEmpty() || !picture.load(m_pictureName)) return;
    const QSize size = drawnSize(picture.size(), this->size());
    if (size != picture.size()) picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    painter.drawImage(QPoint(0, 0), picture);
}

void MyPictureWidget::dragEnterEvent(QDragEnterEvent* event) {
    event->acceptProposedAction();
}

void MyPictureWidget::dropEvent(QDropEvent* event) {
    // A drop without a local file (text, a web address) leaves the picture as it was.
    const QList<QUrl> urls = event->mimeData() ? event->mimeData()->urls() : QList<QUrl>();
    if (urls.isEmpty() || urls.first().toLocalFile().isEmpty()) return;
    drawPicture(urls.first().toLocalFile());
    event->acceptProposedAction();
}
