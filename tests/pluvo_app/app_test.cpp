// Start-up pieces: the language check, the pictures, the device watcher, and closing while a flash runs.
#include "Fixture.h"

#include "DeviceWatcher.h"
#include "PngResource.h"
#include "ProListCtrl.h"
#include "QuenlarkApp.h"
#include "QuenlarkDlg.h"
#include "SupportPage.h"
#include "UpdatePage.h"
#include "serial.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
void setLanguage(ProgramFolder& p, int language) {
    p.dir.write("pluvo.cfg", "[Setting]\r\nLanguage = " + std::to_string(language) + "\r\n");
}
} // namespace

TEST(PluvoStartUp, TheConfiguredLanguagesLibraryMustOpen) {
    ProgramFolder program;
    QDir().mkpath(program.folder() + "language");
    const QString dist = QStringLiteral(PLUVO_DIST_DIR) + "/language/";
    // Slovak (4) shipped under another letter case: the library's own opener finds it.
    ASSERT_TRUE(QFile::copy(dist + "sk_text.cbf", program.folder() + "language/SK_TEXT.cbf"));
    ASSERT_TRUE(QFile::copy(dist + "en_text.cbf", program.folder() + "language/en_text.cbf"));
    setLanguage(program, 4);
    EXPECT_TRUE(CQuenlarkApp::CheckLanguage(program.folder(), false));
    // Czech (8) is missing: whatever else is there, start-up refuses, with the box.
    setLanguage(program, 8);
    {
        BoxAnswerer boxes(QMessageBox::Ok);
        EXPECT_FALSE(CQuenlarkApp::CheckLanguage(program.folder(), true));
        EXPECT_EQ(boxes.texts, QStringList{"Language error"});
    }
    // German (3) whose records are damaged: it opens, yet reads back nothing, so it counts as missing.
    ASSERT_TRUE(writeHollowLibrary(dist + "de_text.cbf", program.folder() + "language/de_text.cbf"));
    setLanguage(program, 3);
    {
        BoxAnswerer boxes(QMessageBox::Ok);
        EXPECT_FALSE(CQuenlarkApp::CheckLanguage(program.folder(), true));
        EXPECT_EQ(boxes.texts, QStringList{"Language error"});
    }
    // 13 is Slovak too; 99 falls back to English.
    setLanguage(program, 13);
    EXPECT_TRUE(CQuenlarkApp::CheckLanguage(program.folder(), false));
    setLanguage(program, 99);
    EXPECT_TRUE(CQuenlarkApp::CheckLanguage(program.folder(), false));
    setLanguage(program, 11);
    EXPECT_FALSE(CQuenlarkApp::CheckLanguage(program.folder(), false));
    EXPECT_TRUE(CQuenlarkApp::doubleByteLanguage());
    setLanguage(program, 0);
    EXPECT_TRUE(CQuenlarkApp::CheckLanguage(program.folder(), false));
    EXPECT_FALSE(CQuenlarkApp::doubleByteLanguage());
}

TEST(PluvoStartUp, PicturesAreResources) {
    for (int id : {128, 133, 135, 136, 137, 138, 139, 140, 201, 202, 209, 218, 220, 221, 227})
        EXPECT_FALSE(LoadPngResource(id).isNull()) << id;
    EXPECT_TRUE(LoadPngResource(4711).isNull());
    EXPECT_EQ(LoadPngResource(201).width(), 188) << "four 47-pixel states";
    EXPECT_EQ(LoadPngResource(139).size(), QSize(24, 24));
    CSupportPage support;
    support.OnInitDialog();
    EXPECT_FALSE(support.picture().isNull());
}

TEST(PluvoStartUp, DeviceFolderChangesComeAsOneSignal) {
    TempDir devices;
    ::setenv(serial::kDeviceDirEnv, devices.path().c_str(), 1);
    {
        DeviceWatcher watcher;
        QSignalSpy spy(&watcher, &DeviceWatcher::changed);
        auto sim = startSim(devices.path(), "QM82");
        ASSERT_TRUE(sim);
        sim->stop();
        ASSERT_TRUE(sim->start());
        EXPECT_TRUE(waitUntil([&] { return spy.count() > 0; }, 3000));
        QTest::qWait(DeviceWatcher::kCoalesceMs * 2);
        EXPECT_EQ(spy.count(), 1);
    }
    ::unsetenv(serial::kDeviceDirEnv);
}

TEST(PluvoStartUp, YesToCloseWhileFlashingStopsTheWorkerAndEnds) {
    TempDir devices, emptyRoot;
    ProgramFolder program;
    ::setenv(serial::kDeviceDirEnv, devices.path().c_str(), 1);
    writeBytes(program.update("QM82_V3.00_EN_20240601.bin"), makePackage(randomBytes(6000, 41), {}));
    auto sim = startSim(devices.path(), "QM82");
    ASSERT_TRUE(sim);
    sim->addFault({ScanToolSim::Step::Erase, ScanToolSim::FaultKind::Silent}); // the erase waits 50 s
    {
        CQuenlarkDlg dlg;
        dlg.state().programFolder = program.folder();
        dlg.setScanRoot(emptyRoot.path());
        dlg.OnInitDialog();
        dlg.show();
        BoxAnswerer boxes(QMessageBox::Yes);
        dlg.updatePage()->list()->item(0, 0)->setCheckState(Qt::Checked);
        ASSERT_TRUE(waitUntil([&] { return sim->frames().size() >= 4; }, 3000));
        QElapsedTimer t;
        t.start();
        EXPECT_TRUE(dlg.OnClose());
        EXPECT_LT(t.elapsed(), 2000);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_FALSE(dlg.updatePage()->workerRunning());
        EXPECT_EQ(boxes.texts, (QStringList{textOf(0x50), textOf(0x51)}));
    }
    ::unsetenv(serial::kDeviceDirEnv);
}
