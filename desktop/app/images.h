// Named images and colours of the application's resources: <name>.svg (drawn at any size through Qt SVG),
// <name>.png or <name>.jpg in the resource folder, and the named colours of colors.ini. A missing name gives a
// null image, which widgets show as nothing. GUI thread.
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace images {

// Path of the file that holds the named image, or an empty text.
QString pathForImage(const QString& name);
// The image's own size (an SVG's view box), or an empty size when there is no such image.
QSize naturalSize(const QString& name);
// The named image drawn at size (its own size when size is empty).
QImage imageNamed(const QString& name, QSize size = {});
// The same for a screen of the given pixel ratio.
QPixmap pixmapNamed(const QString& name, QSize size, qreal devicePixelRatio = 1.0);
QIcon iconNamed(const QString& name);
// A named colour of the resources; fallback when it is not defined.
QColor colorNamed(const QString& name, const QColor& fallback = Qt::white);

} // namespace images
