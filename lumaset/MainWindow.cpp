#include "MainWindow.h"

#include "CapturingDialog.h"
#include "Lumaset.h"
#include "MyPictureWidget.h"
#include "capturegeometry.h"
#include "package.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const char kWorkingCopyStem[] = "SourcePictureCopy";
const char kPreviewFile[] = "Result_temp.bmp";
const char kSavedFile[] = "Result.bmp";
const char kPluvoProgram[] = "pluvo";
const char kPictureFilter[] = " (*.png *.xpm *.jpg *.jpeg *.bmp *.gif)";
// The private folder of the working files, inside the system's temporary folder.
const char kWorkFolderTemplate[] = "/Lumaset-XXXXXX";
const char kTempFolderVariable[] = "TMPDIR"; // where the system's temporary folder is named
constexpr int64_t kPixelsPerMegapixel = 1'000'000;
const char kOwnerLine[] = "Lumaset";
const char kOwnerText[] = "Lumaset - boot logos for the scan tools";
// A data section of this many bytes or fewer is never patched, whatever it holds.
constexpr size_t kSmallestDataWithLogo = 52;
constexpr int kInitialWidth = 800;
constexpr int kInitialHeight = 600;

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QByteArray md5Of(const QString& path) {
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
}

// Replaces to with a copy of from, through a temporary file, so a reader never sees half a logo.
bool replaceFile(const QString& from, const QString& to) {
    firmware::Bytes bytes;
    return firmware::readWholeFile(localPath(from), bytes) && firmware::writeFileAtomically(localPath(to), bytes);
}

// Whether the data section carries the logo entry that patchLogoInPackage writes into.
bool hasLogoEntry(const firmware::SectionMap& sections) {
    const auto data = sections.find(firmware::kDataSectionKey);
    if (data == sections.end() || data->second.size() <= kSmallestDataWithLogo) return false;
    const std::string name = firmware::kLogoEntryName;
    return std::search(data->second.begin(), data->second.end(), name.begin(), name.end()) != data->second.end();
}

bool askSaveWithBox(QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, MainWindow::tr("提示"), MainWindow::tr("图片尚未保存,是否保存图片?"),
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(MainWindow::tr("是"), QMessageBox::YesRole);
    box.addButton(MainWindow::tr("否"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

void notifyWithBox(QWidget* parent, const QString& text, bool failed) {
    QMessageBox box(failed ? QMessageBox::Warning : QMessageBox::Information, MainWindow::tr("提示"), text,
                    QMessageBox::NoButton, parent);
    box.addButton(MainWindow::tr("确定"), QMessageBox::AcceptRole);
    box.exec();
}

MainWindowEnvironment completed(MainWindowEnvironment env) {
    if (env.pluvoFolder.isEmpty()) env.pluvoFolder = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/..");
    if (!env.askSave) env.askSave = askSaveWithBox;
    if (!env.notify) env.notify = notifyWithBox;
    if (!env.canCapture) env.canCapture = CapturingDialog::canSeeThrough;
    if (!env.grab) env.grab = [](CapturingDialog* frame, const QString& path) { return frame->grabToFile(path); };
    if (!env.launch)
        env.launch = [](const QString& program, const QStringList& arguments, const QString& workingDirectory) {
            return QProcess::startDetached(program, arguments, workingDirectory);
        };
    return env;
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : MainWindow(MainWindowEnvironment(), parent) {}

MainWindow::MainWindow(const MainWindowEnvironment& environment, QWidget* parent)
    : QMainWindow(parent), m_env(completed(environment)) {
    // Qt names no folder when $TMPDIR does not exist: a template made from that would land in "/".
    const QString temp = QDir::tempPath();
    if (!temp.isEmpty()) m_workDir = std::make_unique<QTemporaryDir>(temp + kWorkFolderTemplate);
    if (workFolder().isEmpty()) {
        const QString named = temp.isEmpty() ? QFile::decodeName(qgetenv(kTempFolderVariable)) : temp;
        const QString reason = m_workDir ? m_workDir->errorString() : QString::fromLocal8Bit(std::strerror(ENOENT));
        m_workFolderProblem =
            tr("无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。")
                .arg(QDir::toNativeSeparators(named), reason);
    }
    setupUi();
    showMaximized();
    setWindowTitle(tr("图片转换工具") + " " + kOwnerLine);
    createMenus();
    m_pictureWidget = new MyPictureWidget(this);
    setCentralWidget(m_pictureWidget);
    connect(this, &MainWindow::pictureChanged, m_pictureWidget, &MyPictureWidget::drawPicture);
    m_timerId = startTimer(m_env.refreshIntervalMs, Qt::CoarseTimer);
    if (!m_workFolderProblem.isEmpty()) m_env.notify(this, m_workFolderProblem, true);
}

MainWindow::~MainWindow() = default;

void MainWindow::setupUi() {
    if (objectName().isEmpty()) setObjectName("MainWindow");
    resize(kInitialWidth, kInitialHeight);
    auto* central = new QWidget(this);
    central->setObjectName("centralwidget");
    setCentralWidget(central);
    auto* bar = new QMenuBar(this);
    bar->setObjectName("menubar");
    setMenuBar(bar);
    auto* status = new QStatusBar(this);
    status->setObjectName("statusbar");
    setStatusBar(status);
    setWindowTitle(tr("MainWindow"));
}

void MainWindow::createMenus() {
    QMenu* file = menuBar()->addMenu(tr("文件") + "(&F)");
    connect(file->addAction(tr("打开") + "(&O)"), &QAction::triggered, this, &MainWindow::onOpenPicture);
    connect(file->addAction(tr("保存") + "(&S)"), &QAction::triggered, this, &MainWindow::onSavePicture);
    connect(file->addAction(tr("退出") + "(&Q)"), &QAction::triggered, this, &MainWindow::onExit);

    QMenu* edit = menuBar()->addMenu(tr("编辑") + "(&E)");
    m_openCaptureAction = edit->addAction(tr("打开截图") + "(&A)");
    m_closeCaptureAction = edit->addAction(tr("关闭截图") + "(&C)");
    m_openCaptureAction->setEnabled(true);
    m_closeCaptureAction->setEnabled(false);
    connect(m_openCaptureAction, &QAction::triggered, this, &MainWindow::onOpenCapture);
    connect(m_closeCaptureAction, &QAction::triggered, this, &MainWindow::onCloseCapture);

    QMenu* help = menuBar()->addMenu(tr("帮助") + "(&H)");
    connect(help->addAction(tr("关于")), &QAction::triggered, this, &MainWindow::onAbout);
}

bool MainWindow::hasPicture() const {
    return !m_pictureWidget->getPictureName().isEmpty();
}

QString MainWindow::workingCopyName(const QString& picturePath) {
    const QString suffix = QFileInfo(picturePath).suffix();
    return suffix.isEmpty() ? QString(kWorkingCopyStem) : QString(kWorkingCopyStem) + "." + suffix;
}

QString MainWindow::workFolder() const {
    return m_workDir && m_workDir->isValid() ? m_workDir->path() : QString();
}

QString MainWindow::workFile(const QString& name) const {
    // Without the private folder no name is given at all, so nothing lands in the current or root folder.
    return workFolder().isEmpty() ? QString() : m_workDir->filePath(name);
}

bool MainWindow::makeWorkingCopy(const QString& picture, const QString& copy) {
    // What the view shows but the converter cannot decode (XPM, GIF) is handed over as PNG pixels.
    if (!pictureLibraryReads(localPath(picture))) {
        const QImage image(picture);
        if (!image.isNull()) return image.save(copy, "PNG");
    }
    return QFile::copy(picture, copy);
}

MainWindow::PreviewResult MainWindow::updatePreview() {
    if (workFolder().isEmpty()) return PreviewResult::NoWorkFolder;
    const QString picture = m_pictureWidget->getPictureName();
    const QString copy = workFile(workingCopyName(picture));
    const QString preview = workFile(kPreviewFile);
    QFile::remove(copy);
    // A grab that yields nothing (no screen access, as under Wayland) falls back to the picture file.
    if (m_capture && m_capture->isVisible()) {
        if (m_env.grab(m_capture, copy)) {
            m_previewOfPicture = false;
            const bool converted = convertToLogo(localPath(copy), localPath(preview));
            QFile::remove(copy);
            return converted ? PreviewResult::Converted : PreviewResult::Failed;
        }
        QFile::remove(copy);
    }
    const picturefile::Check check = picturefile::inspect(picture);
    // Not written since it was last converted or refused: that result stands, and the picture is not read again.
    if (m_previewOfPicture && check.stamp.size >= 0 && check.stamp == m_previewCheck.stamp) return m_previewResult;
    m_previewCheck = check;
    m_previewOfPicture = true;
    if (check.verdict != picturefile::Verdict::Ok) {
        m_previewResult = PreviewResult::Refused;
        return m_previewResult;
    }
    const bool converted = makeWorkingCopy(picture, copy) && convertToLogo(localPath(copy), localPath(preview));
    QFile::remove(copy);
    m_previewResult = converted ? PreviewResult::Converted : PreviewResult::Failed;
    return m_previewResult;
}

void MainWindow::refreshPreview() {
    // A refusal is told once per file: the timer would raise the same box every few seconds.
    if (updatePreview() == PreviewResult::Refused && m_previewCheck.stamp != m_toldRefused) {
        m_toldRefused = m_previewCheck.stamp;
        m_env.notify(this, refusalText(m_previewCheck), true);
    }
}

MainWindow::PreviewResult MainWindow::savePicture() {
    const PreviewResult result = updatePreview();
    if (result != PreviewResult::Converted) return result;
    return replaceFile(workFile(kPreviewFile), workFile(kSavedFile)) ? PreviewResult::Converted : PreviewResult::Failed;
}

QString MainWindow::refusalText(const picturefile::Check& check) {
    const QString name = QFileInfo(check.stamp.path).fileName();
    switch (check.verdict) {
    case picturefile::Verdict::NotRegular:
        return tr("%1 不是普通文件,不能作为图片打开。请选择一个图片文件。").arg(name);
    case picturefile::Verdict::TooLarge:
        return tr("图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。")
            .arg(check.size.width())
            .arg(check.size.height())
            .arg(picturefile::kMaxPicturePixels / kPixelsPerMegapixel);
    case picturefile::Verdict::Ok:
    case picturefile::Verdict::Missing:
    case picturefile::Verdict::Unreadable:
        break;
    }
    return tr("无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。").arg(name);
}

QString MainWindow::previewFailureText(PreviewResult result) const {
    switch (result) {
    case PreviewResult::NoWorkFolder:
        return m_workFolderProblem;
    case PreviewResult::Refused:
        return refusalText(m_previewCheck);
    case PreviewResult::Converted:
    case PreviewResult::Failed:
        break;
    }
    return tr("图片无法转换,文件未保存。请选择其他图片。");
}

MainWindow::PatchResult MainWindow::applyLogoToLatestPackage(QString* written) {
    const std::string package = m_env.updateFolder.isEmpty()
                                    ? firmware::findLatestPackage()
                                    : firmware::findLatestPackageIn(localPath(m_env.updateFolder));
    if (package.empty()) return PatchResult::NoPackage;
    firmware::Bytes bytes, logo;
    const std::string saved = localPath(workFile(kSavedFile));
    // Without the saved logo the patcher would also write a copy equal to its source.
    if (!firmware::readWholeFile(package, bytes) || !firmware::readWholeFile(saved, logo)) return PatchResult::Failed;
    firmware::scramble(bytes);
    // The copy gets a fresh checksum: a damaged package would come out as one the flashers accept.
    if (!firmware::checkPackage(bytes.data(), bytes.size()).ok) return PatchResult::Failed;
    const firmware::SectionMap sections = firmware::parsePackage(bytes);
    if (sections.empty()) return PatchResult::Failed;
    // Without a logo entry the patcher would write a dated copy equal to its source: nothing to save into.
    if (!hasLogoEntry(sections)) return PatchResult::NoLogoEntry;
    // One date for the patch and the name reported, also across midnight.
    const std::string today = firmware::todayYyyyMmDd();
    if (!firmware::patchLogoInPackage(sections, package, saved, today)) return PatchResult::Failed;
    if (written) *written = QFile::decodeName(firmware::datedPackagePath(package, today).c_str());
    return PatchResult::Patched;
}

void MainWindow::reportPatch(PatchResult result, const QString& written, bool reportSuccess) {
    switch (result) {
    case PatchResult::Patched:
        // Named, since pluvo then lists the new copy beside the package it was made from.
        if (reportSuccess) m_env.notify(this, tr("文件已保存") + "\n" + QFileInfo(written).fileName(), false);
        break;
    case PatchResult::NoPackage:
        m_env.notify(this, tr("update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。"), true);
        break;
    case PatchResult::NoLogoEntry:
        m_env.notify(this, tr("最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。"), true);
        break;
    case PatchResult::Failed:
        m_env.notify(this, tr("固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。"), true);
        break;
    }
}

void MainWindow::onSavePicture() {
    // Also with the capture frame shown: the frame is converted only once a picture is open.
    if (!hasPicture()) {
        m_env.notify(this, tr("请先打开一张图片(文件 → 打开),再保存。"), true);
        return;
    }
    const PreviewResult saved = savePicture();
    if (saved != PreviewResult::Converted) {
        if (saved == PreviewResult::Refused) m_toldRefused = m_previewCheck.stamp;
        m_env.notify(this, previewFailureText(saved), true);
        return;
    }
    QString written;
    const PatchResult patched = applyLogoToLatestPackage(&written);
    reportPatch(patched, written, true);
}

void MainWindow::onOpenPicture() {
    const QString path = QFileDialog::getOpenFileName(this, tr("选择图片"), QString(), tr("图片格式") + kPictureFilter);
    if (path.isEmpty()) return;
    // A refused choice leaves the picture as it was.
    const picturefile::Check check = picturefile::inspect(path);
    if (check.verdict != picturefile::Verdict::Ok) {
        m_toldRefused = check.stamp;
        m_env.notify(this, refusalText(check), true);
        return;
    }
    emit pictureChanged(path);
}

void MainWindow::onExit() {
    close();
}

void MainWindow::ensureCapture() {
    if (!m_capture) m_capture = new CapturingDialog(centralWidget());
}

void MainWindow::onOpenCapture() {
    m_openCaptureAction->setEnabled(false);
    m_closeCaptureAction->setEnabled(true);
    ensureCapture();
    m_capture->resize(capture::kDefaultSize);
    m_capture->show();
    if (!m_toldCaptureNeedsCompositing && !m_env.canCapture()) {
        m_toldCaptureNeedsCompositing = true;
        m_env.notify(this, tr("截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。"),
                     true);
    }
}

void MainWindow::onCloseCapture() {
    m_openCaptureAction->setEnabled(true);
    m_closeCaptureAction->setEnabled(false);
    ensureCapture();
    m_capture->close();
}

void MainWindow::onAbout() {
    QMessageBox box(QMessageBox::Information, tr("关于"), tr("图片转换工具") + "\n" + kOwnerText, QMessageBox::NoButton,
                    this);
    box.addButton(tr("确定"), QMessageBox::AcceptRole);
    box.exec();
}

void MainWindow::timerEvent(QTimerEvent*) {
    if (hasPicture()) refreshPreview();
}

void MainWindow::askSaveOnClose() {
    if (m_timerId) killTimer(m_timerId);
    m_timerId = 0;
    const QString preview = workFile(kPreviewFile), saved = workFile(kSavedFile);
    if (!hasPicture()) {
        QFile::remove(preview);
        return;
    }
    if (md5Of(preview) != md5Of(saved) && m_env.askSave(this)) {
        QString written;
        if (replaceFile(preview, saved)) {
            const PatchResult patched = applyLogoToLatestPackage(&written);
            reportPatch(patched, written, false);
        } else {
            m_env.notify(this, tr("图片无法转换,文件未保存。请选择其他图片。"), true);
        }
    }
    QFile::remove(saved);
    QFile::remove(preview);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing twice (File, Exit while a close is under way) must not start pluvo twice.
    if (m_closed) {
        event->accept();
        return;
    }
    m_closed = true;
    askSaveOnClose();
    QMainWindow::closeEvent(event);
    startProcesspluvo();
}

void MainWindow::startProcesspluvo() {
    const QString folder = m_env.pluvoFolder.endsWith('/') ? m_env.pluvoFolder : m_env.pluvoFolder + "/";
    m_env.launch(folder + kPluvoProgram, QStringList(), folder);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
}
