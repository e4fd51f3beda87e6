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

const QImage& MyPictureWidget::pictureToDraw() {
    // A look at the file's metadata on every paint, so a picture changed on disk shows as it is now; the pixels are
    // read only when it changed.
    const picturefile::Stamp stamp = picturefile::stampOf(m_pictureName);
    if (stamp.size >= 0 && stamp == m_shownStamp && size() == m_shownFor) return m_shown;
    m_shown = QImage();
    m_shownStamp = stamp;
    m_shownFor = size();
    const picturefile::Check check = picturefile::inspect(m_pictureName);
    if (check.verdict != picturefile::Verdict::Ok) return m_shown;
    QImage picture;
    if (!picture.load(m_pictureName)) return m_shown;
    const QSize drawn = drawnSize(picture.size(), size());
    m_shown = drawn == picture.size() ? picture : picture.scaled(drawn, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return m_shown;
}

void MyPictureWidget::paintEvent(QPaintEvent* event) {
    QOpenGLWidget::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    const QImage& picture = pictureToDraw();
    if (!picture.isNull()) painter.drawImage(QPoint(0, 0), picture);
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
