#include "AppDelegate.h"

#include "KorvoUpdateDeviceManager.h"
#include "KorvoUpdateFlashRunner.h"
#include "appwindow.h"
#include "images.h"

#include <QApplication>
#include <QSessionManager>
#include <QWidget>

void AppDelegate::applicationWillFinishLaunching() {
    QApplication::setWindowIcon(images::iconNamed("AppIcon"));
    QApplication::setQuitOnLastWindowClosed(applicationShouldTerminateAfterLastWindowClosed());
    watchSessionEnd();
}

bool AppDelegate::applicationShouldTerminate(bool interactionAllowed) {
    if (!KorvoUpdateFlashRunner::isRunning()) return true;
    if (interactionAllowed)
        if (QWidget* window = appwindow::mainWindow()) window->close();
    return false;
}

void AppDelegate::watchSessionEnd() {
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp, [](QSessionManager& manager) {
        if (!applicationShouldTerminate(manager.allowsInteraction())) manager.cancel();
    });
}

void AppDelegate::applicationDidFinishLaunching() {
    KorvoUpdateDeviceManager::sharedManager().addObservers();
}
