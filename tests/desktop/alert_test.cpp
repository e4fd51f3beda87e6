#include "KorvoUpdateAlert.h"
#include "KorvoUpdateButton.h"
#include "KorvoUpdateHelpAlert.h"
#include "KorvoUpdateImageView.h"
#include "KorvoUpdateUpdateInfoAlert.h"
#include "ModalDriver.h"
#include "PdfView.h"
#include "TempDir.h"
#include "desktoptest.h"
#include "images.h"

#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QUrl>

#include <poppler-qt5.h>

#include <gtest/gtest.h>

namespace {

// An alert is answered at first sight: this bound only ends one left open.
constexpr std::chrono::milliseconds kAlertBound{3000};

struct Ends : KorvoUpdateAlertDelegate {
    void alertSheetDidEnd(KorvoUpdateAlert* alert, int code, void* context) override {
        calls.push_back({alert, code, context});
    }
    struct Call {
        KorvoUpdateAlert* alert;
        int code;
        void* context;
    };
    std::vector<Call> calls;
};

class Alert : public ::testing::Test {
protected:
    void SetUp() override {
        main.resize(600, 400);
        main.show();
    }
    std::unique_ptr<KorvoUpdateAlert> twoButtons() {
        return KorvoUpdateAlert::alertWithTitle("Warning", "Stop?", "Yes", "No", images::imageNamed("warning"));
    }
    QWidget main;
    Ends ends;
    int context = 7;
};

TEST_F(Alert, SheetEndsThroughTheDelegateWithTheButtonsCode) {
    const std::pair<int, int> cases[] = {
        {0, KorvoUpdateAlert::kReturnOK}, {1, KorvoUpdateAlert::kReturnCancel}, {2, KorvoUpdateAlert::kReturnClose}};
    for (const auto& [which, code] : cases) {
        auto alert = twoButtons();
        alert->beginSheetModalForWindow(&main, &ends, &context);
        EXPECT_TRUE(alert->isSheet());
        EXPECT_TRUE(alert->isVisible());
        QPushButton* button = which == 0   ? static_cast<QPushButton*>(alert->okButton())
                              : which == 1 ? static_cast<QPushButton*>(alert->cancelButton())
                                           : alert->closeButton();
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(ends.calls.size(), 1u) << which;
        EXPECT_EQ(ends.calls[0].alert, alert.get());
        EXPECT_EQ(ends.calls[0].code, code);
        EXPECT_EQ(ends.calls[0].context, &context);
        EXPECT_FALSE(alert->isVisible());
        ends.calls.clear();
    }
}

TEST_F(Alert, ReturnPressesOkAndEscapeCloses) {
    auto alert = twoButtons();
    alert->beginSheetModalForWindow(&main, &ends, nullptr);
    QTest::keyClick(alert.get(), Qt::Key_Return);
    ASSERT_EQ(ends.calls.size(), 1u);
    EXPECT_EQ(ends.calls[0].code, KorvoUpdateAlert::kReturnOK);

    auto second = twoButtons();
    second->beginSheetModalForWindow(&main, &ends, nullptr);
    QTest::keyClick(second.get(), Qt::Key_Escape);
    ASSERT_EQ(ends.calls.size(), 2u);
    EXPECT_EQ(ends.calls[1].code, KorvoUpdateAlert::kReturnClose);
}

TEST_F(Alert, OneButtonFormPutsOkWhereCancelStands) {
    auto two = twoButtons();
    const QRect cancelPlace = two->cancelButton()->geometry();
    EXPECT_EQ(cancelPlace.right() + 1, two->width() - KorvoUpdateAlert::kButtonRightMargin);
    EXPECT_LT(two->okButton()->geometry().right(), cancelPlace.left());

    auto one = KorvoUpdateAlert::alertWithTitle("Notice", "Done.", QString(), QString());
    one->show();
    EXPECT_FALSE(one->cancelButton()->isVisible());
    EXPECT_EQ(one->okButton()->text(), "OK");
    EXPECT_EQ(one->okButton()->geometry().right() + 1, one->width() - KorvoUpdateAlert::kButtonRightMargin);
    EXPECT_EQ(one->okButton()->geometry().size(), cancelPlace.size());
}

TEST_F(Alert, WithoutAnImageTheTextTakesTheIconsRoom) {
    auto with = twoButtons();
    auto without = KorvoUpdateAlert::alertWithTitle("Warning", "Stop?", "Yes", "No");
    EXPECT_LT(without->messageTextField()->x(), with->messageTextField()->x());
    EXPECT_EQ(with->titleTextField()->text(), "Warning");
}

TEST_F(Alert, LongMessagesWrapAndTheDialogGrowsToHoldThem) {
    const QString longText = QString("An update is running. ").repeated(12);
    auto small = twoButtons();
    auto big = KorvoUpdateAlert::alertWithTitle("Warning", longText, "OK", "Cancel", images::imageNamed("warning"));
    EXPECT_GT(big->height(), small->height());
    EXPECT_LE(big->messageTextField()->geometry().bottom(), big->okButton()->geometry().top());
}

TEST_F(Alert, RunModalReturnsTheCode) {
    auto alert = twoButtons();
    int code = -1;
    const ModalOutcome outcome = driveModal([&] { code = alert->runModal(); },
                                            [&](QWidget* shown) {
                                                if (shown != alert.get()) return false;
                                                QTest::mouseClick(alert->cancelButton(), Qt::LeftButton);
                                                return true;
                                            },
                                            kAlertBound);
    EXPECT_TRUE(outcome.ok()) << outcome.describe();
    EXPECT_EQ(code, KorvoUpdateAlert::kReturnCancel);
    EXPECT_FALSE(alert->isSheet());
    EXPECT_TRUE(ends.calls.empty());
}

// A PDF of three A4 pages, each a big square of its own colour on white.
std::string writeColouredPdf(const TempDir& dir) {
    const std::string path = dir.file("manual.pdf");
    QPdfWriter writer(QString::fromStdString(path));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    const QColor colours[] = {Qt::red, Qt::blue, Qt::green};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) writer.newPage();
        painter.fillRect(QRect(100, 200, 300, 300), colours[i]);
        painter.drawText(QPoint(100, 150), QString("Page %1").arg(i + 1));
    }
    painter.end();
    return path;
}

QColor colourAt(QWidget* view, const QPoint& p) {
    return view->grab().toImage().pixelColor(p);
}

// Pictures of the panels for looking at, when KORVO_SCREENSHOT_DIR names a folder.
void saveShot(QWidget* widget, const QString& name) {
    const QString dir = qEnvironmentVariable("KORVO_SCREENSHOT_DIR");
    if (!dir.isEmpty()) widget->grab().save(dir + "/" + name + ".png");
}

TEST_F(Alert, HelpAlertShowsAPdfPageByPageFittedToItsWidth) {
    TempDir dir;
    auto alert = KorvoUpdateHelpAlert::helpAlertWithTitle(
        "User manual", QUrl::fromLocalFile(QString::fromStdString(writeColouredPdf(dir))));
    ASSERT_TRUE(alert->pdfDocument());
    EXPECT_EQ(alert->pdfDocument()->numPages(), 3);
    EXPECT_EQ(alert->size(), QSize(1140, 724));
    EXPECT_EQ(alert->closeImageName(), "close_black");
    EXPECT_FALSE(alert->okButton());
    EXPECT_FALSE(alert->messageTextField());
    alert->beginSheetModalForWindow(&main, &ends, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(alert.get()));
    EXPECT_FALSE(alert->titleBarBgImageView()->isVisible());

    PdfView* view = alert->pdfView();
    EXPECT_EQ(view->geometry(), QRect(0, KorvoUpdateHelpAlert::kTitleBarHeight, 1140, 724 - 22));
    EXPECT_EQ(view->pageCount(), 3);
    const QRect first = view->pageRect(0), second = view->pageRect(1);
    EXPECT_NEAR(first.width(), view->viewport()->width() - 2 * PdfView::kPageMargin, 1);
    EXPECT_NEAR(view->scaleFactor(), first.width() / 595.0, 0.01);
    EXPECT_EQ(second.top() - first.bottom() - 1, PdfView::kPageBreak);
    // The red square of page 1 at its place, scaled; the page break between pages is not part of a page.
    const double k = view->scaleFactor();
    const QPoint red = first.topLeft() + QPoint(int(250 * k), int(350 * k));
    EXPECT_EQ(colourAt(view->viewport(), red), QColor(Qt::red));
    EXPECT_EQ(view->renderedPageCount(), 1); // only what was seen
    saveShot(alert.get(), "help_pdf");

    view->goToPage(1);
    const QPoint blue =
        second.topLeft() + QPoint(int(250 * k), int(350 * k)) - QPoint(0, view->verticalScrollBar()->value());
    EXPECT_EQ(colourAt(view->viewport(), blue), QColor(Qt::blue));

    QTest::mouseClick(alert->closeButton(), Qt::LeftButton);
    ASSERT_EQ(ends.calls.size(), 1u);
    EXPECT_EQ(ends.calls[0].code, KorvoUpdateAlert::kReturnClose);
}

TEST_F(Alert, HelpAlertWithAnUnreadablePdfShowsAnEmptyView) {
    TempDir dir;
    for (const std::string& path :
         {dir.write("broken.pdf", std::string("%PDF-1.4 not really")), dir.file("none.pdf")}) {
        auto alert =
            KorvoUpdateHelpAlert::helpAlertWithTitle("Manual", QUrl::fromLocalFile(QString::fromStdString(path)));
        EXPECT_FALSE(alert->pdfDocument());
        EXPECT_EQ(alert->pdfView()->pageCount(), 0);
        alert->show();
        EXPECT_EQ(colourAt(alert->pdfView()->viewport(), QPoint(500, 300)), QColor(Qt::white));
    }
}

TEST_F(Alert, HelpAlertShowsAPictureBelowItsTitleOrOverTheWholePanel) {
    auto framed = KorvoUpdateHelpAlert::helpAlertWithTitle("Connecting the tool", "en_guide", false);
    framed->show();
    EXPECT_EQ(framed->size(), QSize(1140, 724));
    EXPECT_TRUE(framed->titleBarView()->isVisible());
    EXPECT_FALSE(framed->titleBarBgImageView()->isVisible());
    EXPECT_EQ(framed->closeImageName(), "close_black");
    EXPECT_EQ(framed->helpImageView()->geometry(), QRect(0, 22, 1140, 702));
    // Resized once to the area below the title bar, then shown as it is: nothing of it is cut off.
    EXPECT_EQ(framed->helpImageView()->image().size(), QSize(1140, 702));
    saveShot(framed.get(), "help_picture");

    auto full = KorvoUpdateHelpAlert::helpAlertWithTitle("Connecting the tool", "en_guide", true);
    full->beginSheetModalForWindow(&main, &ends, nullptr);
    EXPECT_FALSE(full->titleBarView()->isVisible());
    EXPECT_EQ(full->closeButton()->parentWidget(), full.get());
    EXPECT_TRUE(full->closeButton()->isVisible());
    EXPECT_EQ(full->closeButton()->geometry(), QRect(1100, 0, 40, 40));
    EXPECT_EQ(full->helpImageView()->geometry(), QRect(0, 0, 1140, 724));
    EXPECT_EQ(full->helpImageView()->image().size(), QSize(1140, 724));
    saveShot(full.get(), "help_picture_full");
    QTest::keyClick(full.get(), Qt::Key_Escape);
    ASSERT_EQ(ends.calls.size(), 1u);
    EXPECT_EQ(ends.calls[0].code, KorvoUpdateAlert::kReturnClose);

    auto missing = KorvoUpdateHelpAlert::helpAlertWithTitle("Nothing", "no_such_picture", false);
    EXPECT_TRUE(missing->helpImageView()->image().isNull());
}

TEST_F(Alert, UpdateInfoAlertScrollsItsMessageBesideTheIconAndEndsWithOk) {
    const QString message = QString::fromUtf8("Version 1.20\n- Faster flashing of the data section.\n"
                                              "- New DTC descriptions.\n")
                                .repeated(12);
    auto alert = KorvoUpdateUpdateInfoAlert::updateInfoAlertWithTitle("Update information", message, QString(),
                                                                      images::imageNamed("warning"));
    EXPECT_FALSE(alert->okButton());
    EXPECT_FALSE(alert->cancelButton());
    EXPECT_FALSE(alert->iconImageView());
    const int top = KorvoUpdateAlert::kTitleBarHeight + 30;
    EXPECT_EQ(alert->updateIconImageView()->geometry(), QRect(20, top, 44, 44));
    EXPECT_EQ(alert->scrollView()->geometry(), QRect(64, top, alert->width() - 20 - 64, 300));
    KorvoUpdateButton* ok = alert->updateInfoOKButton();
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(ok->geometry(), QRect(alert->width() - 15 - 100, alert->height() - 20 - 30, 100, 30));
    EXPECT_EQ(ok->geometry().top(), alert->scrollView()->geometry().bottom() + 1 + 20);
    EXPECT_TRUE(alert->textView()->isReadOnly());
    EXPECT_EQ(alert->textView()->toPlainText(), message);
    EXPECT_GT(alert->textView()->height(), 300); // taller than the scroll view, which scrolls it

    alert->beginSheetModalForWindow(&main, &ends, &context);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(alert.get()));
    EXPECT_GT(alert->scrollView()->verticalScrollBar()->maximum(), 0);
    saveShot(alert.get(), "update_info");
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_EQ(ends.calls.size(), 1u);
    EXPECT_EQ(ends.calls[0].alert, alert.get());
    EXPECT_EQ(ends.calls[0].code, KorvoUpdateAlert::kReturnOK);
    EXPECT_EQ(ends.calls[0].context, &context);

    auto empty = KorvoUpdateUpdateInfoAlert::updateInfoAlertWithTitle("Update", QString(), "Close", QImage());
    EXPECT_EQ(empty->textView()->toPlainText(), "");
    EXPECT_EQ(empty->updateInfoOKButton()->text(), "Close");
    int code = -1;
    const ModalOutcome outcome = driveModal([&] { code = empty->runModal(); },
                                            [&](QWidget* shown) {
                                                if (shown != empty.get()) return false;
                                                QTest::keyClick(empty.get(), Qt::Key_Return);
                                                return true;
                                            },
                                            kAlertBound);
    EXPECT_TRUE(outcome.ok()) << outcome.describe();
    EXPECT_EQ(code, KorvoUpdateAlert::kReturnOK);
}

// Both panels with English and Russian texts: the texts are whole, and pictures are saved for looking at.
TEST_F(Alert, NewPanelsInEnglishAndRussian) {
    struct Texts {
        const char* code;
        const char* title;
        const char* message;
        const char* ok;
    };
    const Texts languages[] = {{"en", "Update information",
                                "Version 1.20 of the scan tool's software:\n- Faster updates.\n- New DTC texts.", "OK"},
                               {"ru", "Сведения об обновлении",
                                "Версия 1.20 программы сканера:\n- Более быстрое обновление.\n"
                                "- Новые описания кодов DTC.",
                                "ОК"}};
    for (const Texts& t : languages) {
        const QString message = QString::fromUtf8(t.message);
        auto info = KorvoUpdateUpdateInfoAlert::updateInfoAlertWithTitle(
            QString::fromUtf8(t.title), message, QString::fromUtf8(t.ok), images::imageNamed("warning"));
        info->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(info.get()));
        EXPECT_EQ(info->textView()->toPlainText(), message);
        EXPECT_LE(info->textView()->height(), 300);
        EXPECT_EQ(info->scrollView()->verticalScrollBar()->maximum(), 0); // a short text needs no scrolling
        saveShot(info.get(), QString("update_info_%1").arg(t.code));

        auto help = KorvoUpdateHelpAlert::helpAlertWithTitle(QString::fromUtf8(t.title), "en_guide", false);
        help->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(help.get()));
        EXPECT_FALSE(help->helpImageView()->image().isNull()) << t.code;
        saveShot(help.get(), QString("help_picture_%1").arg(t.code));
    }
}

} // namespace
