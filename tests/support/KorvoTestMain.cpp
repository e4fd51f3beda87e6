// The main of the desktop updater's widget tests: an application on the offscreen platform (unless one is named),
// the shipped resources, and user defaults of the test's own with English as the interface language.
#include "UserDefaults.h"
#include "mainbundle.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Widgets need a platform even when the tests are only listed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir store;
    UserDefaults::setStorePath(store.filePath(QStringLiteral("defaults.ini")));
    UserDefaults::standardUserDefaults().setObject(QStringLiteral("en"), QStringLiteral("userLanguage"));
    mainbundle::setResourcePath(QStringLiteral(KORVO_RESOURCES_DIR));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
