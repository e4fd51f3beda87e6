#include "progresscolors.h"

#include <QGraphicsEffect>
#include <QPainter>
#include <QProgressBar>

namespace {
// Keeps the alpha of what the widget draws and replaces its colour.
class TintEffect : public QGraphicsEffect {
public:
    TintEffect(const QColor& color, QObject* parent) : QGraphicsEffect(parent), m_color(color) {}

protected:
    void draw(QPainter* painter) override {
        QPoint offset;
        QPixmap pixmap = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::PadToEffectiveBoundingRect);
        if (pixmap.isNull()) return;
        {
            QPainter tint(&pixmap);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(pixmap.rect(), QColor(m_color.red(), m_color.green(), m_color.blue()));
        }
        painter->save();
        painter->setWorldTransform(QTransform());
        painter->drawPixmap(offset, pixmap);
        painter->restore();
    }

private:
    QColor m_color;
};
} // namespace

void setCustomColor(QProgressBar* indicator, const QColor& color) {
    if (!indicator) return;
    indicator->setGraphicsEffect(new TintEffect(color.toRgb(), indicator));
}
