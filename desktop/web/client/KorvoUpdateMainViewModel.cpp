#include "KorvoUpdateMainViewModel.h"

#include "KorvoUpdateUserManager.h"

#include <QHash>

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace {

using json = nlohmann::ordered_json;

const char* const kQM82DefaultModels[] = {"QM82", "QM82ZB", "QM93ZB", "QM71LUX", "QM93", "PW250", "TD610"};
const char* const kProductModels[] = {"QM82", "QM93", "TD610", "PW250", "HX44LUX", "HX45LUX", "QM71LUX"};
const char* const kMaintenanceMarker = "MAINTENANCE_";

struct Rename {
    const char* from;
    const char* to;
};
const Rename kMaintenanceRenames[] = {{"MAINTENANCE_SANGYONG", "MAINTENANCE_SSANGYONG"},
                                      {"MAINTENANCE_JAL", "MAINTENANCE_LANDROVER"}};

const char* const kQM82DropModels[] = {"QM82", "QM82ZB", "QM71LUX", "HX44LUX", "HX45LUX"};
const char* const kQM82DropMakes[] = {"ASTONMARTIN", "FERRARI", "HOLDEN", "MASERATI", "PORSCHE", "SAAB"};
const char* const kQM93DropModels[] = {"QM93", "QM93ZB"};
const char* const kQM93DropMakes[] = {"ASTONMARTIN", "FERRARI", "HOLDEN", "MASERATI",
                                      "TATA",        "ISUZU",   "MARUTI", "MAHINDRA"};

struct RelatedMakes {
    QStringList keys;
    QStringList makes;
};

const std::vector<RelatedMakes>& relatedMakes() {
    static const std::vector<RelatedMakes> table = {
        {{"BENZ"}, {"BENZ", "SPRINTER"}},
        {{"VAG", "VW"}, {"VW", "AUDI", "SKODA", "SEAT", "BENTLEY", "BUGATTI", "LAMBORGHINI", "VW COMMERCIAL"}},
        {{"BMW"}, {"BMW", "MINI", "ROLLS-ROYCE"}},
        {{"FIAT"}, {"FIAT", "ABARTH", "ALFA ROMEO", "LANCIA"}},
        {{"HONDA"}, {"HONDA", "ACURA"}},
        {{"HYUNDAI"}, {"HYUNDAI", "KIA"}},
        {{"LANDROVER", "LAND_ROVER"}, {"LAND ROVER", "JAGUAR"}},
        {{"OPEL"}, {"OPEL", "VAUXHALL"}},
        {{"RENAULT"}, {"RENAULT", "DACIA"}},
        {{"TOYOTA"}, {"TOYOTA", "LEXUS", "SCION"}},
        {{"FORD"}, {"FORD", "EU FORD"}},
        {{"PEUGEOT"}, {"PEUGEOT", "CITROEN"}},
    };
    return table;
}

QStringList lookUpRelated(const QString& vehicle, const QStringList& fallback, bool withPeugeot) {
    for (const RelatedMakes& row : relatedMakes()) {
        if (!withPeugeot && row.keys.first() == QLatin1String("PEUGEOT")) continue;
        if (row.keys.contains(vehicle, Qt::CaseInsensitive)) return row.makes;
    }
    return fallback;
}

template <size_t N> bool equalsOneOf(const QString& text, const char* const (&list)[N]) {
    return std::any_of(std::begin(list), std::end(list),
                       [&](const char* item) { return text.compare(QLatin1String(item), Qt::CaseInsensitive) == 0; });
}

// The last component of a "/"-separated path, trailing slashes ignored; null for a null path.
QString lastPathComponent(const QString& path) {
    if (path.isNull()) return QString();
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    if (trimmed == QLatin1String("/")) return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

// Whether a software name names the card folder N: equal ignoring case, equal with its "_" removed, or its two
// "_"-separated parts swapped and joined.
bool softwareNamesFolder(const QString& software, const QString& folder) {
    if (software.isNull() || folder.isNull()) return false;
    if (software.compare(folder, Qt::CaseInsensitive) == 0) return true;
    if (!software.contains(QLatin1Char('_'))) return false;
    if (QString(software).remove(QLatin1Char('_')) == folder) return true;
    const QStringList parts = software.split(QLatin1Char('_'));
    return parts.size() == 2 && parts[1] + parts[0] == folder;
}

template <class T> void refuse(const KorvoUpdateCompletion<T>& done, const QString& what) {
    if (!done) return;
    const KorvoUpdateNetworkError error{KorvoUpdateNetworkError::Kind::Caller, 0,
                                        QStringLiteral("The request was not sent: %1.").arg(what)};
    dispatch::mainAsync([done, error] { done(nullptr, error); });
}

template <class T> ModelSuccess<T> successOf(const KorvoUpdateCompletion<T>& done) {
    return [done](const std::shared_ptr<T>& model) {
        if (done) done(model, std::nullopt);
    };
}

template <class T> HTTPFailure failureOf(const KorvoUpdateCompletion<T>& done) {
    return [done](const KorvoUpdateNetworkError& error) {
        if (done) done(nullptr, error);
    };
}

json text(const QString& value) {
    return value.toStdString();
}

} // namespace

QString KorvoUpdateMainViewModel::cleanedValue(const QString& value) {
    if (value.isNull() || value == QLatin1String("NULL") || value == QLatin1String("<null>") ||
        value == QLatin1String("(null)") || value.trimmed().isEmpty())
        return QString(QLatin1String(""));
    return value;
}

QString KorvoUpdateMainViewModel::userName() {
    const auto login = KorvoUpdateUserManager::sharedManager().getUserInfo();
    return cleanedValue(login ? login->userReName : QString());
}

void KorvoUpdateMainViewModel::requestProductSerialNumbersWithCompletion(
    const KorvoUpdateCompletion<KorvoUpdateProductResultModel>& done) {
    KorvoUpdateNetworkManager::sharedManager().requestGetProductWithParams(json{{"user_name", text(userName())}},
                                                                           successOf(done), failureOf(done));
}

void KorvoUpdateMainViewModel::requestMyUpdatesWithSerialID(
    std::optional<long long> serialID, const KorvoUpdateCompletion<KorvoUpdateUpgradeResultModel>& done) {
    KorvoUpdateNetworkManager::sharedManager().requestUpdateProductWithParams(
        json{{"login_name", text(userName())}, {"serialid", serialID.value_or(0)}}, successOf(done), failureOf(done));
}

void KorvoUpdateMainViewModel::requestSoftwareInfoWithProductID(
    std::optional<long long> productID, const KorvoUpdateCompletion<KorvoUpdateSoftwareResultModel>& done) {
    if (!productID) return refuse(done, QStringLiteral("no product id was given"));
    KorvoUpdateNetworkManager::sharedManager().requestGetSoftwareInfoWithParams(json{{"product_id", *productID}},
                                                                                successOf(done), failureOf(done));
}

void KorvoUpdateMainViewModel::requestProductIDsWithCompletion(
    const KorvoUpdateCompletion<KorvoUpdateProductResultModel>& done) {
    KorvoUpdateNetworkManager::sharedManager().requestGetProductInfoWithParams(json::object(), successOf(done),
                                                                               failureOf(done));
}

std::optional<json> KorvoUpdateMainViewModel::supportTicketParameters(const KorvoUpdateSupportTicketsModel& t,
                                                                      const QString& user) {
    const QString* fields[] = {&t.subject,    &t.scanner, &t.software, &t.year,
                               &t.engineSize, &t.problem, &t.vin,      &t.version};
    if (std::any_of(std::begin(fields), std::end(fields), [](const QString* f) { return f->isNull(); }))
        return std::nullopt;
    return json{{"user_name", text(user)},
                {"title", text(t.subject)},
                {"product_name", text(t.scanner)},
                {"software_name", text(t.software)},
                {"years", text(t.year)},
                {"engine", text(t.engineSize)},
                {"problem", text(t.problem)},
                {"vin", text(t.vin)},
                {"version", text(t.version)},
                {"vech", "null"},
                {"car_m", "null"},
                {"part_number", "null"}};
}

void KorvoUpdateMainViewModel::requestUserComplaint(const KorvoUpdateSupportTicketsModel* ticket,
                                                    const KorvoUpdateCompletion<KorvoUpdateResultModel>& done) {
    if (!ticket) return refuse(done, QStringLiteral("no support ticket was given"));
    const auto params = supportTicketParameters(*ticket, userName());
    if (!params) return refuse(done, QStringLiteral("a field of the support ticket is missing"));
    KorvoUpdateNetworkManager::sharedManager().requestSupportWithParams(*params, successOf(done), failureOf(done));
}

void KorvoUpdateMainViewModel::getOrderStatusWithOrderID(
    const json& orderID, const KorvoUpdateCompletion<KorvoUpdateOrderResultModel>& done) {
    if (!orderID.is_string() && !orderID.is_number()) return refuse(done, QStringLiteral("no order id was given"));
    KorvoUpdateNetworkManager::sharedManager().requestGetOrderStatusWithParams(json{{"order", orderID}},
                                                                               successOf(done), failureOf(done));
}

double KorvoUpdateMainViewModel::versionNumber(const QString& version) {
    const int v = version.indexOf(QLatin1Char('V'));
    if (v < 0) return 0;
    const std::string rest = version.mid(v + 1).toStdString();
    // The longest prefix that is a decimal number: white space, sign, digits, one point, digits, exponent.
    size_t i = 0;
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t' || rest[i] == '\n'))
        ++i;
    const size_t start = i;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) ++i;
    size_t digits = 0;
    while (i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])))
        ++i, ++digits;
    if (i < rest.size() && rest[i] == '.') {
        ++i;
        while (i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])))
            ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < rest.size() && (rest[i] == 'e' || rest[i] == 'E')) {
        size_t j = i + 1;
        if (j < rest.size() && (rest[j] == '+' || rest[j] == '-')) ++j;
        if (j < rest.size() && std::isdigit(static_cast<unsigned char>(rest[j]))) {
            while (j < rest.size() && std::isdigit(static_cast<unsigned char>(rest[j])))
                ++j;
            i = j;
        }
    }
    // The prefix is parsed without the C library's locale, which may want a comma before the fraction.
    const char* first = rest.data() + start;
    if (*first == '+') ++first;
    double value = 0;
    std::from_chars(first, rest.data() + i, value);
    return value;
}

std::vector<KorvoUpdateDownloadModelPtr>
KorvoUpdateMainViewModel::filterLastestSoftware(const std::vector<KorvoUpdateDownloadModelPtr>& records) const {
    std::vector<KorvoUpdateDownloadModelPtr> result;
    for (const auto& record : records) {
        if (!record) continue;
        if (result.empty() || record->software().compare(result.back()->software(), Qt::CaseInsensitive) != 0) {
            result.push_back(record);
            continue;
        }
        const double number = versionNumber(record->version());
        const double last = versionNumber(result.back()->version());
        if (number > last) {
            result.pop_back();
            result.push_back(record);
        } else if (number == last) {
            result.push_back(record);
        }
    }
    return result;
}

std::vector<KorvoUpdateVehicleGroup>
KorvoUpdateMainViewModel::transformFullDwonloadModels(const std::vector<KorvoUpdateDownloadModelPtr>& records,
                                                      const QMap<QString, KorvoUpdateVehicleModel>& vehicleModels,
                                                      const QString& productName) const {
    std::vector<KorvoUpdateVehicleFamilyModelPtr> families;
    for (const auto& record : records) {
        if (!record) continue;
        auto family = std::make_shared<KorvoUpdateVehicleFamilyModel>();
        family->model = record;
        const QString sdPath = record->sdPath();
        const auto entry = sdPath.isNull() ? vehicleModels.end() : vehicleModels.find(sdPath.toUpper());
        const QString vehicle = entry != vehicleModels.end() ? entry->vehicle() : record->software();
        family->vehicle = vehicle;
        record->setVehicle(vehicle);
        if (family->vehicle.toUpper().contains(QLatin1String(kMaintenanceMarker))) {
            const auto kept = resetMainData(family, productName);
            families.insert(families.end(), kept.begin(), kept.end());
        } else {
            families.push_back(family);
        }
    }
    return getGroupArray(families, {}, productName);
}

std::vector<KorvoUpdateVehicleGroup>
KorvoUpdateMainViewModel::sortAndGroup(std::vector<KorvoUpdateVehicleFamilyModelPtr>& families) {
    std::stable_sort(families.begin(), families.end(), [](const auto& a, const auto& b) {
        return a->vehicle.compare(b->vehicle, Qt::CaseInsensitive) < 0;
    });
    std::vector<KorvoUpdateVehicleGroup> groups;
    // Vehicle to its group: a list may hold as many vehicles as packages, so no search through the groups.
    QHash<QString, size_t> seen;
    for (const auto& family : families) {
        const auto index = seen.constFind(family->vehicle);
        if (index == seen.constEnd()) {
            seen.insert(family->vehicle, groups.size());
            groups.push_back({family});
        } else {
            groups[*index].push_back(family);
        }
    }
    return groups;
}

std::vector<KorvoUpdateVehicleGroup>
KorvoUpdateMainViewModel::getGroupArray(std::vector<KorvoUpdateVehicleFamilyModelPtr>& families,
                                        const QStringList& /*vehicle*/, const QString& product) const {
    families.erase(std::remove(families.begin(), families.end(), nullptr), families.end());
    std::vector<KorvoUpdateVehicleGroup> groups = sortAndGroup(families);
    const bool payDefault = isQM82Default(product);
    const bool isProduct = getIsProduct(product);
    for (auto& group : groups)
        for (auto& family : group) {
            const KorvoUpdateDownloadModelPtr& model = family->model;
            const double price = model ? model->price() : 0;
            if (payDefault || (isProduct && price > 0))
                family->subVehicles =
                    getPaySubVehicles(model ? model->vehicle() : QString(), {family->vehicle.toUpper()});
            else
                family->subVehicles = QStringList{model ? model->software().toUpper() : QString()};
        }
    return groups;
}

std::vector<KorvoUpdateVehicleFamilyModelPtr>
KorvoUpdateMainViewModel::resetMainData(const KorvoUpdateVehicleFamilyModelPtr& family, const QString& product) const {
    if (!family) return {};
    for (const Rename& rename : kMaintenanceRenames)
        if (family->vehicle.compare(QLatin1String(rename.from), Qt::CaseInsensitive) == 0)
            family->vehicle = QString::fromLatin1(rename.to);
    const int dash = product.indexOf(QLatin1Char('-'));
    const QString code = dash < 0 ? product : product.left(dash);
    bool dropped = false;
    if (equalsOneOf(code, kQM82DropModels))
        dropped = equalsOneOf(family->vehicle, kQM82DropMakes);
    else if (equalsOneOf(code, kQM93DropModels))
        dropped = equalsOneOf(family->vehicle, kQM93DropMakes);
    if (dropped) return {};
    return {family};
}

bool KorvoUpdateMainViewModel::isQM82Default(const QString& product) const {
    return equalsOneOf(product, kQM82DefaultModels);
}

bool KorvoUpdateMainViewModel::getIsProduct(const QString& product) const {
    const QString upper = product.toUpper();
    return std::any_of(std::begin(kProductModels), std::end(kProductModels),
                       [&](const char* model) { return upper.contains(QLatin1String(model)); });
}

QStringList KorvoUpdateMainViewModel::getPaySubVehicles(const QString& vehicle, const QStringList& subVehicles) const {
    return lookUpRelated(vehicle, subVehicles, true);
}

QStringList KorvoUpdateMainViewModel::getSubVehicles(const QString& vehicle, const QStringList& subVehicles) const {
    return lookUpRelated(vehicle, subVehicles, false);
}

std::vector<KorvoUpdateVehicleGroup>
KorvoUpdateMainViewModel::transformDwonloadModels(const std::vector<KorvoUpdateDownloadModelPtr>& records,
                                                  const KorvoUpdateVehicleFolders& vehicles,
                                                  const QString& /*productName*/) const {
    std::vector<KorvoUpdateVehicleFamilyModelPtr> families;
    for (const auto& record : records) {
        if (!record) continue;
        const QString folder = lastPathComponent(record->sdPath());
        const QString software = record->software();
        QString vehicle = software;
        for (const auto& [make, folders] : vehicles) {
            if (!folder.isNull() && folders.contains(folder, Qt::CaseInsensitive) &&
                softwareNamesFolder(software, folder)) {
                vehicle = make;
                break;
            }
        }
        auto family = std::make_shared<KorvoUpdateVehicleFamilyModel>();
        family->model = record;
        family->vehicle = vehicle;
        record->setVehicle(vehicle);
        families.push_back(family);
    }
    return sortAndGroup(families);
}
