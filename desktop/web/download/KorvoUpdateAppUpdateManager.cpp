#include "KorvoUpdateAppUpdateManager.h"

#include "ChildProcess.h"
#include "KorvoUpdateCommonTool.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// xdg-open returns once it has handed the file on; one that hangs (a desktop without a handler asking on a
// terminal) must not hold the caller for ever.
constexpr int kOpenTimeoutMs = 15000;

} // namespace

KorvoUpdateAppUpdateManager& KorvoUpdateAppUpdateManager::sharedManager() {
    static KorvoUpdateAppUpdateManager instance;
    return instance;
}

bool KorvoUpdateAppUpdateManager::isOpenablePackage(const QString& path, QString* absolutePath) {
    if (path.isEmpty()) return false;
    const QString folder = QFileInfo(KorvoUpdateCommonTool::sharedTool().getUpdateDirectory()).canonicalFilePath();
    const QString file = QFileInfo(path).canonicalFilePath(); // links resolved: the file itself must qualify
    if (folder.isEmpty() || file.isEmpty() || !file.startsWith(folder + QLatin1Char('/'))) return false;
    struct stat st;
    if (::stat(QFile::encodeName(file).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) return false;
    if (file.endsWith(QStringLiteral(".desktop"), Qt::CaseInsensitive)) return false;
    if (absolutePath) *absolutePath = file;
    return true;
}

void KorvoUpdateAppUpdateManager::setOpener(Opener opener) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_opener = std::move(opener);
}

void KorvoUpdateAppUpdateManager::runXdgOpen(const QString& absolutePath) {
    ChildProcess::run({"xdg-open", QFile::encodeName(absolutePath).toStdString()}, kOpenTimeoutMs);
}

void KorvoUpdateAppUpdateManager::openInstallationPackage(const QString& path) {
    QString file;
    if (!isOpenablePackage(path, &file)) return;
    Opener opener;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        opener = m_opener;
    }
    if (opener)
        opener(file);
    else
        runXdgOpen(file);
}
