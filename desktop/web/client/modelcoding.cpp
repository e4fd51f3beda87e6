#include "modelcoding.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace modelcoding {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The whole text as a decimal number (a point before the fraction, whatever the user's locale), or nothing when
// it holds anything else.
std::optional<double> parseNumber(const std::string& text) {
    const std::string digits = trimmed(text);
    const char* begin = digits.data();
    const char* const end = begin + digits.size();
    const bool plus = begin != end && *begin == '+';
    if (plus) ++begin;
    if (begin == end || (plus && *begin == '-')) return std::nullopt;
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

long long integerFromDouble(double value) {
    // Outside this range the conversion is undefined; such a value is a range error and reads as zero.
    constexpr double kLimit = 9223372036854775807.0;
    if (!std::isfinite(value) || value >= kLimit || value < -kLimit) return 0;
    return static_cast<long long>(value);
}

// Why a JSON text passes a limit: its arrays and objects nest deeper than kMaxNesting, or they hold more than
// kMaxElements values in all, counted by the commas between them; brackets and commas inside texts aside. Empty
// within the limits. A text that is no JSON may pass; the parser then refuses it before it gets deeper or larger
// than counted.
QString limitPassed(const char* p, const char* end) {
    int depth = 0;
    long separators = 0;
    bool inText = false;
    for (; p != end; ++p) {
        if (inText) {
            if (*p == '\\') {
                if (++p == end) break;
            } else if (*p == '"') {
                inText = false;
            }
        } else if (*p == '"') {
            inText = true;
        } else if (*p == '[' || *p == '{') {
            if (++depth > kMaxNesting) return QStringLiteral("it nests deeper than %1 levels").arg(kMaxNesting);
        } else if (*p == ']' || *p == '}') {
            --depth;
        } else if (*p == ',') {
            // Every value but the first of an array or object follows one.
            if (++separators >= kMaxElements) return QStringLiteral("it holds more than %1 elements").arg(kMaxElements);
        }
    }
    return {};
}

} // namespace

long long readInteger(const json& value) {
    switch (value.type()) {
    case json::value_t::number_integer:
        return value.get<long long>();
    case json::value_t::number_unsigned: {
        const auto number = value.get<unsigned long long>();
        return number > static_cast<unsigned long long>(std::numeric_limits<long long>::max())
                   ? 0
                   : static_cast<long long>(number);
    }
    case json::value_t::number_float:
        return integerFromDouble(value.get<double>());
    case json::value_t::boolean:
        return value.get<bool>() ? 1 : 0;
    case json::value_t::string: {
        const std::string text = trimmed(value.get<std::string>());
        char* end = nullptr;
        errno = 0;
        const long long number = std::strtoll(text.c_str(), &end, 10);
        if (!text.empty() && end == text.c_str() + text.size() && errno != ERANGE) return number;
        const auto real = parseNumber(text);
        return real ? integerFromDouble(*real) : 0;
    }
    default:
        return 0;
    }
}

double readDouble(const json& value) {
    if (value.is_number()) return value.get<double>();
    if (value.is_boolean()) return value.get<bool>() ? 1 : 0;
    if (value.is_string()) return parseNumber(value.get<std::string>()).value_or(0);
    return 0;
}

bool readFlag(const json& value) {
    if (value.is_boolean()) return value.get<bool>();
    if (value.is_number()) return value.get<double>() != 0;
    if (value.is_string()) {
        QString text = QString::fromStdString(value.get<std::string>()).trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("yes")) return true;
        if (text == QLatin1String("false") || text == QLatin1String("no")) return false;
        return parseNumber(text.toStdString()).value_or(0) != 0;
    }
    return false;
}

QString readText(const json& value) {
    if (value.is_string()) return QString::fromStdString(value.get<std::string>());
    if (value.is_number()) return QString::fromStdString(value.dump());
    if (value.is_boolean()) return value.get<bool>() ? QStringLiteral("1") : QStringLiteral("0");
    return QString();
}

QStringList readTextList(const json& value) {
    QStringList list;
    if (!value.is_array()) return list;
    for (const json& element : value) {
        const QString text = readText(element);
        if (!text.isNull()) list.append(text);
    }
    return list;
}

json textValue(const QString& text) {
    if (text.isNull()) return nullptr;
    return text.toStdString();
}

json parseJSON(const QByteArray& bytes, QString* refusal) {
    const char* const end = bytes.constData() + bytes.size();
    const QString passed = limitPassed(bytes.constData(), end);
    if (refusal) *refusal = passed;
    if (!passed.isEmpty()) return json(json::value_t::discarded);
    return json::parse(bytes.constData(), end, nullptr, false);
}

bool isArchiveOfClass(const json& archive, const char* className) {
    if (!archive.is_object()) return false;
    const auto cls = archive.find(kArchiveClassKey);
    return cls != archive.end() && cls->is_string() && cls->get_ref<const std::string&>() == className;
}

std::optional<ArchiveItems> readArrayArchiveItems(const QByteArray& bytes) {
    const char* const end = bytes.constData() + bytes.size();
    if (!limitPassed(bytes.constData(), end).isEmpty()) return std::nullopt;
    // The parser reports each value as it completes it, so the items before a cut are seen even when the whole text
    // is refused. Depth 1 holds the archive's keys and their values, depth 2 the items.
    ArchiveItems read;
    std::string rootKey;
    bool isArray = false;
    const json whole = json::parse(
        bytes.constData(), end,
        [&](int depth, json::parse_event_t event, json& parsed) {
            using Event = json::parse_event_t;
            if (depth == 1 && event == Event::key) {
                rootKey = parsed.get<std::string>();
                // A later class tag replaces an earlier one, as in the whole text.
                if (rootKey == kArchiveClassKey) isArray = false;
            } else if (depth == 1 && event == Event::value && rootKey == kArchiveClassKey) {
                isArray = parsed.is_string() && parsed.get_ref<const std::string&>() == kArrayClassName;
            } else if (depth == 2 && rootKey == kArchiveItemsKey &&
                       (event == Event::value || event == Event::object_end || event == Event::array_end)) {
                read.items.push_back(parsed);
            }
            return true;
        },
        false);
    if (!isArray) return std::nullopt;
    read.complete = isArchiveOfClass(whole, kArrayClassName) && whole[kArchiveItemsKey].is_array();
    return read;
}

json encodeText(const QString& text) {
    return json{{kArchiveClassKey, kTextClassName}, {kArchiveValueKey, textValue(text)}};
}

std::optional<QString> decodeText(const json& archive) {
    if (!isArchiveOfClass(archive, kTextClassName)) return std::nullopt;
    const auto value = archive.find(kArchiveValueKey);
    if (value == archive.end() || !value->is_string()) return std::nullopt;
    return QString::fromStdString(value->get<std::string>());
}

QByteArray archivedData(const json& archive) {
    const std::string text = archive.dump(-1, ' ', false, json::error_handler_t::replace);
    return QByteArray(text.data(), static_cast<int>(text.size()));
}

json readArchive(const QByteArray& bytes) {
    return parseJSON(bytes);
}

} // namespace modelcoding
