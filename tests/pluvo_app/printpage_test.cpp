// The print page: report capture from the simulated tool (chunks, code pages, the double-byte end marker, stopping,
// an unplug), the buttons, and the printer's wrapping and pages checked in a PDF.
#include "Fixture.h"

#include "CodePage.h"
#include "Pages.h"
#include "QuenlarkApp.h"
#include "WindowMessage.h"
#include "serial.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>
#include <gtest/gtest.h>

namespace {
int charWidth(const QString& s) {
    return 10 * s.size();
}

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished(10000);
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    return -1;
}

// Prints into a PDF file instead of asking the user.
void printToPdf(CDiagSystemPrinter& printer, const QString& path, const QSizeF& pageMm = QSizeF(210, 297)) {
    printer.setDialogRunner([path, pageMm](QPrinter& p, QWidget*) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(path);
        p.setPageSize(QPageSize(pageMm, QPageSize::Millimeter));
        p.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        return true;
    });
}

class PrintCapture : public ::testing::Test {
protected:
    void SetUp() override {
        sim = startSim(devices.path(), "QM64");
        ASSERT_TRUE(sim);
    }
    void TearDown() override {
        page.reset();
        sim.reset();
        CCodePage::Settle(0);
    }
    // Starts the capture and waits until its port is open.
    void start() {
        page = std::make_unique<CPrintPage>();
        page->StartReportCapture(sim->linkPath(), false);
        ASSERT_TRUE(waitUntil([&] { return page->openAttempts() >= 1; }, 2000));
        QThread::msleep(50);
    }
    QString shown() const { return page->reportEdit()->toPlainText(); }
    TempDir devices;
    std::unique_ptr<ScanToolSim> sim;
    std::unique_ptr<CPrintPage> page;
};
} // namespace

TEST(PluvoPrinter, WrapsAtBlanksCommasAndLineEndsAndCutsWhatHasNone) {
    const auto wrap = [](const QString& t, int limit) { return CDiagSystemPrinter::WrapLines(t, limit, charWidth); };
    // 10 units a character, 60 a line: six characters fit.
    EXPECT_EQ(wrap("abc def ghi", 60), (QStringList{"abc ", "def ", "ghi"}));
    EXPECT_EQ(wrap("ab,cdefgh", 60), (QStringList{"ab,", "cdefgh"}));
    EXPECT_EQ(wrap("abcdefghijklm", 60), (QStringList{"abcdef", "ghijkl", "m"}));
    // A leading line end is skipped; CR LF, CR and LF each end one line; empty lines stay.
    EXPECT_EQ(wrap("\r\nab\r\ncd\ref\n\ngh", 60), (QStringList{"ab", "cd", "ef", "", "gh"}));
    EXPECT_EQ(wrap("", 60), QStringList{});
    // A page narrower than any character still moves on, one character a line; a pair of surrogates stays whole.
    const QString emoji = QString::fromUtf8("a\xF0\x9F\x98\x80"
                                            "b");
    EXPECT_EQ(wrap(emoji, 0), (QStringList{"a", QString::fromUtf8("\xF0\x9F\x98\x80"), "b"}));
    EXPECT_EQ(wrap("abc", -100), (QStringList{"a", "b", "c"}));
    // Cyrillic wraps by characters, not bytes.
    EXPECT_EQ(wrap(QString::fromUtf8("Привет мир"), 60),
              (QStringList{QString::fromUtf8("Привет"), QString::fromUtf8(" мир")}));
    EXPECT_EQ(CDiagSystemPrinter::FormatPrintTime(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 2))), "2024-03-05 09:07:02");
}

TEST(PluvoPrinter, ZeroWidthCharactersFromThePortNeitherHangTheWrapNorMakeEndlessLines) {
    // A soft hyphen (byte 0xAD in every single-byte code page of the report) measures nothing: a report of them
    // must still wrap in time linear in its length, into lines that lose no character.
    const QString text(20000, QChar(0x00AD));
    long long measured = 0;
    const auto zeroWidth = [&](const QString& s) {
        measured += s.size();
        return 0;
    };
    const QStringList lines = CDiagSystemPrinter::WrapLines(text, 4000, zeroWidth);
    EXPECT_EQ(lines.join(QString()), text);
    for (const QString& line : lines)
        EXPECT_LE(line.size(), CDiagSystemPrinter::kMaxLineCharacters);
    EXPECT_LT(measured, 20000LL * CDiagSystemPrinter::kMaxLineCharacters) << "quadratic in the line's length";
    // A line of them with blanks still ends after its last blank.
    const QString mixed = QString(300, QChar(0x00AD)) + " " + QString(300, QChar(0x00AD));
    const QStringList parts = CDiagSystemPrinter::WrapLines(mixed, 4000, zeroWidth);
    ASSERT_GE(parts.size(), 2);
    EXPECT_EQ(parts[0], QString(300, QChar(0x00AD)) + " ");
    EXPECT_EQ(parts.join(QString()), mixed);
}

// How many lines a page holds depends on the fonts the machine has for "Arial": the report is made a few lines
// longer than one page, as this printer measures its pages.
TEST(PluvoPrinter, PrintsTwoNumberedPagesWithTitleAndFooterIntoAPdf) {
    TempDir out;
    CDiagSystemPrinter printer;
    printer.SetDocName("pluvo");
    printToPdf(printer, QString::fromStdString(out.file("probe.pdf")));
    ASSERT_TRUE(printer.SetUp(nullptr));
    ASSERT_TRUE(printer.Print("probe"));
    const int perPage = printer.linesPerPage();
    ASSERT_GT(perPage, 20) << "an A4 page at 14 points";

    const QString pdf = QString::fromStdString(out.file("report.pdf"));
    printToPdf(printer, pdf);
    QString text;
    const int lines = perPage + 5;
    for (int i = 1; i <= lines; ++i)
        text += QString("Line %1: misfire detected, cylinder %2\r\n").arg(i).arg(i % 6 + 1);
    text += QString(400, QLatin1Char('W')); // one word wider than the page
    ASSERT_TRUE(printer.SetUp(nullptr));
    ASSERT_TRUE(printer.Print(text));
    EXPECT_EQ(printer.linesPerPage(), perPage);
    EXPECT_GT(printer.lines().size(), lines + 1) << "the long word is cut over several lines";
    ASSERT_LE(printer.lines().size(), 2 * perPage);
    EXPECT_EQ(printer.pageCount(), 2);
    EXPECT_EQ(pdfPages(pdf), 2);
    const QString body = pdfText(pdf);
    // pdftotext closes up the blanks of "- 1 -".
    EXPECT_TRUE(body.contains(QRegularExpression("-\\s*1\\s*-"))) << body.toStdString();
    EXPECT_TRUE(body.contains(QRegularExpression("-\\s*2\\s*-")));
    EXPECT_FALSE(body.contains(QRegularExpression("-\\s*3\\s*-")));
    EXPECT_TRUE(body.contains("pluvo"));
    EXPECT_TRUE(body.contains(QString("Line %1: mis").arg(lines))); // "fi" may come out as a ligature
    EXPECT_TRUE(body.contains(QDate::currentDate().toString("yyyy-MM-dd")));
    EXPECT_EQ(body.count("pluvo"), 2) << "a title on each page";
}

TEST(PluvoPrinter, APageTooSmallForOneLineStillEnds) {
    TempDir out;
    const QString pdf = QString::fromStdString(out.file("tiny.pdf"));
    CDiagSystemPrinter printer;
    printer.SetDocName("pluvo");
    printToPdf(printer, pdf, QSizeF(20, 25));
    ASSERT_TRUE(printer.SetUp(nullptr));
    ASSERT_TRUE(printer.Print("abc def"));
    EXPECT_GE(printer.pageCount(), 1);
    EXPECT_EQ(printer.pageCount(), printer.lines().size()) << "one line a page when none fits";
}

// A tool sending without line ends, or sending for hours: lines are broken, and only the newest text is kept.
TEST(PluvoPrintPage, LongLinesAreBrokenAndOnlyTheNewestTextIsKept) {
    CPrintPage page;
    const auto feed = [&page](const QString& text, int chunk) {
        for (int at = 0; at < text.size(); at += chunk)
            page.OnReportText(text.mid(at, chunk));
    };

    QTextDocument* doc = page.reportEdit()->document();
    const QString unbroken(1024 * 1024, QLatin1Char('A'));
    feed(unbroken + "\r\nB", int(CPrintPage::kChunkSize));
    int longest = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        longest = std::max(longest, b.length() - 1);
    EXPECT_EQ(longest, CPrintPage::kLongestLine);
    QString shown = page.reportEdit()->toPlainText();
    EXPECT_TRUE(shown.endsWith("A\nB"));
    shown.chop(2);
    EXPECT_EQ(shown.remove('\n'), unbroken) << "nothing lost, only broken";

    // Numbered lines of 64 characters, twice what the box keeps.
    constexpr size_t kLine = 64;
    const int count = int(2 * CPrintPage::kMaxReportCharacters / kLine);
    std::string bytes(size_t(count) * kLine + 1, '\0');
    for (int i = 0; i < count; ++i)
        std::snprintf(&bytes[size_t(i) * kLine], kLine + 1,
                      "line %09d: misfire detected, cylinder 3, bank 1, P0303   \r\n", i);
    bytes.pop_back();
    feed(QString::fromLatin1(bytes.data(), int(bytes.size())), 64 * 1024);
    EXPECT_LE(doc->characterCount(), CPrintPage::kMaxReportCharacters);
    EXPECT_GE(doc->characterCount(), CPrintPage::kKeptAfterTrim);
    EXPECT_TRUE(doc->begin().text().startsWith("line ")) << "whole lines go, the oldest first";
    EXPECT_TRUE(doc->lastBlock().previous().text().startsWith(QString::asprintf("line %09d:", count - 1)));
    EXPECT_FALSE(page.reportEdit()->toPlainText().contains("B\n")) << "the first report is gone";
    EXPECT_EQ(doc->availableUndoSteps(), 0) << "no history keeps what was received, or trimmed";
}

TEST(PluvoPrintPage, ButtonsAndLayout) {
    CPrintPage page;
    page.resize(810, 591);
    page.show();
    int dialogs = 0;
    page.printer().setDialogRunner([&](QPrinter&, QWidget*) {
        ++dialogs;
        return false;
    });
    page.OnBnClickedPrint();
    EXPECT_EQ(dialogs, 0) << "nothing to print, no dialog";
    page.OnReportText(QString::fromUtf8("<b>not bold</b> Ω"));
    page.OnBnClickedPrint();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(page.reportEdit()->toPlainText(), QString::fromUtf8("<b>not bold</b> Ω")) << "never markup";
    page.OnBnClickedCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("<b>not bold</b> Ω"));
    page.OnBnClickedClear();
    EXPECT_TRUE(page.reportEdit()->toPlainText().isEmpty());

    EXPECT_EQ(page.reportEdit()->geometry(), QRect(0, 0, 790, 526));
    const int a = (810 - 480) / 4;
    EXPECT_EQ(page.printButton()->geometry(), QRect(a, 536, 160, 45));
    EXPECT_EQ(page.clearButton()->geometry(), QRect(2 * a + 160, 536, 160, 45));
    EXPECT_EQ(page.copyButton()->geometry(), QRect(3 * a + 320, 536, 160, 45));
}

TEST_F(PrintCapture, ChunksAppendInOrderAndScrollToTheEnd) {
    start();
    sim->sendReport("AB");
    ASSERT_TRUE(waitUntil([&] { return shown() == "AB"; }, 2000)) << shown().toStdString();
    sim->sendReport("X");
    ASSERT_TRUE(waitUntil([&] { return shown() == "ABX"; }, 2000)) << shown().toStdString();
    sim->sendReport("\r");
    ASSERT_TRUE(waitUntil([&] { return shown() == "ABX\n"; }, 2000));
    sim->sendReport("\nY\r\n");
    ASSERT_TRUE(waitUntil([&] { return shown().startsWith("ABX\nY"); }, 2000));
    EXPECT_EQ(shown(), "ABX\nY\n") << "a CR LF split between reads is one line end";
    page->OnBnClickedClear();
    std::string many;
    for (int i = 0; i < 200; ++i)
        many += "line " + std::to_string(i) + "\r\n";
    sim->sendReport(many);
    ASSERT_TRUE(waitUntil([&] { return shown().endsWith("line 199\n"); }, 3000));
    EXPECT_EQ(shown().count("line "), 200) << "nothing lost or doubled";
    page->resize(400, 300);
    page->show();
    page->OnReportText("last\r\n");
    const QScrollBar* bar = page->reportEdit()->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

// A burst of report text comes to the page in one message however many reads it took, and in as many turns of the
// event loop as the box keeps text for, never for what it would trim away at once; the newest lines all arrive.
TEST_F(PrintCapture, ABurstIsHandedOverInOneMessageATurnAndOnlyWhatTheBoxKeeps) {
    start();
    struct Counter : QObject {
        int messages = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == WindowMessageEvent::eventType() &&
                static_cast<WindowMessageEvent*>(e)->message == WM_REPORT_TEXT)
                ++messages;
            return false;
        }
    } counter;
    page->installEventFilter(&counter);
    // Twice what the box keeps, and far more than the line holds: most of it has been read once it is all sent.
    constexpr int kLineLength = 64;
    constexpr int kLines = 2 * CPrintPage::kMaxReportCharacters / kLineLength;
    std::string burst;
    burst.reserve(size_t(kLines) * kLineLength);
    for (int i = 0; i < kLines; ++i)
        burst += QString::asprintf("line %07d: misfire detected, cylinder 3, bank 1, P0303   \r\n", i).toStdString();
    sim->sendReport(burst); // the page's event loop stands still meanwhile
    QCoreApplication::sendPostedEvents(page.get(), WindowMessageEvent::eventType());
    EXPECT_EQ(counter.messages, 1) << "for " << burst.size() / CPrintPage::kChunkSize << " reads or more";
    EXPECT_LE(shown().size(), CPrintPage::kMaxCharactersPerTurn + int(CPrintPage::kChunkSize)) << "a turn's worth";

    const QString last = QString::asprintf("line %07d:", kLines - 1);
    ASSERT_TRUE(waitUntil([&] { return shown().section('\n', -2, -2).startsWith(last); }, 120000));
    constexpr int kTurnsForWhatIsKept = CPrintPage::kMaxReportCharacters / CPrintPage::kMaxCharactersPerTurn;
    EXPECT_LE(counter.messages, kTurnsForWhatIsKept + 4) << "a turn or two more for what the line still held";
    const QString text = shown();
    const int first = text.midRef(5, 7).toInt();
    EXPECT_TRUE(text.startsWith(QString::asprintf("line %07d:", first))) << "whole lines";
    EXPECT_EQ(text.count("line "), kLines - first) << "the newest lines, none lost or doubled";
}

TEST_F(PrintCapture, RussianInItsCodePageAndASplitCharacterOfTheDoubleByteOne) {
    CCodePage::Settle(10);
    start();
    sim->sendReport(*Utf8ToCodePage(1251, "Пропуски зажигания"));
    ASSERT_TRUE(waitUntil([&] { return shown() == QString::fromUtf8("Пропуски зажигания"); }, 2000))
        << shown().toStdString();
    page.reset();

    // The double-byte language: nothing until the end marker, then all of it, a character and the marker split
    // between chunks kept whole.
    ProgramFolder program;
    program.dir.write("pluvo.cfg", std::string("[Setting]\r\nLanguage = 11\r\n"));
    ASSERT_EQ(::symlink(PLUVO_DIST_DIR "/language", (program.dir.path() + "/language").c_str()), 0);
    ASSERT_TRUE(CQuenlarkApp::CheckLanguage(program.folder(), false));
    const std::string gbk = *Utf8ToCodePage(936, "故障码");
    start();
    sim->sendReport(gbk.substr(0, 3));
    QThread::msleep(100);
    sim->sendReport(gbk.substr(3) + "\r\n\r");
    QThread::msleep(100);
    sim->sendReport("\n");
    ASSERT_TRUE(waitUntil([&] { return !shown().isEmpty(); }, 2000));
    EXPECT_EQ(shown(), QString::fromUtf8("故障码\n\n"));
    page.reset();
    program.dir.write("pluvo.cfg", std::string("[Setting]\r\nLanguage = 0\r\n"));
    CQuenlarkApp::CheckLanguage(program.folder(), false);
}

TEST_F(PrintCapture, StopsAndFreesThePortAtOnceAndNeverRunsWhileBusy) {
    start();
    ASSERT_TRUE(page->captureRunning());
    QElapsedTimer t;
    t.start();
    page->StopCapture();
    EXPECT_LT(t.elapsed(), 200);
    EXPECT_FALSE(page->captureRunning());
    const int fd = serial::openDevice(sim->linkPath());
    EXPECT_GE(fd, 0) << "the port is free again";
    if (fd >= 0) serial::closeDevice(fd);

    page->StartReportCapture(sim->linkPath(), true);
    EXPECT_FALSE(page->captureRunning()) << "a flash holds the tool";
    page->StartReportCapture("", false);
    EXPECT_FALSE(page->captureRunning());
}

TEST_F(PrintCapture, AnUnpluggedToolIsRetriedAtAPaceAndReadAgainWhenBack) {
    start();
    sim->vanish();
    QThread::msleep(1200);
    // Reopened after pauses, not in a loop: the first open, then about one every kReopenPauseMs.
    EXPECT_LE(page->openAttempts(), 1 + 1200 / CPrintPage::kReopenPauseMs + 1);
    ASSERT_TRUE(sim->start());
    const int before = page->openAttempts();
    ASSERT_TRUE(waitUntil([&] { return page->openAttempts() > before; }, 2000));
    QThread::msleep(100);
    sim->sendReport("back");
    ASSERT_TRUE(waitUntil([&] { return shown().endsWith("back"); }, 3000)) << shown().toStdString();
    QElapsedTimer t;
    t.start();
    page.reset();
    EXPECT_LT(t.elapsed(), 200);
}
