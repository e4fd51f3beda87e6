// The main window's picture view: shows the chosen picture, scaled down to fit, and takes a picture file dropped
// on it as the new picture. Holds the picture path; GUI thread only.
#pragma once

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
};
