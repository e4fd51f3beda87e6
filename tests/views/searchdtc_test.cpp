#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateSearchDTCView.h"
#include "KorvoUpdateSearchField.h"
#include "TempDir.h"
#include "UserDefaults.h"
#include "desktoptest.h"
#include "mainbundle.h"

#include <QComboBox>
#include <QTest>

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
    view->tableView()->selectRowIndexes({3}, false);
    // The same item chosen twice in a row searches twice.
    emit view->popUpButton()->activated(1);
    EXPECT_EQ(selected(*view), 20);
    view->popUpButtonAction(0);
    EXPECT_EQ(selected(*view), 10);
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
