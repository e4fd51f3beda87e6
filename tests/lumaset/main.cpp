// Runs the picture tool's tests inside one application object; widgets use the offscreen platform unless told.
#include <gtest/gtest.h>

#include <QApplication>

// Qt's offscreen platform keeps its screen and cursor objects past the application's end; they are not ours.
// Its libraries lack frame pointers, so the slow unwinder is needed to see where those objects come from.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:QGuiApplicationPrivate::createPlatformIntegration\n";
}
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
