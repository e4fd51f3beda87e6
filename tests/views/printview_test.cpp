#include "DevicePort.h"
#include "KorvoUpdateButton.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateMainViewController.h"
#include "KorvoUpdatePrintInfoView.h"
#include "KorvoUpdateSoftwareView.h"
#include "NotificationCenter.h"
#include "ScanToolSim.h"
#include "TempDir.h"
#include "UserDefaults.h"
#include "desktoptest.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <cstdlib>

using desktoptest::spin;
using desktoptest::waitUntil;

namespace {

QByteArray bytes(const char* s) {
    return QByteArray(s);
}

class PrintView : public ::testing::Test {
protected:
    void SetUp() override {
        desktoptest::clearDefaults();
        setLanguage("en");
        NotificationCenter::defaultCenter().addObserver(this, kDidGetReceiveData, [this](const Notification& n) {
            identReplies << n.userInfo.value(kReceiveDataKey).toByteArray();
        });
    }
    void TearDown() override {
        NotificationCenter::defaultCenter().removeObserver(this);
        DevicePort::sharedManager().closeSerialPort();
        DevicePort::sharedManager().setCurName("");
        DevicePort::sharedManager().setIsUpdating(false);
        if (sim) sim->stop();
        unsetenv("SCANTOOL_SERIAL_DIR");
    }
    void setLanguage(const QString& code) {
        UserDefaults::standardUserDefaults().setObject(code, kUserLanguageKey);
        KorvoUpdateCommonTool::sharedTool().initBaseBundle();
    }
    void startTool() {
        setenv("SCANTOOL_SERIAL_DIR", devices.path().c_str(), 1);
        ScanToolSim::Options o;
        o.deviceDir = devices.path();
        sim = std::make_unique<ScanToolSim>(o);
        ASSERT_TRUE(sim->start()) << sim->lastError();
        DevicePort::sharedManager().openSerialPort();
        ASSERT_TRUE(DevicePort::sharedManager().isOpenPort());
    }

    TempDir devices;
    std::unique_ptr<ScanToolSim> sim;
    QList<QByteArray> identReplies;
};

TEST_F(PrintView, PollsOnlyWhileShownWithAnOpenPortNoModelAndNoFlash) {
    KorvoUpdatePrintInfoView view;
    view.didOpenOrCloseTime(true);
    EXPECT_FALSE(view.isCapturing()) << "port closed";

    startTool();
    DevicePort::sharedManager().setCurName("QM82");
    view.didOpenOrCloseTime(true);
    EXPECT_FALSE(view.isCapturing()) << "a model is identified";
    DevicePort::sharedManager().setCurName("");
    DevicePort::sharedManager().setIsUpdating(true);
    view.didOpenOrCloseTime(true);
    EXPECT_FALSE(view.isCapturing()) << "a flash runs";
    DevicePort::sharedManager().setIsUpdating(false);

    view.didOpenOrCloseTime(true);
    EXPECT_TRUE(view.isCapturing());
    sim->sendReport("first report\r\n");
    spin(500);
    EXPECT_EQ(view.text(), "") << "the first read comes a second after the start";
    EXPECT_TRUE(waitUntil([&] { return view.text() == "first report\r\n"; }, 2500));

    view.didOpenOrCloseTime(false);
    EXPECT_FALSE(view.isCapturing());
    sim->sendReport("later");
    spin(1300);
    EXPECT_EQ(view.text(), "first report\r\n");
}

// Shown before the capture can start (no port, a model identified, a flash): the capture starts once all three
// conditions hold, without the tab being chosen again.
TEST_F(PrintView, CaptureStartsWhenItsConditionsComeToHoldWhileTheTabIsShown) {
    KorvoUpdatePrintInfoView view;
    view.didOpenOrCloseTime(true);
    EXPECT_FALSE(view.isCapturing());

    startTool(); // plugged in while the tab is shown
    DevicePort::sharedManager().setCurName("QM82");
    DevicePort::sharedManager().setIsUpdating(true);
    spin(1300);
    EXPECT_FALSE(view.isCapturing()) << "identified and flashing";
    DevicePort::sharedManager().setIsUpdating(false);
    spin(1300);
    EXPECT_FALSE(view.isCapturing()) << "identified";
    DevicePort::sharedManager().setCurName("");
    ASSERT_TRUE(waitUntil([&] { return view.isCapturing(); }, 2500));
    sim->sendReport("plugged in later\r\n");
    EXPECT_TRUE(waitUntil([&] { return view.text() == "plugged in later\r\n"; }, 3500));

    view.didOpenOrCloseTime(false);
    EXPECT_FALSE(view.isCapturing());
    sim->sendReport("after leaving");
    spin(1300);
    EXPECT_EQ(view.text(), "plugged in later\r\n");
}

// A report without line breaks, a megabyte read after read: the area shows it in pieces of a bounded length, so an
// append lays out one piece and not the whole text, and the text given back is the report as it came.
TEST_F(PrintView, AVeryLongLineIsShownInPiecesAndGivenBackWhole) {
    KorvoUpdatePrintInfoView view;
    view.resize(910, 525);
    view.show();
    QByteArray sent;
    const QByteArray read = QByteArray("0123456789ABCDEF").repeated(256); // 4 KB, one read's worth
    for (int i = 0; i < 256; ++i) {
        view.didGetReceiveData(read);
        sent += read;
    }
    view.didGetReceiveData("\r\nend");
    sent += "\r\nend";
    const QTextDocument* shown = view.priView()->document();
    int longest = 0;
    for (QTextBlock block = shown->begin(); block.isValid(); block = block.next())
        longest = std::max(longest, block.length() - 1);
    EXPECT_LE(longest, KorvoUpdatePrintInfoView::kLongLineLength);
    EXPECT_GT(shown->blockCount(), sent.size() / KorvoUpdatePrintInfoView::kLongLineLength);
    EXPECT_EQ(view.text(), QString::fromLatin1(sent));
    view.copyAction();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1(sent));
}

// Hours of reports: the oldest lines go, whole, so that no more than a few megabytes are kept.
TEST_F(PrintView, OnlyTheLastFewMegabytesOfTheReportAreKept) {
    KorvoUpdatePrintInfoView view;
    QString sent;
    for (int read = 0; read < 80; ++read) {
        QString lines;
        for (int i = 0; i < 600; ++i)
            lines += QString("Report %1 line %2: P0301 Cylinder 1 Misfire Detected\r\n").arg(read).arg(i);
        view.didGetReceiveData(lines.toUtf8());
        sent += lines;
    }
    ASSERT_GT(sent.size(), KorvoUpdatePrintInfoView::kMaxKeptLength);
    const QString kept = view.text();
    EXPECT_LE(view.priView()->document()->characterCount(), KorvoUpdatePrintInfoView::kMaxKeptLength);
    EXPECT_GE(kept.size(), KorvoUpdatePrintInfoView::kKeptAfterTrim / 2);
    EXPECT_TRUE(sent.endsWith(kept)) << "the newest text is kept as it came";
    EXPECT_TRUE(kept.startsWith("Report ")) << "whole lines go";
}

TEST_F(PrintView, AReportOverFourKilobytesArrivesWholeAndInOrder) {
    startTool();
    KorvoUpdatePrintInfoView view;
    view.didOpenOrCloseTime(true);
    std::string report;
    for (int i = 0; report.size() < 9000; ++i)
        report += "Line " + std::to_string(i) + ": P0301 Cylinder 1 Misfire Detected\r\n";
    sim->sendReport(report);
    EXPECT_TRUE(waitUntil([&] { return view.text().size() >= int(report.size()); }, 8000));
    EXPECT_EQ(view.text(), QString::fromStdString(report));
}

// A tool that starts a report as soon as its port is opened, at the line's rate, while the report tab is shown: the
// text read by the identification read that follows the probe is report text too, and every byte of it is shown.
TEST_F(PrintView, AReportSentAsSoonAsThePortOpensArrivesWhole) {
    setenv("SCANTOOL_SERIAL_DIR", devices.path().c_str(), 1);
    ScanToolSim::Options o;
    o.deviceDir = devices.path();
    o.paced = true;
    sim = std::make_unique<ScanToolSim>(o);
    std::string report;
    for (int i = 0; report.size() < 6000; ++i)
        report += "0421 " + std::to_string(i) + " P0301 01 MISFIRE RATE 12/1000\r\n";
    sim->setReportOnOpen(report);
    ASSERT_TRUE(sim->start()) << sim->lastError();
    KorvoUpdateMainViewController controller;
    controller.loadViewIfNeeded();
    controller.tabViewDidSelectTabItemAtIndex(controller.tabView(), 1);
    KorvoUpdatePrintInfoView* view = controller.printView();
    EXPECT_TRUE(waitUntil([&] { return view->text().size() >= int(report.size()); }, 10000));
    view->copyAction();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QString::fromStdString(report)))
        << QApplication::clipboard()->text().left(80).toStdString();
}

TEST_F(PrintView, ChunksJoinAsSentAndTheIdentificationReplyGoesToItsHandler) {
    KorvoUpdatePrintInfoView view;
    view.didGetReceiveData(bytes("one"));
    view.didGetReceiveData(bytes(" two\n"));
    view.didGetReceiveData(bytes("three"));
    EXPECT_EQ(view.text(), "one two\nthree");

    NotificationCenter::defaultCenter().post(kDidGetPrintData, nullptr, {{kReceiveDataKey, bytes("TENVOR-QM82")}});
    EXPECT_EQ(view.text(), "one two\nthree");
    ASSERT_EQ(identReplies.size(), 1);
    EXPECT_EQ(identReplies.first(), bytes("TENVOR-QM82"));

    view.didGetReceiveData(bytes("xTENVOR-QM82"));
    EXPECT_EQ(view.text(), "one two\nthreexTENVOR-QM82");
    EXPECT_EQ(identReplies.size(), 1);
}

TEST_F(PrintView, AnIdentificationReplyReadForTheReportStillIdentifiesTheTool) {
    KorvoUpdateSoftwareView firmwareList;
    KorvoUpdatePrintInfoView view;
    NotificationCenter::defaultCenter().post(kDidGetPrintData, nullptr, {{kReceiveDataKey, bytes("TENVOR-QM82")}});
    EXPECT_EQ(DevicePort::sharedManager().curName(), "QM82");
    EXPECT_EQ(firmwareList.curName(), "QM82");
    EXPECT_EQ(view.text(), "");
}

TEST_F(PrintView, DecodesInTheCodePageOfTheLanguageKeepingSplitCharactersWhole) {
    {
        setLanguage("ru");
        KorvoUpdatePrintInfoView view;
        view.didGetReceiveData(QByteArray("\xC0", 1));
        EXPECT_EQ(view.text(), QString::fromUtf8("А"));
    }
    {
        // No bundle of its own: stored as it is, the texts stay English.
        UserDefaults::standardUserDefaults().setObject("pl", kUserLanguageKey);
        KorvoUpdatePrintInfoView view;
        view.didGetReceiveData(QByteArray("\xB1\xEA", 2)); // ą ę in ISO 8859-2
        EXPECT_EQ(view.text(), QString::fromUtf8("ąę"));
    }
    {
        setLanguage("de");
        KorvoUpdatePrintInfoView view;
        const QByteArray umlaut = QString::fromUtf8("Prüfung").toUtf8();
        const int cut = umlaut.indexOf('\xC3') + 1; // inside the two bytes of ü
        view.didGetReceiveData(umlaut.left(cut));
        view.didGetReceiveData(umlaut.mid(cut));
        EXPECT_EQ(view.text(), QString::fromUtf8("Prüfung"));
        // A byte that is no UTF-8 shows as a replacement character; the text around it stays.
        view.didGetReceiveData(QByteArray(" \xFF ok", 5));
        EXPECT_EQ(view.text(), QString::fromUtf8("Prüfung \xEF\xBF\xBD ok"));
    }
}

TEST_F(PrintView, ACrLfSplitAcrossReadsIsOneLineBreakAndTheScrollPositionStays) {
    KorvoUpdatePrintInfoView view;
    view.resize(910, 300);
    view.show();
    view.didGetReceiveData(bytes("a\r"));
    view.didGetReceiveData(bytes("\nb"));
    EXPECT_EQ(view.text(), "a\r\nb");
    EXPECT_EQ(view.priView()->toPlainText(), "a\nb");

    QString lines;
    for (int i = 0; i < 200; ++i)
        lines += QString("line %1\n").arg(i);
    view.didGetReceiveData(lines.toUtf8());
    QApplication::processEvents();
    auto* bar = view.priView()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum() / 3);
    const int position = bar->value();
    view.didGetReceiveData(lines.toUtf8());
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), position);
}

TEST_F(PrintView, CopyPutsExactlyTheTextAndClearEmptiesBoth) {
    KorvoUpdatePrintInfoView view;
    view.didGetReceiveData(bytes("Report\r\nP0301\r\n"));
    view.copyAction();
    EXPECT_EQ(QApplication::clipboard()->text(), "Report\r\nP0301\r\n");
    view.clearAction();
    EXPECT_EQ(view.text(), "");
    EXPECT_EQ(view.priView()->toPlainText(), "");
    view.copyAction();
    EXPECT_EQ(QApplication::clipboard()->text(), "");
}

TEST_F(PrintView, BarAndButtonsStandWhereTheLayoutPutsThem) {
    KorvoUpdatePrintInfoView view;
    view.resize(910, 594);
    view.show();
    EXPECT_EQ(view.bottomView()->geometry(), QRect(0, 534, 910, 60));
    EXPECT_EQ(view.clearButton()->geometry(), QRect(380, 10, 150, 40));
    EXPECT_EQ(view.printButton()->geometry(), QRect(170, 10, 150, 40));
    EXPECT_EQ(view.lastButton()->geometry(), QRect(590, 10, 150, 40));
    EXPECT_EQ(view.printButton()->text(), "Print");
    EXPECT_EQ(view.clearButton()->text(), "Clear");
    EXPECT_EQ(view.lastButton()->text(), "Copy");
    EXPECT_EQ(view.priView()->geometry().bottom(), 533);
}

TEST_F(PrintView, PrintsToAPdfOnNumberedPortraitPages) {
    TempDir out;
    KorvoUpdatePrintInfoView view;
    QString report;
    for (int i = 1; i <= 150; ++i)
        report += QString("Report line %1 P0%2\r\n").arg(i).arg(300 + i % 13);
    view.didGetReceiveData(report.toUtf8());

    const QString pdf = QString::fromStdString(out.file("report.pdf"));
    KorvoUpdatePrintInfoView::setPrintDialogForTesting([&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageOrientation(QPageLayout::Landscape); // the view prints portrait whatever was chosen
        return true;
    });
    view.printAction();
    KorvoUpdatePrintInfoView::setPrintDialogForTesting({});
    EXPECT_EQ(KorvoUpdatePrintInfoView::sharedPrinter().pageLayout().orientation(), QPageLayout::Portrait);

    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(10000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains("Report line 1 P0301"));
    EXPECT_TRUE(printed.contains("Report line 150 P0307"));
    EXPECT_LT(printed.indexOf("Report line 1 "), printed.indexOf("Report line 150"));
    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished(10000));
    const QString meta = QString::fromUtf8(info.readAllStandardOutput());
    const int pages = meta.section("Pages:", 1).trimmed().section('\n', 0, 0).toInt();
    EXPECT_GE(pages, 2);
    // Page numbers at the foot of each page.
    EXPECT_TRUE(printed.contains(QRegularExpression("\\n\\s*2\\s*\\n")));
    // Portrait: taller than wide.
    const QString size = meta.section("Page size:", 1).trimmed().section('\n', 0, 0);
    const double w = size.section(' ', 0, 0).toDouble(), h = size.section(' ', 2, 2).toDouble();
    EXPECT_GT(h, w) << size.toStdString();
}

TEST_F(PrintView, GoingAwayWhileCapturingIsClean) {
    startTool();
    auto view = std::make_unique<KorvoUpdatePrintInfoView>();
    view->didOpenOrCloseTime(true);
    spin(1100); // one read armed
    view.reset();
    sim->sendReport("after");
    spin(1200);
    NotificationCenter::defaultCenter().post(kDidGetPrintData, nullptr, {{kReceiveDataKey, bytes("x")}});
}

} // namespace
