#include "korvostyle.h"

#include <QApplication>

namespace korvostyle {

QFont boldFont(int pixelSize) {
    QFont font("Helvetica");
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

QFont systemFont(int pixelSize) {
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace korvostyle
