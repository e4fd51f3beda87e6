#include "KorvoUpdateAlert.h"
#include "KorvoUpdateButton.h"
#include "KorvoUpdateButtonItem.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateUserManualView.h"
#include "TempDir.h"
#include "UserDefaults.h"
#include "desktoptest.h"
#include "mainbundle.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

using desktoptest::waitUntil;

namespace {

class ManualView : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(QString::fromStdString(resources.file("Pdf")));
        // The texts of the shipped bundles beside these manuals.
        for (const char* bundle : {"en.lproj", "ru.lproj"})
            QFile::link(desktoptest::resourcesDir() + "/" + bundle, QString::fromStdString(resources.file(bundle)));
        mainbundle::setResourcePath(QString::fromStdString(resources.path()));
        desktoptest::useEnglish();
    }
    void TearDown() override {
        KorvoUpdateUserManualView::setOpenerProgram({});
        mainbundle::setResourcePath(desktoptest::resourcesDir());
        desktoptest::useEnglish();
    }
    void touch(const std::string& name) { resources.write("Pdf/" + name, std::string("%PDF-1.4\n")); }
    // An opener that writes how it was called, then ends with code.
    QString opener(int code) {
        const std::string script = "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > " + tools.file("called") + "\nexit " +
                                   std::to_string(code) + "\n";
        const std::string path = tools.write("opener.sh", script);
        chmod(path.c_str(), 0755);
        return QString::fromStdString(path);
    }
    QString called() {
        QFile f(QString::fromStdString(tools.file("called")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    TempDir resources;
    TempDir tools;
};

TEST_F(ManualView, OneButtonPerVisiblePdfFileInOneRow) {
    touch("Quick Start.pdf");
    touch("KorvoUpdate.v2.pdf");
    touch("notes.txt");
    touch("manualpdf");
    touch("X.PDF");
    touch(".hidden.pdf");
    QDir().mkpath(QString::fromStdString(resources.file("Pdf/folder.pdf")));
    KorvoUpdateUserManualView view;
    view.resize(910, 594);
    ASSERT_EQ(view.buttons().size(), 3u);
    QStringList titles;
    for (KorvoUpdateButtonItem* b : view.buttons())
        titles << b->label()->text();
    EXPECT_EQ(titles, QStringList({"KorvoUpdate.v2", "Quick Start", "manualpdf"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(view.buttons()[size_t(i)]->x(), 15 + 125 * i);
        EXPECT_EQ(view.buttons()[size_t(i)]->y(), 15);
        EXPECT_EQ(view.buttons()[size_t(i)]->width(), 120);
        EXPECT_TRUE(QFileInfo(view.listModels()[i]).isAbsolute());
    }
}

TEST_F(ManualView, AnEmptyOrMissingFolderGivesAnEmptyTab) {
    KorvoUpdateUserManualView empty;
    EXPECT_TRUE(empty.buttons().empty());
    QDir(QString::fromStdString(resources.file("Pdf"))).removeRecursively();
    KorvoUpdateUserManualView missing;
    EXPECT_TRUE(missing.buttons().empty());
}

TEST_F(ManualView, AClickHandsTheAbsolutePathToTheOpenerAsOneArgument) {
    touch("User Manual.pdf");
    KorvoUpdateUserManualView::setOpenerProgram(opener(0));
    KorvoUpdateUserManualView view;
    ASSERT_EQ(view.buttons().size(), 1u);
    QTest::mouseClick(view.buttons()[0]->tabButton(), Qt::LeftButton);
    const QString expected = "1|" + QString::fromStdString(resources.file("Pdf/User Manual.pdf"));
    EXPECT_TRUE(waitUntil([&] { return called() == expected; }, 5000)) << called().toStdString();
    desktoptest::spin(100);
    EXPECT_FALSE(view.failureAlert());
}

TEST_F(ManualView, WhenNothingCanOpenTheManualTheUserIsToldWhatToInstall) {
    touch("a.pdf");
    KorvoUpdateUserManualView::setOpenerProgram(opener(3)); // what xdg-open says when it finds no viewer
    auto view = std::make_unique<KorvoUpdateUserManualView>();
    view->onClick(0);
    ASSERT_TRUE(waitUntil([&] { return view->failureAlert() != nullptr; }, 5000));
    EXPECT_TRUE(view->failureAlert()->messageTextField()->text().contains("xdg-utils"));
    EXPECT_TRUE(view->failureAlert()->messageTextField()->text().contains("PDF viewer"));
    EXPECT_EQ(view->failureAlert()->informationTextField()->text(), "a.pdf");
    view->failureAlert()->btnAction(KorvoUpdateAlert::kReturnOK);

    KorvoUpdateUserManualView::setOpenerProgram(QString::fromStdString(tools.file("no-such-program")));
    auto second = std::make_unique<KorvoUpdateUserManualView>();
    second->onClick(0);
    EXPECT_TRUE(waitUntil([&] { return second->failureAlert() != nullptr; }, 5000));
    second->onClick(5); // no such manual: nothing
    // A view gone before its opener ends is left alone.
    KorvoUpdateUserManualView::setOpenerProgram(opener(3));
    view->onClick(0);
    view.reset();
    desktoptest::spin(500);
}

// The warning speaks the interface language, like every other text of the window, and tells a viewer that started
// and failed (xdg-open ends with 4) from none found (3).
TEST_F(ManualView, TheWarningIsInTheInterfaceLanguage) {
    touch("a.pdf");
    KorvoUpdateUserManualView::setOpenerProgram(opener(3));
    UserDefaults::standardUserDefaults().setObject("ru", kUserLanguageKey);
    KorvoUpdateCommonTool::sharedTool().initBaseBundle();
    KorvoUpdateUserManualView view;
    view.onClick(0);
    const bool shown = waitUntil([&] { return view.failureAlert() != nullptr; }, 5000);
    const QString russian = localizedText("Manual1");
    ASSERT_TRUE(shown);
    EXPECT_TRUE(russian.contains(QString::fromUtf8("руководство")));
    EXPECT_EQ(view.failureAlert()->messageTextField()->text(), russian);
    EXPECT_EQ(view.failureAlert()->okButton()->text(), QString::fromUtf8("ОК"));
    EXPECT_EQ(view.failureAlert()->titleTextField()->text(), QString::fromUtf8("Предупреждение"));

    KorvoUpdateAlert* noViewer = view.failureAlert();
    KorvoUpdateUserManualView::setOpenerProgram(opener(4));
    view.onClick(0);
    ASSERT_TRUE(waitUntil([&] { return view.failureAlert() != noViewer; }, 5000));
    const QString failed = view.failureAlert()->messageTextField()->text();
    EXPECT_EQ(failed, localizedText("Manual2"));
    EXPECT_TRUE(failed.contains(QString::fromUtf8("руководство")));
    EXPECT_NE(failed, russian);
}

TEST(ShippedManuals, EnglishAndGermanManualsTellHowToFlashAndSetUpThePort) {
    const QDir folder(QStringLiteral(KORVO_DIST_RESOURCES) + "/Pdf");
    const QStringList pdfs = folder.entryList({"*.pdf"}, QDir::Files, QDir::Name);
    ASSERT_EQ(pdfs.size(), 2) << pdfs.join(", ").toStdString();
    QStringList texts;
    for (const QString& pdf : pdfs) {
        QProcess p;
        p.start("pdftotext", {folder.filePath(pdf), "-"});
        ASSERT_TRUE(p.waitForFinished(10000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        for (const char* word : {"udev", "ModemManager", "ID_MM_DEVICE_IGNORE", "xdg-utils"})
            EXPECT_TRUE(text.contains(word)) << pdf.toStdString() << " lacks " << word;
        texts << text.simplified().replace(QChar(0xFB02), "fl").replace(QChar(0xFB01), "fi");
    }
    EXPECT_TRUE(texts.join("").contains("When a flash fails"));
    EXPECT_TRUE(texts.join("").contains(QString::fromUtf8("Wenn ein Flashvorgang fehlschlägt")));
}

} // namespace
