#include "KorvoUpdateProgressView.h"

#include <algorithm>
#include <cmath>

const QColor KorvoUpdateProgressView::kTrackColor(170, 170, 170);
const QColor KorvoUpdateProgressView::kFillColor(0, 180, 0);

namespace {

QWidget* colouredView(QWidget* parent, const QColor& color) {
    auto* view = new QWidget(parent);
    view->setAutoFillBackground(true);
    // Its own role, not the one of whatever view it is placed in.
    view->setBackgroundRole(QPalette::Window);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, color);
    view->setPalette(palette);
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    return view;
}

} // namespace

KorvoUpdateProgressView::KorvoUpdateProgressView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_bgimg = colouredView(this, kTrackColor);
    m_leftimg = colouredView(this, kFillColor);
    m_leftimg->setGeometry(0, 0, 0, kFillHeight);
}

double KorvoUpdateProgressView::clampedProgress(double progress) {
    return std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);
}

void KorvoUpdateProgressView::setProgress(double progress) {
    // NaN and stray values must not give the fill a negative or runaway width.
    m_progress = clampedProgress(progress);
    m_leftimg->setGeometry(0, 0, static_cast<int>(std::lround(m_progress * kFillScale)), kFillHeight);
}

void KorvoUpdateProgressView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_bgimg->setGeometry(rect());
}
