#include "desktoptest.h"

#include "KorvoUpdateCommonTool.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace desktoptest {

QString resourcesDir() {
    return QStringLiteral(KORVO_RESOURCES_DIR);
}

void clearDefaults() {
    UserDefaults& d = UserDefaults::standardUserDefaults();
    for (const char* key : {"userLanguage", "AppleLanguages", "AppleSearchDTC"})
        d.removeObjectForKey(key);
    d.synchronize();
}

void useEnglish() {
    clearDefaults();
    UserDefaults::standardUserDefaults().setObject("en", kUserLanguageKey);
    KorvoUpdateCommonTool::sharedTool().initBaseBundle();
}

bool waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs) return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

} // namespace desktoptest
