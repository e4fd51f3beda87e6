// One package of a product's package list with the vehicle make it is shown under and the makes it serves; built
// by the main view model, which groups these by vehicle.
#pragma once

#include "KorvoUpdateDownloadModel.h"

#include <QStringList>

#include <memory>
#include <vector>

struct KorvoUpdateVehicleFamilyModel {
    static constexpr const char* className = "KorvoUpdateVehicleFamilyModel";

    QString vehicle;
    QStringList subVehicles;           // the vehicle makes the package serves
    KorvoUpdateDownloadModelPtr model; // the package, shared with whoever else holds it
    double height = 0;
};

using KorvoUpdateVehicleFamilyModelPtr = std::shared_ptr<KorvoUpdateVehicleFamilyModel>;
using KorvoUpdateVehicleGroup = std::vector<KorvoUpdateVehicleFamilyModelPtr>;
