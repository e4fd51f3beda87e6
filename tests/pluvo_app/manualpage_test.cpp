// The manual page: what the folder lists, and a document the desktop has no program for, opened by the shipped
// viewer with its absolute path as one argument, or refused in a box.
#include "Fixture.h"

#include "CodePage.h"
#include "Pages.h"
#include "TextIds.h"
#include "TextLibrary.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {
// The desktop's MIME associations come from these folders only: the system's MIME types without any programs.
struct NoAssociations {
    NoAssociations() {
        for (const char* v :
             {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_CURRENT_DESKTOP"}) {
            const char* old = std::getenv(v);
            saved.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
        }
        ::setenv("XDG_DATA_HOME", (xdg.path() + "/data").c_str(), 1);
        ::mkdir((xdg.path() + "/dirs").c_str(), 0755);
        ::symlink("/usr/share/mime", (xdg.path() + "/dirs/mime").c_str());
        ::setenv("XDG_DATA_DIRS", (xdg.path() + "/dirs").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (xdg.path() + "/config").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (xdg.path() + "/configdirs").c_str(), 1);
        ::unsetenv("XDG_CURRENT_DESKTOP");
    }
    ~NoAssociations() {
        for (const auto& [name, value] : saved)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }
    TempDir xdg;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

class PluvoManual : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(program.folder() + "manual");
        page.setProgramFolder(program.folder());
        page.setStatusHandler([this](const QString& s) { status = s; });
    }
    std::string manual(const std::string& name) const { return program.dir.path() + "/manual/" + name; }
    // A viewer that writes each argument it got on a line of its own into args.txt beside it.
    void viewer(const std::string& name) {
        program.dir.write("manual/" + name, std::string("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > "
                                                        "\"$(dirname \"$0\")/args.txt\"\n"));
        ::chmod(manual(name).c_str(), 0755);
    }
    QStringList items() const {
        QStringList names;
        for (int i = 0; i < page.list()->count(); ++i)
            names << page.list()->item(i)->text();
        return names;
    }
    ProgramFolder program;
    CMannualPage page;
    QString status;
    NoAssociations noAssociations;
};
} // namespace

TEST_F(PluvoManual, ListsDocumentsAndNotTheViewerShortNamesOrFolders) {
    program.dir.write("manual/guide.pdf", std::string("%PDF-1.4\n"));
    program.dir.write("manual/a.pd", std::string("x"));
    QDir().mkpath(program.folder() + "manual/old manuals");
    viewer("reader");
    page.OnInitDialog();
    EXPECT_EQ(items(), QStringList{"guide.pdf"});
    EXPECT_EQ(page.viewer(), "reader");
    EXPECT_EQ(page.list()->gridSize(), QSize(150, 80));
    EXPECT_EQ(page.list()->viewMode(), QListView::IconMode);
    EXPECT_FALSE(page.list()->item(0)->icon().isNull());
    page.OnNMClickManualList(page.list()->item(0));
    EXPECT_EQ(status, "guide.pdf");
    page.OnNMClickManualList(nullptr);
    EXPECT_EQ(status, pluvo::adsGetStdText_CString(MakeTextId(textid::Own(0x04))));

    QFile::remove(program.folder() + "manual/guide.pdf");
    page.OnInitDialog();
    EXPECT_TRUE(items().isEmpty()) << "listed anew";
}

// A label wider than its cell wraps on two lines under the icon, measured with the font the list draws in.
TEST_F(PluvoManual, ALongLabelWrapsOnTwoLinesAndOnlyWhatIsLeftAfterThemIsCut) {
    const QString name = "pluvo User Manual.pdf";
    program.dir.write("manual/" + name.toStdString(), std::string("%PDF-1.4\n"));
    page.resize(810, 591);
    page.OnInitDialog();
    page.show();
    QListWidget* list = page.list();
    ASSERT_EQ(list->count(), 1);
    const QRect label = CMannualPage::LabelRect(list->visualItemRect(list->item(0)));
    const QFontMetrics metrics(list->font());
    ASSERT_GT(metrics.horizontalAdvance(name), label.width()) << "the label must need two lines here";
    const QStringList lines = CMannualPage::LabelLines(name, list->font(), label.width());
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.join(' '), name) << "nothing cut";
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), label.width()) << line.toStdString();
    EXPECT_LE(2 * metrics.lineSpacing(), label.height());

    // On screen: two bands of text under the icon.
    const QImage shot = list->viewport()->grab().toImage();
    int bands = 0;
    bool inBand = false;
    for (int y = label.top(); y <= std::min(label.bottom(), shot.height() - 1); ++y) {
        bool ink = false;
        for (int x = label.left(); x <= label.right() && !ink; ++x)
            ink = qGray(shot.pixel(x, y)) < 128;
        if (ink && !inBand) ++bands;
        inBand = ink;
    }
    EXPECT_EQ(bands, 2);

    // A label for more than two lines keeps the first and ends the second with an ellipsis.
    const QString longer = "pluvo User Manual for every scan tool of the family.pdf";
    const QStringList cut = CMannualPage::LabelLines(longer, list->font(), label.width());
    ASSERT_EQ(cut.size(), 2);
    EXPECT_TRUE(longer.startsWith(cut[0]));
    EXPECT_TRUE(cut[1].endsWith(QChar(0x2026))) << cut[1].toStdString();
}

// Files copied from a FAT stick all carry the executable bit: a document among them is still a document.
TEST_F(PluvoManual, AnExecutableDocumentIsListedAndNotTakenForTheViewer) {
    viewer("reader");
    program.dir.write("manual/guide.pdf", std::string("%PDF-1.4\n"));
    ::chmod(manual("guide.pdf").c_str(), 0755);
    page.OnInitDialog();
    EXPECT_EQ(items(), QStringList{"guide.pdf"});
    EXPECT_EQ(page.viewer(), "reader");
}

TEST_F(PluvoManual, WithoutAnAssociationTheViewerGetsTheAbsolutePathAsOneArgument) {
    const std::string name = "pluvo \"User\" Manual; $(x).pdf";
    program.dir.write("manual/" + name, std::string("%PDF-1.4\n"));
    viewer("reader.sh");
    page.OnInitDialog();
    ASSERT_EQ(items().size(), 1);
    EXPECT_TRUE(CMannualPage::DefaultApplication(QString::fromStdString(manual(name))).isEmpty());
    ASSERT_TRUE(page.OnNMDblclkManualList(page.list()->item(0)));
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(QString::fromStdString(manual("args.txt"))); }, 5000));
    QThread::msleep(100);
    QFile args(QString::fromStdString(manual("args.txt")));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll()), QDir(QString::fromStdString(manual(name))).absolutePath() + "\n");
}

// The boxes speak the interface language, every word of them.
TEST_F(PluvoManual, WithoutAnAssociationOrAViewerABoxSaysWhy) {
    struct German {
        German() {
            CCodePage::Settle(3);
            pluvo::ResetTextLibrary();
        }
        ~German() {
            CCodePage::Settle(0);
            pluvo::ResetTextLibrary();
        }
    } german;
    const auto library = [](const TextId& id) { return pluvo::adsGetStdText_CString(MakeTextId(id)); };
    ASSERT_EQ(library(textid::kManualOpenError),
              QString::fromUtf8("Kein Programm kann dieses Dokument öffnen. Fehler"));
    program.dir.write("manual/guide.pdf", std::string("%PDF-1.4\n"));
    page.OnInitDialog();
    BoxAnswerer boxes(QMessageBox::Ok);
    EXPECT_FALSE(page.OnNMDblclkManualList(page.list()->item(0)));
    EXPECT_EQ(boxes.texts, QStringList{library(textid::kManualOpenError) + " : 1155"});

    // A viewer that is a broken program: it looks like one, and the system will not run it.
    std::string broken(64, '\0');
    broken.replace(0, 7,
                   "\x7f"
                   "ELF\x02\x01\x01");
    broken[16] = 2; // an executable
    program.dir.write("manual/reader", broken);
    ::chmod(manual("reader").c_str(), 0755);
    page.OnInitDialog();
    ASSERT_EQ(page.viewer(), "reader");
    EXPECT_FALSE(page.OnNMDblclkManualList(page.list()->item(0)));
    EXPECT_EQ(boxes.texts.value(1), library(textid::kManualProgramFailed));
}
