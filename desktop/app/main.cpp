#include "AppDelegate.h"
#include "KorvoUpdateWindowController.h"
#include "mainbundle.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("KorvoUpdate");
    QApplication::setApplicationVersion(mainbundle::shortVersionString());

    AppDelegate delegate;
    delegate.applicationWillFinishLaunching();
    KorvoUpdateWindowController windowController;
    windowController.windowDidLoad();
    delegate.applicationDidFinishLaunching();
    return app.exec();
}
