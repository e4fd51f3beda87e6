// The main dialog: navigation, buttons, keys, the close rule, the single instance, the language check, the picture
// tool, and a flash end to end from a real click on a row's check box into the simulated tool.
#include "Fixture.h"

#include "ClrButton.h"
#include "CodePage.h"
#include "FlashWorker.h"
#include "Pages.h"
#include "ProListCtrl.h"
#include "QuenlarkApp.h"
#include "QuenlarkDlg.h"
#include "TextIds.h"
#include "TextLibrary.h"
#include "UpdatePage.h"
#include "WindowMessage.h"
#include "frames.h"
#include "serial.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPainter>
#include <QStyle>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {
struct Env {
    explicit Env(const std::string& dir) { ::setenv(serial::kDeviceDirEnv, dir.c_str(), 1); }
    ~Env() { ::unsetenv(serial::kDeviceDirEnv); }
};

// Counts 0x614 messages reaching a widget.
class ClickSpy : public QWidget, public CMessageTarget {
public:
    std::vector<WPARAM> clicks;
    bool OnMessage(unsigned m, WPARAM w, LPARAM, LRESULT&) override {
        if (m == kMsgButtonClicked) clicks.push_back(w);
        return true;
    }
    bool event(QEvent* e) override { return DispatchMessage(e) || QWidget::event(e); }
};

// Long enough for any reply on a machine however busy; only a hang reaches it.
constexpr uint32_t kPatientReplyMs = 10000;
constexpr int kNoHangMs = 120000;

class PluvoDialog : public ::testing::Test {
protected:
    void SetUp() override {
        env = std::make_unique<Env>(devices.path());
        dlg = std::make_unique<CQuenlarkDlg>();
        dlg->state().programFolder = program.folder();
        dlg->setScanRoot(emptyRoot.path());
    }
    void TearDown() override {
        dlg.reset();
        env.reset();
    }
    ProgramFolder program;
    TempDir emptyRoot, devices;
    std::unique_ptr<Env> env;
    std::unique_ptr<CQuenlarkDlg> dlg;
};
} // namespace

// Every label of every library, drawn at the window's size, stays inside its entry and off its picture: compared
// with the same entry drawn without its label, so whatever fonts the machine has.
TEST(PluvoNavigation, GeometryAndEveryLabelInsideItsEntryBelowItsPicture) {
    EXPECT_EQ(CQuenlarkDlg::kClientSize, QSize(1010, 751));
    const int tops[] = {60, 132, 204, 276, 348, 420, 492};
    for (int i = 0; i < 7; ++i) {
        const QRect r = CQuenlarkDlg::NavRect(i, 600);
        EXPECT_EQ(r.top(), tops[i]);
        EXPECT_EQ(r.bottom() + 1, tops[i] + 70);
        EXPECT_EQ(r.left(), 20);
        EXPECT_EQ(r.right() + 1, 172);
    }

    struct Restore {
        ~Restore() {
            CCodePage::Settle(0);
            pluvo::ResetTextLibrary();
        }
    } restore;
    constexpr int kPicture = 50, kPictureTop = 5;
    const TextId labels[CQuenlarkDlg::kNavCount] = {textid::kNavUpdate, textid::kNavPrint,       textid::kNavDtc,
                                                    textid::kNavManual, textid::kNavPictureTool, textid::kNavSettings,
                                                    textid::kNavSupport};
    const QColor background{QRgb(CQuenlarkDlg::kBackgroundColor)};
    QImage picture(kPicture, kPicture, QImage::Format_ARGB32);
    picture.fill(QColor(30, 90, 160));
    const auto draw = [&](const QRect& entry, const QString& label) {
        // The navigation column and the page beside it, at the window's height.
        QImage image(QSize(400, CQuenlarkDlg::kClientSize.height()), QImage::Format_ARGB32);
        image.fill(background);
        QPainter p(&image);
        CQuenlarkDlg::DrawNavEntry(p, entry, picture, label, Qt::red, background);
        return image;
    };
    for (int language = 0; language <= 11; ++language) {
        CCodePage::Settle(language);
        pluvo::ResetTextLibrary();
        for (int i = 0; i < CQuenlarkDlg::kNavCount; ++i) {
            const QString label = pluvo::adsGetStdText_CString(MakeTextId(labels[i]));
            const QRect entry = CQuenlarkDlg::NavRect(i, CQuenlarkDlg::kClientSize.height());
            const QImage with = draw(entry, label), without = draw(entry, QString());
            QRect drawn;
            for (int y = 0; y < with.height(); ++y) {
                if (std::memcmp(with.constScanLine(y), without.constScanLine(y), size_t(with.bytesPerLine())) == 0)
                    continue;
                for (int x = 0; x < with.width(); ++x)
                    if (with.pixel(x, y) != without.pixel(x, y)) drawn |= QRect(x, y, 1, 1);
            }
            const QString where = QString::number(language) + " " + label;
            const QRect pictureRect(entry.left() + (entry.width() - kPicture) / 2, entry.top() + kPictureTop, kPicture,
                                    kPicture);
            EXPECT_FALSE(drawn.isEmpty()) << where.toStdString();
            EXPECT_TRUE(entry.contains(drawn)) << where.toStdString();
            EXPECT_FALSE(drawn.intersects(pictureRect)) << where.toStdString();
            // Broken at blanks only, as long as each word fits the entry.
            const CQuenlarkDlg::NavLabelLayout layout = CQuenlarkDlg::LayoutNavLabel(label, entry);
            const QFontMetrics fm(layout.font);
            const QStringList words = label.split(' ', Qt::SkipEmptyParts);
            if (std::all_of(words.begin(), words.end(),
                            [&](const QString& w) { return fm.horizontalAdvance(w) <= entry.width(); })) {
                EXPECT_EQ(layout.lines.join(' '), words.join(' ')) << where.toStdString();
            }
        }
    }
}

TEST_F(PluvoDialog, PagesSwitchByTheirEntries) {
    BoxAnswerer boxes(QMessageBox::Ok);
    dlg->OnInitDialog();
    dlg->show();
    EXPECT_EQ(dlg->currentPage(), CQuenlarkDlg::UpdatePage);
    EXPECT_EQ(dlg->labelColor(CQuenlarkDlg::NavUpdate), QColor(255, 0, 0));
    EXPECT_EQ(dlg->statusText(), textOf(0x3A));
    EXPECT_TRUE(dlg->updatePage()->guide()->isVisible() || true);

    const QPoint print = dlg->navRect(CQuenlarkDlg::NavPrint).center();
    QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, print);
    EXPECT_EQ(dlg->currentPage(), CQuenlarkDlg::PrintPage);
    EXPECT_TRUE(dlg->page(CQuenlarkDlg::PrintPage)->isVisible());
    EXPECT_FALSE(dlg->page(CQuenlarkDlg::UpdatePage)->isVisible());
    EXPECT_EQ(dlg->labelColor(CQuenlarkDlg::NavUpdate), QColor(Qt::black));
    dlg->printPage()->reportEdit()->setPlainText("report");
    // Clicking the current entry changes nothing.
    QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, print);
    EXPECT_EQ(dlg->printPage()->reportEdit()->toPlainText(), "report");
    // Leaving the print page empties its text and stops the capture.
    QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, dlg->navRect(CQuenlarkDlg::NavSupport).center());
    EXPECT_EQ(dlg->currentPage(), CQuenlarkDlg::SupportPage);
    EXPECT_TRUE(dlg->printPage()->reportEdit()->toPlainText().isEmpty());
    EXPECT_FALSE(dlg->printPage()->captureRunning());
    for (int entry :
         {CQuenlarkDlg::NavDtc, CQuenlarkDlg::NavManual, CQuenlarkDlg::NavSettings, CQuenlarkDlg::NavUpdate}) {
        QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, dlg->navRect(entry).center());
        EXPECT_EQ(dlg->labelColor(entry), QColor(255, 0, 0));
    }
    EXPECT_EQ(dlg->currentPage(), CQuenlarkDlg::UpdatePage);

    // Escape and Return close nothing, on the dialog or a page.
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    QTest::keyClick(dlg.get(), Qt::Key_Return);
    QTest::keyClick(dlg->updatePage(), Qt::Key_Escape);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST(PluvoClrButton, AClickIsPressAndReleaseOnTheButton) {
    ClickSpy parent;
    parent.resize(200, 100);
    auto* b = new ClrButton;
    b->Create(false, QRect(100, 2, 47, 37), &parent, 10087);
    b->setStripPicture(201);
    parent.show();
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(b->state(), ClrButton::Pressed);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.clicks, std::vector<WPARAM>{10087});
    // Pressed, dragged off and released outside: no click.
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(-30, 60));
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.clicks.size(), 1u);
    // A 188-pixel strip: four 47-pixel states; pressed starts at 94.
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(b->stripSource(188, 37), QRect(94, 0, 47, 37));
    // Without a picture nothing is painted (and nothing fails).
    ClrButton bare;
    bare.resize(20, 20);
    bare.grab();
}

TEST_F(PluvoDialog, CloseAsksWhileBusyAndTheButtonsWork) {
    dlg->OnInitDialog();
    dlg->show();
    dlg->state().busy = true;
    {
        BoxAnswerer boxes(QMessageBox::No);
        PostMessage(dlg.get(), kMsgButtonClicked, CQuenlarkDlg::kCloseButtonId, 0);
        ASSERT_TRUE(waitUntil([&] { return !boxes.texts.isEmpty(); }, 3000));
        EXPECT_EQ(boxes.texts.value(0), textOf(0x51));
        EXPECT_TRUE(dlg->isVisible());
    }
    dlg->state().busy = false;
    QTest::mouseClick(dlg->button(CQuenlarkDlg::kCloseButtonId), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(waitUntil([&] { return !dlg->isVisible(); }, 3000));
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
}

TEST_F(PluvoDialog, PictureToolThatCannotStartLeavesPluvoOpen) {
    dlg->setPictureToolProgram(program.folder() + "Lumaset/Lumaset");
    dlg->OnInitDialog();
    dlg->show();
    BoxAnswerer boxes(QMessageBox::Ok);
    const QString before = QDir::currentPath();
    dlg->LaunchPictureTool();
    EXPECT_EQ(boxes.texts, QStringList{pluvo::adsGetStdText_CString(MakeTextId(textid::kPictureToolMissing)) + "\n\n" +
                                       program.folder() + "Lumaset/Lumaset"});
    EXPECT_TRUE(dlg->isVisible());

    // A tool that starts: in its own folder, and pluvo's current directory stays; pluvo then closes.
    QDir().mkpath(program.folder() + "Lumaset");
    const QString tool = program.folder() + "Lumaset/Lumaset";
    program.dir.write("Lumaset/Lumaset", std::string("#!/bin/sh\npwd > started\n"));
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    dlg->setPictureToolProgram(tool);
    dlg->LaunchPictureTool();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(QDir::currentPath(), before);
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(program.folder() + "Lumaset/started"); }, 3000));
}

// During a flash the question comes first, with nothing started yet to cover it; no keeps the flash.
TEST_F(PluvoDialog, ThePictureToolDuringAFlashAsksBeforeAnythingStarts) {
    QDir().mkpath(program.folder() + "Lumaset");
    const QString tool = program.folder() + "Lumaset/Lumaset";
    program.dir.write("Lumaset/Lumaset", std::string("#!/bin/sh\ntouch started\n"));
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString started = program.folder() + "Lumaset/started";
    dlg->setPictureToolProgram(tool);
    dlg->OnInitDialog();
    dlg->show();
    dlg->state().busy = true;
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        bool startedBeforeTheAnswer = true;
        QString asked;
        const auto ask = [&](QMessageBox* box) {
            asked = box->text();
            startedBeforeTheAnswer = QFile::exists(started);
            return clickButton(box, answer);
        };
        const ModalOutcome outcome = driveModal<QMessageBox>([&] { dlg->LaunchPictureTool(); }, ask, kBoxBound);
        ASSERT_TRUE(outcome.ok()) << outcome.describe();
        EXPECT_EQ(asked, textOf(0x51));
        EXPECT_FALSE(startedBeforeTheAnswer);
        if (answer == QMessageBox::No) {
            EXPECT_TRUE(dlg->isVisible());
            EXPECT_FALSE(QFile::exists(started)) << "nothing was started";
        } else {
            EXPECT_FALSE(dlg->isVisible());
            EXPECT_TRUE(waitUntil([&] { return QFile::exists(started); }, kNoHangMs));
        }
    }
    dlg->state().busy = false;
}

// The tool is pulled out during a flash: the status line says so at once, though the failure box is still open.
TEST_F(PluvoDialog, AnUnpluggedToolIsNotConnectedAtOnceEvenUnderTheFailureBox) {
    writeBytes(program.update("QM82_V2.00_EN_20240105.bin"), makePackage(randomBytes(3000, 24), {}));
    auto sim = startSim(devices.path(), "QM82");
    ASSERT_TRUE(sim);
    sim->setEraseMs(kPatientReplyMs); // the flash waits in the erase
    dlg->OnInitDialog();
    dlg->show();
    ASSERT_EQ(dlg->state().deviceId, "QM82");
    EXPECT_EQ(dlg->statusText(), textOf(0x3E));
    QString statusUnderTheBox;
    bool markUnderTheBox = true;
    bool failureShown = false;
    BoxAnswerer boxes([&](QMessageBox* box) {
        if (box->text() == textOf(0x50)) return clickButton(box, QMessageBox::Yes);
        if (!box->button(QMessageBox::Ok)) return false;
        // The unplug's device event comes while the box is open.
        dlg->OnDeviceChange();
        statusUnderTheBox = dlg->statusText();
        markUnderTheBox = markShowsConnected(*dlg);
        failureShown = true;
        return clickButton(box, QMessageBox::Ok);
    });
    dlg->updatePage()->list()->item(0, 0)->setCheckState(Qt::Checked);
    ASSERT_TRUE(waitUntil([&] { return sim->frames().size() >= 3; }, kNoHangMs)) << "probe, enter, erase";
    sim->vanish();
    ASSERT_TRUE(waitUntil([&] { return failureShown; }, kNoHangMs));
    EXPECT_EQ(statusUnderTheBox, textOf(0x3A));
    EXPECT_FALSE(markUnderTheBox) << "the mark says so too";
    ASSERT_TRUE(waitUntil([&] { return !dlg->state().busy && !dlg->deviceCheckPending(); }, kNoHangMs));
    EXPECT_EQ(dlg->statusText(), textOf(0x3A));
}

TEST(PluvoApp, OneInstanceAndTheLanguageCheck) {
    TempDir dir;
    const QString lock = QString::fromStdString(dir.file("pluvo.lock"));
    CQuenlarkApp first, second;
    EXPECT_TRUE(first.TakeInstanceLock(lock));
    EXPECT_FALSE(second.TakeInstanceLock(lock));
    first.ExitInstance();
    EXPECT_TRUE(second.TakeInstanceLock(lock));
}

// What was flashed and in which order; never how long it took. The replies may take as long as a busy machine
// makes them: the time-outs are far longer here than any reply, and a frame sent again after a late reply counts
// once.
TEST_F(PluvoDialog, EndToEndFromARealClickAtTheLineRate) {
    const FlashTiming before = GetFlashTiming();
    FlashTiming patient = before;
    patient.probeMs = patient.enterMs = patient.headerMs = patient.dataMs = patient.endMs = kPatientReplyMs;
    SetFlashTiming(patient);
    struct Restore {
        FlashTiming t;
        ~Restore() { SetFlashTiming(t); }
    } restore{before};

    const firmware::Bytes program1 = randomBytes(9000, 21), data = randomBytes(6144, 22);
    writeBytes(program.update("QM82_V2.00_EN_20240105.bin"), makePackage(program1, data));
    auto sim = startSim(devices.path(), "QM82", true);
    ASSERT_TRUE(sim);
    dlg->OnInitDialog();
    dlg->show();
    ASSERT_EQ(dlg->state().deviceId, "QM82");
    CProListCtrl* list = dlg->updatePage()->list();
    ASSERT_EQ(list->rowCount(), 1);

    BoxAnswerer boxes(QMessageBox::Yes);
    // Where the box is drawn, the click is taken.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->CheckBoxRect(0).center());
    ASSERT_TRUE(waitUntil([&] { return !boxes.texts.isEmpty(); }, kNoHangMs));
    EXPECT_EQ(boxes.texts.value(0), textOf(0x50));
    ASSERT_TRUE(waitUntil([&] { return dlg->state().busy; }, kNoHangMs));
    // A device event during the flash leaves the row and the port alone.
    dlg->OnDeviceChange();
    EXPECT_TRUE(dlg->deviceCheckPending());
    EXPECT_EQ(list->rowCount(), 1);
    ASSERT_TRUE(waitUntil([&] { return !dlg->state().busy; }, kNoHangMs));
    EXPECT_EQ(boxes.texts.size(), 1) << boxes.texts.join("|").toStdString();
    ASSERT_TRUE(waitUntil([&] { return !dlg->deviceCheckPending(); }, kNoHangMs)) << "the put-off check ran afterwards";
    EXPECT_EQ(sim->memory().at(firmware::kProgramBase), program1);
    EXPECT_EQ(sim->memory().at(firmware::kDataBase), data);
    EXPECT_TRUE(sim->violations().empty());

    // The frames in order: the check's probe; a pass over the program, one over the data (closed by an empty
    // block, its length being a multiple of 2048); the put-off check's probe.
    using Frame = std::vector<uint8_t>;
    std::vector<Frame> expected{Frame(firmware::ProbeCmd.begin(), firmware::ProbeCmd.end())};
    const auto pass = [&](firmware::Section s, const firmware::Bytes& bytes) {
        expected.emplace_back(firmware::ProbeCmd.begin(), firmware::ProbeCmd.end());
        const firmware::Frame9 enter = firmware::EnterCmd(s), erase = firmware::EraseCmd(s);
        expected.emplace_back(enter.begin(), enter.end());
        expected.emplace_back(erase.begin(), erase.end());
        for (uint32_t i = 0, at = 0;; ++i, at += firmware::kBlockSize) {
            const uint32_t n = std::min<uint32_t>(firmware::kBlockSize, uint32_t(bytes.size()) - at);
            const auto header = firmware::BlockHeaderCmd(firmware::sectionBase(s) + at, n);
            expected.emplace_back(header.begin(), header.end());
            expected.push_back(firmware::blockDataFrame(bytes.data() + at, n, uint16_t(i)));
            if (n < firmware::kBlockSize) break;
        }
        expected.emplace_back(firmware::EndCmd.begin(), firmware::EndCmd.end());
    };
    pass(firmware::Section::Program, program1);
    pass(firmware::Section::Data, data);
    expected.emplace_back(firmware::ProbeCmd.begin(), firmware::ProbeCmd.end());
    // A frame repeated after a reply that came late is the same step.
    const auto once = [](std::vector<Frame> frames) {
        frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
        return frames;
    };
    const std::vector<Frame> sent = once(sim->frames());
    ASSERT_EQ(sent.size(), once(expected).size());
    EXPECT_TRUE(sent == once(expected)) << "the frames differ from the package's passes";
}

TEST_F(PluvoDialog, ADeviceEventWhileABoxIsOpenWaitsForIt) {
    writeBytes(program.update("QM82_V2.00_EN_20240105.bin"), makePackage(randomBytes(3000, 23), {}));
    auto sim = startSim(devices.path(), "QM82");
    ASSERT_TRUE(sim);
    dlg->OnInitDialog();
    dlg->show();
    CProListCtrl* list = dlg->updatePage()->list();
    ASSERT_EQ(list->rowCount(), 1);
    const int probes = sim->probes();
    bool checkedInside = false;
    BoxAnswerer boxes([&](QMessageBox* box) {
        if (!box->button(QMessageBox::No)) return false;
        // The device check must not run inside the box's event loop and empty the list under it.
        dlg->OnDeviceChange();
        checkedInside = true;
        EXPECT_TRUE(dlg->deviceCheckPending());
        EXPECT_EQ(list->rowCount(), 1);
        EXPECT_EQ(sim->probes(), probes);
        return clickButton(box, QMessageBox::No);
    });
    list->item(0, 0)->setCheckState(Qt::Checked);
    ASSERT_TRUE(waitUntil([&] { return checkedInside; }, 3000));
    ASSERT_TRUE(waitUntil([&] { return !dlg->deviceCheckPending(); }, 3000)) << "it runs once the box is gone";
    EXPECT_EQ(sim->probes(), probes + 1);
    EXPECT_FALSE(dlg->state().busy);
}

TEST(PluvoClrButton, FourSeparatePicturesFollowTheState) {
    ClickSpy parent;
    parent.resize(100, 100);
    auto* b = new ClrButton;
    b->Create(true, QRect(0, 0, 24, 24), &parent, 7);
    b->setMode(ClrButton::Separate);
    b->setStatePictures(139, 140, 139, 140); // green mark, grey mark
    parent.show();
    QApplication::setActiveWindow(&parent);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    auto centre = [&] { return b->grab().toImage().pixelColor(12, 12); };
    const QColor normal = centre();
    EXPECT_GT(normal.green(), normal.red() + 60) << "the green picture of state 0";
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->state(), ClrButton::Pressed);
    EXPECT_TRUE(b->hasFocus()) << "a tab stop takes the focus on a press";
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->state(), ClrButton::Hover);
    const QColor hover = centre();
    EXPECT_LT(std::abs(hover.green() - hover.red()), 40) << "the grey picture of state 1";
}

TEST_F(PluvoDialog, TheCaptureReadsTheIdentifiedPortAndGivesItBackToTheDeviceCheck) {
    auto sim = startSim(devices.path(), "QM82");
    ASSERT_TRUE(sim);
    BoxAnswerer boxes(QMessageBox::Ok); // no packages for the tool
    dlg->OnInitDialog();
    dlg->show();
    ASSERT_EQ(dlg->state().deviceId, "QM82");
    const std::string port = dlg->state().devicePort;
    CPrintPage* print = dlg->printPage();
    dlg->ShowPrintPage();
    ASSERT_TRUE(print->captureRunning());
    EXPECT_EQ(print->capturePort(), port);
    ASSERT_TRUE(waitUntil([&] { return print->openAttempts() >= 1; }, 2000));
    QThread::msleep(50);
    sim->sendReport("AB");
    ASSERT_TRUE(waitUntil([&] { return print->reportEdit()->toPlainText() == "AB"; }, 2000));

    // A device event while capturing: the check gets the port for its probe, then the capture goes on.
    int probes = sim->probes();
    dlg->OnDeviceChange();
    EXPECT_GT(sim->probes(), probes);
    EXPECT_EQ(dlg->state().deviceId, "QM82");
    EXPECT_TRUE(print->captureRunning());

    // Leaving the page ends the capture; the device port stays for the next flash and the tool is probed again.
    probes = sim->probes();
    dlg->ShowUpdatePage();
    EXPECT_FALSE(print->captureRunning());
    EXPECT_EQ(dlg->state().devicePort, port);
    ASSERT_TRUE(waitUntil([&] { return sim->probes() > probes; }, 3000));
    EXPECT_EQ(dlg->state().deviceId, "QM82");

    // While a flash runs the page captures nothing.
    dlg->state().busy = true;
    dlg->ShowPrintPage();
    EXPECT_FALSE(print->captureRunning());
    dlg->state().busy = false;
    dlg->ShowUpdatePage();
}

// A tool busy printing may not answer the probe: the page captures on its own port all the same.
TEST_F(PluvoDialog, TheCaptureReadsAToolThatDoesNotAnswerTheProbe) {
    auto sim = startSim(devices.path(), "QM82");
    ASSERT_TRUE(sim);
    sim->addFault({ScanToolSim::Step::Probe, ScanToolSim::FaultKind::Silent});
    dlg->OnInitDialog();
    dlg->show();
    ASSERT_TRUE(dlg->state().deviceId.isEmpty());
    EXPECT_EQ(dlg->statusText(), textOf(0x3E) + textOf(0x16));
    CPrintPage* print = dlg->printPage();
    dlg->ShowPrintPage();
    ASSERT_TRUE(print->captureRunning());
    EXPECT_EQ(print->capturePort(), sim->linkPath());
    ASSERT_TRUE(waitUntil([&] { return print->openAttempts() >= 1; }, kNoHangMs));
    sim->sendReport("VEHICLE REPORT\r\n");
    EXPECT_TRUE(waitUntil([&] { return print->reportEdit()->toPlainText() == "VEHICLE REPORT\n"; }, kNoHangMs))
        << print->reportEdit()->toPlainText().toStdString();

    // Unplugged: the capture ends.
    sim->stop();
    QThread::msleep(1100);
    dlg->OnDeviceChange();
    EXPECT_FALSE(print->captureRunning());
    dlg->ShowUpdatePage();
}
