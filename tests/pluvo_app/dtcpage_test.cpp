// The DTC page: the shipped tables in their code pages, prefix search, the history in pluvo.cfg, tables that are
// not grouped or hold odd lines, and loading twice.
#include "Fixture.h"

#include "CodePage.h"
#include "Pages.h"
#include "Profile.h"
#include "TextIds.h"
#include "TextLibrary.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
QString own(uint8_t n) {
    return pluvo::adsGetStdText_CString(MakeTextId(textid::Own(n)));
}

class PluvoDtc : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(program.folder() + "dtc");
        page.setProgramFolder(program.folder());
        page.setStatusHandler([this](const QString& s) { status = s; });
        page.resize(810, 591);
    }
    void table(const std::string& lang, const std::string& bytes) {
        program.dir.write("dtc/" + lang + "_OBDII.txt", bytes);
    }
    void config(const std::string& dtcSection) {
        program.dir.write("pluvo.cfg", "[Setting]\r\nLanguage = 0\r\n\r\n[DTC]\r\n" + dtcSection);
    }
    // What the user types, character by character, as the combo's edit sees it.
    void type(const QString& text) {
        QLineEdit* edit = page.combo()->lineEdit();
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
    QString cell(int row, int column) const { return page.list()->item(row, column)->text(); }
    QString selectedCode() const {
        const auto rows = page.list()->selectionModel()->selectedRows();
        return rows.isEmpty() ? QString() : cell(rows.first().row(), 0);
    }
    int history() const {
        return CProfile::CTextFile::GetConfigInt(program.folder() + "pluvo.cfg", "DTC", "HistoryNum", -1);
    }
    ProgramFolder program;
    CSearchDtcPage page;
    QString status;
};

const std::string kTable = "P0100 Mass Air Flow Circuit\r\n"
                           "P0300 Random Misfire\r\n"
                           "P0301 Cylinder 1 Misfire\r\n"
                           "LINE-WITHOUT-A-BLANK\r\n"
                           "C0035 Wheel Speed Sensor\r\n"
                           "B0001 Driver Airbag\r\n"
                           "U0100 Lost Communication With ECM\r\n";
} // namespace

TEST_F(PluvoDtc, ShippedTablesReadInTheirCodePages) {
    // The shipped tables, in a folder of the test's own (searches write the history into its pluvo.cfg).
    QDir().rmdir(program.folder() + "dtc");
    ASSERT_EQ(::symlink(PLUVO_DIST_DIR "/dtc", (program.dir.path() + "/dtc").c_str()), 0);
    struct Case {
        int language;
        const char* word; // a word its P0300 row holds
    };
    for (const Case& c : {Case{0, "Misfire"}, Case{10, "зажигани"}, Case{11, "失火"}, Case{8, "vynechávání"},
                          Case{3, "Fehlzündung"}, Case{9, "gyújtáskimaradás"}}) {
        CCodePage::Settle(c.language);
        ASSERT_TRUE(page.LoadDtcFile(c.language)) << c.language;
        EXPECT_GT(page.codeCount(), 1500) << c.language;
        type("P0300");
        ASSERT_EQ(selectedCode(), "P0300") << c.language;
        const int row = page.selectedRow();
        EXPECT_TRUE(cell(row, 1).contains(QString::fromUtf8(c.word), Qt::CaseInsensitive))
            << c.language << " " << cell(row, 1).toStdString();
        for (int r = 0; r < page.codeCount(); r += 97)
            EXPECT_FALSE(cell(r, 1).contains('\r') || cell(r, 1).contains(QChar(0xFFFD))) << c.language << " " << r;
    }
    CCodePage::Settle(0);
    // A language without a table of its own reads the English one; loading again gives no duplicate rows.
    const int english = page.codeCount();
    ASSERT_TRUE(page.LoadDtcFile(42));
    ASSERT_TRUE(page.LoadDtcFile(0));
    EXPECT_EQ(page.list()->rowCount(), english);
}

TEST_F(PluvoDtc, TypingUpperCasesAndSelectsTheFirstCodeWithThatPrefixAtTheTop) {
    table("en", kTable);
    config("HistoryNum = 0\r\n");
    page.OnInitDialog();
    ASSERT_EQ(page.codeCount(), 6);
    type("p0");
    EXPECT_EQ(page.combo()->currentText(), "P0");
    EXPECT_EQ(selectedCode(), "P0100");
    EXPECT_EQ(status, own(0x01) + " 1");
    type("p03");
    EXPECT_EQ(selectedCode(), "P0300");
    EXPECT_EQ(status, own(0x01) + " 2");
    EXPECT_EQ(page.combo()->count(), 0) << "typing inserts nothing into the list";
    EXPECT_EQ(history(), 0) << "short codes are never remembered";
    // A line without a blank neither makes a row nor shifts the rows after it.
    type("u01");
    EXPECT_EQ(selectedCode(), "U0100");
    EXPECT_EQ(status, own(0x01) + " 7");
    page.OnNMClickDtcList(3);
    EXPECT_EQ(status, "C0035  Wheel Speed Sensor");
    type("X1");
    EXPECT_EQ(status, own(0x02));
    EXPECT_TRUE(page.list()->selectedItems().isEmpty()) << "no row of the last search stays marked";
    type("p03");
    ASSERT_EQ(selectedCode(), "P0300");
    type("P9");
    EXPECT_EQ(status, own(0x02));
    EXPECT_TRUE(page.list()->selectedItems().isEmpty());
}

TEST_F(PluvoDtc, AFullCodeIsRememberedOnceAndTwentyIsTheCap) {
    std::string many;
    for (int i = 0; i < 30; ++i)
        many += QString("P1%1 Code %1\r\n").arg(i, 3, 10, QChar('0')).toStdString();
    table("en", kTable + many);
    config("HistoryNum = 2\r\nHistoryNum01 = P030\r\nHistoryNum02 = P0301\r\n");
    page.OnInitDialog();
    EXPECT_EQ(page.combo()->count(), 1) << "an entry of 4 characters is not loaded";
    EXPECT_EQ(page.history(), std::set<QString>{"P0301"});

    type("P0300");
    EXPECT_EQ(history(), 3);
    EXPECT_EQ(CProfile::CTextFile::GetConfigString(program.folder() + "pluvo.cfg", "DTC", "HistoryNum03", ""), "P0300");
    type("P0300");
    EXPECT_EQ(history(), 3) << "recorded once";
    EXPECT_EQ(page.combo()->count(), 2);
    type("P0301");
    EXPECT_EQ(history(), 3);

    config("HistoryNum = 0\r\n");
    page.OnInitDialog();
    for (int i = 0; i < 25; ++i)
        type(QString("P1%1").arg(i, 3, 10, QChar('0')));
    EXPECT_EQ(int(page.history().size()), 20);
    EXPECT_EQ(page.combo()->count(), 20);
    EXPECT_EQ(history(), 20);
    EXPECT_EQ(status, own(0x01) + " 32") << "a code past the cap is still found";

    // A history entry picked from the list is looked up directly and leaves the history as it was.
    page.OnCbnSelchangeDtcCombo(0);
    EXPECT_EQ(selectedCode(), page.combo()->itemText(0));
    EXPECT_EQ(history(), 20);
}

TEST_F(PluvoDtc, UngroupedTablesLongLinesAndAMissingFile) {
    // U codes before P codes, no C group, a line longer than any fixed buffer, LF line ends.
    const std::string longDescription(5000, 'x');
    table("en",
          "U0100 Lost Communication\nP0300 Misfire\nB0001 Airbag\nP0420 Catalyst " + longDescription + "\nP0100 MAF\n");
    config("HistoryNum = 0\r\n");
    page.OnInitDialog();
    type("U");
    EXPECT_EQ(selectedCode(), "U0100");
    type("P04");
    EXPECT_EQ(selectedCode(), "P0420");
    EXPECT_EQ(cell(page.selectedRow(), 1), QString::fromStdString("Catalyst " + longDescription));
    type("P0");
    EXPECT_EQ(selectedCode(), "P0100") << "the first code in code order";
    type("C");
    EXPECT_EQ(status, own(0x02));

    QFile::remove(program.folder() + "dtc/en_OBDII.txt");
    EXPECT_FALSE(page.LoadDtcFile(0));
    EXPECT_EQ(page.list()->rowCount(), 0);
    type("P0300");
    EXPECT_EQ(status, own(0x02));
    EXPECT_EQ(history(), 0);
}
