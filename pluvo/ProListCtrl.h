// CProListCtrl: the update page's list of packages: four centred columns, a check box per row, and in the fourth
// column a progress bar (grey track, green bar, 200 pixels) with a status text right of it, wrapped when it is
// wider than its room. The check boxes are drawn with a style of their own, so no skin can hide them. The flash
// worker drives the list by the messages 0x753 to 0x758, which run here on the interface thread.
#pragma once

#include "WindowMessage.h"

#include <QTableWidget>
#include <functional>
#include <map>

struct FlashedVersion;

class CProListCtrl : public QTableWidget, public CMessageTarget {
    Q_OBJECT
public:
    // Width of the progress track, and its inset in the cell.
    static constexpr int kTrackWidth = 200;
    static constexpr int kTrackInset = 2;
    static constexpr unsigned kTrackColor = 0xC6C6C6;
    static constexpr unsigned kBarColor = 0x38D535; // COLORREF (0x00BBGGRR) of RGB(53, 213, 56)
    // The status text starts this far right of the track and keeps this far from the cell's right edge.
    static constexpr int kStatusGap = 4;
    // Above and below the status text's lines in a row.
    static constexpr int kStatusPadding = 3;
    // The check box of a row: its side and its distance from the cell's left edge.
    static constexpr int kCheckBoxSize = 16;
    static constexpr int kCheckBoxLeft = 6;

    explicit CProListCtrl(QWidget* parent = nullptr);
    // Empties both maps and deletes all rows.
    virtual void ResetRows();
    int AppendRow(const QString& version, const QString& date, const QString& size);
    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);
    int Percent(int row) const;
    int State(int row) const;
    QString StatusText(int row) const;
    // Rows become tall enough for each of these texts to wrap into the status part of the progress column.
    void FitStatusTexts(const QStringList& texts);
    // Where a cell of the progress column shows its text, and where a cell of the first column has its check box.
    static QRect StatusTextRect(const QRect& cell);
    static QRect CheckBoxRect(const QRect& cell);
    // The same for a row, in viewport coordinates.
    QRect CheckBoxRect(int row) const;

    std::function<void()> onFlashFailed;
    std::function<void(const FlashedVersion&)> onFlashSucceeded;

    bool OnMessage(unsigned message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    bool event(QEvent* e) override;

private:
    QString indentText();

    std::map<int, int> m_state;
    std::map<int, int> m_progress;
    QString m_indent;
};
