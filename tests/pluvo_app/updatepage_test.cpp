// The update page: listing rules, the confirmation, and flashes into the simulated tool through the worker.
#include "Fixture.h"

#include "CodePage.h"
#include "FlashWorker.h"
#include "ProListCtrl.h"
#include "Profile.h"
#include "SkinH.h"
#include "TextIds.h"
#include "TextLibrary.h"
#include "UpdatePage.h"
#include "WindowMessage.h"
#include "frames.h"
#include "serial.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMessageBox>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Keeps every progress value the worker sends to the list, in order.
class ProgressSpy : public QObject {
public:
    explicit ProgressSpy(QObject* list) { list->installEventFilter(this); }
    std::vector<int> percents;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == WindowMessageEvent::eventType()) {
            auto* m = static_cast<WindowMessageEvent*>(e);
            if (m->message == kMsgProgress) percents.push_back(int(m->lParam));
        }
        return false;
    }
};

class PluvoUpdatePage : public ::testing::Test {
protected:
    void SetUp() override {
        state.programFolder = program.folder();
        page = std::make_unique<CUpdatePage>(state);
        page->resize(800, 400);
        page->OnInitDialog();
        page->show();
    }
    void TearDown() override { page.reset(); }
    // Identifies the simulated tool as the device check does.
    void attach(ScanToolSim& sim, const QString& id) {
        state.present = true;
        state.deviceId = id;
        state.devicePort = sim.linkPath();
    }
    void tick(int row) { page->list()->item(row, 0)->setCheckState(Qt::Checked); }
    bool flashDone() { return !page->workerRunning() && !state.busy; }

    ProgramFolder program;
    TempDir devices;
    DeviceState state;
    std::unique_ptr<CUpdatePage> page;
};
} // namespace

TEST(PluvoUpdateTexts, SizesAndKeys) {
    EXPECT_EQ(CUpdatePage::SizeText(2500000), "2.4 MB");
    EXPECT_EQ(CUpdatePage::SizeText(1536), "1.5 KB");
    EXPECT_EQ(CUpdatePage::SizeText(100), "100.0 B");
    EXPECT_EQ(CUpdatePage::PackageKey("QM64", "V1/2\\0", "20210910"), "qm64_v120_20210910.bin");
    EXPECT_EQ(BlockPercent(0, 0, 1), 0) << "an empty section divides by nothing";
    // 64-bit: i x 204800 passes 32 bits above about 21 MB.
    const uint64_t big = 40ull * 1024 * 1024;
    EXPECT_EQ(BlockPercent(big / 2048 - 1, big, 1), 99);
    EXPECT_EQ(BlockPercent(10, 40960, 2), 25);
    EXPECT_EQ(BlockPercent(10, 40960, 3), 75);
}

TEST_F(PluvoUpdatePage, ListsTheToolsPackagesByField) {
    state.deviceId = "QM64";
    for (const char* name : {"QM64_V1.20_EN_20210910.bin", "qm64_V1.20_DE_20210910.bin", "QM65_V1.0_EN_20210910.bin",
                             "QM640_V2.0_EN_20220101.bin", "QM64_V0.9_EN_20200101.bin", "QM64_x.bin", "Q.bin",
                             "QM64_V3_EN_2021091.bin", "QM64_V1.30_EN_20220101.txt", "QM64_V1.40_EN_20220301.BIN",
                             "qm64_V1.50_EN_20230101.Bin", "QM64_V1.60_EN_20230101.bin.txt"})
        writeBytes(program.update(name), randomBytes(1536, 1));
    BoxAnswerer boxes(QMessageBox::Ok);
    page->ListUpdateFiles();
    CProListCtrl* list = page->list();
    QStringList versions;
    for (int r = 0; r < list->rowCount(); ++r)
        versions << list->item(r, 0)->text();
    // The extension and the model in any case.
    EXPECT_EQ(versions.join(' ').toStdString(), "V0.9 V1.20 V1.40 V1.50");
    ASSERT_EQ(list->rowCount(), 4);
    EXPECT_EQ(list->item(1, 1)->text(), "2021/09/10");
    EXPECT_EQ(list->item(1, 2)->text(), "1.5 KB");
    EXPECT_EQ(list->item(2, 1)->text(), "2022/03/01");
    EXPECT_TRUE(boxes.texts.isEmpty());

    // A tool "QM6" is not a QM64: nothing is listed, and the box says so.
    state.deviceId = "QM6";
    page->ListUpdateFiles();
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_EQ(boxes.texts, QStringList{textOf(0x4F)});
}

TEST_F(PluvoUpdatePage, NoStartsNothingAndYesFlashesTwoSections) {
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    attach(*sim, "QM64");
    const firmware::Bytes program1 = randomBytes(5000, 11), data = randomBytes(4096, 12);
    writeBytes(program.update("QM64_V1.20_EN_20210910.bin"), makePackage(program1, data));
    BoxAnswerer boxes(QMessageBox::No);
    page->ListUpdateFiles();
    ASSERT_EQ(page->list()->rowCount(), 1);

    tick(0);
    ASSERT_TRUE(waitUntil([&] { return !boxes.texts.isEmpty(); }, 3000));
    EXPECT_EQ(boxes.texts.value(0), textOf(0x50));
    EXPECT_FALSE(page->list()->IsChecked(0));
    EXPECT_FALSE(state.busy);
    EXPECT_TRUE(sim->frames().empty());

    ProgressSpy spy(page->list());
    boxes.setButton(QMessageBox::Yes);
    tick(0);
    ASSERT_TRUE(waitUntil([&] { return state.busy; }, 3000));
    ASSERT_TRUE(waitUntil([&] { return flashDone(); }, 10000));
    EXPECT_EQ(boxes.texts.size(), 2) << boxes.texts.join("|").toStdString();
    EXPECT_EQ(sim->completedPasses(), 2);
    EXPECT_EQ(sim->probes(), 2) << "each pass probes";
    EXPECT_TRUE(sim->violations().empty());
    const auto mem = sim->memory();
    EXPECT_EQ(mem.at(firmware::kProgramBase), program1);
    EXPECT_EQ(mem.at(firmware::kDataBase), data);
    // 0-50 over the program, 50-100 over the data, in order.
    ASSERT_FALSE(spy.percents.empty());
    EXPECT_EQ(spy.percents.front(), 0);
    EXPECT_EQ(spy.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(spy.percents.begin(), spy.percents.end()));
    EXPECT_NE(std::find(spy.percents.begin(), spy.percents.end(), 50), spy.percents.end());
    EXPECT_EQ(page->list()->Percent(0), 100);
    EXPECT_EQ(page->list()->StatusText(0), textOf(0x40));
    EXPECT_FALSE(page->list()->IsChecked(0));
    EXPECT_EQ(CProfile::CTextFile::GetConfigString(program.folder() + "pluvo.cfg", "Update", "QM64", ""), "V1.20");
}

// A tool that restarts as soon as it has acknowledged the end of the last pass has been updated.
TEST_F(PluvoUpdatePage, AToolThatLeavesRightAfterTheLastEndReplyIsUpdated) {
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    attach(*sim, "QM64");
    writeBytes(program.update("QM64_V1.20_EN_20210910.bin"), makePackage(randomBytes(5000, 13), randomBytes(3000, 14)));
    // The program pass's end is the first; the data pass's is the last.
    sim->addFault({ScanToolSim::Step::End, ScanToolSim::FaultKind::LeaveAfterReply, 1, 1});
    BoxAnswerer boxes(QMessageBox::Yes);
    page->ListUpdateFiles();
    tick(0);
    ASSERT_TRUE(waitUntil([&] { return state.busy; }, 3000));
    ASSERT_TRUE(waitUntil([&] { return flashDone(); }, 20000));
    EXPECT_EQ(sim->completedPasses(), 2);
    EXPECT_EQ(boxes.texts, QStringList{textOf(0x50)}) << "no failure box";
    EXPECT_EQ(page->list()->StatusText(0), textOf(0x40));
    EXPECT_EQ(page->list()->Percent(0), 100);
    EXPECT_EQ(CProfile::CTextFile::GetConfigString(program.folder() + "pluvo.cfg", "Update", "QM64", ""), "V1.20");
}

TEST_F(PluvoUpdatePage, FailuresShowTheirTextAndSendNothingMore) {
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    attach(*sim, "QM64");
    firmware::Bytes bad = makePackage(randomBytes(3000, 3), {});
    bad[bad.size() - 1] ^= 0x01; // the checksum's last byte
    writeBytes(program.update("QM64_V1.00_EN_20210101.bin"), bad);
    writeBytes(program.update("QM64_V1.10_EN_20210201.bin"), makePackage(randomBytes(3000, 4), {}));
    // Far larger than any tool's flash: refused before it is read.
    const std::string huge = program.update("QM64_V1.20_EN_20210301.bin");
    writeBytes(huge, {});
    ASSERT_EQ(::truncate(huge.c_str(), 64ll * 1024 * 1024), 0);
    BoxAnswerer boxes(QMessageBox::Yes);
    page->ListUpdateFiles();
    ASSERT_EQ(page->list()->rowCount(), 3);

    tick(0); // bad checksum
    ASSERT_TRUE(waitUntil([&] { return boxes.texts.size() == 2 && flashDone(); }, 5000));
    EXPECT_EQ(boxes.texts.value(1), textOf(0x53));
    EXPECT_TRUE(sim->frames().empty());

    tick(2); // too large
    ASSERT_TRUE(waitUntil([&] { return boxes.texts.size() == 4 && flashDone(); }, 5000));
    EXPECT_EQ(boxes.texts.value(3), textOf(0x53));
    EXPECT_TRUE(sim->frames().empty());

    sim->addFault({ScanToolSim::Step::Erase, ScanToolSim::FaultKind::DeviceError, -1, -1, 0xE1});
    tick(1);
    ASSERT_TRUE(waitUntil([&] { return boxes.texts.size() == 6 && flashDone(); }, 5000));
    EXPECT_EQ(boxes.texts.value(5), textOf(0x43));
    const auto frames = sim->frames();
    ASSERT_EQ(frames.size(), 3u) << "probe, enter, erase; nothing after the refused erase";
    EXPECT_EQ(frames.back()[2], firmware::kCmdErase);
    EXPECT_FALSE(page->list()->IsChecked(1));

    // A tool that hangs in the middle of a block frame: the flash ends, with the same box, within its time-outs.
    sim->clearFaults();
    ScanToolSim::Fault hang{ScanToolSim::Step::BlockHeader, ScanToolSim::FaultKind::StopReading, 0, 1};
    hang.readBytes = 1000;
    sim->addFault(hang);
    tick(1);
    ASSERT_TRUE(waitUntil([&] { return boxes.texts.size() == 8 && flashDone(); }, 30000));
    EXPECT_EQ(boxes.texts.value(7), textOf(0x43));
    EXPECT_EQ(sim->frames().back()[2], firmware::kCmdBlockHeader) << "the block frame never came whole";
    EXPECT_EQ(CProfile::CTextFile::GetConfigString(program.folder() + "pluvo.cfg", "Update", "QM64", "none"), "none");
}

// A package laid out by hand: magic, flags, one length field, the payload, the checksum; scrambled.
firmware::Bytes handMadePackage(uint32_t flags, const firmware::Bytes& payload) {
    firmware::Bytes b(firmware::kPackageMagic, firmware::kPackageMagic + firmware::kMagicLength);
    const auto put32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    };
    put32(flags);
    put32(uint32_t(payload.size()));
    b.insert(b.end(), payload.begin(), payload.end());
    uint32_t sum = 0;
    for (uint8_t x : b)
        sum += x;
    // The length field counts with its value, not its bytes.
    for (int i = 0; i < 4; ++i)
        sum -= b[11 + size_t(i)];
    put32(sum + uint32_t(payload.size()));
    firmware::scramble(b);
    return b;
}

// Flags 0 name no section: refused before the tool is touched, though magic, length and checksum are right.
TEST_F(PluvoUpdatePage, APackageWithFlagsZeroIsRefused) {
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    attach(*sim, "QM64");
    const firmware::Bytes payload = randomBytes(3000, 9);
    firmware::Bytes sane = handMadePackage(1, payload);
    firmware::scramble(sane);
    ASSERT_TRUE(firmware::checkPackage(sane.data(), sane.size()).ok) << "the layout is right with flags 1";
    writeBytes(program.update("QM64_V1.00_EN_20210101.bin"), handMadePackage(0, payload));
    BoxAnswerer boxes(QMessageBox::Yes);
    page->ListUpdateFiles();
    ASSERT_EQ(page->list()->rowCount(), 1);
    tick(0);
    ASSERT_TRUE(waitUntil([&] { return boxes.texts.size() == 2 && flashDone(); }, 5000));
    EXPECT_EQ(boxes.texts.value(1), textOf(0x53));
    EXPECT_TRUE(sim->frames().empty());
    EXPECT_TRUE(sim->memory().empty());
}

TEST_F(PluvoUpdatePage, ASecondFlashIsRefusedAndAToolSwappedMeanwhileIsNotFlashed) {
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    attach(*sim, "QM64");
    writeBytes(program.update("QM64_V1.10_EN_20210201.bin"), makePackage(randomBytes(8192, 5), {}));
    writeBytes(program.update("QM64_V1.20_EN_20210301.bin"), makePackage(randomBytes(8192, 6), {}));
    sim->setEraseMs(400);
    BoxAnswerer boxes(QMessageBox::Yes);
    page->ListUpdateFiles();
    tick(0);
    ASSERT_TRUE(waitUntil([&] { return state.busy; }, 3000));
    tick(1);
    EXPECT_FALSE(page->list()->IsChecked(1)) << "refused while the first runs";
    // ... and the user is told why the tick went.
    ASSERT_TRUE(waitUntil([&] { return boxes.texts.size() == 2; }, 3000));
    EXPECT_EQ(boxes.texts.value(1), pluvo::adsGetStdText_CString(MakeTextId(textid::kUpdateAlreadyRunning)));
    ASSERT_TRUE(waitUntil([&] { return flashDone(); }, 10000));
    EXPECT_EQ(sim->completedPasses(), 1);
    EXPECT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(CProfile::CTextFile::GetConfigString(program.folder() + "pluvo.cfg", "Update", "QM64", ""), "V1.10");

    // Another model answers now on the same port: its probe does not match the package.
    sim->stop();
    auto other = startSim(devices.path(), "QM65");
    ASSERT_TRUE(other);
    tick(1);
    ASSERT_TRUE(waitUntil([&] { return boxes.texts.size() == 4 && flashDone(); }, 5000));
    EXPECT_EQ(boxes.texts.value(3), textOf(0x43));
    EXPECT_EQ(other->frames().size(), 1u) << "the probe only";
}

TEST_F(PluvoUpdatePage, AListRefilledWhileTheBoxIsOpenIsNotFlashed) {
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    attach(*sim, "QM64");
    writeBytes(program.update("QM64_V1.10_EN_20210201.bin"), makePackage(randomBytes(3000, 5), {}));
    page->ListUpdateFiles();
    bool refilled = false;
    BoxAnswerer boxes([&](QMessageBox* box) {
        if (!box->button(QMessageBox::Yes)) return false;
        // A device check meanwhile: another tool, the list emptied and refilled.
        state.deviceId = "QM65";
        page->ResetRows();
        refilled = true;
        return clickButton(box, QMessageBox::Yes);
    });
    tick(0);
    ASSERT_TRUE(waitUntil([&] { return refilled; }, 3000));
    QTest::qWait(100);
    EXPECT_FALSE(state.busy);
    EXPECT_TRUE(sim->frames().empty());
}

// A question the answerer has no answer for is closed at the bound, failing the test instead of hanging it; closed,
// it counts as a no.
TEST_F(PluvoUpdatePage, AnUnansweredQuestionIsClosedAtTheBoundAsAFailure) {
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    attach(*sim, "QM64");
    writeBytes(program.update("QM64_V1.10_EN_20210201.bin"), makePackage(randomBytes(3000, 5), {}));
    page->ListUpdateFiles();
    ASSERT_EQ(page->list()->rowCount(), 1);
    constexpr std::chrono::milliseconds kShortBound{300}; // nothing here waits for an answer
    EXPECT_NONFATAL_FAILURE(
        {
            BoxAnswerer boxes(QMessageBox::Ok, kShortBound);
            tick(0);
            EXPECT_TRUE(waitUntil([&] { return !page->list()->IsChecked(0); }, 3000));
        },
        "a QMessageBox was still open at the bound: " + textOf(0x50).toStdString());
    EXPECT_FALSE(state.busy);
    EXPECT_TRUE(sim->frames().empty());
}

TEST_F(PluvoUpdatePage, ClosingWakesARunningFlashAndWaitsForIt) {
    auto sim = startSim(devices.path(), "QM64");
    ASSERT_TRUE(sim);
    attach(*sim, "QM64");
    writeBytes(program.update("QM64_V1.10_EN_20210201.bin"), makePackage(randomBytes(3000, 5), {}));
    sim->addFault({ScanToolSim::Step::Erase, ScanToolSim::FaultKind::Silent}); // the erase waits 50 s
    BoxAnswerer boxes(QMessageBox::Yes);
    page->ListUpdateFiles();
    tick(0);
    ASSERT_TRUE(waitUntil([&] { return sim->frames().size() >= 3; }, 3000));
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(page->StopWorker());
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(boxes.texts.size(), 1) << "no failure box after the stop";
}

TEST_F(PluvoUpdatePage, GuidePicturePath) {
    ::mkdir((program.dir.path() + "/guide").c_str(), 0755);
    program.dir.write("guide/en_guide.jpg", std::string("x"));
    program.dir.write("pluvo.cfg", std::string("[Setting]\r\nLanguage = 10\r\n"));
    EXPECT_EQ(page->GetGuideImagePath(), program.folder() + "guide/en_guide.jpg");
    program.dir.write("guide/ru_guide.jpg", std::string("x"));
    EXPECT_EQ(page->GetGuideImagePath(), program.folder() + "guide/ru_guide.jpg");
    page->OnDeviceState(1);
    EXPECT_TRUE(page->guide()->isVisible());
    page->OnDeviceState(0);
    EXPECT_FALSE(page->guide()->isVisible());
}

TEST_F(PluvoUpdatePage, EveryRowShowsItsCheckBoxAndTheBarItsGreenInEverySkin) {
    state.deviceId = "QM64";
    writeBytes(program.update("QM64_V1.10_EN_20210201.bin"), randomBytes(1536, 1));
    writeBytes(program.update("QM64_V1.20_EN_20210301.bin"), randomBytes(1536, 2));
    page->ListUpdateFiles();
    CProListCtrl* list = page->list();
    ASSERT_EQ(list->rowCount(), 2);
    {
        const QSignalBlocker quiet(list); // no confirmation: only the picture counts here
        list->SetChecked(1, true);
    }
    SendMessage(list, kMsgProgress, 0, 40);
    const QStringList skins = shippedSkinsAndNone();
    ASSERT_GE(skins.size(), 4);
    for (const QString& skin : skins) {
        SkinH_Detach();
        if (!skin.isEmpty()) {
            ASSERT_EQ(SkinH_AttachEx(skin, "Wib"), kSkinOk);
        }
        QCoreApplication::processEvents();
        const QImage shot = list->viewport()->grab().toImage();
        const QRect cell = list->visualItemRect(list->item(0, 0));
        const QColor background = shot.pixelColor(cell.right() - 2, cell.center().y());
        const int unticked = standingOut(shot, list->CheckBoxRect(0), background);
        EXPECT_GE(unticked, 2 * CProListCtrl::kCheckBoxSize)
            << "no box on the unticked row, skin " << skin.toStdString();
        EXPECT_GT(standingOut(shot, list->CheckBoxRect(1), background), unticked)
            << "no tick in the ticked row's box, skin " << skin.toStdString();
        // RGB(53, 213, 56), inside the 40 % of the track.
        const QRect progress = list->visualItemRect(list->item(0, 3));
        EXPECT_EQ(shot.pixelColor(progress.left() + 20, progress.center().y()).name(), QColor(53, 213, 56).name());
    }
    SkinH_Detach();
}

// Every text a row's status shows, in every language pluvo offers, wraps inside the room right of the bar.
TEST_F(PluvoUpdatePage, NoStatusTextIsCutInAnyLanguage) {
    struct Restore {
        ~Restore() {
            CCodePage::Settle(0);
            pluvo::ResetTextLibrary();
        }
    } restore;
    for (int language = 0; language <= 11; ++language) {
        CCodePage::Settle(language);
        pluvo::ResetTextLibrary();
        CUpdatePage localised(state);
        localised.resize(page->size());
        localised.OnInitDialog();
        localised.show();
        CProListCtrl* list = localised.list();
        list->AppendRow("V1.20", "2021/09/10", "1.5 KB");
        const QRect room = CProListCtrl::StatusTextRect(list->visualItemRect(list->item(0, 3)));
        const QFontMetrics metrics(list->font());
        for (const QString& status : {"100% / " + textOf(0x44), "100% / " + textOf(0x45), textOf(0x40)}) {
            ASSERT_FALSE(status.endsWith("/ ")) << language;
            const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap, status);
            EXPECT_LE(needed.width(), room.width()) << language << " " << status.toStdString();
            EXPECT_LE(needed.height(), room.height()) << language << " " << status.toStdString();
        }
    }
}
