// The application's main window, for the panels that lie on it as sheets. GUI thread.
#pragma once

class QWidget;

namespace appwindow {
// The main window, or the active window when none was named (nullptr when there is none).
QWidget* mainWindow();
void setMainWindow(QWidget* window);
} // namespace appwindow
