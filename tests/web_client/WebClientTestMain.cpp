// The main of the web client's tests: a core application for the main queue, user defaults and a Documents folder
// of the tests' own.
#include "Documents.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir store;
    UserDefaults::setStorePath(store.filePath(QStringLiteral("defaults.ini")));
    platform::setDocumentsDirectory(store.filePath(QStringLiteral("Documents")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
