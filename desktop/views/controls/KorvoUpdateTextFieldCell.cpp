#include "KorvoUpdateTextFieldCell.h"

#include "KorvoUpdateCellTextField.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

KorvoUpdateTextFieldCell::KorvoUpdateTextFieldCell(QObject* parent) : QObject(parent) {}

void KorvoUpdateTextFieldCell::setRadius(double radius) {
    m_radius = radius;
    emit cellChanged();
}

void KorvoUpdateTextFieldCell::setBgColor(const QColor& color) {
    m_bgColor = color;
    emit cellChanged();
}

void KorvoUpdateTextFieldCell::setInsertionPointColor(const QColor& color) {
    m_insertionPointColor = color;
    emit cellChanged();
}

QFont KorvoUpdateTextFieldCell::font() const {
    if (m_controlView) return m_controlView->font();
    return m_font;
}

void KorvoUpdateTextFieldCell::setFont(const QFont& font) {
    m_font = font;
    m_hasFont = true;
    if (m_controlView) m_controlView->setFont(font);
    emit cellChanged();
}

double KorvoUpdateTextFieldCell::textLineHeight() const {
    return QFontMetricsF(font()).height();
}

void KorvoUpdateTextFieldCell::drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) const {
    drawInteriorWithFrame(painter, frame, view);
}

void KorvoUpdateTextFieldCell::drawInteriorWithFrame(QPainter& painter, const QRectF&, QWidget* view) const {
    if (!view || !m_bgColor.isValid() || m_bgColor.alpha() == 0) return;
    QPainterPath path;
    path.addRoundedRect(QRectF(view->rect()), m_radius, m_radius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, m_bgColor);
    painter.restore();
}

KorvoUpdateCellTextField* KorvoUpdateTextFieldCell::setUpFieldEditorAttributes(KorvoUpdateCellTextField* editor) const {
    if (editor) editor->setInsertionPointColor(m_insertionPointColor);
    return editor;
}
