// Colours and fonts that the desktop screens share, so that every screen draws the same frame.
#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace korvostyle {

// The frame grey of the tab bar, the status bar and the button bars (187 of 255 per channel).
const QColor kFrameGrey(187, 187, 187);
// Every other stripe of a list.
const QColor kStripeGrey(240, 240, 240);

// The bold face the status texts and menu titles use, at a size in pixels (points of the original layout).
QFont boldFont(int pixelSize);
// The plain system face at a size in pixels.
QFont systemFont(int pixelSize);

// Text colour of a label or other widget that draws with the window-text role.
void setTextColor(QWidget* widget, const QColor& color);
// Fills the widget's background with the colour.
void fillBackground(QWidget* widget, const QColor& color);

} // namespace korvostyle
