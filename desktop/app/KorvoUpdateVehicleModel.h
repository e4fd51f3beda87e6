// One entry of the shipped vehicle list: its path (with "/" between components), the vehicle (make) it belongs to,
// and its last path component. A plain value.
#pragma once

#include <QString>

class KorvoUpdateVehicleModel {
public:
    KorvoUpdateVehicleModel() = default;
    // path may use backslashes, as the list file does; they become "/".
    KorvoUpdateVehicleModel(const QString& path, const QString& vehicle);

    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }
    QString vehicle() const { return m_vehicle; }
    void setVehicle(const QString& vehicle) { m_vehicle = vehicle; }
    QString subVehicle() const { return m_subVehicle; }
    void setSubVehicle(const QString& subVehicle) { m_subVehicle = subVehicle; }

    bool operator==(const KorvoUpdateVehicleModel& other) const {
        return m_path == other.m_path && m_vehicle == other.m_vehicle && m_subVehicle == other.m_subVehicle;
    }

private:
    QString m_path;
    QString m_vehicle;
    QString m_subVehicle;
};
