#include "appwindow.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace appwindow {

namespace {
QPointer<QWidget> g_mainWindow;
}

QWidget* mainWindow() {
    return g_mainWindow ? g_mainWindow.data() : QApplication::activeWindow();
}

void setMainWindow(QWidget* window) {
    g_mainWindow = window;
}

} // namespace appwindow
