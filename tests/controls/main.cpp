#include "UserDefaults.h"
#include "mainbundle.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Qt's offscreen platform keeps its screen objects past the application's end; they are not ours. The slow
// unwinder sees through Qt's libraries, which lack frame pointers.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:QGuiApplicationPrivate::createPlatformIntegration\n";
}
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

int main(int argc, char** argv) {
    // Widgets need a platform even when the tests are only listed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The shipped English texts, and user defaults of the test's own.
    QTemporaryDir store;
    UserDefaults::setStorePath(store.filePath(QStringLiteral("defaults.ini")));
    UserDefaults::standardUserDefaults().setObject(QStringLiteral("en"), QStringLiteral("userLanguage"));
    mainbundle::setResourcePath(QStringLiteral(KORVO_RESOURCES_DIR));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
