#include "images.h"

#include "mainbundle.h"

#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QSettings>
#include <QSvgRenderer>

#include <memory>

namespace images {

namespace {
const char* const kImageTypes[] = {"svg", "png", "jpg"};

QString cacheKey(const QString& path, QSize size) {
    return path + "|" + QString::number(size.width()) + "x" + QString::number(size.height());
}
} // namespace

QString pathForImage(const QString& name) {
    for (const char* type : kImageTypes) {
        const QString path = mainbundle::pathForResource(name, type);
        if (!path.isEmpty()) return path;
    }
    return {};
}

QSize naturalSize(const QString& name) {
    const QString path = pathForImage(name);
    if (path.isEmpty()) return {};
    if (path.endsWith(".svg")) {
        QSvgRenderer renderer(path);
        return renderer.isValid() ? renderer.defaultSize() : QSize();
    }
    return QImageReader(path).size();
}

QImage imageNamed(const QString& name, QSize size) {
    static QHash<QString, QImage> cache;
    const QString path = pathForImage(name);
    if (path.isEmpty()) return {};
    const QString key = cacheKey(path, size);
    auto it = cache.find(key);
    if (it != cache.end()) return *it;

    QImage out;
    if (path.endsWith(".svg")) {
        QSvgRenderer renderer(path);
        if (renderer.isValid()) {
            const QSize target = size.isEmpty() ? renderer.defaultSize() : size;
            out = QImage(target, QImage::Format_ARGB32_Premultiplied);
            out.fill(Qt::transparent);
            QPainter p(&out);
            p.setRenderHint(QPainter::Antialiasing);
            renderer.render(&p);
        }
    } else {
        QImageReader reader(path);
        if (!size.isEmpty()) reader.setScaledSize(size);
        out = reader.read();
    }
    cache.insert(key, out);
    return out;
}

QPixmap pixmapNamed(const QString& name, QSize size, qreal devicePixelRatio) {
    const QSize pixels = size.isEmpty() ? naturalSize(name) * devicePixelRatio : size * devicePixelRatio;
    QPixmap pixmap = QPixmap::fromImage(imageNamed(name, pixels));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon iconNamed(const QString& name) {
    const QString path = pathForImage(name);
    return path.isEmpty() ? QIcon() : QIcon(path);
}

QColor colorNamed(const QString& name, const QColor& fallback) {
    const QString path = mainbundle::pathForResource("colors", "ini");
    if (path.isEmpty()) return fallback;
    const QColor color(QSettings(path, QSettings::IniFormat).value(name).toString());
    return color.isValid() ? color : fallback;
}

} // namespace images
