#include "Marks.h"

#include <QApplication>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOptionButton>

namespace {
// The marks' frame is the palette's window colour darkened: this one gives a frame that stands out on white, on a
// selected row and on a grey one alike, and is still seen when faded.
constexpr QRgb kMarkWindowColor = 0x808080;

// One style for every mark, owned by the application.
QStyle* markStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = QStyleFactory::create(QStringLiteral("Fusion"));
        style->setParent(qApp);
    }
    return style;
}
} // namespace

void DrawMark(QPainter* painter, QStyle::PrimitiveElement mark, const QRect& rect, bool on) {
    QStyle* style = markStyle();
    QStyleOptionButton option;
    option.rect = rect;
    option.state = QStyle::State_Enabled | (on ? QStyle::State_On : QStyle::State_Off);
    option.palette = style->standardPalette();
    option.palette.setColor(QPalette::Window, QColor(kMarkWindowColor));
    style->drawPrimitive(mark, &option, painter, nullptr);
}
