// A column header of the application's tables: its title on a check button over a grey background, with a
// one-point grid-coloured line at its right and bottom edges. The three subviews join the header's view the first
// time the header is drawn and follow the column each time it is drawn; they go away with the cell. The check
// button takes the presses on the title and does nothing with them.
#pragma once

#include "KorvoUpdateButton.h"
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

class KorvoUpdateTableHeaderCell;
class QAbstractButton;
class QPainter;

class KorvoUpdateTableHeaderCellDelegate {
public:
    virtual ~KorvoUpdateTableHeaderCellDelegate() = default;
    virtual void softwareManagementTableHeader(KorvoUpdateTableHeaderCell* header, QAbstractButton* clickButton) {
        (void)header;
        (void)clickButton;
    }
};

class KorvoUpdateTableHeaderCell : public QObject {
    Q_OBJECT
public:
    static const QColor kBackgroundColor; // opaque grey 187/255
    static const QColor kGridColor;
    static constexpr int kTitlePixelSize = 15;

    explicit KorvoUpdateTableHeaderCell(const QString& text, QObject* parent = nullptr);
    ~KorvoUpdateTableHeaderCell() override;

    QString stringValue() const { return m_text; }
    KorvoUpdateButton* checkButton() const { return m_checkButton; }
    QWidget* rightLineView() const { return m_rightLineView; }
    QWidget* bottomLineView() const { return m_bottomLineView; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }
    // Not owned; whoever sets it clears it before it goes away.
    KorvoUpdateTableHeaderCellDelegate* delegate() const { return m_delegate; }
    void setDelegate(KorvoUpdateTableHeaderCellDelegate* delegate) { m_delegate = delegate; }

    // Fills frame with the grey, then lays out the subviews in view.
    void drawWithFrame(QPainter& painter, const QRect& frame, QWidget* view);
    void drawInteriorWithFrame(const QRect& frame, QWidget* view);

    // Where the subviews go for a header frame in a view of height viewHeight.
    static QRect checkButtonFrame(const QRect& frame);
    static QRect rightLineFrame(const QRect& frame, int viewHeight);
    static QRect bottomLineFrame(const QRect& frame, int viewHeight);

public slots:
    void checkAction(QAbstractButton* sender);

private:
    QString m_text;
    QPointer<KorvoUpdateButton> m_checkButton;
    QPointer<QWidget> m_rightLineView;
    QPointer<QWidget> m_bottomLineView;
    bool m_selected = false;
    KorvoUpdateTableHeaderCellDelegate* m_delegate = nullptr;
};
