#include "mainbundle.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <mutex>

#ifndef KORVO_VERSION
#define KORVO_VERSION "1.0.0"
#endif

namespace mainbundle {

namespace {
std::mutex g_mutex;
QString g_resourcePath;
} // namespace

QString resourcePath() {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_resourcePath.isEmpty()) return g_resourcePath;
    }
    const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString(".");
    return dir + "/Resources";
}

void setResourcePath(const QString& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_resourcePath = path;
}

QString pathForResource(const QString& name, const QString& type) {
    if (name.isEmpty()) return {};
    const QString path = resourcePath() + "/" + name + (type.isEmpty() ? QString() : "." + type);
    return QFileInfo::exists(path) ? path : QString();
}

QString shortVersionString() {
    return QStringLiteral(KORVO_VERSION);
}

} // namespace mainbundle
