#include <QCoreApplication>

#include <gtest/gtest.h>

// Background reads hand their data to the GUI thread's event loop, so the tests run inside one.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
