// Helpers for widget tests: clicks that go through the window (so they land on whatever widget is under the point),
// waits, and pixel checks.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>

#include <functional>

class QWidget;

// Shows the widget's window and waits until it can take input.
bool showAndWait(QWidget* widget);
// A left click at pos (in widget's coordinates), delivered to the window and routed to the widget under it.
void clickThroughWindow(QWidget* widget, QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Runs the event loop until the condition holds or timeoutMs passes; returns the condition.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 2000);
// Colours within tolerance per channel.
bool near(const QColor& a, const QColor& b, int tolerance = 8);
// Renders the widget (and its children) into an ARGB image of its own size.
QImage grabImage(QWidget* widget);
// Writes the image under the render folder; returns the path ("" when it could not be written).
QString saveRender(const QImage& image, const QString& name);
