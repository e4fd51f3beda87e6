#include "viewextension.h"

#include "korvostyle.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

#include <cmath>

namespace viewextension {

namespace {
constexpr char kBorderObjectName[] = "viewextension-border";

// Paints a frame over its parent and follows the parent's size; lets every mouse event through.
class BorderOverlay : public QWidget {
public:
    BorderOverlay(QWidget* parent, const QColor& color, double width)
        : QWidget(parent), m_color(color), m_width(width) {
        setObjectName(kBorderObjectName);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(parent->rect());
        parent->installEventFilter(this);
        raise();
        show();
    }
    void set(const QColor& color, double width) {
        m_color = color;
        m_width = width;
        update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        if (m_width <= 0) return;
        QPainter p(this);
        QPen pen(m_color, m_width);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        const double half = m_width / 2;
        p.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
    }

private:
    QColor m_color;
    double m_width;
};

void addStrip(QWidget* view, const QColor& color, double width, Edge edge) {
    if (!view) return;
    auto* strip = new QWidget(view);
    strip->setAttribute(Qt::WA_TransparentForMouseEvents);
    korvostyle::fillBackground(strip, color);
    strip->setGeometry(borderStripRect(view->size(), edge, width));
    strip->raise();
    strip->show();
}
} // namespace

QRect borderStripRect(QSize size, Edge edge, double width) {
    const int w = int(std::lround(width));
    switch (edge) {
    case Edge::Top:
        return QRect(0, 0, size.width(), w);
    case Edge::Bottom:
        return QRect(0, size.height() - w, size.width(), w);
    case Edge::Left:
        return QRect(0, 0, w, size.height());
    case Edge::Right:
        return QRect(size.width() - w, 0, w, size.height());
    }
    return {};
}

void addBorderWithColor(QWidget* view, const QColor& color, double width) {
    if (!view) return;
    if (auto* existing = view->findChild<BorderOverlay*>(kBorderObjectName, Qt::FindDirectChildrenOnly)) {
        existing->set(color, width);
        return;
    }
    new BorderOverlay(view, color, width);
}

void addTopBorderWithColor(QWidget* view, const QColor& color, double width) {
    addStrip(view, color, width, Edge::Top);
}
void addBottomBorderWithColor(QWidget* view, const QColor& color, double width) {
    addStrip(view, color, width, Edge::Bottom);
}
void addLeftBorderWithColor(QWidget* view, const QColor& color, double width) {
    addStrip(view, color, width, Edge::Left);
}
void addRightBorderWithColor(QWidget* view, const QColor& color, double width) {
    addStrip(view, color, width, Edge::Right);
}

} // namespace viewextension
