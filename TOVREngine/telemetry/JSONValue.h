#pragma once

#include "platform/Error.h"

#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QString>

#include <concepts>
#include <variant>

namespace tovr {

class JSONValue;
using JSONArray = QList<JSONValue>;
using JSONObject = QMap<QString, JSONValue>;

// One plain JSON value of a usage event's properties. A bool stays a bool and an integer an
// integer; only `double` is a floating-point number.
class JSONValue {
public:
    enum class Kind { string, int_, double_, bool_, array, object, null };

    JSONValue() : value_(std::monostate{}) {} // null
    JSONValue(std::nullptr_t) : value_(std::monostate{}) {}
    JSONValue(QString value) : value_(std::move(value)) {}
    JSONValue(const char* value) : value_(QString::fromUtf8(value)) {}
    // Every integer type, so that sizes and counts need no cast; bool is its own case.
    template <std::integral T>
    requires(!std::same_as<T, bool>) JSONValue(T value) : value_(qint64(value)) {}
    JSONValue(double value) : value_(value) {}
    JSONValue(bool value) : value_(value) {}
    JSONValue(JSONArray value) : value_(std::move(value)) {}
    JSONValue(JSONObject value) : value_(std::move(value)) {}

    static JSONValue null() { return {}; }

    Kind kind() const { return Kind(value_.index()); }
    bool isNull() const { return kind() == Kind::null; }
    const QString* string() const { return std::get_if<QString>(&value_); }
    const qint64* integer() const { return std::get_if<qint64>(&value_); }
    const double* number() const { return std::get_if<double>(&value_); }
    const bool* boolean() const { return std::get_if<bool>(&value_); }
    const JSONArray* array() const { return std::get_if<JSONArray>(&value_); }
    const JSONObject* object() const { return std::get_if<JSONObject>(&value_); }

    // Same case, equal payloads; doubles compare numerically.
    bool operator==(const JSONValue& other) const { return value_ == other.value_; }

    // False when a double somewhere inside is not finite: JSON has no text for it.
    bool isEncodable() const;
    // The JSON form; throws EncodingError when the value is not encodable.
    QJsonValue toJson() const;
    // Null, bool, integer, number, string, array, object, first match wins. A number with an
    // integral value that fits 64 bits reads as an integer, so 12.0 comes back as 12.
    // Throws DecodingError ("Unknown JSONValue") for anything else.
    static JSONValue fromJson(const QJsonValue& json);

private:
    std::variant<QString, qint64, double, bool, JSONArray, JSONObject, std::monostate> value_;
};

class EncodingError : public Error {
public:
    using Error::Error;
};

class DecodingError : public Error {
public:
    using Error::Error;
};

// The JSON object of a property map; throws EncodingError.
QJsonObject toJsonObject(const JSONObject& object);
// Throws DecodingError.
JSONObject jsonObjectFromJson(const QJsonObject& object);

} // namespace tovr
