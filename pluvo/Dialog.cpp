#include "Dialog.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

CDialog::CDialog(QWidget* parent, bool dragsWindow) : QWidget(parent), m_dragsWindow(dragsWindow) {}

bool CDialog::PreTranslateMessage(const QKeyEvent* e) {
    return e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

void CDialog::StartWindowDrag(QWidget* any) {
    QWidget* top = any ? any->window() : nullptr;
    if (top && top->windowHandle()) top->windowHandle()->startSystemMove();
}

void CDialog::keyPressEvent(QKeyEvent* e) {
    if (PreTranslateMessage(e)) {
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void CDialog::mousePressEvent(QMouseEvent* e) {
    if (m_dragsWindow && e->button() == Qt::LeftButton) StartWindowDrag(this);
    QWidget::mousePressEvent(e);
}
