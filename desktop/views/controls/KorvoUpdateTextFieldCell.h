// The look of a one-line text field, kept apart from the field as a cell: a rounded background in bgColor behind
// the text, the caret colour given to the field when editing begins, the font, and the rectangle the text goes in.
// A field owns its cell; the cell knows its field as its control view once the field has taken it. GUI thread only.
#pragma once

#include "KorvoUpdateCellTextField.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QRectF>

class QPainter;
class QWidget;

class KorvoUpdateTextFieldCell : public QObject {
    Q_OBJECT
public:
    explicit KorvoUpdateTextFieldCell(QObject* parent = nullptr);

    double radius() const { return m_radius; }
    void setRadius(double radius);
    QColor bgColor() const { return m_bgColor; }
    void setBgColor(const QColor& color);
    QColor insertionPointColor() const { return m_insertionPointColor; }
    void setInsertionPointColor(const QColor& color);
    // The field's font once the cell has a control view; before that, the font the field will take.
    QFont font() const;
    void setFont(const QFont& font);

    KorvoUpdateCellTextField* controlView() const { return m_controlView; }

    // Where the text goes inside the given bounds of the control view.
    virtual QRectF textRectForBounds(const QRectF& bounds) const { return bounds; }
    // Height of one line of text in the cell's font.
    double textLineHeight() const;

    void drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) const;
    // The background: the view's bounds as a rounded rectangle of radius, filled with bgColor.
    virtual void drawInteriorWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) const;
    // Gives the editor the cell's caret colour; returns it.
    KorvoUpdateCellTextField* setUpFieldEditorAttributes(KorvoUpdateCellTextField* editor) const;

signals:
    // The text rectangle or the look changed; the control view lays out and redraws.
    void cellChanged();

protected:
    friend class KorvoUpdateCellTextField;
    // Called when a field takes the cell.
    virtual void didAttachToControlView() {}

private:
    QPointer<KorvoUpdateCellTextField> m_controlView;
    double m_radius = 0;
    QColor m_bgColor;
    QColor m_insertionPointColor;
    QFont m_font;
    bool m_hasFont = false;
};
