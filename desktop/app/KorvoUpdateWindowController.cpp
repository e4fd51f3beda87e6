#include "KorvoUpdateWindowController.h"

#include "KorvoUpdateMainViewController.h"
#include "KorvoUpdateWindow.h"
#include "appwindow.h"

KorvoUpdateWindowController::KorvoUpdateWindowController() = default;
KorvoUpdateWindowController::~KorvoUpdateWindowController() = default;

void KorvoUpdateWindowController::windowDidLoad() {
    m_window = std::make_unique<KorvoUpdateWindow>();
    appwindow::setMainWindow(m_window.get());
    m_window->setContentViewController(std::make_unique<KorvoUpdateMainViewController>());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
