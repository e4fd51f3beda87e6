// The settings page: rows without a text library out of reach of mouse, keys and letters; Apply idle, busy, without
// a selection, with a library gone, with a helper that will not start; the restart helper itself; the skins.
#include "Fixture.h"

#include "CodePage.h"
#include "Pages.h"
#include "Profile.h"
#include "QuenlarkApp.h"
#include "QuenlarkDlg.h"
#include "SkinH.h"
#include "TextIds.h"
#include "TextLibrary.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kDist = QString(PLUVO_DIST_DIR) + "/";

class PluvoSettings : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(program.folder() + "language");
        for (const char* lang : {"en", "de"})
            QFile::copy(kDist + "language/" + lang + "_text.cbf", program.folder() + "language/" + lang + "_text.cbf");
        state.programFolder = program.folder();
        state.setPageTitle = [this](const QString& t) { title = t; };
    }
    void TearDown() override { SkinH_Detach(); }
    void language(int n) { program.dir.write("pluvo.cfg", "[Setting]\r\nLanguage = " + std::to_string(n) + "\r\n"); }
    void make() {
        page = std::make_unique<CSettingPage>(state);
        page->resize(810, 591);
        page->setHelperStarter(
            [this](const QString& program, const QStringList& args, const QString& folder, QString& why) {
                started << program + " " + args.join(' ') + " in " + folder;
                why = "not found";
                return helperStarts;
            });
        page->OnInitDialog([this](int l) { dtcLoads << l; });
        page->show();
    }
    int stored(const char* key) const {
        return CProfile::CTextFile::GetConfigInt(program.folder() + "pluvo.cfg", "Setting", key, -1);
    }
    CRadioListBox* list() const { return page->languageList(); }
    void key(int k) { QTest::keyClick(list(), Qt::Key(k)); }
    void letter(const char* s) { QTest::keyClicks(list(), s); }

    ProgramFolder program;
    DeviceState state;
    QString title;
    QStringList started;
    QList<int> dtcLoads;
    bool helperStarts = true;
    std::unique_ptr<CSettingPage> page;
};
} // namespace

TEST_F(PluvoSettings, RowsWithoutALibraryCannotBeReachedByMouseKeysOrLetters) {
    language(0);
    // French is there, but its records are damaged: every text would come out empty.
    ASSERT_TRUE(writeHollowLibrary(kDist + "language/fr_text.cbf", program.folder() + "language/fr_text.cbf"));
    make();
    ASSERT_EQ(list()->count(), 11);
    for (int r = 0; r < 11; ++r)
        EXPECT_EQ(list()->isAvailable(r), r == 0 || r == 3) << r;
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_EQ(dtcLoads, QList<int>{0});

    key(Qt::Key_Down);
    EXPECT_EQ(list()->selectedRow(), 3) << "two unavailable rows skipped";
    key(Qt::Key_Down);
    EXPECT_EQ(list()->selectedRow(), 3) << "nothing available further on";
    key(Qt::Key_End);
    EXPECT_EQ(list()->selectedRow(), 3);
    key(Qt::Key_Up);
    EXPECT_EQ(list()->selectedRow(), 0);
    key(Qt::Key_Left);
    EXPECT_EQ(list()->selectedRow(), 0);
    key(Qt::Key_Right);
    EXPECT_EQ(list()->selectedRow(), 3);
    key(Qt::Key_Home);
    EXPECT_EQ(list()->selectedRow(), 0);
    key(Qt::Key_PageDown);
    EXPECT_EQ(list()->selectedRow(), 0);
    for (const char* s : {"f", "M", "r", "S", "P"}) {
        letter(s);
        EXPECT_EQ(list()->selectedRow(), 0) << s;
    }
    letter("d");
    EXPECT_EQ(list()->selectedRow(), 3);
    EXPECT_EQ(title, pluvo::adsGetStdText_CString(MakeTextId(textid::Std(0x39))));
    letter("e");
    EXPECT_EQ(list()->selectedRow(), 0);

    // A click on an unavailable row, or below the last, selects nothing new.
    const QRect magyar = list()->visualItemRect(list()->item(9));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, magyar.center());
    EXPECT_EQ(list()->selectedRow(), 0);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(list()->item(3)).center());
    EXPECT_EQ(list()->selectedRow(), 3);
}

// Every row shows its radio mark in every skin, an unavailable row's faded but there.
TEST_F(PluvoSettings, EveryRowShowsItsRadioMarkInEverySkin) {
    language(3);
    make();
    const QStringList skins = shippedSkinsAndNone();
    ASSERT_GE(skins.size(), 4);
    for (const QString& skin : skins) {
        SkinH_Detach();
        if (!skin.isEmpty()) {
            ASSERT_EQ(SkinH_AttachEx(skin, "Wib"), kSkinOk);
        }
        QCoreApplication::processEvents();
        const QImage shot = list()->viewport()->grab().toImage();
        for (int r = 0; r < list()->count(); ++r) {
            const QRect row = list()->visualItemRect(list()->item(r));
            if (!shot.rect().contains(row)) continue; // scrolled out of sight
            const QRect mark(row.left() + list()->markIndent(),
                             row.top() + (row.height() - CRadioListBox::kMarkSize) / 2, CRadioListBox::kMarkSize,
                             CRadioListBox::kMarkSize);
            const QColor background = shot.pixelColor(row.left() + 2, row.center().y());
            const int frame = standingOut(shot, mark, background);
            // A full ring is some 80 pixels; an unavailable row's is faded, yet half of it still stands out.
            EXPECT_GE(frame, (list()->isAvailable(r) ? 2 : 1) * CRadioListBox::kMarkSize)
                << "row " << r << (list()->isAvailable(r) ? "" : " (unavailable)") << ", skin " << skin.toStdString();
        }
    }
    SkinH_Detach();
}

TEST_F(PluvoSettings, ApplyWhileIdleStoresAndRestartsWhileBusyOnlyStores) {
    language(0);
    make();
    page->OnBnClickedApply();
    EXPECT_TRUE(started.isEmpty()) << "no change, nothing done";
    list()->selectRow(3);
    EXPECT_TRUE(page->OnBnClickedApply());
    EXPECT_EQ(stored("Language"), 3);
    EXPECT_EQ(started, QStringList{program.folder() + "Assit_VELMOR maroda1 reboot in " + program.folder()});

    language(0);
    make();
    state.busy = true;
    list()->selectRow(3);
    BoxAnswerer boxes(QMessageBox::Ok);
    started.clear();
    EXPECT_FALSE(page->OnBnClickedApply());
    EXPECT_EQ(stored("Language"), 3);
    EXPECT_EQ(boxes.texts, QStringList{pluvo::adsGetStdText_CString(MakeTextId(textid::Std(0x52)))});
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(PluvoSettings, AHelperThatFailsOrALibraryGoneLeavesPluvoOpen) {
    language(0);
    make();
    helperStarts = false;
    list()->selectRow(3);
    BoxAnswerer boxes(QMessageBox::Ok);
    EXPECT_FALSE(page->OnBnClickedApply());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0], pluvo::adsGetStdText_CString(MakeTextId(textid::kRestartFailed)));
    EXPECT_TRUE(page->isVisible());

    language(0);
    make();
    list()->selectRow(3);
    QFile::remove(program.folder() + "language/de_text.cbf");
    started.clear();
    EXPECT_FALSE(page->OnBnClickedApply());
    EXPECT_EQ(stored("Language"), 0);
    EXPECT_FALSE(list()->isAvailable(3));
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(PluvoSettings, StoredNumbersSelectTheirRowsOrNone) {
    QFile::copy(kDist + "language/hu_text.cbf", program.folder() + "language/HU_TEXT.CBF");
    language(9);
    make();
    EXPECT_TRUE(list()->isAvailable(9)) << "found in any letter case";
    EXPECT_EQ(list()->selectedRow(), 9);
    EXPECT_EQ(list()->item(9)->text(), "Magyar");
    EXPECT_EQ(dtcLoads, QList<int>{9});

    language(12);
    make();
    EXPECT_EQ(list()->selectedRow(), -1);
    EXPECT_FALSE(page->OnBnClickedApply());
    EXPECT_EQ(stored("Language"), 12);
    EXPECT_EQ(stored("Skin"), -1);
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(PluvoSettings, ApplyInTheDialogClosesIt) {
    language(0);
    CQuenlarkDlg dlg;
    dlg.state().programFolder = program.folder();
    TempDir none;
    dlg.setScanRoot(none.path());
    dlg.OnInitDialog();
    dlg.show();
    auto* settings = static_cast<CSettingPage*>(dlg.page(CQuenlarkDlg::SettingPage));
    QStringList run;
    settings->setHelperStarter([&](const QString& p, const QStringList& a, const QString&, QString&) {
        run << p + " " + a.join(' ');
        return true;
    });
    dlg.ShowSettingPage();
    settings->languageList()->selectRow(3);
    settings->OnBnClickedApply();
    EXPECT_EQ(run.size(), 1);
    EXPECT_FALSE(dlg.isVisible());
}

// pluvo.cfg cannot be written (here: it is gone; in an installed tree: a folder the user may not write). The
// running program says so in its language, heading included, keeps running and claims nothing was saved.
TEST_F(PluvoSettings, ALanguageThatCannotBeStoredIsSaidSoAndNeitherRestartsNorCountsAsSaved) {
    struct Restore {
        ~Restore() {
            CCodePage::Settle(0);
            pluvo::ResetTextLibrary();
        }
    } restore;
    language(3);
    CCodePage::Settle(3);
    pluvo::ResetTextLibrary();
    CQuenlarkDlg dlg;
    dlg.state().programFolder = program.folder();
    TempDir none;
    dlg.setScanRoot(none.path());
    dlg.OnInitDialog();
    dlg.show();
    auto* settings = static_cast<CSettingPage*>(dlg.page(CQuenlarkDlg::SettingPage));
    QStringList run;
    settings->setHelperStarter([&](const QString& p, const QStringList& a, const QString&, QString&) {
        run << p + " " + a.join(' ');
        return true;
    });
    dlg.ShowSettingPage();
    ASSERT_TRUE(QFile::remove(program.folder() + "pluvo.cfg"));
    const QString heading = pluvo::adsGetStdText_CString(MakeTextId(textid::kWriteError));
    const QString explained = pluvo::adsGetStdText_CString(MakeTextId(textid::kConfigNotSaved));
    for (const bool busy : {false, true}) {
        dlg.state().busy = busy;
        settings->languageList()->selectRow(0);
        BoxAnswerer boxes(QMessageBox::Ok);
        EXPECT_FALSE(settings->OnBnClickedApply());
        EXPECT_EQ(boxes.texts, QStringList{heading}) << "busy " << busy;
        EXPECT_EQ(boxes.informativeTexts, QStringList{explained});
        EXPECT_TRUE(run.isEmpty());
        EXPECT_TRUE(dlg.isVisible());
    }
    dlg.state().busy = false;
}

TEST(PluvoRestartHelper, StartsPluvoOnceTheFirstHasEnded) {
    TempDir folder, runtime;
    // The helper starts the pluvo beside it: copies of it and its library, and a pluvo that leaves a mark.
    const QString dir = QString::fromStdString(folder.path()) + "/";
    ASSERT_TRUE(QFile::copy(kDist + "Assit_VELMOR", dir + "Assit_VELMOR"));
    ASSERT_TRUE(QFile::copy(kDist + "libpluvotext.so", dir + "libpluvotext.so"));
    QFile::setPermissions(dir + "Assit_VELMOR", QFile::permissions(kDist + "Assit_VELMOR"));
    folder.write("pluvo", std::string("#!/bin/sh\npwd > started.txt\n"));
    ::chmod((dir + "pluvo").toLocal8Bit().constData(), 0755);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    const QString lock = QString::fromStdString(runtime.path()) + "/" + CQuenlarkApp::kInstanceLockName;
    const int held = ::open(lock.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);

    QProcess helper;
    helper.setProcessEnvironment(env);
    helper.start(dir + "Assit_VELMOR", {"maroda1", "reboot"});
    ASSERT_TRUE(helper.waitForStarted(5000));
    QThread::msleep(400);
    EXPECT_FALSE(QFile::exists(dir + "started.txt")) << "pluvo still runs";
    ::close(held); // pluvo ends
    ASSERT_TRUE(helper.waitForFinished(5000));
    EXPECT_EQ(helper.exitCode(), 0) << helper.readAllStandardError().toStdString();
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(dir + "started.txt"); }, 5000));
    QFile mark(dir + "started.txt");
    ASSERT_TRUE(mark.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(mark.readAll()).trimmed() + "/", QDir(dir).canonicalPath() + "/");

    QProcess wrong;
    wrong.setProcessEnvironment(env);
    wrong.start(dir + "Assit_VELMOR", {"reboot"});
    ASSERT_TRUE(wrong.waitForFinished(5000));
    EXPECT_EQ(wrong.exitCode(), 2);
}

TEST(PluvoSkin, ASkinStylesTheControlsButNotWhatPaintsItselfAndABadOneChangesNothing) {
    TempDir skins;
    CQuenlarkDlg dlg;
    ProgramFolder program;
    dlg.state().programFolder = program.folder();
    TempDir none;
    dlg.setScanRoot(none.path());
    dlg.OnInitDialog();
    dlg.show();
    SkinH_Detach();
    const QImage plain = dlg.grab().toImage();
    const QRect nav(0, 60, 190, 500);

    skins.write("bad.she", std::string("QPushButton { background: red; "));
    EXPECT_EQ(SkinH_AttachEx(QString::fromStdString(skins.file("bad.she")), "Wib"), kSkinNotASheet);
    EXPECT_EQ(SkinH_AttachEx(QString::fromStdString(skins.file("missing.she")), "Wib"), kSkinUnreadable);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());

    skins.write("loud.she", std::string("QDialog, QWidget { background-color: #ff00ff; color: #00ff00; }\n"
                                        "QPushButton { background-color: #00ffff; }\n"));
    ASSERT_EQ(SkinH_AttachEx(QString::fromStdString(skins.file("loud.she")), "Wib"), kSkinOk);
    EXPECT_EQ(SkinH_SetAero(1), kSkinOk);
    const QImage skinned = dlg.grab().toImage();
    QString firstDifference;
    for (int y = nav.top(); y <= nav.bottom() && firstDifference.isEmpty(); ++y)
        for (int x = nav.left(); x <= nav.right() && firstDifference.isEmpty(); ++x)
            if (skinned.pixel(x, y) != plain.pixel(x, y)) firstDifference = QString("%1,%2").arg(x).arg(y);
    EXPECT_TRUE(firstDifference.isEmpty())
        << "the navigation bar paints itself; differs at " << firstDifference.toStdString();
    SkinH_Detach();

    for (const char* shipped : {"Silver.she", "Black.she", "Blue.she"})
        EXPECT_EQ(SkinH_AttachEx(kDist + "skin/" + shipped, "Wib"), kSkinOk) << shipped;
    SkinH_Detach();
}
