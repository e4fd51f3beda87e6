// The main window: set-up, capture actions, preview refresh, the save into a dated package copy, and the close
// flow with its question, clean-up and restart of pluvo. Prompts and the launcher are injected.
#include "MainWindow.h"
#include "CapturingDialog.h"
#include "Lumaset.h"
#include "LumasetTestSupport.h"
#include "ModalDriver.h"
#include "MyPictureWidget.h"
#include "picturefile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTranslator>
#include <QUrl>

#include <chrono>
#include <map>
#include <memory>

namespace {

constexpr uint32_t kLogoEntryOffset = 200;

struct Launch {
    QString program;
    QStringList arguments;
    QString workingDirectory;
};

class MainWindowTest : public InWorkingFolder {
protected:
    void SetUp() override {
        InWorkingFolder::SetUp();
        QDir(path("")).mkpath("update");
        QDir(path("")).mkpath("pluvo");
        env.updateFolder = path("update");
        env.pluvoFolder = path("pluvo");
        env.askSave = [this](QWidget*) {
            ++questions;
            return answerYes;
        };
        env.notify = [this](QWidget*, const QString& text, bool failed) { notices.push_back({text, failed}); };
        env.launch = [this](const QString& program, const QStringList& arguments, const QString& wd) {
            launches.push_back({program, arguments, wd});
            return true;
        };
    }
    void TearDown() override {
        window.reset();
        InWorkingFolder::TearDown();
    }

    MainWindow& open() {
        window = std::make_unique<MainWindow>(env);
        return *window;
    }
    void choosePicture(const QColor& colour, const std::string& name = "picture.png") {
        writeSolidPicture(name, 320, 240, colour);
        emit window->pictureChanged(path(QString::fromStdString(name)));
    }
    std::string updateFile(const std::string& name) const { return dir.file("update/" + name); }
    // A working file of the window, in its private folder.
    std::string work(const std::string& name) const { return window->workFolder().toStdString() + "/" + name; }
    // A package whose data section holds a logo entry of the given size at kLogoEntryOffset.
    std::string addPackage(const std::string& name, uint32_t logoSize = uint32_t(Lumaset::kLogoFileSize)) {
        firmware::SectionMap sections;
        sections[firmware::kProgramSectionKey] = firmware::Bytes(1000, 0xAB);
        sections[firmware::kDataSectionKey] =
            dataSectionWithLogo(kLogoEntryOffset + logoSize + 64, 20, kLogoEntryOffset, logoSize);
        return writePackage(updateFile(name), sections);
    }
    firmware::Bytes logoEntryOf(const std::string& package, uint32_t logoSize) {
        const auto sections = readPackage(package);
        const auto data = sections.find(firmware::kDataSectionKey);
        if (data == sections.end() || data->second.size() < kLogoEntryOffset + logoSize) return {};
        return firmware::Bytes(data->second.begin() + kLogoEntryOffset,
                               data->second.begin() + kLogoEntryOffset + logoSize);
    }

    MainWindowEnvironment env;
    std::unique_ptr<MainWindow> window;
    int questions = 0;
    bool answerYes = true;
    std::vector<std::pair<QString, bool>> notices;
    std::vector<Launch> launches;
};

// Menus in their order, translated, with the mnemonics appended after translation.
TEST_F(MainWindowTest, MenusAndTitleInTheChosenLanguage) {
    QTranslator german;
    ASSERT_TRUE(german.load(QString(LUMASET_DIST_DIR) + "/de.qm"));
    QApplication::installTranslator(&german);
    MainWindow& w = open();
    QApplication::removeTranslator(&german);
    EXPECT_EQ(w.objectName(), "MainWindow");
    EXPECT_TRUE(w.windowTitle().startsWith("Bildkonverter "));
    QStringList menus;
    for (QAction* menu : w.menuBar()->actions()) {
        QStringList entries;
        for (QAction* action : menu->menu()->actions())
            entries << action->text() + (action->isEnabled() ? "" : " [off]");
        menus << menu->text() + ": " + entries.join(", ");
    }
    EXPECT_EQ(menus, QStringList({QString::fromUtf8("Datei(&F): Öffnen(&O), Speichern(&S), Beenden(&Q)"),
                                  QString::fromUtf8("Bearbeiten(&E): Aufnahmerahmen öffnen(&A), "
                                                    "Aufnahmerahmen schließen(&C) [off]"),
                                  QString::fromUtf8("Hilfe(&H): Über")}));
}

// The program's own question on closing: "是" is the default and saves.
TEST_F(MainWindowTest, CloseQuestionOffersYesAsTheDefault) {
    env.askSave = nullptr;
    addPackage("QM82_V1.20_EN_20240115.bin");
    open();
    choosePicture(Qt::red);
    window->refreshPreview();
    QString title, text;
    QStringList buttons;
    bool yesIsDefault = false;
    const auto answer = [&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        yesIsDefault = box->defaultButton() && box->defaultButton()->text() == QString::fromUtf8("是");
        if (box->defaultButton()) box->defaultButton()->click();
        return true;
    };
    const ModalOutcome outcome = driveModal<QMessageBox>([&] { window->close(); }, answer);
    EXPECT_TRUE(outcome.ok()) << outcome.describe();
    EXPECT_EQ(title, QString::fromUtf8("提示"));
    EXPECT_EQ(text, QString::fromUtf8("图片尚未保存,是否保存图片?"));
    EXPECT_EQ(buttons, QStringList({QString::fromUtf8("是"), QString::fromUtf8("否")}));
    EXPECT_TRUE(yesIsDefault);
    EXPECT_TRUE(fileExists(updateFile("QM82_V1.20_EN_" + today() + ".bin")));
}

TEST_F(MainWindowTest, CaptureActionsSwapAndShowTheFrame) {
    MainWindow& w = open();
    EXPECT_EQ(w.capturingDialog(), nullptr);
    w.onOpenCapture();
    ASSERT_NE(w.capturingDialog(), nullptr);
    EXPECT_TRUE(w.capturingDialog()->isVisible());
    EXPECT_EQ(w.capturingDialog()->size(), QSize(320, 240));
    EXPECT_FALSE(w.openCaptureAction()->isEnabled());
    EXPECT_TRUE(w.closeCaptureAction()->isEnabled());
    CapturingDialog* frame = w.capturingDialog();
    w.onCloseCapture();
    EXPECT_EQ(w.capturingDialog(), frame);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_TRUE(w.openCaptureAction()->isEnabled());
    EXPECT_FALSE(w.closeCaptureAction()->isEnabled());
}

// Without compositing the frame is a black box and Save falls back to the picture file: the user hears of it once.
TEST_F(MainWindowTest, CaptureWithoutCompositingIsExplainedOnce) {
    bool compositing = true;
    env.canCapture = [&compositing] { return compositing; };
    MainWindow& w = open();
    w.onOpenCapture();
    w.onCloseCapture();
    EXPECT_TRUE(notices.empty());

    compositing = false;
    w.onOpenCapture();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].second);
    EXPECT_TRUE(w.capturingDialog()->isVisible());
    w.onCloseCapture();
    w.onOpenCapture();
    EXPECT_EQ(notices.size(), 1u);
}

TEST_F(MainWindowTest, TimerRefreshesThePreviewOnlyWithAPicture) {
    env.refreshIntervalMs = 20;
    open();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 200)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(fileExists(work("Result_temp.bmp")));
    choosePicture(Qt::red);
    clock.restart();
    while (!fileExists(work("Result_temp.bmp")) && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(fileExists(work("Result_temp.bmp")));
    EXPECT_EQ(readFileBytes(work("Result_temp.bmp")).size(), Lumaset::kLogoFileSize);
}

TEST_F(MainWindowTest, WorkingCopyTakesTheExtensionFromTheFileName) {
    EXPECT_EQ(MainWindow::workingCopyName("/a/b/picture.png"), "SourcePictureCopy.png");
    EXPECT_EQ(MainWindow::workingCopyName("/my.pictures/picture"), "SourcePictureCopy");
    EXPECT_EQ(MainWindow::workingCopyName("/my.pictures/photo.JPG"), "SourcePictureCopy.JPG");
    EXPECT_EQ(MainWindow::workingCopyName("/a/archive.tar.gz"), "SourcePictureCopy.gz");

    open();
    ASSERT_TRUE(QDir(path("")).mkpath("my.pictures"));
    choosePicture(Qt::blue, "my.pictures/logo");
    window->refreshPreview();
    const auto logo = readFileBytes(work("Result_temp.bmp"));
    ASSERT_EQ(logo.size(), Lumaset::kLogoFileSize);
    EXPECT_EQ(logo[Lumaset::kHeaderSize], 0x1F);
    EXPECT_FALSE(fileExists(work("SourcePictureCopy")));
}

// Every picture the Open dialog offers and the view shows converts, also those the converter cannot decode itself.
TEST_F(MainWindowTest, PictureTheViewShowsAlsoConverts) {
    const std::string name = "logo.xpm";
    MainWindow& w = open();
    writeSolidPicture(name, 64, 48, Qt::red);
    ASSERT_FALSE(QImage(path(QString::fromStdString(name))).isNull());
    emit w.pictureChanged(path(QString::fromStdString(name)));
    w.refreshPreview();
    const auto logo = readFileBytes(work("Result_temp.bmp"));
    ASSERT_EQ(logo.size(), Lumaset::kLogoFileSize);
    EXPECT_EQ(logo[Lumaset::kHeaderSize], 0x00);
    EXPECT_EQ(logo[Lumaset::kHeaderSize + 1], 0xF8);
    EXPECT_FALSE(fileExists(work("SourcePictureCopy.xpm")));

    addPackage("QM82_V1.20_EN_20240115.bin");
    w.onSavePicture();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_FALSE(notices[0].second) << notices[0].first.toStdString();
}

TEST_F(MainWindowTest, EmptyScreenGrabFallsBackToThePictureFile) {
    int grabs = 0;
    env.grab = [&grabs](CapturingDialog*, const QString&) {
        ++grabs;
        return false;
    };
    MainWindow& w = open();
    choosePicture(Qt::green);
    w.onOpenCapture();
    w.refreshPreview();
    EXPECT_EQ(grabs, 1);
    const auto logo = readFileBytes(work("Result_temp.bmp"));
    ASSERT_EQ(logo.size(), Lumaset::kLogoFileSize);
    EXPECT_EQ(logo[Lumaset::kHeaderSize], 0xE0);
    EXPECT_EQ(logo[Lumaset::kHeaderSize + 1], 0x07);
}

TEST_F(MainWindowTest, VisibleCaptureFrameIsGrabbedInsteadOfThePicture) {
    env.grab = [](CapturingDialog* frame, const QString& path) {
        QImage shot(frame->size() - QSize(24, 24), QImage::Format_RGB32);
        shot.fill(Qt::white);
        return shot.save(path, "PNG");
    };
    MainWindow& w = open();
    choosePicture(Qt::red);
    w.onOpenCapture();
    w.refreshPreview();
    EXPECT_EQ(readFileBytes(work("Result_temp.bmp")).at(Lumaset::kHeaderSize), 0xFF);
    w.onCloseCapture();
    w.refreshPreview();
    EXPECT_EQ(readFileBytes(work("Result_temp.bmp")).at(Lumaset::kHeaderSize + 1), 0xF8);
}

TEST_F(MainWindowTest, SavePatchesADatedCopyOfTheNewestPackage) {
    const std::string older = addPackage("QM82_V1.10_EN_20230101.bin");
    const std::string newest = addPackage("QM82_V1.20_EN_20240115.bin");
    const std::string undated = addPackage("notes.bin");
    const auto olderBytes = readFileBytes(older), newestBytes = readFileBytes(newest);
    MainWindow& w = open();
    choosePicture(Qt::red);
    w.onSavePicture();

    // The notice names the copy: pluvo then lists it beside the package it was made from.
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].first,
              QString::fromUtf8("文件已保存\nQM82_V1.20_EN_") + QString::fromStdString(today()) + ".bin");
    EXPECT_FALSE(notices[0].second);
    const std::string patched = updateFile("QM82_V1.20_EN_" + today() + ".bin");
    ASSERT_TRUE(fileExists(patched));
    EXPECT_EQ(readFileBytes(older), olderBytes);
    EXPECT_EQ(readFileBytes(newest), newestBytes) << "the original is never changed or deleted";
    EXPECT_TRUE(fileExists(undated));

    const auto saved = readFileBytes(work("Result.bmp"));
    ASSERT_EQ(saved.size(), Lumaset::kLogoFileSize);
    EXPECT_EQ(logoEntryOf(patched, uint32_t(saved.size())), saved);
    // The rest of the package is as it was, and a flasher accepts it.
    auto before = readPackage(newest), after = readPackage(patched);
    EXPECT_EQ(before[firmware::kProgramSectionKey], after[firmware::kProgramSectionKey]);
    std::copy(saved.begin(), saved.end(), before[firmware::kDataSectionKey].begin() + kLogoEntryOffset);
    EXPECT_EQ(before[firmware::kDataSectionKey], after[firmware::kDataSectionKey]);
    auto raw = readFileBytes(patched);
    firmware::scramble(raw);
    const auto check = firmware::checkPackage(raw.data(), raw.size());
    EXPECT_TRUE(check.ok) << check.error;
}

TEST_F(MainWindowTest, LogoIsCutOrPaddedToTheEntrySize) {
    for (const uint32_t entrySize : {1000u, uint32_t(Lumaset::kLogoFileSize) + 500}) {
        SCOPED_TRACE(entrySize);
        QDir(path("update")).removeRecursively();
        QDir(path("")).mkpath("update");
        addPackage("QM82_V1.20_EN_20240115.bin", entrySize);
        open();
        choosePicture(Qt::white);
        window->onSavePicture();
        const auto saved = readFileBytes(work("Result.bmp"));
        auto expected = saved;
        expected.resize(entrySize, 0);
        const std::string patched = updateFile("QM82_V1.20_EN_" + today() + ".bin");
        EXPECT_EQ(logoEntryOf(patched, entrySize), expected);
        EXPECT_EQ(readPackage(patched)[firmware::kDataSectionKey].size(), kLogoEntryOffset + entrySize + 64);
    }
}

// A package already dated today is replaced in place; the one it was is kept beside it, once, under a name that no
// package search takes, so the next save still patches the package of today.
TEST_F(MainWindowTest, PackageDatedTodayIsReplacedInPlaceAndKeptAsOrig) {
    const std::string todays = addPackage("QM82_V1.20_EN_" + today() + ".bin");
    const auto original = readFileBytes(todays);
    addPackage("QM82_V1.10_EN_20200101.bin");
    open();
    choosePicture(Qt::blue);
    window->onSavePicture();
    EXPECT_EQ(QDir(path("update")).entryList(QDir::Files).size(), 3);
    EXPECT_EQ(logoEntryOf(todays, uint32_t(Lumaset::kLogoFileSize)), readFileBytes(work("Result.bmp")));
    EXPECT_EQ(readFileBytes(todays + ".orig"), original);

    choosePicture(Qt::red, "second.png");
    window->onSavePicture();
    EXPECT_EQ(logoEntryOf(todays, uint32_t(Lumaset::kLogoFileSize)), readFileBytes(work("Result.bmp")));
    EXPECT_EQ(readFileBytes(todays + ".orig"), original);
    EXPECT_EQ(firmware::findLatestPackageIn(dir.file("update")), todays);
    EXPECT_EQ(notices.size(), 2u);
    for (const auto& notice : notices)
        EXPECT_FALSE(notice.second) << notice.first.toStdString();
}

// Save without a picture tells the user to open one first, also while the capture frame is shown: the frame is
// converted only once a picture is open, and nothing is written.
TEST_F(MainWindowTest, SaveWithoutAPictureAsksForOneFirst) {
    addPackage("QM82_V1.20_EN_20240115.bin");
    MainWindow& w = open();
    w.onSavePicture();
    w.onOpenCapture();
    w.onSavePicture();
    ASSERT_EQ(notices.size(), 2u);
    for (const auto& notice : notices) {
        EXPECT_TRUE(notice.second);
        EXPECT_EQ(notice.first, QString::fromUtf8("请先打开一张图片(文件 → 打开),再保存。"));
    }
    EXPECT_EQ(QDir(path("update")).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(fileExists(work("Result.bmp")));
}

TEST_F(MainWindowTest, SaveReportsWhatFailedInsteadOfSuccess) {
    open();
    // No package: the logo is saved, the notice says the package was not written.
    choosePicture(Qt::red);
    window->onSavePicture();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices.back().second);
    EXPECT_NE(notices.back().first, QString::fromUtf8("文件已保存"));
    EXPECT_TRUE(fileExists(work("Result.bmp")));

    // A picture that cannot be read: Result.bmp and the package stay as they were.
    const std::string package = addPackage("QM82_V1.20_EN_20240115.bin");
    const auto savedBefore = readFileBytes(work("Result.bmp"));
    dir.write("broken.png", std::string("not a picture"));
    emit window->pictureChanged(path("broken.png"));
    window->onSavePicture();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_TRUE(notices.back().second);
    EXPECT_TRUE(notices.back().first.contains("broken.png")) << notices.back().first.toStdString();
    EXPECT_EQ(readFileBytes(work("Result.bmp")), savedBefore);
    EXPECT_EQ(QDir(path("update")).entryList(QDir::Files).size(), 1);

    // A package whose logo entry points outside its data section is refused, not rewritten.
    firmware::SectionMap bad;
    bad[firmware::kDataSectionKey] = dataSectionWithLogo(400, 20, 300, 5000);
    writePackage(package, bad);
    const auto badBytes = readFileBytes(package);
    choosePicture(Qt::green);
    window->onSavePicture();
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_TRUE(notices.back().second);
    EXPECT_EQ(readFileBytes(package), badBytes);
    EXPECT_FALSE(fileExists(updateFile("QM82_V1.20_EN_" + today() + ".bin")));
}

// A package the logo cannot be written into is refused in words, and no copy equal to its source is made.
TEST_F(MainWindowTest, PackageWithoutALogoEntryIsRefusedAndNotCopied) {
    const std::string name = "QM82_V1.20_EN_20240115.bin";
    firmware::SectionMap noEntry, shortData, noData;
    noEntry[firmware::kDataSectionKey] = firmware::Bytes(4000, 0x11);
    shortData[firmware::kDataSectionKey] = dataSectionWithLogo(52, 0, 0, 16);
    noData[firmware::kProgramSectionKey] = firmware::Bytes(4000, 0x22);
    const struct {
        const char* what;
        firmware::SectionMap sections;
    } cases[] = {{"no logo entry", noEntry}, {"data section of 52 bytes", shortData}, {"no data section", noData}};
    open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        notices.clear();
        QDir(path("update")).removeRecursively();
        QDir(path("")).mkpath("update");
        const auto before = readFileBytes(writePackage(updateFile(name), c.sections));
        choosePicture(Qt::red);
        window->onSavePicture();
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_TRUE(notices[0].second);
        EXPECT_NE(notices[0].first, QString::fromUtf8("文件已保存"));
        EXPECT_EQ(QDir(path("update")).entryList(QDir::Files), QStringList{QString::fromStdString(name)});
        EXPECT_EQ(readFileBytes(updateFile(name)), before);
    }

    // Saving on close reports it the same way.
    notices.clear();
    choosePicture(Qt::blue);
    window->refreshPreview();
    window->close();
    EXPECT_EQ(questions, 1);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].second);
    EXPECT_EQ(QDir(path("update")).entryList(QDir::Files).size(), 1);
}

// A damaged package (a flipped byte, a download cut short) is refused: a dated copy would carry a fresh checksum
// over the damage, and pluvo would then flash it.
TEST_F(MainWindowTest, DamagedPackageIsRefusedAndNotGivenANewChecksum) {
    const std::string name = "QM82_V1.20_EN_20240115.bin";
    const auto good = readFileBytes(addPackage(name));
    auto flipped = good;
    flipped[100] ^= 0x01;                                     // a byte of the program section
    const firmware::Bytes cut(good.begin(), good.end() - 40); // the logo entry still fits
    open();
    for (const auto& damaged : {flipped, cut}) {
        notices.clear();
        QDir(path("update")).removeRecursively();
        QDir(path("")).mkpath("update");
        QFile f(QString::fromStdString(updateFile(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(damaged.data()), qint64(damaged.size()));
        f.close();
        choosePicture(Qt::red);
        window->onSavePicture();
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_TRUE(notices[0].second);
        EXPECT_NE(notices[0].first, QString::fromUtf8("文件已保存"));
        EXPECT_EQ(QDir(path("update")).entryList(QDir::Files), QStringList{QString::fromStdString(name)});
        EXPECT_EQ(readFileBytes(updateFile(name)), damaged);
    }
}

// The files of the current folder by name, with their bytes; folders are left out.
std::map<std::string, std::vector<uint8_t>> filesIn(const std::string& folder) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const QFileInfo& f : QDir(QString::fromStdString(folder)).entryInfoList(QDir::Files | QDir::System))
        files[f.fileName().toStdString()] = readFileBytes(f.filePath().toStdString());
    return files;
}

// The working files never go beside the user's pictures: the user's own files named like them are neither taken as
// working files nor removed, and the current folder (the tool's own) is not written at all.
TEST_F(MainWindowTest, WorkingFilesStayOutOfTheCurrentFolder) {
    addPackage("QM82_V1.20_EN_20240115.bin");
    for (const char* name : {"SourcePictureCopy.png", "temp.bmp", "Result_temp.bmp"})
        writeSolidPicture(name, 40, 30, Qt::green);
    writeSolidPicture("Result.bmp", 40, 30, Qt::blue);
    const auto before = filesIn(dir.path());
    MainWindow& w = open();
    const QString work = w.workFolder();
    ASSERT_FALSE(work.isEmpty());
    EXPECT_FALSE(QDir(work).absolutePath().startsWith(QDir(path("")).absolutePath()));

    emit w.pictureChanged(path("SourcePictureCopy.png"));
    w.refreshPreview();
    w.onSavePicture();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_FALSE(notices[0].second) << notices[0].first.toStdString();
    EXPECT_EQ(readFileBytes(this->work("Result.bmp")).at(Lumaset::kHeaderSize), 0xE0); // the user's green picture
    emit w.pictureChanged(path("Result.bmp"));
    w.refreshPreview();
    w.close();
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(filesIn(dir.path()), before);
    window.reset();
    EXPECT_FALSE(QDir(work).exists());
}

// Without a temporary folder nothing can be converted: the user hears why at once and on Save, and nothing is
// written anywhere else instead (Qt names no temporary folder at all when $TMPDIR does not exist).
TEST_F(MainWindowTest, WorkFolderThatCannotBeMadeIsToldAtOnce) {
    addPackage("QM82_V1.20_EN_20240115.bin");
    const std::string notAFolder = dir.write("not-a-folder", std::string("a file"));
    for (const QString& temp : {path("no-such-folder"), QString::fromStdString(notAFolder)}) {
        SCOPED_TRACE(temp.toStdString());
        notices.clear();
        launches.clear();
        const QByteArray previous = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temp));
        open();
        if (previous.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", previous);
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_TRUE(notices[0].second);
        EXPECT_TRUE(notices[0].first.contains(temp)) << notices[0].first.toStdString();
        EXPECT_TRUE(window->workFolder().isEmpty());

        choosePicture(Qt::red);
        const auto before = filesIn(dir.path());
        window->refreshPreview();
        window->onSavePicture();
        ASSERT_EQ(notices.size(), 2u);
        EXPECT_EQ(notices[1], notices[0]);
        window->close();
        EXPECT_EQ(filesIn(dir.path()), before);
        EXPECT_EQ(QDir(path("update")).entryList(QDir::Files).size(), 1);
        EXPECT_EQ(launches.size(), 1u);
    }
}

// Answers the Open dialog as a user would: notes the patterns of the filter it offers and types the file's path
// into the name box (selectFile leaves that box alone while it has the focus), accepting once the dialog took it.
QStringList openThroughDialog(MainWindow& w, const QString& file) {
    QStringList patterns;
    const auto answer = [&](QFileDialog* dialog) {
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (!name) return false;
        if (patterns.isEmpty()) {
            const QRegularExpression inBrackets(R"(\(([^)]*)\))");
            for (const QString& filter : dialog->nameFilters())
                patterns += inBrackets.match(filter).captured(1).split(' ', Qt::SkipEmptyParts);
        }
        name->setText(file);
        if (dialog->selectedFiles() != QStringList(file)) return false;
        // Queued: an accept that warns runs a modal loop of its own, which must not stall the polling.
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    };
    const ModalOutcome outcome = driveModal<QFileDialog>([&] { w.onOpenPicture(); }, answer);
    EXPECT_TRUE(outcome.ok()) << outcome.describe();
    return patterns;
}

TEST_F(MainWindowTest, OpenDialogOffersEveryPictureTypeItConverts) {
    MainWindow& w = open();
    writeBlueGif(dir.file("logo.gif"));
    EXPECT_EQ(openThroughDialog(w, path("logo.gif")),
              QStringList({"*.png", "*.xpm", "*.jpg", "*.jpeg", "*.bmp", "*.gif"}));
    ASSERT_EQ(w.pictureWidget()->getPictureName(), path("logo.gif"));
    w.refreshPreview();
    EXPECT_EQ(readFileBytes(work("Result_temp.bmp")).at(Lumaset::kHeaderSize), 0x1F);

    writeSolidPicture("photo.jpeg", 320, 240, Qt::red);
    openThroughDialog(w, path("photo.jpeg"));
    ASSERT_EQ(w.pictureWidget()->getPictureName(), path("photo.jpeg"));
    w.refreshPreview();
    EXPECT_EQ(readFileBytes(work("Result_temp.bmp")).at(Lumaset::kHeaderSize + 1), 0xF8);
    EXPECT_TRUE(notices.empty());
}

// An Open dialog nobody answers is closed at the bound, as a cancel: the test goes on with a failure to report
// instead of hanging, and the window keeps its picture.
TEST_F(MainWindowTest, UnansweredOpenDialogIsClosedAtTheBound) {
    MainWindow& w = open();
    choosePicture(Qt::red);
    constexpr std::chrono::milliseconds kShortBound{300}; // nothing here waits for an answer
    const ModalOutcome outcome =
        driveModal<QFileDialog>([&] { w.onOpenPicture(); }, [](QFileDialog*) { return false; }, kShortBound);
    EXPECT_FALSE(outcome.answered);
    EXPECT_EQ(outcome.forced, "QFileDialog");
    EXPECT_EQ(w.pictureWidget()->getPictureName(), path("picture.png"));
    EXPECT_TRUE(notices.empty());
}

// A picture whose header claims too many pixels is refused before anything decodes it (the sanitizer build caps
// single allocations far below what it would take): told once by the refresh, again on Save, and from the Open
// dialog not taken at all.
TEST_F(MainWindowTest, PictureTooLargeIsRefusedBeforeItIsDecoded) {
    addPackage("QM82_V1.20_EN_20240115.bin");
    writeHugePng("huge.png", 30000, 30000);
    writeJpegClaiming("liar.jpg", 30000, 30000);
    MainWindow& w = open();
    choosePicture(Qt::red);
    w.refreshPreview();
    const auto preview = readFileBytes(work("Result_temp.bmp"));
    for (const char* name : {"huge.png", "liar.jpg"}) {
        SCOPED_TRACE(name);
        notices.clear();
        emit w.pictureChanged(path(name));
        w.refreshPreview();
        w.refreshPreview();
        w.onSavePicture();
        ASSERT_EQ(notices.size(), 2u);
        for (const auto& notice : notices) {
            EXPECT_TRUE(notice.second);
            EXPECT_TRUE(notice.first.contains("30000 x 30000")) << notice.first.toStdString();
        }
        EXPECT_EQ(readFileBytes(work("Result_temp.bmp")), preview);
        EXPECT_EQ(QDir(path("update")).entryList(QDir::Files).size(), 1);
    }

    notices.clear();
    emit w.pictureChanged(path("picture.png"));
    openThroughDialog(w, path("huge.png"));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].first.contains("30000 x 30000"));
    EXPECT_EQ(w.pictureWidget()->getPictureName(), path("picture.png"));
}

// The 10-second refresh converts only a picture whose file was written since: the same size and time mean the
// preview stands.
TEST_F(MainWindowTest, PictureIsConvertedAgainOnlyWhenItsFileChanged) {
    MainWindow& w = open();
    choosePicture(Qt::red, "p.bmp"); // a bitmap keeps its size whatever its colour
    w.refreshPreview();
    EXPECT_EQ(readFileBytes(work("Result_temp.bmp")).at(Lumaset::kHeaderSize + 1), 0xF8);
    const picturefile::Stamp stamp = picturefile::stampOf(path("p.bmp"));
    writeSolidPicture("p.bmp", 320, 240, Qt::blue);
    setModifiedNs("p.bmp", stamp.modifiedNs);
    ASSERT_EQ(picturefile::stampOf(path("p.bmp")), stamp);
    w.refreshPreview();
    EXPECT_EQ(readFileBytes(work("Result_temp.bmp")).at(Lumaset::kHeaderSize + 1), 0xF8);

    setModifiedNs("p.bmp", stamp.modifiedNs + 1);
    w.refreshPreview();
    EXPECT_EQ(readFileBytes(work("Result_temp.bmp")).at(Lumaset::kHeaderSize), 0x1F);
}

// A FIFO named like a picture would block every reader until something writes to it: it is never opened, and the
// user is told what it is.
TEST_F(MainWindowTest, FifoNamedLikeAPictureIsNeverOpened) {
    addPackage("QM82_V1.20_EN_20240115.bin");
    FifoWatch fifo(dir.file("pipe.png"));
    MainWindow& w = open();
    emit w.pictureChanged(path("pipe.png"));
    w.refreshPreview();
    w.refreshPreview();
    w.onSavePicture();
    EXPECT_TRUE(w.pictureWidget()->pictureToDraw().isNull());
    w.close();
    EXPECT_EQ(fifo.readers(), 0);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_TRUE(notices[0].first.contains("pipe.png")) << notices[0].first.toStdString();
    EXPECT_EQ(notices[1], notices[0]);
    EXPECT_EQ(QDir(path("update")).entryList(QDir::Files).size(), 1);
}

TEST_F(MainWindowTest, CloseBeforeAnyPictureAsksNothingAndRestartsPluvo) {
    open();
    for (const char* name : {"Result_temp.bmp", "Result.bmp"}) {
        QFile file(QString::fromStdString(work(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("left from before");
    }
    window->close();
    EXPECT_EQ(questions, 0);
    EXPECT_FALSE(fileExists(work("Result_temp.bmp")));
    EXPECT_TRUE(fileExists(work("Result.bmp")));
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(QDir::cleanPath(launches[0].program), QDir::cleanPath(path("pluvo/pluvo")));
    EXPECT_TRUE(launches[0].arguments.isEmpty());
    EXPECT_EQ(QDir::cleanPath(launches[0].workingDirectory), QDir::cleanPath(path("pluvo")));
}

TEST_F(MainWindowTest, CloseRightAfterChoosingAPictureAsksNothing) {
    open();
    choosePicture(Qt::red);
    window->close();
    EXPECT_EQ(questions, 0);
    EXPECT_FALSE(fileExists(work("Result_temp.bmp")));
    EXPECT_FALSE(fileExists(work("Result.bmp")));
    EXPECT_EQ(launches.size(), 1u);
}

TEST_F(MainWindowTest, UnsavedChangeAsksOnceAndYesPatchesThePreview) {
    const std::string package = addPackage("QM82_V1.20_EN_20240115.bin");
    open();
    choosePicture(Qt::red);
    window->refreshPreview();
    const auto preview = readFileBytes(work("Result_temp.bmp"));
    window->close();
    window->close();
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(logoEntryOf(updateFile("QM82_V1.20_EN_" + today() + ".bin"), uint32_t(preview.size())), preview);
    EXPECT_TRUE(fileExists(package));
    EXPECT_FALSE(fileExists(work("Result_temp.bmp")));
    EXPECT_FALSE(fileExists(work("Result.bmp")));
    EXPECT_EQ(launches.size(), 1u) << "pluvo is started once per close";
    EXPECT_TRUE(notices.empty());
}

TEST_F(MainWindowTest, AnsweringNoWritesNoPackage) {
    answerYes = false;
    addPackage("QM82_V1.20_EN_20240115.bin");
    open();
    choosePicture(Qt::red);
    window->refreshPreview();
    window->onExit();
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(QDir(path("update")).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(fileExists(work("Result_temp.bmp")));
    EXPECT_EQ(launches.size(), 1u);
}

TEST_F(MainWindowTest, SavedPreviewAsksNothingOnClose) {
    addPackage("QM82_V1.20_EN_20240115.bin");
    open();
    choosePicture(Qt::red);
    window->onSavePicture();
    window->refreshPreview();
    window->close();
    EXPECT_EQ(questions, 0);
    EXPECT_FALSE(fileExists(work("Result.bmp")));
}

TEST_F(MainWindowTest, DefaultLauncherStartsPluvoWithoutArgumentsInItsFolder) {
    env.launch = nullptr;
    const QString marker = path("pluvo/started.txt");
    dir.write("pluvo/pluvo", "#!/bin/sh\necho \"$(pwd) $#\" > started.txt.part && mv started.txt.part started.txt\n");
    QFile::setPermissions(path("pluvo/pluvo"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    open().close();
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(marker) && clock.elapsed() < 5000)
        QThread::msleep(10);
    QFile started(marker);
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(started.readAll()).trimmed(), QDir(path("pluvo")).canonicalPath() + " 0");
}

// Drops as the window system delivers them.
void drop(MyPictureWidget& view, QMimeData& data) {
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &dropped);
}

TEST(PictureView, DropTakesTheFirstLocalFile) {
    MyPictureWidget view;
    EXPECT_TRUE(view.acceptDrops());
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/first.png"), QUrl::fromLocalFile("/tmp/second.png")});
    drop(view, files);
    EXPECT_EQ(view.getPictureName(), "/tmp/first.png");

    QMimeData text;
    text.setText("no file here");
    drop(view, text);
    QMimeData web;
    web.setUrls({QUrl("https://example.invalid/picture.png")});
    drop(view, web);
    EXPECT_EQ(view.getPictureName(), "/tmp/first.png");
}

TEST(PictureView, LargePicturesShrinkToFitSmallOnesKeepTheirSize) {
    EXPECT_EQ(MyPictureWidget::drawnSize({2000, 1000}, {800, 600}), QSize(800, 400));
    EXPECT_EQ(MyPictureWidget::drawnSize({200, 100}, {800, 600}), QSize(200, 100));
    EXPECT_EQ(MyPictureWidget::drawnSize({600, 1200}, {800, 600}), QSize(300, 600));
    EXPECT_EQ(MyPictureWidget::drawnSize({1600, 10}, {800, 600}), QSize(800, 5));
}

} // namespace
