// views_screenshots: shows the window with each of the tabs, in English, Russian, Spanish and German, the print
// dialog, a long trouble code's tip, and, with the simulated tool, a flash cut by a new language and a flash cut by
// pulling the tool out; saves a picture of the screen for each, to be looked at. Run under Xvfb:
//     xvfb-run -a -s "-screen 0 1280x1024x24" views_screenshots <output folder>
#include "AppDelegate.h"
#include "DevicePort.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateFlashRunner.h"
#include "KorvoUpdateMainViewController.h"
#include "KorvoUpdatePrintInfoView.h"
#include "KorvoUpdateSearchDTCView.h"
#include "KorvoUpdateSearchField.h"
#include "KorvoUpdateSettingView.h"
#include "KorvoUpdateSoftwareView.h"
#include "KorvoUpdateTableView.h"
#include "KorvoUpdateWindow.h"
#include "KorvoUpdateWindowController.h"
#include "ScanToolSim.h"
#include "UserDefaults.h"
#include "mainbundle.h"

#include <QRadioButton>
#include <QScrollBar>
#include <QToolTip>

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

bool settleUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

// Shows the tip of a row's description, as resting the pointer on it does.
void showTip(KorvoUpdateTableView* table, int row) {
    table->scrollRowToVisible(row);
    settle(100);
    const QPoint at = table->visualRect(table->model()->index(row, 1)).center();
    QHelpEvent tip(QEvent::ToolTip, at, table->viewport()->mapToGlobal(at));
    QApplication::sendEvent(table->viewport(), &tip);
}

int rowOfCode(KorvoUpdateSearchDTCView* view, const QString& code) {
    for (size_t i = 0; i < view->listModels().size(); ++i)
        if (view->listModels()[i].codeNumber == code) return int(i);
    return -1;
}

KorvoUpdateMainViewController* mainOf(KorvoUpdateWindow* window) {
    return static_cast<KorvoUpdateMainViewController*>(window->contentViewController());
}

// The program as main() starts it, with the simulated tool attached: a flash is cut by a new language, and another
// by pulling the tool out.
void flashScenes(const QString& out, const QTemporaryDir& devices) {
    ScanToolSim::Options options;
    options.deviceDir = devices.path().toStdString();
    options.eraseMs = 8000;
    ScanToolSim sim(options);
    if (!sim.start()) {
        std::fprintf(stderr, "the simulated tool did not start: %s\n", sim.lastError().c_str());
        return;
    }
    UserDefaults::standardUserDefaults().setObject(QString("en"), kUserLanguageKey);
    KorvoUpdateCommonTool::sharedTool().initBaseBundle();
    AppDelegate delegate;
    delegate.applicationWillFinishLaunching();
    KorvoUpdateWindowController controller;
    controller.windowDidLoad();
    delegate.applicationDidFinishLaunching();
    KorvoUpdateWindow* window = controller.window();
    const auto listed = [&] { return !mainOf(window)->myUpdatesView()->listModels().empty(); };
    settleUntil(listed, 5000);
    shoot(out + "/flash-0-listed.png");

    const auto startFlash = [&] {
        KorvoUpdateSoftwareView* list = mainOf(window)->myUpdatesView();
        mainOf(window)->softwareItemClick(list->listModels().back()->filePath, int(list->listModels().size()) - 1);
        settleUntil([&] { return sim.frames().size() >= 3 + size_t(sim.probes()); }, 5000);
        settle(1500);
    };
    startFlash();
    shoot(out + "/flash-1-erasing.png");

    // The language tab: German, Apply, and OK in the warning.
    KorvoUpdateMainViewController* before = mainOf(window);
    before->tabView()->onClick(4);
    KorvoUpdateSettingView* settings = before->settingView();
    for (QRadioButton* b : settings->findChildren<QRadioButton*>())
        if (b->text() == "Deutsch") b->click();
    settings->applyAction();
    shoot(out + "/flash-2-language-warning.png");
    if (KorvoUpdateAlert* warning = settings->alert()) warning->btnAction(KorvoUpdateAlert::kReturnOK);
    settleUntil([&] { return mainOf(window) != before && !KorvoUpdateFlashRunner::isRunning(); }, 5000);
    settle(1500);
    shoot(out + "/flash-3-cut-by-language-waiting.png");
    settleUntil(listed, 20000);
    shoot(out + "/flash-4-cut-by-language-answered.png");

    startFlash();
    sim.vanish();
    settleUntil([&] { return mainOf(window)->unplugAlert() && mainOf(window)->unplugAlert()->isVisible(); }, 5000);
    shoot(out + "/flash-5-unplugged.png");
    if (KorvoUpdateAlert* told = mainOf(window)->unplugAlert()) told->btnAction(KorvoUpdateAlert::kReturnOK);
    KorvoUpdateFlashRunner::stopAndWait(5000);
    window->close();
    sim.stop();
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
    // The simulated tool's folder, empty until the flash scenes: the device monitor is made once and keeps it.
    QTemporaryDir devices;
    qputenv("SCANTOOL_SERIAL_DIR", devices.path().toLocal8Bit());

    for (const char* language : {"en", "ru", "es", "de"}) {
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
        if (language != QString("es")) {
            QPrintDialog dialog(&KorvoUpdatePrintInfoView::sharedPrinter(), &window);
            dialog.show();
            shoot(QString("%1/%2-1-print-dialog.png").arg(out, language));
            dialog.reject();
        }
        c->tabView()->onClick(2);
        settle(500);
        QTest::keyClicks(c->searchDTCView()->searchField(), "p0301");
        shoot(QString("%1/%2-2-dtc.png").arg(out, language));
        // A code whose description is too long for its cell, with its tip.
        c->searchDTCView()->searchField()->clear();
        QTest::keyClicks(c->searchDTCView()->searchField(), "p2757");
        const int row = rowOfCode(c->searchDTCView(), "P2757");
        if (row >= 0) showTip(c->searchDTCView()->tableView(), row);
        shoot(QString("%1/%2-2-dtc-long.png").arg(out, language));
        QToolTip::hideText();
        c->tabView()->onClick(3);
        shoot(QString("%1/%2-3-manuals.png").arg(out, language));
        c->tabView()->onClick(4);
        shoot(QString("%1/%2-4-language.png").arg(out, language));
    }
    flashScenes(out, devices);
    return 0;
}
