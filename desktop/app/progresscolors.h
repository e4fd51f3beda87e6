// Tints a progress bar: every pixel shows the given colour and keeps its own opacity.
#pragma once

#include <QColor>

class QProgressBar;

void setCustomColor(QProgressBar* indicator, const QColor& color);
