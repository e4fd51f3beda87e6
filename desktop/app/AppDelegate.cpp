#include "AppDelegate.h"

#include "KorvoUpdateDeviceManager.h"
#include "KorvoUpdateFlashRunner.h"
#include "appwindow.h"
#include "images.h"

#include "Log.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
// The signal handler only writes here; the GUI thread reads it.
int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char b = 1;
    (void)!::write(g_signalPipe[1], &b, 1);
}
} // namespace

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
    if (g_signalPipe[0] != -1 || pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char drain[16];
        while (::read(g_signalPipe[0], drain, sizeof drain) > 0) {
        }
        terminateWhenIdle();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void AppDelegate::terminateWhenIdle() {
    if (KorvoUpdateFlashRunner::isRunning())
        syslogline::write("Asked to quit during a flash: the program quits once the flash has ended");
    KorvoUpdateFlashRunner::whenIdle([] {
        if (QWidget* window = appwindow::mainWindow()) window->close();
        QCoreApplication::quit();
    });
}

void AppDelegate::applicationDidFinishLaunching() {
    KorvoUpdateDeviceManager::sharedManager().addObservers();
}
