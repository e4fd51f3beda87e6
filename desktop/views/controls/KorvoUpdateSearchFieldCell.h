// The cell of KorvoUpdateSearchField: no magnifier, no clear icon, no placeholder, a rounded background, and room
// for a left and a right KorvoUpdateBasicButton with margin points between each and the text. Each width setter
// makes a new button in the control view (one made earlier stays there); a cell without a control view yet makes
// buttons of zero height that stay outside any view and are deleted with the cell.
#pragma once

#include "KorvoUpdateBasicButton.h"
#include "KorvoUpdateTextFieldCell.h"

#include <QPointer>
#include <QVector>

class KorvoUpdateSearchFieldCell : public KorvoUpdateTextFieldCell {
    Q_OBJECT
public:
    static constexpr double kDefaultMargin = 5;

    explicit KorvoUpdateSearchFieldCell(QObject* parent = nullptr);
    ~KorvoUpdateSearchFieldCell() override;

    KorvoUpdateBasicButton* leftButton() const { return m_leftButton; }
    void setLeftButton(KorvoUpdateBasicButton* button);
    KorvoUpdateBasicButton* rightButton() const { return m_rightButton; }
    void setRightButton(KorvoUpdateBasicButton* button);
    double leftButtonWidth() const { return m_leftButtonWidth; }
    // A new left button at (0, 0, width, control view height).
    void setLeftButtonWidth(double width);
    double rightButtonWidth() const { return m_rightButtonWidth; }
    // A new right button at x = control view width - left button's right edge.
    void setRightButtonWidth(double width);
    double margin() const { return m_margin; }
    void setMargin(double margin);

    // Between the side buttons, margin away from each, one text line high and vertically centred.
    QRectF searchTextRectForBounds(const QRectF& bounds) const;
    QRectF searchButtonRectForBounds(const QRectF& bounds) const;
    QRectF cancelButtonRectForBounds(const QRectF& bounds) const;
    QRectF textRectForBounds(const QRectF& bounds) const override { return searchTextRectForBounds(bounds); }

protected:
    void didAttachToControlView() override;

private:
    KorvoUpdateBasicButton* makeSideButton(double x, double width);

    QPointer<KorvoUpdateBasicButton> m_leftButton;
    QPointer<KorvoUpdateBasicButton> m_rightButton;
    QVector<QPointer<KorvoUpdateBasicButton>> m_madeButtons;
    double m_leftButtonWidth = 0;
    double m_rightButtonWidth = 0;
    double m_margin = kDefaultMargin;
};
