#include "Documents.h"

#include <QDir>
#include <QStandardPaths>

#include <mutex>

namespace platform {

namespace {
std::mutex g_mutex;
QString g_override;
} // namespace

QString documentsDirectory()
{
    QString path;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        path = g_override;
    }
    if (path.isEmpty())
        path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/Documents";
    QDir().mkpath(path);
    return path;
}

void setDocumentsDirectory(const QString& path)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override = path;
}

} // namespace platform
