// The logic behind the web part's main screen; it has no state.
//  - Six request wrappers fill an operation's parameters from the saved account (the user name of the last
//    log-in) and report through one completion block: (model, no error) on the network queue, or (null, error) on
//    the main queue. Ids or ticket fields that are missing are refused with a Caller error, nothing sent.
//  - List operations turn a product's package list into what the screen shows: the newest version of each software,
//    and the packages grouped by vehicle make with the makes each serves. They run on the caller's thread and
//    change the records and families they are given (vehicle, subVehicles).
#pragma once

#include "KorvoUpdateNetworkManager.h"
#include "KorvoUpdateSupportTicketsModel.h"
#include "KorvoUpdateVehicleFamilyModel.h"
#include "KorvoUpdateVehicleModel.h"

#include <QMap>

#include <optional>
#include <utility>

template <class T>
using KorvoUpdateCompletion =
    std::function<void(const std::shared_ptr<T>& result, const std::optional<KorvoUpdateNetworkError>& error)>;

// Vehicle make to the card folder names of its software, in the order they were added.
using KorvoUpdateVehicleFolders = std::vector<std::pair<QString, QStringList>>;

class KorvoUpdateMainViewModel {
public:
    // "NULL", "<null>", "(null)", a null text and one of only white space give the empty text; anything else is
    // kept as it is (not trimmed).
    static QString cleanedValue(const QString& value);
    // The user name of the saved log-in reply, cleaned.
    static QString userName();

    void requestProductSerialNumbersWithCompletion(const KorvoUpdateCompletion<KorvoUpdateProductResultModel>& done);
    // serialID none: 0 is sent.
    void requestMyUpdatesWithSerialID(std::optional<long long> serialID,
                                      const KorvoUpdateCompletion<KorvoUpdateUpgradeResultModel>& done);
    void requestSoftwareInfoWithProductID(std::optional<long long> productID,
                                          const KorvoUpdateCompletion<KorvoUpdateSoftwareResultModel>& done);
    void requestProductIDsWithCompletion(const KorvoUpdateCompletion<KorvoUpdateProductResultModel>& done);
    void requestUserComplaint(const KorvoUpdateSupportTicketsModel* ticket,
                              const KorvoUpdateCompletion<KorvoUpdateResultModel>& done);
    // orderID: a JSON text or number; null is refused.
    void getOrderStatusWithOrderID(const nlohmann::ordered_json& orderID,
                                   const KorvoUpdateCompletion<KorvoUpdateOrderResultModel>& done);

    // The twelve entries of a support ticket in their order; none when a field of the ticket is missing.
    static std::optional<nlohmann::ordered_json> supportTicketParameters(const KorvoUpdateSupportTicketsModel& ticket,
                                                                         const QString& user);

    // The number after the first "V" of a version text, read as far as it forms a decimal number ("V1.2.3" is
    // 1.2); 0 when there is none.
    static double versionNumber(const QString& version);
    // Each run of neighbouring records of one software (ignoring case) keeps its records of the highest version.
    std::vector<KorvoUpdateDownloadModelPtr>
    filterLastestSoftware(const std::vector<KorvoUpdateDownloadModelPtr>& records) const;
    // The vehicle groups of the main screen; vehicleModels maps an upper-case card path to its vehicle entry.
    std::vector<KorvoUpdateVehicleGroup>
    transformFullDwonloadModels(const std::vector<KorvoUpdateDownloadModelPtr>& records,
                                const QMap<QString, KorvoUpdateVehicleModel>& vehicleModels,
                                const QString& productName) const;
    // A grouping by card folder names: a record goes under the first make whose folders hold its folder and whose
    // software names it; sub-vehicles are not set.
    std::vector<KorvoUpdateVehicleGroup>
    transformDwonloadModels(const std::vector<KorvoUpdateDownloadModelPtr>& records,
                            const KorvoUpdateVehicleFolders& vehicles, const QString& productName) const;
    // Sorts families by vehicle (ignoring case, stable), groups equal vehicles (exact), sets the sub-vehicles.
    // vehicle is not used.
    std::vector<KorvoUpdateVehicleGroup> getGroupArray(std::vector<KorvoUpdateVehicleFamilyModelPtr>& families,
                                                       const QStringList& vehicle, const QString& product) const;
    // Renames of maintenance makes and the makes a model leaves out: [family] or [].
    std::vector<KorvoUpdateVehicleFamilyModelPtr> resetMainData(const KorvoUpdateVehicleFamilyModelPtr& family,
                                                                const QString& product) const;
    bool isQM82Default(const QString& product) const;
    bool getIsProduct(const QString& product) const;
    QStringList getPaySubVehicles(const QString& vehicle, const QStringList& subVehicles) const;
    QStringList getSubVehicles(const QString& vehicle, const QStringList& subVehicles) const;

private:
    static std::vector<KorvoUpdateVehicleGroup> sortAndGroup(std::vector<KorvoUpdateVehicleFamilyModelPtr>& families);
};
