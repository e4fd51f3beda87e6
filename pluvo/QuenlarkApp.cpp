#include "QuenlarkApp.h"

#include "CodePage.h"
#include "DataSheet.h"
#include "DeviceWatcher.h"
#include "Fonts.h"
#include "Profile.h"
#include "QtTranslations.h"
#include "QuenlarkDlg.h"
#include "TextLibrary.h"

#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
std::atomic<bool> g_doubleByte{false};
} // namespace

CQuenlarkApp::~CQuenlarkApp() {
    ExitInstance();
}

QString CQuenlarkApp::InstanceLockPath() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists())
        return QString::fromLocal8Bit(runtime) + QLatin1Char('/') + QLatin1String(kInstanceLockName);
    return QDir::tempPath() + QStringLiteral("/%1-%2").arg(::getuid()).arg(QLatin1String(kInstanceLockName));
}

bool CQuenlarkApp::TakeInstanceLock(const QString& path) {
    if (m_lockFd >= 0) return true;
    // The kernel drops an flock when its process dies, so a crashed pluvo never blocks the next start.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_lockFd = fd;
    return true;
}

bool CQuenlarkApp::CheckLanguage(const QString& programFolder, bool showError) {
    const int language = CProfile::CTextFile::GetConfigInt(programFolder + QString::fromLatin1(kConfigFileName),
                                                           QStringLiteral("Setting"), QStringLiteral("Language"), 0);
    g_doubleByte = language == kChineseLanguage;
    CCodePage::Settle(language);
    qttranslations::install(qttranslations::languageOfNumber(language)); // Qt's own dialogs in the same language
    // The library's own opener: any letter case of the name, and its scrambled name.
    CDataSheet sheet;
    sheet.SetFolder((programFolder + QStringLiteral("language/")).toStdString());
    const bool ok =
        pluvo::OpenUsableLibrary(sheet, pluvo::LibraryFileName(CCodePage::ForLanguage(language).libraryIndex));
    sheet.Close();
    if (!ok && showError)
        QMessageBox(QMessageBox::Critical, QStringLiteral("ERROR"), QStringLiteral("Language error"), QMessageBox::Ok)
            .exec();
    return ok;
}

bool CQuenlarkApp::doubleByteLanguage() {
    return g_doubleByte;
}

bool CQuenlarkApp::InitInstance() {
    if (!TakeInstanceLock()) return false; // a second start ends silently
    if (!CheckLanguage(GetExeFolder())) return false;
    CreateSharedFonts();
    CQuenlarkDlg dlg;
    DeviceWatcher watcher;
    QObject::connect(&watcher, &DeviceWatcher::changed, &dlg, &CQuenlarkDlg::OnDeviceChange);
    dlg.OnInitDialog();
    dlg.exec();
    return false;
}

int CQuenlarkApp::ExitInstance() {
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
    return 1;
}
