// Assit_VELMOR: pluvo's restart helper. Started by pluvo with "maroda1 reboot" just before it closes, it waits until
// pluvo's single-instance lock is free (pluvo has ended), then starts pluvo again, detached, in its own folder.
// Exits 0 once pluvo was started, 1 when pluvo did not end in time or could not be started, 2 on wrong arguments.
#include "QuenlarkApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// pluvo ends within a few seconds of asking for the restart (a box or a slow close can hold it a little).
constexpr int kWaitForEndMs = 10000;
constexpr int kRetryMs = 100;

// True once the lock could be taken (and was given back at once).
bool lockIsFree(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd); // drops the lock too
    return free;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args != QStringList{QStringLiteral("maroda1"), QStringLiteral("reboot")}) {
        std::fprintf(stderr, "usage: Assit_VELMOR maroda1 reboot (pluvo starts this helper when it restarts)\n");
        return 2;
    }
    const QString lock = CQuenlarkApp::InstanceLockPath();
    int waited = 0;
    while (!lockIsFree(lock)) {
        if (waited >= kWaitForEndMs) {
            std::fprintf(stderr, "Assit_VELMOR: pluvo is still running after %d s; start it again yourself.\n",
                         kWaitForEndMs / 1000);
            return 1;
        }
        QThread::msleep(kRetryMs);
        waited += kRetryMs;
    }
    const QString folder = QCoreApplication::applicationDirPath();
    const QString pluvo = folder + QStringLiteral("/pluvo");
    if (!QProcess::startDetached(pluvo, {}, folder)) {
        std::fprintf(stderr, "Assit_VELMOR: %s could not be started.\n", QFile::encodeName(pluvo).constData());
        return 1;
    }
    return 0;
}
