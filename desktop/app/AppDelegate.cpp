#include "AppDelegate.h"

#include "KorvoUpdateDeviceManager.h"
#include "images.h"

#include <QApplication>

void AppDelegate::applicationWillFinishLaunching() {
    QApplication::setWindowIcon(images::iconNamed("AppIcon"));
    QApplication::setQuitOnLastWindowClosed(applicationShouldTerminateAfterLastWindowClosed());
}

void AppDelegate::applicationDidFinishLaunching() {
    KorvoUpdateDeviceManager::sharedManager().addObservers();
}
