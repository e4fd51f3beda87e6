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

// Past the closing quote of the text whose opening quote is at p; end when it does not close.
const char* textEnd(const char* p, const char* end) {
    for (++p; p != end; ++p) {
        if (*p == '\\') {
            if (++p == end) break;
        } else if (*p == '"') {
            return p + 1;
        }
    }
    return end;
}

// Why a JSON text passes a limit: its arrays and objects nest deeper than kMaxNesting, or they hold more than
// kMaxElements values in all, counted by the commas between them; brackets and commas inside texts aside. Empty
// within the limits. A text that is no JSON may pass; the parser then refuses it before it gets deeper or larger
// than counted.
QString limitPassed(const char* p, const char* end) {
    int depth = 0;
    long separators = 0;
    for (; p != end; ++p) {
        if (*p == '"') {
            p = textEnd(p, end) - 1;
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

namespace {

const char* skipSpace(const char* p, const char* end) {
    while (p != end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
        ++p;
    return p;
}

// Where the JSON value that begins at p ends: at the ',', ']' or '}' after it on its own level, or at end. Texts are
// passed by their quotes and escapes alone, so whatever bytes they hold (a NUL, no UTF-8) move no boundary.
const char* valueEnd(const char* p, const char* end) {
    int depth = 0;
    for (; p != end; ++p) {
        if (*p == '"') {
            p = textEnd(p, end) - 1;
        } else if (*p == '[' || *p == '{') {
            ++depth;
        } else if (*p == ']' || *p == '}') {
            if (depth-- == 0) return p;
        } else if (*p == ',' && depth == 0) {
            return p;
        }
    }
    return end;
}

// The '{' of the next object of an array after from: the first "," followed by "{" and a quote, which JSON holds
// nowhere but between two objects (a quote inside a text is escaped) and the archived models nowhere inside one
// (their properties are flat). Null when there is none.
const char* nextObject(const char* from, const char* end) {
    for (const char* p = from; p != end; ++p) {
        if (*p != ',') continue;
        const char* brace = skipSpace(p + 1, end);
        if (brace == end || *brace != '{') continue;
        const char* quote = skipSpace(brace + 1, end);
        if (quote != end && *quote == '"') return brace;
    }
    return nullptr;
}

// The items of the array whose '[' is at p, each parsed by itself, so that a damaged one costs itself alone: the
// next one is looked for after it. True when every item was read and the array closed where it should; p is then
// past its ']'.
bool readItems(const char*& p, const char* end, std::vector<json>& items) {
    bool whole = true;
    p = skipSpace(p + 1, end);
    if (p != end && *p == ']') {
        ++p;
        return true;
    }
    while (p != end) {
        const char* stop = valueEnd(p, end);
        json item = json::parse(p, stop, nullptr, false);
        if (!item.is_discarded()) {
            items.push_back(std::move(item));
            p = skipSpace(stop, end);
            if (p != end && *p == ']') {
                ++p;
                return whole;
            }
            if (p != end && *p == ',') {
                p = skipSpace(p + 1, end);
                continue;
            }
        }
        whole = false;
        p = p == end ? nullptr : nextObject(p + 1, end);
        if (!p) break;
    }
    p = end;
    return false;
}

} // namespace

std::optional<ArchiveItems> readArrayArchiveItems(const QByteArray& bytes) {
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    if (!limitPassed(p, end).isEmpty()) return std::nullopt;
    p = skipSpace(p, end);
    if (p == end || *p != '{') return std::nullopt;
    // The archive's keys one by one, as far as its structure can be followed; a later class tag replaces an earlier
    // one, and later items earlier ones, as in the whole text.
    ArchiveItems read;
    bool isArray = false, itemsWhole = false, valuesWhole = true;
    p = skipSpace(p + 1, end);
    while (p != end && *p != '}') {
        const char* keyEnd = *p == '"' ? textEnd(p, end) : p;
        const json key = json::parse(p, keyEnd, nullptr, false);
        p = skipSpace(keyEnd, end);
        if (!key.is_string() || p == end || *p != ':') break;
        p = skipSpace(p + 1, end);
        if (key == kArchiveItemsKey && p != end && *p == '[') {
            read.items.clear();
            itemsWhole = readItems(p, end, read.items);
        } else {
            const char* stop = valueEnd(p, end);
            const json value = json::parse(p, stop, nullptr, false);
            valuesWhole = valuesWhole && !value.is_discarded();
            if (key == kArchiveClassKey) isArray = value.is_string() && value == kArrayClassName;
            if (key == kArchiveItemsKey) {
                read.items.clear();
                itemsWhole = false;
            }
            p = stop;
        }
        p = skipSpace(p, end);
        if (p == end || (*p != ',' && *p != '}')) break;
        if (*p == ',') p = skipSpace(p + 1, end);
    }
    if (!isArray) return std::nullopt;
    read.complete = itemsWhole && valuesWhole && p != end && *p == '}' && skipSpace(p + 1, end) == end;
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
