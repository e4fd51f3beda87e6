// The picture tool's main window: menus, the picture view, the capture frame, the 10-second preview refresh, the
// save into a dated copy of the newest package, and the close flow that restarts pluvo. GUI thread only; every
// conversion and patch runs on it and blocks the window for its length.
//
// Working files ("SourcePictureCopy.<ext>", "Result_temp.bmp", "Result.bmp" and the converter's "temp.bmp") live in
// a private temporary folder made with the window and removed with it, never beside the user's pictures. A picture
// is converted again only when its file was written since, or while the capture frame is shown; one that is no
// regular file, cannot be read or is too large is refused in words, once.
#pragma once

#include "picturefile.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class CapturingDialog;
class MyPictureWidget;
class QAction;

// What the window needs of the world around it; each part left empty takes the program's own behaviour.
struct MainWindowEnvironment {
    static constexpr int kRefreshIntervalMs = 10000; // often enough to follow the capture frame, rare enough to idle

    QString updateFolder; // where packages are looked for; empty: "update" beside pluvo
    QString pluvoFolder;  // pluvo's folder; empty: the folder above this executable's folder
    int refreshIntervalMs = kRefreshIntervalMs;
    // Asks whether to save the unsaved preview; true for "是".
    std::function<bool(QWidget* parent)> askSave;
    // Shows a notice; failed marks a refusal rather than a success.
    std::function<void(QWidget* parent, const QString& text, bool failed)> notify;
    // Grabs the screen inside the capture frame into a file; true when the file was written.
    std::function<bool(CapturingDialog* frame, const QString& path)> grab;
    // Whether the screen shows what lies below the capture frame (needs a compositing manager on X11).
    std::function<bool()> canCapture;
    // Starts a program detached, with an argument list and a working directory; true when it started.
    std::function<bool(const QString& program, const QStringList& arguments, const QString& workingDirectory)> launch;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // What applyLogoToLatestPackage achieved; only Patched wrote a package.
    enum class PatchResult { Patched, NoPackage, NoLogoEntry, Failed };
    // What became of the preview; only Converted left a preview of the current picture or capture.
    enum class PreviewResult { Converted, NoWorkFolder, Refused, Failed };

    explicit MainWindow(QWidget* parent = nullptr);
    MainWindow(const MainWindowEnvironment& environment, QWidget* parent = nullptr);
    ~MainWindow() override;

    MyPictureWidget* pictureWidget() const { return m_pictureWidget; }
    CapturingDialog* capturingDialog() const { return m_capture; }
    QAction* openCaptureAction() const { return m_openCaptureAction; }
    QAction* closeCaptureAction() const { return m_closeCaptureAction; }

    // "SourcePictureCopy" plus the extension of the picture's file name (none when the name has none).
    static QString workingCopyName(const QString& picturePath);
    // The private folder of the working files; empty when it could not be made.
    QString workFolder() const;

    // Brings the preview up to date; a picture refused for what it is is told once.
    void refreshPreview();
    // Brings the preview up to date and, when that worked, makes it the saved logo.
    PreviewResult savePicture();
    // Writes the saved logo into a dated copy of the newest package; written receives that copy's path.
    PatchResult applyLogoToLatestPackage(QString* written = nullptr);
    void askSaveOnClose();

signals:
    void pictureChanged(QString strPicName);

public slots:
    void startProcesspluvo();
    void onOpenPicture();
    void onSavePicture();
    void onExit();
    void onOpenCapture();
    void onCloseCapture();
    void onAbout();

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setupUi();
    void createMenus();
    void ensureCapture();
    bool hasPicture() const;
    QString workFile(const QString& name) const;
    bool makeWorkingCopy(const QString& picture, const QString& copy);
    PreviewResult updatePreview();
    QString previewFailureText(PreviewResult result) const;
    static QString refusalText(const picturefile::Check& check);
    void reportPatch(PatchResult result, const QString& written, bool reportSuccess);

    MainWindowEnvironment m_env;
    std::unique_ptr<QTemporaryDir> m_workDir; // null when the system names no temporary folder
    QString m_workFolderProblem;              // why there is no private folder, as the user is told
    // The picture file the preview was last made from (or refused for), and what came of it; cleared by a capture.
    picturefile::Check m_previewCheck;
    PreviewResult m_previewResult = PreviewResult::Failed;
    bool m_previewOfPicture = false;
    picturefile::Stamp m_toldRefused; // the refused picture the user was last told of
    MyPictureWidget* m_pictureWidget = nullptr;
    CapturingDialog* m_capture = nullptr;
    QAction* m_openCaptureAction = nullptr;
    QAction* m_closeCaptureAction = nullptr;
    int m_timerId = 0;
    bool m_closed = false;
    bool m_toldCaptureNeedsCompositing = false;
};
