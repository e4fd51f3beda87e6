// Tab 1, report capture and printing. This first form only keeps whether the tab is shown; the capture, the text
// area and the Print, Clear and Copy buttons come with the report screen. GUI thread.
#pragma once

#include <QWidget>

class KorvoUpdatePrintInfoView : public QWidget {
public:
    explicit KorvoUpdatePrintInfoView(QWidget* parent = nullptr) : QWidget(parent) {}
    // Told on every tab selection: true when tab 1 was selected.
    void didOpenOrCloseTime(bool open) { m_open = open; }
    bool isOpen() const { return m_open; }

private:
    bool m_open = false;
};
