#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateSearchDTCView.h"
#include "KorvoUpdateSearchField.h"
#include "TempDir.h"
#include "UserDefaults.h"
#include "desktoptest.h"
#include "mainbundle.h"

#include "KorvoUpdateTableCellView.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

using desktoptest::waitUntil;
using Rows = KorvoUpdateSearchDTCView::Rows;

namespace {

QStringList codes(const Rows& rows) {
    QStringList out;
    for (const auto& r : rows)
        out << r.codeNumber;
    return out;
}

TEST(DtcText, LinesWithASpaceAreEntriesTakenAsTheyStand) {
    const Rows rows = DtcTextFile::parse("P0301 Cylinder 1 Misfire\r\n"
                                         "P0100  Two spaces\r\n"
                                         " leading space\r\n"
                                         "NOSPACE\r\n"
                                         "\r\n"
                                         "\n"
                                         "B0001 mid\rdle CR\n"
                                         "P0100 duplicate, unsorted\n"
                                         "U0100 last line");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(codes(rows), QStringList({"P0301", "P0100", "", "B0001", "P0100", "U0100"}));
    EXPECT_EQ(rows[0].codeDes, "Cylinder 1 Misfire");
    EXPECT_EQ(rows[1].codeDes, " Two spaces");
    EXPECT_EQ(rows[2].codeDes, "leading space");
    EXPECT_EQ(rows[3].codeDes, "middle CR");
    EXPECT_EQ(rows[5].codeDes, "last line");
}

TEST(DtcText, EachTableIsReadInItsCodePageAndAStrayByteEmptiesNothing) {
    TempDir dir;
    const auto path = [&](const char* name) { return QString::fromStdString(dir.file(name)); };
    dir.write("ru.txt", std::string("P0301 \xCF\xF0\xEE\xEF\xF3\xF1\xEA\r\n"));
    dir.write("sk.txt", std::string("P0301 Zapa\xB5ovanie\r\n"));
    dir.write("fr.txt", std::string("P0301 Rat\xE9 \x81 d'allumage\r\nP0302 ok\r\n"));
    EXPECT_EQ(DtcTextFile::read(path("ru.txt"), "Windows-1251")[0].codeDes, QString::fromUtf8("Пропуск"));
    EXPECT_EQ(DtcTextFile::read(path("sk.txt"), DtcTextFile::encodingForLanguage("sk"))[0].codeDes,
              QString::fromUtf8("Zapaľovanie"));
    const Rows fr = DtcTextFile::read(path("fr.txt"), DtcTextFile::encodingForLanguage("fr"));
    ASSERT_EQ(fr.size(), 2u);
    EXPECT_TRUE(fr[0].codeDes.startsWith(QString::fromUtf8("Raté ")));
    EXPECT_TRUE(DtcTextFile::read(path("missing.txt"), "Windows-1252").empty());

    EXPECT_EQ(DtcTextFile::encodingForLanguage("ru"), "Windows-1251");
    for (const char* l : {"hu", "pl", "sk", "cz"})
        EXPECT_EQ(DtcTextFile::encodingForLanguage(l), "ISO-8859-2") << l;
    for (const char* l : {"de", "en", "es", "fr", "it", "nl", "pt", "se"})
        EXPECT_EQ(DtcTextFile::encodingForLanguage(l), "Windows-1252") << l;
    EXPECT_EQ(KorvoUpdateSearchDTCView::tableLanguage("ja"), "en");
    EXPECT_EQ(KorvoUpdateSearchDTCView::tableLanguage("se"), "se");
    EXPECT_EQ(KorvoUpdateSearchDTCView::tableLanguage("sv"), "en");
}

class SearchView : public ::testing::Test {
protected:
    void SetUp() override {
        desktoptest::clearDefaults();
        std::string table;
        for (int i = 0; i < 300; ++i)
            table += "P" + std::to_string(1000 + i) + " Description " + std::to_string(i) + "\r\n";
        table += "XP0301 contains the code\r\nP0301 the code itself\r\n";
        resources.write("en_OBDII.txt", table);
        resources.write("de_OBDII.txt", std::string("P0301 Zylinder 1\r\n"));
        // The texts come from the shipped English bundle, the tables from here.
        setLanguage("en");
        KorvoUpdateCommonTool::sharedTool().initBaseBundle();
        mainbundle::setResourcePath(QString::fromStdString(resources.path()));
    }
    void TearDown() override {
        mainbundle::setResourcePath(desktoptest::resourcesDir());
        desktoptest::clearDefaults();
    }
    // Stored as it is: these resources have no language folders.
    void setLanguage(const QString& code) { UserDefaults::standardUserDefaults().setObject(code, kUserLanguageKey); }
    std::unique_ptr<KorvoUpdateSearchDTCView> loadedView() {
        auto view = std::make_unique<KorvoUpdateSearchDTCView>();
        view->resize(910, 594);
        view->show();
        EXPECT_TRUE(waitUntil([&] { return view->isLoaded(); }, 5000));
        return view;
    }
    static int selected(KorvoUpdateSearchDTCView& v) {
        const QList<int> rows = v.tableView()->selectedRowIndexes();
        return rows.size() == 1 ? rows.first() : -1;
    }
    TempDir resources;
};

TEST_F(SearchView, FiveTypedCharactersSelectTheFirstCodeThatContainsThemAndJoinTheHistory) {
    auto view = loadedView();
    ASSERT_EQ(view->listModels().size(), 302u);
    QTest::keyClicks(view->searchField(), "p030");
    EXPECT_EQ(selected(*view), -1) << "four characters search nothing";
    QTest::keyClicks(view->searchField(), "1");
    EXPECT_EQ(selected(*view), 300) << "the first row whose code contains P0301";
    EXPECT_EQ(KorvoUpdateCommonTool::sharedTool().getSearchDtcData(), QStringList({"P0301"}));
    ASSERT_EQ(view->popUpButton()->count(), 1);
    EXPECT_EQ(view->popUpButton()->itemText(0), "P0301");

    QTest::keyClicks(view->searchField(), "5");
    EXPECT_EQ(selected(*view), 300) << "six characters search nothing";
    view->searchField()->clear();
    QTest::keyClicks(view->searchField(), "P1005");
    EXPECT_EQ(selected(*view), 5);
    view->searchField()->clear();
    QTest::keyClicks(view->searchField(), "P0301");
    EXPECT_EQ(KorvoUpdateCommonTool::sharedTool().getSearchDtcData(), QStringList({"P0301", "P1005"}));
    EXPECT_EQ(view->popUpButton()->count(), 2);
    view->searchField()->clear();
    QTest::keyClicks(view->searchField(), "Z9999");
    EXPECT_EQ(selected(*view), 300) << "no hit leaves the selection";
    EXPECT_EQ(view->popUpButton()->count(), 2);
}

TEST_F(SearchView, TheHistoryIsOfferedAgainAndEachEntryCanBeChosenAgain) {
    KorvoUpdateCommonTool::sharedTool().addSearchDtcData("P1010");
    KorvoUpdateCommonTool::sharedTool().addSearchDtcData("P1020");
    auto view = loadedView();
    ASSERT_EQ(view->popUpButton()->count(), 2);
    view->popUpButtonAction(1);
    EXPECT_EQ(selected(*view), 20);
    EXPECT_EQ(view->searchField()->text(), "P1020") << "the field shows the code chosen";
    view->tableView()->selectRowIndexes({3}, false);
    // The same item chosen twice in a row searches twice.
    emit view->popUpButton()->activated(1);
    EXPECT_EQ(selected(*view), 20);
    QTest::keyClicks(view->searchField(), "abc");
    view->popUpButtonAction(0);
    EXPECT_EQ(selected(*view), 10);
    EXPECT_EQ(view->searchField()->text(), "P1010");
    view->popUpButtonAction(7);
    view->popUpButtonAction(-1);
    EXPECT_EQ(selected(*view), 10);
}

TEST_F(SearchView, CellsShowCodeAndDescriptionByColumnAndTheCodeColumnKeepsItsWidth) {
    setLanguage("de");
    ASSERT_EQ(KorvoUpdateCommonTool::sharedTool().getUserLanguage(), "de");
    auto view = loadedView();
    ASSERT_EQ(view->listModels().size(), 1u);
    EXPECT_EQ(view->listModels()[0].codeDes, "Zylinder 1");
    QWidget* code = view->tableView(view->tableView(), 0, 0);
    QWidget* description = view->tableView(view->tableView(), 1, 0);
    EXPECT_TRUE(code->findChildren<QLineEdit*>().value(0) && code->findChildren<QLineEdit*>()[0]->text() == "P0301");
    EXPECT_EQ(description->findChildren<QLineEdit*>()[0]->text(), "Zylinder 1");
    delete code;
    delete description;
    view->resize(700, 400);
    EXPECT_EQ(view->tableView()->columnWidth(0), 140);
    EXPECT_EQ(view->topView()->geometry(), QRect(0, 0, 700, 45));
    EXPECT_EQ(view->searchField()->geometry(), QRect(0, 0, 600, 30));
    EXPECT_EQ(view->tableView()->geometry(), QRect(10, 55, 680, 335));
    // The query stands in the white box that the pop-up draws under the field, clear of its border.
    constexpr int kClearOfBorder = 3;
    const KorvoUpdateSearchField* field = view->searchField();
    const QRect text(field->mapTo(view->topView(), field->textArea().topLeft()), field->textArea().size());
    const QRect box = view->popUpButton()->geometry();
    EXPECT_GE(text.left(), box.left() + kClearOfBorder);
    EXPECT_LT(text.right(), box.right());
}

// With the vertical scroll bar shown, a click on a description selects its row without moving the table sideways.
TEST_F(SearchView, AClickOnADescriptionNeverScrollsTheTableSideways) {
    auto view = loadedView();
    KorvoUpdateTableView* table = view->tableView();
    ASSERT_TRUE(waitUntil([&] { return table->verticalScrollBar()->isVisible(); }, 2000));
    EXPECT_LE(table->columnWidth(0) + table->columnWidth(1), table->viewport()->width());
    const QRect cell = table->visualRect(table->model()->index(2, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(selected(*view), 2);
    EXPECT_EQ(table->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(table->columnViewportPosition(0), 0) << "the code column starts at the left edge";
    view->resize(700, 400);
    EXPECT_EQ(table->columnWidth(0), 140);
    EXPECT_EQ(table->columnWidth(0) + table->columnWidth(1), table->viewport()->width());
}

// A description too long for its cell ends in an ellipsis, and resting the pointer on it shows all of it.
TEST_F(SearchView, ALongDescriptionIsCutWithAnEllipsisAndShownWholeInATip) {
    const QString longText = QString("Long description of a fault in words, ").repeated(8) + "the very end";
    resources.write("en_OBDII.txt", "P0001 " + longText.toStdString() + "\r\nP0002 Short one\r\n");
    auto view = loadedView();
    KorvoUpdateTableView* table = view->tableView();
    auto* longCell = qobject_cast<KorvoUpdateTableCellView*>(table->viewAtColumn(1, 0));
    auto* shortCell = qobject_cast<KorvoUpdateTableCellView*>(table->viewAtColumn(1, 1));
    ASSERT_TRUE(longCell && shortCell);
    EXPECT_EQ(longCell->stringValue(), longText);
    const QString shown = longCell->textField1()->text();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)) || shown.endsWith("...")) << shown.toStdString();
    EXPECT_TRUE(longText.startsWith(shown.left(shown.size() - 3)));
    EXPECT_LE(longCell->textField1()->fontMetrics().horizontalAdvance(shown), longCell->textField1()->textAreaWidth());
    EXPECT_EQ(longCell->toolTip(), longText);
    EXPECT_EQ(shortCell->textField1()->text(), "Short one");
    EXPECT_EQ(shortCell->toolTip(), "");

    const QPoint onLong = table->visualRect(table->model()->index(0, 1)).center();
    QHelpEvent tip(QEvent::ToolTip, onLong, table->viewport()->mapToGlobal(onLong));
    QApplication::sendEvent(table->viewport(), &tip);
    EXPECT_EQ(QToolTip::text(), longText);
    const QPoint onShort = table->visualRect(table->model()->index(1, 1)).center();
    QHelpEvent none(QEvent::ToolTip, onShort, table->viewport()->mapToGlobal(onShort));
    QApplication::sendEvent(table->viewport(), &none);
    EXPECT_TRUE(waitUntil([] { return QToolTip::text().isEmpty(); }, 2000));

    // A wider window shows more of it; wide enough, all of it.
    const int before = longCell->textField1()->text().size();
    view->resize(1600, 594);
    EXPECT_GT(longCell->textField1()->text().size(), before);
    view->resize(4000, 594);
    EXPECT_EQ(longCell->textField1()->text(), longText);
    EXPECT_EQ(longCell->toolTip(), "");
}

int caretX(QLineEdit* field) {
    return field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
}

// What the cell takes as the room for its text is room the field really shows it in: a text of that width stays
// whole, the field does not scroll it when the cursor goes to its end.
TEST(TableCell, TextWithinTheTextAreaIsShownWithoutScrolling) {
    KorvoUpdateTableCellView cell;
    cell.resize(300, 33);
    cell.show();
    KorvoUpdateCellTextField* field = cell.textField1();
    const int room = field->textAreaWidth();
    ASSERT_GT(room, 200);
    QString text;
    for (int i = 0; field->fontMetrics().horizontalAdvance(text + "W") <= room; ++i)
        text += i % 3 ? "W" : "i";
    field->setText(text);
    field->setCursorPosition(0);
    field->grab();
    const int start = caretX(field);
    field->setCursorPosition(text.size());
    field->grab();
    EXPECT_EQ(caretX(field) - start, field->fontMetrics().horizontalAdvance(text))
        << "the field scrolled a text that fits its text area";
    // A text a few pixels wider than the area no longer fits: the field scrolls it.
    field->setText(text + "WW");
    ASSERT_GT(field->fontMetrics().horizontalAdvance(text + "WW"), room);
    field->setCursorPosition(0);
    field->grab();
    const int again = caretX(field);
    field->setCursorPosition(text.size() + 2);
    field->grab();
    EXPECT_LT(caretX(field) - again, field->fontMetrics().horizontalAdvance(text + "WW"));
}

TEST_F(SearchView, ALanguageWithoutATableReadsTheEnglishOne) {
    setLanguage("ja");
    auto view = loadedView();
    EXPECT_EQ(view->listModels().size(), 302u);
}

TEST_F(SearchView, GoingAwayWhileTheTableIsReadIsClean) {
    std::string big;
    for (int i = 0; i < 40000; ++i)
        big += "P0301 a long description to keep the reader busy for a while\r\n";
    resources.write("en_OBDII.txt", big);
    for (int i = 0; i < 3; ++i) {
        auto view = std::make_unique<KorvoUpdateSearchDTCView>();
        view.reset();
        desktoptest::spin(20);
    }
    desktoptest::spin(100);
}

} // namespace
