#include "PngResource.h"

#include <QDir>
#include <QString>

// The pictures live in a static library: its resource data is linked only when named.
static void initResources() {
    Q_INIT_RESOURCE(pluvo);
}

QImage LoadPngResource(int id) {
    static const bool ready = (initResources(), true);
    (void)ready;
    return QImage(QStringLiteral(":/png/%1.png").arg(id), "PNG");
}
