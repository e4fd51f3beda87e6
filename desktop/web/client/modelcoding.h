// Filling models from JSON replies and archiving them, for every model of the web client.
// A model lists its properties once, in mj_properties(visitor); the readers below walk that list:
//  - mj_objectWithKeyValues reads each property from its JSON key (the property name unless the model's
//    mj_replacedKeyFromPropertyName renames it). Readers are tolerant: integers and flags from texts, a number
//    where a text is expected; a field of the wrong type or out of range keeps its zero value instead of failing
//    the whole model. A missing key or array stays absent.
//  - mj_encode / mj_decode write and read one archive format of ours: JSON keyed by property names, tagged with
//    the class name, so an archive of one class never reads back as another.
// Nothing here throws; the functions are safe from any thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace modelcoding {

using json = nlohmann::ordered_json;
using KeyMap = std::map<std::string, std::string>; // property name -> JSON key, or -> element class name

// What a model has unless it says otherwise: no renamed keys and no arrays of models. A model with either declares
// its own mj_replacedKeyFromPropertyName or mj_objectClassInArray, which hides the one here.
struct ModelDefaults {
    static const KeyMap& mj_replacedKeyFromPropertyName() {
        static const KeyMap none;
        return none;
    }
    static const KeyMap& mj_objectClassInArray() {
        static const KeyMap none;
        return none;
    }
};

template <class T> using ModelArray = std::optional<std::vector<std::shared_ptr<T>>>;

// Tolerant scalar readers: a value they cannot read gives the zero value (0, NO, or a null text).
long long readInteger(const json& value);
double readDouble(const json& value);
bool readFlag(const json& value);
QString readText(const json& value);
// A JSON array of texts; anything else gives an empty list.
QStringList readTextList(const json& value);

json textValue(const QString& text); // null for a null text

// How a model of class T is read from a JSON object; a class with its own reader specialises this.
template <class T> struct ModelReader;

template <class T> std::shared_ptr<T> mj_objectWithKeyValues(const json& object);

class KeyValueReader {
public:
    KeyValueReader(const json& object, const KeyMap& replaced) : m_object(object), m_replaced(replaced) {}

    void operator()(const char* name, long long& field) {
        read(name, [&](const json& v) { field = readInteger(v); });
    }
    void operator()(const char* name, double& field) {
        read(name, [&](const json& v) { field = readDouble(v); });
    }
    void operator()(const char* name, bool& field) {
        read(name, [&](const json& v) { field = readFlag(v); });
    }
    void operator()(const char* name, QString& field) {
        read(name, [&](const json& v) { field = readText(v); });
    }
    void operator()(const char* name, QStringList& field) {
        read(name, [&](const json& v) { field = readTextList(v); });
    }
    void operator()(const char* name, std::optional<long long>& field) {
        read(name, [&](const json& v) {
            if (!v.is_null()) field = readInteger(v);
        });
    }
    template <class T> void operator()(const char* name, ModelArray<T>& field) {
        read(name, [&](const json& v) {
            if (!v.is_array()) return;
            std::vector<std::shared_ptr<T>> items;
            for (const json& element : v)
                if (auto item = ModelReader<T>::read(element)) items.push_back(std::move(item));
            field = std::move(items);
        });
    }
    template <class T> void operator()(const char* name, std::shared_ptr<T>& field) {
        read(name, [&](const json& v) { field = ModelReader<T>::read(v); });
    }

private:
    template <class Fn> void read(const char* name, Fn&& fill) {
        const auto renamed = m_replaced.find(name);
        const std::string key = renamed == m_replaced.end() ? std::string(name) : renamed->second;
        const auto it = m_object.find(key);
        if (it == m_object.end()) return;
        try {
            fill(*it);
        } catch (const std::exception&) {
            // A field that does not convert keeps its zero value; the rest of the model is still read.
        }
    }
    const json& m_object;
    const KeyMap& m_replaced;
};

template <class T> struct ModelReader {
    static std::shared_ptr<T> read(const json& object) {
        if (!object.is_object()) return nullptr;
        auto model = std::make_shared<T>();
        KeyValueReader reader(object, T::mj_replacedKeyFromPropertyName());
        model->mj_properties(reader);
        return model;
    }
};

// The model filled from a JSON object; null when the value is no object.
template <class T> std::shared_ptr<T> mj_objectWithKeyValues(const json& object) {
    return ModelReader<T>::read(object);
}

// Replies and archives nest a few levels. Copying or converting a JSON value recurses once per level, so deeper
// input could overflow the stack; parseJSON refuses it.
inline constexpr int kMaxNesting = 128;
// Every value costs memory and time, a record made from it far more than its bytes: 8 MiB of empty records ("{},")
// would take well over a gigabyte. A product's package list, some thousands of records of twenty values each, holds
// far fewer; parseJSON refuses a text whose arrays and objects hold more values than this in all.
inline constexpr long kMaxElements = 400000;

// Parses bytes as JSON; a discarded value (is_discarded()) when they are not JSON, nest deeper than kMaxNesting or
// hold more than kMaxElements values. *refusal (when given) then says which limit was passed, and stays empty for
// bytes that are no JSON.
json parseJSON(const QByteArray& bytes, QString* refusal = nullptr);

// ---- Archives: {"class": <class name>, "properties": {<property name>: value, ...}}

class ArchiveWriter {
public:
    explicit ArchiveWriter(json& properties) : m_properties(properties) {}
    void operator()(const char* name, long long field) { m_properties[name] = field; }
    void operator()(const char* name, double field) { m_properties[name] = field; }
    void operator()(const char* name, bool field) { m_properties[name] = field; }
    void operator()(const char* name, const QString& field) { m_properties[name] = textValue(field); }
    void operator()(const char* name, const QStringList& field) {
        json list = json::array();
        for (const QString& text : field)
            list.push_back(text.toStdString());
        m_properties[name] = list;
    }

private:
    json& m_properties;
};

inline const char* const kArchiveClassKey = "class";
inline const char* const kArchivePropertiesKey = "properties";
inline const char* const kArchiveItemsKey = "items";
inline const char* const kArchiveValueKey = "value";
inline const char* const kArrayClassName = "array";
inline const char* const kTextClassName = "text";

// Every property of the model under its property name, tagged with the model's class name.
template <class T> json mj_encode(const T& model) {
    json properties = json::object();
    ArchiveWriter writer(properties);
    const_cast<T&>(model).mj_properties(writer);
    return json{{kArchiveClassKey, T::className}, {kArchivePropertiesKey, properties}};
}

// Whether archive is an object tagged with the class name; a tag that is no text is no class.
bool isArchiveOfClass(const json& archive, const char* className);

// The model read back from an archive of its own class; null for anything else.
template <class T> std::shared_ptr<T> mj_decode(const json& archive) {
    if (!isArchiveOfClass(archive, T::className)) return nullptr;
    const auto properties = archive.find(kArchivePropertiesKey);
    if (properties == archive.end() || !properties->is_object()) return nullptr;
    auto model = std::make_shared<T>();
    // An archive is keyed by property names: the JSON reader without renames.
    static const KeyMap kPropertyNames;
    KeyValueReader reader(*properties, kPropertyNames);
    model->mj_properties(reader);
    return model;
}

template <class T> json encodeArray(const std::vector<std::shared_ptr<T>>& models) {
    json items = json::array();
    for (const auto& model : models)
        if (model) items.push_back(mj_encode(*model));
    return json{{kArchiveClassKey, kArrayClassName}, {kArchiveItemsKey, items}};
}

// The items of an array archive, each read by itself: a damaged item (a bad byte in one of its texts) is left out
// and the items after it are still read; of a text cut short, the items before the cut. Nothing when the bytes do
// not begin an array archive. complete is false when anything was left out, the text was cut short or is no whole
// array archive.
struct ArchiveItems {
    std::vector<json> items;
    bool complete = false;
};
std::optional<ArchiveItems> readArrayArchiveItems(const QByteArray& bytes);

// The elements of class T of an array archive, as many as can be read: an element of another class is left out,
// and of a text cut short the elements before the cut are kept. damaged tells whether anything was left out.
template <class T> struct SalvagedArray {
    std::vector<std::shared_ptr<T>> models;
    bool damaged = false;
};
template <class T> std::optional<SalvagedArray<T>> salvageArray(const QByteArray& bytes) {
    const std::optional<ArchiveItems> read = readArrayArchiveItems(bytes);
    if (!read) return std::nullopt;
    SalvagedArray<T> salvaged;
    salvaged.damaged = !read->complete;
    for (const json& item : read->items) {
        if (auto model = mj_decode<T>(item))
            salvaged.models.push_back(std::move(model));
        else
            salvaged.damaged = true;
    }
    return salvaged;
}

json encodeText(const QString& text);
std::optional<QString> decodeText(const json& archive);

// An archive as bytes and back; readArchive gives a discarded value for bytes that are not one.
QByteArray archivedData(const json& archive);
json readArchive(const QByteArray& bytes);

} // namespace modelcoding
