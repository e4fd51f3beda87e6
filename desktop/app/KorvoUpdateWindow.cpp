#include "KorvoUpdateWindow.h"

#include "KorvoUpdateViewController.h"
#include "korvostyle.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

KorvoUpdateWindow::KorvoUpdateWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground, false);
    setFixedSize(KorvoUpdateViewController::kWindowWidth, KorvoUpdateViewController::kWindowHeight);
    korvostyle::fillBackground(this, Qt::white);
}

KorvoUpdateWindow::~KorvoUpdateWindow() {
    // The content goes first, while the window it lies in still exists.
    m_content.reset();
}

std::unique_ptr<KorvoUpdateViewController>
KorvoUpdateWindow::setContentViewController(std::unique_ptr<KorvoUpdateViewController> controller) {
    std::unique_ptr<KorvoUpdateViewController> old = std::move(m_content);
    if (old) {
        old->hide();
        old->setParent(nullptr);
    }
    m_content = std::move(controller);
    if (m_content) {
        m_content->setParent(this);
        m_content->move(0, 0);
        m_content->loadViewIfNeeded();
        setFixedSize(m_content->size());
        m_content->show();
    }
    return old;
}

void KorvoUpdateWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_centred) centre();
}

void KorvoUpdateWindow::closeEvent(QCloseEvent* event) {
    if (m_content && !m_content->windowShouldClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void KorvoUpdateWindow::centre() {
    m_centred = true;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void KorvoUpdateWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // The window manager moves the window where it can; otherwise the window follows the pointer itself.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    m_dragging = true;
    m_dragOffset = event->globalPos() - frameGeometry().topLeft();
}

void KorvoUpdateWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) move(event->globalPos() - m_dragOffset);
}

void KorvoUpdateWindow::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}
