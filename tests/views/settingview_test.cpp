#include "DevicePort.h"
#include "KorvoUpdateAlert.h"
#include "KorvoUpdateButton.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateFlashRunner.h"
#include "KorvoUpdateImageView.h"
#include "KorvoUpdateMainViewController.h"
#include "KorvoUpdateSearchDTCView.h"
#include "KorvoUpdateSettingView.h"
#include "KorvoUpdateSoftwareView.h"
#include "KorvoUpdateWindow.h"
#include "NotificationCenter.h"
#include "ScanToolSim.h"
#include "TempDir.h"
#include "UserDefaults.h"
#include "desktoptest.h"
#include "mainbundle.h"

#include <QPointer>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

using desktoptest::spin;
using desktoptest::waitUntil;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        desktoptest::clearDefaults();
        mainbundle::setResourcePath(QStringLiteral(KORVO_DIST_RESOURCES));
        setenv("SCANTOOL_SERIAL_DIR", devices.path().c_str(), 1);
        setLanguage("en");
    }
    void TearDown() override {
        window.reset();
        // A replaced controller goes through the event loop, which a test does not run.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(KorvoUpdateFlashRunner::stopAndWait(5000));
        KorvoUpdateFlashRunner::setFlashForTesting({});
        DevicePort::sharedManager().closeSerialPort();
        DevicePort::sharedManager().setCurName("");
        if (sim) sim->stop();
        unsetenv("SCANTOOL_SERIAL_DIR");
        mainbundle::setResourcePath(desktoptest::resourcesDir());
        desktoptest::clearDefaults();
        UserDefaults::standardUserDefaults().setObject("en", kUserLanguageKey);
        KorvoUpdateCommonTool::sharedTool().initBaseBundle();
    }
    void setLanguage(const QString& code) {
        UserDefaults::standardUserDefaults().setObject(code, kUserLanguageKey);
        KorvoUpdateCommonTool::sharedTool().initBaseBundle();
    }
    KorvoUpdateMainViewController* openWindow() {
        window = std::make_unique<KorvoUpdateWindow>();
        window->setContentViewController(std::make_unique<KorvoUpdateMainViewController>());
        window->show();
        return controller();
    }
    KorvoUpdateMainViewController* controller() const {
        return static_cast<KorvoUpdateMainViewController*>(window->contentViewController());
    }
    QRadioButton* button(KorvoUpdateSettingView* view, const QString& title) {
        for (QRadioButton* b : view->btnList())
            if (b->text() == title) return b;
        return nullptr;
    }
    void startTool() {
        ScanToolSim::Options o;
        o.deviceDir = devices.path();
        sim = std::make_unique<ScanToolSim>(o);
        ASSERT_TRUE(sim->start()) << sim->lastError();
    }

    TempDir devices;
    std::unique_ptr<ScanToolSim> sim;
    std::unique_ptr<KorvoUpdateWindow> window;
};

TEST_F(Settings, TenLanguagesTwoToARowWithTheStoredOneChecked) {
    setLanguage("sv");
    KorvoUpdateSettingView view;
    view.resize(910, 594);
    view.show();
    ASSERT_EQ(view.btnList().size(), 10u);
    QStringList titles;
    for (QRadioButton* b : view.btnList())
        titles << b->text();
    EXPECT_EQ(titles, KorvoUpdateCommonTool::appSupportLanguagesNameOrder());
    for (QRadioButton* b : view.btnList())
        EXPECT_EQ(b->isChecked(), b->text() == "Svenska") << b->text().toStdString();
    EXPECT_EQ(view.lanCode(), "sv");
    EXPECT_EQ(view.lastButton()->text(), localizedText("Settings1"));

    ASSERT_EQ(view.itemList().size(), 6u);
    const int band = (594 - 60) / 6;
    EXPECT_EQ(view.itemList()[5]->geometry(), QRect(0, 5 * band, 910, band));
    EXPECT_EQ(view.btnList()[0]->geometry(), QRect(0, 0, 435, band));
    EXPECT_EQ(view.btnList()[1]->geometry(), QRect(870 - 435, 0, 435, band));
    EXPECT_EQ(view.btnList()[9]->geometry().top(), 4 * band) << "the sixth band stays empty";
    EXPECT_EQ(view.lastButton()->geometry(), QRect(380, 10, 150, 40));

    button(&view, "Deutsch")->click();
    EXPECT_EQ(view.lanCode(), "de");
    EXPECT_FALSE(button(&view, "Svenska")->isChecked());
}

TEST_F(Settings, ALanguageOutsideTheTenChecksNothingAndApplyKeepsIt) {
    UserDefaults::standardUserDefaults().setObject("ja", kUserLanguageKey);
    KorvoUpdateSettingView view;
    for (QRadioButton* b : view.btnList())
        EXPECT_FALSE(b->isChecked());
    int rebuilds = 0;
    view.setResetMainAppCompletion([&] { ++rebuilds; });
    view.applyAction();
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(KorvoUpdateCommonTool::sharedTool().userLanguage(), "ja");
}

TEST_F(Settings, ApplyRebuildsEveryTabInTheNewLanguage) {
    KorvoUpdateMainViewController* old = openWindow();
    QPointer<KorvoUpdateMainViewController> oldController(old);
    QPointer<KorvoUpdatePrintInfoView> oldPrint(old->printView());
    old->printView()->didGetReceiveData("captured before");
    KorvoUpdateSettingView* settings = old->settingView();
    ASSERT_TRUE(settings);
    button(settings, "Deutsch")->click();
    QTest::mouseClick(settings->lastButton(), Qt::LeftButton);

    EXPECT_EQ(KorvoUpdateCommonTool::sharedTool().userLanguage(), "de");
    KorvoUpdateMainViewController* fresh = controller();
    ASSERT_NE(fresh, old);
    // Released from the event loop (a test has none running, so its deferred deletions are sent here).
    EXPECT_TRUE(waitUntil(
        [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return oldController.isNull();
        },
        2000))
        << "the old controller is released";
    EXPECT_TRUE(oldPrint.isNull());
    EXPECT_TRUE(fresh->isPortKeeper());

    EXPECT_EQ(fresh->items()[0].title, "Aktualisierung");
    EXPECT_EQ(fresh->items()[1].title, "Berichte");
    EXPECT_EQ(fresh->printView()->printButton()->text(), "Drucken");
    EXPECT_EQ(fresh->printView()->text(), "");
    EXPECT_EQ(fresh->settingView()->lastButton()->text(), QString::fromUtf8("Übernehmen"));
    EXPECT_TRUE(button(fresh->settingView(), "Deutsch")->isChecked());
    ASSERT_TRUE(waitUntil([&] { return fresh->searchDTCView()->isLoaded(); }, 5000));
    ASSERT_FALSE(fresh->searchDTCView()->listModels().empty());
    EXPECT_EQ(fresh->searchDTCView()->listModels()[0].codeDes,
              QString::fromUtf8("Luftmassen-/Luftmengenmesser A, Stromkreis"));
    EXPECT_EQ(fresh->myUpdatesView()->bgImage()->image(),
              QImage(QStringLiteral(KORVO_DIST_RESOURCES) + "/de_guide.jpg"));

    // Only the new report view takes report text now.
    NotificationCenter::defaultCenter().post(kDidGetPrintData, nullptr, {{kReceiveDataKey, QByteArray("report")}});
    EXPECT_EQ(fresh->printView()->text(), "report");
}

TEST_F(Settings, DuringAFlashApplyAsksAndOnlyOkEndsTheFlashAndProbesAgain) {
    startTool();
    KorvoUpdateFlashRunner::setFlashForTesting([](const QString&) {
        while (DevicePort::sharedManager().pauseUnlessAborted(5)) {
        }
    });
    KorvoUpdateMainViewController* old = openWindow();
    ASSERT_TRUE(sim->waitFor([&] { return sim->probes() == 1; }, 3000));
    old->softwareItemClick("/pkg.bin", 0);
    ASSERT_TRUE(DevicePort::sharedManager().isUpdating());

    KorvoUpdateSettingView* settings = old->settingView();
    button(settings, "Deutsch")->click();
    settings->applyAction();
    ASSERT_TRUE(settings->alert());
    EXPECT_TRUE(settings->alert()->isVisible());
    QTest::mouseClick(settings->alert()->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(controller(), old);
    EXPECT_EQ(KorvoUpdateCommonTool::sharedTool().userLanguage(), "en");
    EXPECT_TRUE(KorvoUpdateFlashRunner::isRunning());

    settings->applyAction();
    QTest::mouseClick(settings->alert()->okButton(), Qt::LeftButton);
    EXPECT_EQ(KorvoUpdateCommonTool::sharedTool().userLanguage(), "de");
    EXPECT_NE(controller(), old);
    EXPECT_TRUE(waitUntil([&] { return !KorvoUpdateFlashRunner::isRunning(); }, 3000));
    EXPECT_TRUE(waitUntil([&] { return sim->probes() == 2; }, 3000)) << "the port reopens and the tool is probed";
    EXPECT_TRUE(DevicePort::sharedManager().isOpenPort());
    EXPECT_EQ(controller()->items()[4].title, "Sprache");
}

} // namespace
