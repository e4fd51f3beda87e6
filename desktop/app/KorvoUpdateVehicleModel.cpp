#include "KorvoUpdateVehicleModel.h"

KorvoUpdateVehicleModel::KorvoUpdateVehicleModel(const QString& path, const QString& vehicle)
    : m_path(QString(path).replace('\\', '/')), m_vehicle(vehicle) {
    QString trimmed = m_path;
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    m_subVehicle = trimmed.section('/', -1);
}
