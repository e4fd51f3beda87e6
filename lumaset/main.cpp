// Lumaset: turns a picture or a part of the screen into the scan tool's boot logo. One instance at a time.
#include "MainWindow.h"
#include "QtTranslations.h"
#include "language.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QTranslator>

namespace {
const char kLockFileName[] = "Lumaset_app.lock";
constexpr int kLockWaitMs = 100; // a second start gives up at once rather than wait for the first to end
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString temp = QDir::tempPath();
    QLockFile lock(temp + "/" + kLockFileName);
    // Only another instance ends this one silently; without a temporary folder the window says what is wrong.
    if (!temp.isEmpty() && !lock.tryLock(kLockWaitMs) && lock.error() == QLockFile::LockFailedError) return 0;

    QTranslator translator;
    loadTranslation(translator, readLanguageCode(), QCoreApplication::applicationDirPath());
    qttranslations::install(translator.language()); // Qt's own dialogs in the same language
    int result = 0;
    {
        MainWindow window;
        result = app.exec();
    }
    lock.unlock();
    return result;
}
