#include "DevicePort.h"
#include "KorvoUpdateAlert.h"
#include "KorvoUpdateDownloadButton.h"
#include "KorvoUpdateFlashRunner.h"
#include "KorvoUpdateImageView.h"
#include "KorvoUpdateMainViewController.h"
#include "KorvoUpdateMyUpdatesTableRowView.h"
#include "KorvoUpdateSendProc.h"
#include "KorvoUpdateSoftwareView.h"
#include "NotificationCenter.h"
#include "ScanToolSim.h"
#include "TempDir.h"
#include "desktoptest.h"
#include "mainbundle.h"
#include "package.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

using desktoptest::waitUntil;
using Model = KorvoUpdateMyUpdatesListModel;

namespace {

std::vector<QString> versions(const Model::Rows& rows) {
    std::vector<QString> v;
    for (const auto& r : rows)
        v.push_back(r->version);
    return v;
}

// A resource folder with the shipped resources and an Update folder of the test's own.
class Resources {
public:
    Resources() {
        const QDir source(desktoptest::resourcesDir());
        for (const QString& name : source.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            QFile::link(source.filePath(name), QString::fromStdString(dir.file(name.toStdString())));
        QDir(QString::fromStdString(dir.path())).mkdir("Update");
        mainbundle::setResourcePath(QString::fromStdString(dir.path()));
    }
    ~Resources() { mainbundle::setResourcePath(desktoptest::resourcesDir()); }
    QString package(const std::string& name, const firmware::SectionMap& sections) {
        return QString::fromStdString(dir.write("Update/" + name, firmware::buildPackage(sections)));
    }
    TempDir dir;
};

class FirmwareList : public ::testing::Test {
protected:
    void SetUp() override { desktoptest::useEnglish(); }
    void TearDown() override { DevicePort::sharedManager().setCurName(""); }
    // A view that has listed the packages for the model.
    std::unique_ptr<KorvoUpdateSoftwareView> listedView(const QByteArray& reply) {
        auto view = std::make_unique<KorvoUpdateSoftwareView>();
        view->resize(910, 560);
        view->show();
        view->didGetReceiveData(reply);
        waitUntil([&] { return !view->listModels().empty(); }, 1000);
        return view;
    }
    void report(int status, float progress, const QString& path) {
        KorvoUpdateSendProc::didPostUpdateData(status, progress, path);
        desktoptest::spin(20);
    }
    Resources resources;
};

} // namespace

TEST(FirmwareListRows, ModelLanguageAndFieldRules) {
    TempDir dir;
    const QStringList bins = {
        QString::fromStdString(dir.write("QM82_V1.20_EN_20240105.bin", std::string(100, 'x'))),
        QString::fromStdString(dir.write("qm82_V1.21_EN_20240105.bin", std::string(100, 'x'))),
        QString::fromStdString(dir.write("QM82_V1.22_EN_extra_20240105.bin", std::string(100, 'x'))),
        QString::fromStdString(dir.write("QM82_V1.23_SE_20240105.bin", std::string(100, 'x'))),
        QString::fromStdString(dir.write("QM8_V1.24_EN_20240105.bin", std::string(100, 'x')))};
    const Model::Rows en = Model::rowsForPackages(bins, "QM82", "EN");
    ASSERT_EQ(en.size(), 1u);
    EXPECT_EQ(en[0]->version, "V1.20");
    EXPECT_EQ(en[0]->fileLan, "EN");
    EXPECT_EQ(en[0]->fileDate, "20240105");
    EXPECT_EQ(en[0]->fileName, "QM82");
    EXPECT_EQ(en[0]->state(), Model::kStateIdle);
    // sv's file code is SE.
    EXPECT_EQ(versions(Model::rowsForPackages(bins, "QM82", "SE")), std::vector<QString>{"V1.23"});
}

TEST(FirmwareListRows, VersionOrderAndSizeTexts) {
    TempDir dir;
    QStringList bins;
    for (const char* v : {"V1.3", "V1.20", "V1.10"})
        bins << QString::fromStdString(dir.write(std::string("QM82_") + v + "_EN_20240105.bin", std::string(1, 'x')));
    EXPECT_EQ(versions(Model::rowsForPackages(bins, "QM82", "EN")), (std::vector<QString>{"V1.10", "V1.20", "V1.3"}));
    EXPECT_EQ(Model::sizeText(1024 * 1024), "1024.0KB");
    EXPECT_EQ(Model::sizeText(1025 * 1024), "1.0MB");
    EXPECT_EQ(Model::versionValue("V"), 0.0);
    EXPECT_EQ(Model::versionValue("Vx"), 0.0);
    // The number the version begins with counts, whatever follows it.
    EXPECT_DOUBLE_EQ(Model::versionValue("V1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(Model::versionValue("V2.05b"), 2.05);
    // A listed file that cannot be read shows 0KB.
    EXPECT_EQ(Model::rowsForPackages({"/nonexistent/QM82_V1_EN_20240101.bin"}, "QM82", "EN").at(0)->fileSizeTxt, "0KB");
}

TEST(FirmwareListRows, IdentificationReplies) {
    EXPECT_EQ(KorvoUpdateSoftwareView::modelFromReply("TENVOR-QM82"), "QM82");
    EXPECT_EQ(KorvoUpdateSoftwareView::modelFromReply("TENVOR-2024-QM82"), "QM82");
    EXPECT_EQ(KorvoUpdateSoftwareView::modelFromReply(QByteArray("TENVOR-QM82\r\n\0", 14)), "QM82");
    EXPECT_EQ(KorvoUpdateSoftwareView::modelFromReply("TENVOR"), "");
    EXPECT_EQ(KorvoUpdateSoftwareView::modelFromReply("HELLO-QM82"), "");
    EXPECT_EQ(KorvoUpdateSoftwareView::modelFromReply("TENVOR-\xff\xfe"), "");
    EXPECT_EQ(KorvoUpdateSoftwareView::guideLanguageCode("se"), "en");
    EXPECT_EQ(KorvoUpdateSoftwareView::guideLanguageCode("cz"), "cz");
}

TEST_F(FirmwareList, AReplyListsThePackagesAndADetachEmptiesTheList) {
    resources.package("QM82_V1.20_EN_20240105.bin", {{1, firmware::Bytes(10, 1)}});
    resources.package("QM82_V1.10_EN_20240101.bin", {{1, firmware::Bytes(10, 1)}});
    resources.package("QM64_V1.10_EN_20240101.bin", {{1, firmware::Bytes(10, 1)}});
    KorvoUpdateSoftwareView view;
    view.resize(910, 560);
    view.show();
    int identified = 0;
    view.setRefUpdateInfoCompletion([&] { ++identified; });
    EXPECT_TRUE(view.bgImage()->isVisibleTo(&view));
    view.didGetReceiveData("not a reply");
    EXPECT_EQ(identified, 0);

    NotificationCenter::defaultCenter().post(kDidGetReceiveData, nullptr,
                                             {{kReceiveDataKey, QByteArray("TENVOR-QM82")}});
    EXPECT_EQ(identified, 1);
    EXPECT_EQ(DevicePort::sharedManager().curName(), "QM82");
    ASSERT_TRUE(waitUntil([&] { return view.listModels().size() == 2; }, 1000));
    EXPECT_EQ(versions(view.listModels()), (std::vector<QString>{"V1.10", "V1.20"}));
    EXPECT_FALSE(view.bgImage()->isVisibleTo(&view));
    EXPECT_EQ(view.tableView()->numberOfRows(), 2);
    auto* cell = qobject_cast<QWidget*>(view.tableView()->viewAtColumn(1, 0));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(static_cast<KorvoUpdateMyUpdatesTableRowView*>(cell)->textLabel1()->text(), "EN");

    view.clearListModels();
    EXPECT_TRUE(view.listModels().empty());
    EXPECT_TRUE(view.bgImage()->isVisibleTo(&view));
}

TEST_F(FirmwareList, TheListAndTheGuideTakeTheirPlaces) {
    KorvoUpdateSoftwareView view;
    view.resize(910, 525);
    view.show();
    EXPECT_EQ(view.tableView()->geometry(), QRect(10, 10, 890, 495));
    // The guide spans the view 40 below its top, 10 from either side, down to its bottom.
    EXPECT_EQ(view.bgImage()->geometry(), QRect(10, 40, 890, 485));
}

// More rows than fit, so the vertical scroll bar shows: a click on a Status cell leaves the list where it is, with
// every column in view.
TEST_F(FirmwareList, AClickOnAStatusCellNeverScrollsTheListSideways) {
    for (int i = 10; i < 30; ++i)
        resources.package("QM82_V1." + std::to_string(i) + "_EN_20240105.bin", {{1, firmware::Bytes(10, 1)}});
    auto view = listedView("TENVOR-QM82");
    KorvoUpdateTableView* table = view->tableView();
    ASSERT_TRUE(waitUntil([&] { return table->verticalScrollBar()->isVisible(); }, 2000));
    EXPECT_LE(table->horizontalHeader()->length(), table->viewport()->width());
    const QModelIndex cell = table->model()->index(2, 4);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, table->visualRect(cell).center());
    table->scrollTo(cell); // as when the cell takes the focus
    ASSERT_TRUE(view->alert());
    EXPECT_EQ(view->cIndex(), 2);
    EXPECT_EQ(table->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(table->columnViewportPosition(0), 0) << "the Version column starts at the left edge";
    view->alertSheetDidEnd(view->alert(), KorvoUpdateAlert::kReturnCancel, nullptr);
}

TEST_F(FirmwareList, ClicksSheetsAndProgress) {
    const QString path = resources.package("QM82_V1.20_EN_20240105.bin", {{1, firmware::Bytes(10, 1)}});
    auto view = listedView("TENVOR-QM82");
    ASSERT_EQ(view->listModels().size(), 1u);
    const auto row = view->listModels()[0];
    std::vector<std::pair<QString, int>> flashes;
    view->setSendUpdateInfoCompletion([&](const QString& p, int i) { flashes.push_back({p, i}); });

    // A click selects and asks; Cancel deselects.
    view->tableView(view->tableView(), 0);
    ASSERT_NE(view->alert(), nullptr);
    EXPECT_TRUE(row->isSelected());
    EXPECT_EQ(view->curPath(), path);
    EXPECT_EQ(view->cIndex(), 0);
    view->alertSheetDidEnd(view->alert(), KorvoUpdateAlert::kReturnCancel, nullptr);
    EXPECT_FALSE(row->isSelected());
    EXPECT_TRUE(flashes.empty());

    // A click on a selected idle row deselects it without asking.
    view->tableView(view->tableView(), 0);
    KorvoUpdateAlert* asked = view->alert();
    view->tableView(view->tableView(), 0);
    EXPECT_FALSE(row->isSelected());
    EXPECT_EQ(view->alert(), asked);

    // OK hands the package over.
    view->tableView(view->tableView(), 0);
    view->alertSheetDidEnd(view->alert(), KorvoUpdateAlert::kReturnOK, nullptr);
    ASSERT_EQ(flashes.size(), 1u);
    EXPECT_EQ(flashes[0], std::make_pair(path, 0));

    // Progress moves the row; a flashing row ignores clicks.
    report(kUpdateStatusRunning, 0.25f, path);
    EXPECT_EQ(row->state(), Model::kStateFlashing);
    EXPECT_TRUE(row->isSelected());
    view->tableView(view->tableView(), 0);
    EXPECT_TRUE(row->isSelected());
    auto* button = static_cast<KorvoUpdateMyUpdatesTableRowView*>(view->tableView()->viewAtColumn(4, 0));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->downloadButton()->downloadState(), Model::kStateFlashing);

    // A failure clears the check mark; a repeat changes nothing; a refused flash returns the row to idle.
    report(kUpdateStatusFailed, 0.0f, path);
    EXPECT_EQ(row->state(), Model::kStateFailed);
    EXPECT_FALSE(row->isSelected());
    report(kUpdateStatusFailed, 0.0f, path);
    EXPECT_EQ(row->state(), Model::kStateFailed);
    report(kUpdateStatusReset, 0.0f, path);
    EXPECT_EQ(row->state(), Model::kStateIdle);
    report(kUpdateStatusDone, 1.0f, "/some/other.bin");
    EXPECT_EQ(row->state(), Model::kStateIdle);
}

TEST_F(FirmwareList, OkAfterTheListChangedFlashesOnlyWhatStillSuitsTheTool) {
    resources.package("QM82_V1.20_EN_20240105.bin", {{1, firmware::Bytes(10, 1)}});
    resources.package("QM64_V1.20_EN_20240105.bin", {{1, firmware::Bytes(10, 1)}});
    auto view = listedView("TENVOR-QM82");
    int flashes = 0;
    view->setSendUpdateInfoCompletion([&](const QString&, int) { ++flashes; });
    view->tableView(view->tableView(), 0);
    // Another tool is attached while the sheet is open.
    view->didGetReceiveData("TENVOR-QM64");
    ASSERT_TRUE(waitUntil([&] { return view->listModels().at(0)->fileName == "QM64"; }, 1000));
    view->alertSheetDidEnd(view->alert(), KorvoUpdateAlert::kReturnOK, nullptr);
    EXPECT_EQ(flashes, 0);
    // The tool went away altogether.
    view->tableView(view->tableView(), 0);
    view->clearListModels();
    view->alertSheetDidEnd(view->alert(), KorvoUpdateAlert::kReturnOK, nullptr);
    EXPECT_EQ(flashes, 0);
}

// The whole road through the window: attach, identify, click, OK, progress, done; then a failure and a retry.
TEST_F(FirmwareList, FlashesThroughTheWindowIntoTheTool) {
    TempDir devices;
    setenv("SCANTOOL_SERIAL_DIR", devices.path().c_str(), 1);
    KorvoUpdateSendProc::Timing t;
    t.pauseAfterPassMs = 50;
    KorvoUpdateSendProc::setTiming(t);
    firmware::Bytes program(9000), data(3000);
    for (size_t i = 0; i < program.size(); ++i)
        program[i] = uint8_t(i * 7);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 3 + 1);
    resources.package("QM82_V1.20_EN_20240105.bin", {{1, program}, {2, data}});
    ScanToolSim::Options o;
    o.deviceDir = devices.path();
    ScanToolSim sim(o);
    ASSERT_TRUE(sim.start());

    {
        KorvoUpdateMainViewController controller;
        controller.loadViewIfNeeded();
        KorvoUpdateSoftwareView* view = controller.myUpdatesView();
        controller.tabViewContentViewForItemAtIndex(controller.tabView(), 0);
        ASSERT_TRUE(waitUntil([&] { return view->listModels().size() == 1; }, 3000));
        const auto row = view->listModels()[0];

        view->tableView(view->tableView(), 0);
        view->alertSheetDidEnd(view->alert(), KorvoUpdateAlert::kReturnOK, nullptr);
        ASSERT_TRUE(waitUntil([&] { return row->state() == Model::kStateDone; }, 10000));
        EXPECT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 3000));
        EXPECT_EQ(sim.memory().at(firmware::kProgramBase), program);
        EXPECT_EQ(sim.memory().at(firmware::kDataBase), data);
        EXPECT_TRUE(sim.violations().empty());
        EXPECT_FALSE(row->isSelected());

        sim.addFault({ScanToolSim::Step::Erase, ScanToolSim::FaultKind::DeviceError, -1, 1, 0xE1});
        view->tableView(view->tableView(), 0);
        view->alertSheetDidEnd(view->alert(), KorvoUpdateAlert::kReturnOK, nullptr);
        ASSERT_TRUE(waitUntil([&] { return row->state() == Model::kStateFailed; }, 5000));
        EXPECT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 3000));
        EXPECT_FALSE(DevicePort::sharedManager().isOpenPort());

        // The same row flashes again once the fault is gone.
        view->tableView(view->tableView(), 0);
        view->alertSheetDidEnd(view->alert(), KorvoUpdateAlert::kReturnOK, nullptr);
        EXPECT_TRUE(waitUntil([&] { return row->state() == Model::kStateDone; }, 10000));
        EXPECT_TRUE(waitUntil([] { return !KorvoUpdateFlashRunner::isRunning(); }, 3000));
        EXPECT_EQ(sim.memory().at(firmware::kProgramBase), program);
    }
    DevicePort::sharedManager().closeSerialPort();
    KorvoUpdateSendProc::setTiming({});
    unsetenv("SCANTOOL_SERIAL_DIR");
}
