// CProListCtrl: the update page's list of packages: four centred columns, a check box per row, and in the fourth
// column a progress bar (grey track, green bar, 200 pixels) with a status text right of it. The flash worker
// drives it by the messages 0x753 to 0x758, which run here on the interface thread.
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
    static constexpr unsigned kBarColor = 0x35D538; // RGB(53, 213, 56)

    explicit CProListCtrl(QWidget* parent = nullptr);
    // Empties both maps and deletes all rows.
    virtual void ResetRows();
    int AppendRow(const QString& version, const QString& date, const QString& size);
    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);
    int Percent(int row) const;
    int State(int row) const;
    QString StatusText(int row) const;

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
