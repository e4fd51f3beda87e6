// Writes where programs keep their user's things: Qt's own settings file (as its file dialog does), a file in the
// configuration, data and cache folders, and one in the home folder itself. Exits non-zero when a write failed.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace {
bool writeProbe(const QString& folder) {
    QFile file(folder + "/probe");
    return QDir().mkpath(folder) && file.open(QIODevice::WriteOnly) && file.write("probe") == 5;
}
} // namespace

int main() {
    QSettings settings(QSettings::UserScope, "QtProject");
    settings.setValue("probe", 1);
    settings.sync();
    bool written = settings.status() == QSettings::NoError;
    for (const auto location : {QStandardPaths::GenericConfigLocation, QStandardPaths::GenericDataLocation,
                                QStandardPaths::GenericCacheLocation})
        written = writeProbe(QStandardPaths::writableLocation(location)) && written;
    written = writeProbe(QDir::homePath()) && written;
    return written ? 0 : 1;
}
