// views_screenshots: shows the window with each of the four tabs, in English and in Russian, and the print
// dialog, and saves a picture of the screen for each, to be looked at. Run under Xvfb:
//     xvfb-run -a -s "-screen 0 1280x1024x24" views_screenshots <output folder>
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateMainViewController.h"
#include "KorvoUpdatePrintInfoView.h"
#include "KorvoUpdateSearchDTCView.h"
#include "KorvoUpdateSearchField.h"
#include "KorvoUpdateWindow.h"
#include "UserDefaults.h"
#include "mainbundle.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>
#include <QThread>

namespace {
void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

void shoot(const QString& path) {
    settle(300);
    QGuiApplication::primaryScreen()->grabWindow(0).save(path);
    std::printf("%s\n", qPrintable(path));
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: views_screenshots <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QTemporaryDir store;
    UserDefaults::setStorePath(store.filePath("defaults.ini"));
    mainbundle::setResourcePath(QStringLiteral(KORVO_DIST_RESOURCES));
    qputenv("SCANTOOL_SERIAL_DIR", store.path().toLocal8Bit()); // no tool attached

    for (const char* language : {"en", "ru"}) {
        UserDefaults::standardUserDefaults().setObject(QString(language), kUserLanguageKey);
        KorvoUpdateCommonTool::sharedTool().initBaseBundle();
        KorvoUpdateWindow window;
        window.setContentViewController(std::make_unique<KorvoUpdateMainViewController>());
        window.show();
        auto* c = static_cast<KorvoUpdateMainViewController*>(window.contentViewController());
        settle(500);
        c->tabView()->onClick(1);
        const QString report = QString::fromUtf8(language == QString("ru")
                                                     ? "ОТЧЁТ О ДИАГНОСТИКЕ\r\nP0301 Пропуски зажигания, цилиндр 1\r\n"
                                                     : "DIAGNOSTIC REPORT\r\nVIN WDB1234561A123456\r\n");
        QString text = report;
        for (int i = 0; i < 30; ++i)
            text += QString("P0%1 %2\r\n").arg(300 + i % 13).arg(i);
        c->printView()->didGetReceiveData(
            language == QString("ru") ? QTextCodec::codecForName("Windows-1251")->fromUnicode(text) : text.toUtf8());
        shoot(QString("%1/%2-1-reports.png").arg(out, language));
        if (language == QString("en")) {
            QPrintDialog dialog(&KorvoUpdatePrintInfoView::sharedPrinter(), &window);
            dialog.show();
            shoot(QString("%1/%2-1-print-dialog.png").arg(out, language));
            dialog.reject();
        }
        c->tabView()->onClick(2);
        settle(500);
        QTest::keyClicks(c->searchDTCView()->searchField(), "p0301");
        shoot(QString("%1/%2-2-dtc.png").arg(out, language));
        c->tabView()->onClick(3);
        shoot(QString("%1/%2-3-manuals.png").arg(out, language));
        c->tabView()->onClick(4);
        shoot(QString("%1/%2-4-language.png").arg(out, language));
    }
    return 0;
}
