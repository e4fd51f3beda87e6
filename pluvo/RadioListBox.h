// CRadioListBox: an owner-drawn list of rows with radio marks, alternating row colours and rows that can be made
// unavailable: such a row is drawn grey with an inactive mark and can be reached neither by the mouse, nor by any
// key, nor by typing its first letters. Optionally laid out in columns of a given width. Interface thread only.
#pragma once

#include <QListWidget>
#include <QString>
#include <vector>

class QPainter;

class CRadioListBox : public QListWidget {
    Q_OBJECT
public:
    // Rows that can carry flags.
    static constexpr int kMaxRows = 512;
    static constexpr int kMarkSize = 25;
    // Text begins this far after the mark.
    static constexpr int kTextGap = 10;
    static constexpr double kUnavailableMarkOpacity = 0.6;
    static constexpr unsigned kOddRowColor = 0xF0F0F0, kEvenRowColor = 0xFFFFFF, kUnavailableTextColor = 0x808080;

    explicit CRadioListBox(QWidget* parent = nullptr);

    // Adds a row; indent 0 keeps the present indent. Returns the row.
    int AddRow(int indent, const QString& text, int itemData = 0);
    void setItemHeight(int height);
    int itemHeight() const { return m_itemHeight; }
    // Columns of this width (0: one column as wide as the list).
    void setColumnWidth(int width);
    void setAvailable(int row, bool available);
    bool isAvailable(int row) const;
    void setMarked(int row, bool marked);
    bool isMarked(int row) const;
    int markIndent() const { return m_indent; }
    // The selected row, -1 for none.
    int selectedRow() const;
    // Selects row (when available) or nothing (-1).
    void selectRow(int row);

    void keyboardSearch(const QString& search) override;
    // Draws one row: its stripe, its radio mark (checked when selected, inactive when unavailable) and its text.
    void DrawItem(QPainter* p, const QRect& rect, int row) const;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    friend class RadioRowDelegate;
    // The nearest available row from row on in steps of step (+1 or -1); -1 when none.
    int nearestAvailable(int row, int step) const;

    std::vector<int> m_marks, m_available;
    int m_indent = 20;
    int m_itemHeight = 20;
    int m_columnWidth = 0;
    // The marks are drawn with a style of their own, so a skin's style sheet cannot repaint them.
};
