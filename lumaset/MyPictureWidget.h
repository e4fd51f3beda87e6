// The main window's picture view: shows the chosen picture, scaled down to fit, and takes a picture file dropped
// on it as the new picture. Holds the picture path and one scaled copy of the picture, read again only when the
// file is written or the view resized; a file that is no regular file or too large is never read. GUI thread only.
#pragma once

#include "picturefile.h"

#include <QImage>
#include <QOpenGLWidget>
#include <QSize>
#include <QString>

class MyPictureWidget : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit MyPictureWidget(QWidget* parent = nullptr);

    // Size a picture is drawn at in a view of the given size: shrunk to fit keeping its aspect ratio, never
    // enlarged.
    static QSize drawnSize(const QSize& picture, const QSize& view);

    // What a paint draws at the top-left corner: the picture as it was when last read, shrunk to fit the view;
    // null when there is no picture or it cannot or must not be read.
    const QImage& pictureToDraw();

public slots:
    void setPictureName(QString strPicName);
    QString getPictureName() const;
    void drawPicture(QString strPicName);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QString m_pictureName;
    QImage m_shown;
    picturefile::Stamp m_shownStamp; // of the file m_shown was read from
    QSize m_shownFor;                // the view's size then
};
