// CSupportPage: page 5 of the main dialog: the support picture (PNG 221) on white. Interface thread only.
#pragma once

#include "Dialog.h"

#include <QImage>

class CSupportPage : public CDialog {
    Q_OBJECT
public:
    static constexpr int kSupportPicture = 221;
    // The picture's left edge lies this far left of the page's.
    static constexpr int kPictureOffsetX = -40;

    explicit CSupportPage(QWidget* parent = nullptr);
    void OnInitDialog();
    const QImage& picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent*) override; // OnEraseBkgnd and OnCtlColor: white, then the picture

private:
    QImage m_picture;
};
