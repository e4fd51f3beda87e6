#include "KorvoUpdateViewController.h"

KorvoUpdateViewController::KorvoUpdateViewController(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWindowWidth, kWindowHeight);
}

void KorvoUpdateViewController::loadViewIfNeeded() {
    if (m_viewLoaded) return;
    m_viewLoaded = true;
    viewDidLoad();
}
