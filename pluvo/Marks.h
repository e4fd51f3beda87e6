// The check boxes and radio marks of pluvo's lists, drawn with a style of their own and a dark frame, so that no
// skin's style sheet can hide them. Interface thread only.
#pragma once

#include <QStyle>

class QPainter;
class QRect;

// Draws a mark (QStyle::PE_IndicatorCheckBox or PE_IndicatorRadioButton) in rect, on or off, with the painter's
// opacity.
void DrawMark(QPainter* painter, QStyle::PrimitiveElement mark, const QRect& rect, bool on);
