// Borders and border strips on widgets. A strip is a child widget filled with the colour, laid on top of what is
// there; its rectangle comes from the widget's size at the time of the call and does not follow later resizes.
#pragma once

#include <QColor>
#include <QRect>
#include <QSize>

class QWidget;

namespace viewextension {

enum class Edge { Top, Bottom, Left, Right };

// The strip's rectangle for a widget of the given size, in the widget's own (top-left) coordinates.
QRect borderStripRect(QSize size, Edge edge, double width);

// A frame of the colour and width around the whole widget, following its size.
void addBorderWithColor(QWidget* view, const QColor& color, double width);
void addTopBorderWithColor(QWidget* view, const QColor& color, double width);
void addBottomBorderWithColor(QWidget* view, const QColor& color, double width);
void addLeftBorderWithColor(QWidget* view, const QColor& color, double width);
void addRightBorderWithColor(QWidget* view, const QColor& color, double width);

} // namespace viewextension
