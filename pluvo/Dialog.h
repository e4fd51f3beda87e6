// CDialog: what pluvo's pages share with its main dialog: Escape and Return close nothing (PreTranslateMessage),
// and a left-button press on a page's own background drags the main window. Interface thread only.
#pragma once

#include <QWidget>

class QKeyEvent;

class CDialog : public QWidget {
    Q_OBJECT
public:
    explicit CDialog(QWidget* parent = nullptr, bool dragsWindow = true);
    // True for a key that must not reach the default handling (Escape, Return, Enter).
    static bool PreTranslateMessage(const QKeyEvent* e);
    // Moves the top-level window by the system's move loop, from a press at any point of its body.
    static void StartWindowDrag(QWidget* any);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    bool m_dragsWindow;
};
