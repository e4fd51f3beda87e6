#include "KorvoUpdateUserManualView.h"

#include "Dispatch.h"
#include "KorvoUpdateAlert.h"
#include "KorvoUpdateButtonItem.h"
#include "KorvoUpdateCommonTool.h"
#include "Log.h"
#include "korvostyle.h"
#include "mainbundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {
const char* const kManualFolder = "Pdf";
const char* const kManualSuffix = "pdf";
const char* const kDefaultOpener = "xdg-open";
// xdg-open ends with this when it finds no program for the file (4 when the program it started failed).
constexpr int kExitNoProgram = 3;
QString g_opener;

// What became of one run of the opener.
struct OpenerRun {
    bool started = false;
    bool exitedWell = false; // ended by exit() with 0
    bool noProgram = false;  // the opener, or a program for the file, is missing
    std::string failure;     // for the log, when it did not exit well
};

// Starts program with path as its one argument and waits for it to end; blocks the calling thread. The path is
// absolute, so it cannot be taken for an option. posix_spawn does not copy the process as fork() does.
OpenerRun runOpener(const QString& program, const QString& path) {
    QByteArray name = QFile::encodeName(program);
    QByteArray argument = QFile::encodeName(path);
    char* argv[] = {name.data(), argument.data(), nullptr};
    OpenerRun run;
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, name.constData(), nullptr, nullptr, argv, environ);
    if (error != 0) {
        run.noProgram = true;
        run.failure = "could not be started: " + std::string(std::strerror(error));
        return run;
    }
    run.started = true;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno == EINTR) continue;
        run.failure = "could not be waited for: " + std::string(std::strerror(errno));
        return run;
    }
    run.exitedWell = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.noProgram = WIFEXITED(status) && WEXITSTATUS(status) == kExitNoProgram;
    if (!run.exitedWell)
        run.failure = WIFEXITED(status) ? "ended with " + std::to_string(WEXITSTATUS(status))
                                        : "ended by signal " + std::to_string(WTERMSIG(status));
    return run;
}
} // namespace

KorvoUpdateUserManualView::KorvoUpdateUserManualView(QWidget* parent) : QWidget(parent) {
    setupUi();
}

KorvoUpdateUserManualView::~KorvoUpdateUserManualView() = default;

void KorvoUpdateUserManualView::setOpenerProgram(const QString& program) {
    g_opener = program;
}

QString KorvoUpdateUserManualView::openerProgram() {
    return g_opener.isEmpty() ? QString(kDefaultOpener) : g_opener;
}

QString KorvoUpdateUserManualView::cannotOpenMessage() {
    return localizedText("Manual1");
}

QString KorvoUpdateUserManualView::viewerFailedMessage() {
    return localizedText("Manual2");
}

void KorvoUpdateUserManualView::getFullBinFile() {
    const QDir folder(mainbundle::resourcePath() + "/" + kManualFolder);
    if (!folder.exists() || !QFileInfo(folder.path()).isReadable()) {
        syslogline::write("Error: the manual folder " + folder.path().toStdString() + " cannot be read");
        return;
    }
    // Sorted by name, so the buttons keep one order whatever the file system lists first.
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files, QDir::Name))
        if (info.fileName().endsWith(kManualSuffix, Qt::CaseSensitive)) m_listModels << info.absoluteFilePath();
}

void KorvoUpdateUserManualView::setupUi() {
    getFullBinFile();
    for (int i = 0; i < m_listModels.size(); ++i)
        m_buttons.push_back(setupButton(i));
}

KorvoUpdateButtonItem* KorvoUpdateUserManualView::setupButton(int index) {
    const QString title = QFileInfo(m_listModels.at(index)).completeBaseName();
    auto* item = new KorvoUpdateButtonItem(title, "icon_pdf", this);
    item->didChangeFont(korvostyle::systemFont(kTitlePixelSize));
    connect(item->tabButton(), &QPushButton::clicked, this, [this, index] { onClick(index); });
    item->setGeometry(kItemLeft + kItemStep * index, kItemTop, kItemWidth, item->sizeHint().height());
    return item;
}

void KorvoUpdateUserManualView::onClick(int tag) {
    if (tag < 0 || tag >= m_listModels.size()) return;
    const QString path = m_listModels.at(tag);
    const QString program = openerProgram();
    QPointer<KorvoUpdateUserManualView> self(this);
    // The opener may take seconds to give up, or wait while the viewer it started is open.
    dispatch::globalAsync([self, program, path] {
        const OpenerRun run = runOpener(program, path);
        if (run.exitedWell) return;
        syslogline::write("Error: " + program.toStdString() + " " + run.failure + " for " + path.toStdString());
        const bool noProgram = run.noProgram;
        dispatch::mainAsync([self, path, noProgram] {
            if (self) self->showCannotOpen(path, noProgram);
        });
    });
}

void KorvoUpdateUserManualView::showCannotOpen(const QString& path, bool noProgram) {
    m_alert = KorvoUpdateAlert::alertWithTitle(
        localizedText("Alert1"), noProgram ? cannotOpenMessage() : viewerFailedMessage(), QFileInfo(path).fileName(),
        localizedText("Update21"), QString(), QImage());
    m_alert->beginSheetModalForWindow(window(), nullptr, nullptr);
}
