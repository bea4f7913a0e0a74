#include "telemetry/JSONValue.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

namespace tovr {

bool JSONValue::isEncodable() const {
    switch (kind()) {
    case Kind::double_:
        return std::isfinite(*number());
    case Kind::array:
        for (const auto& element : *array())
            if (!element.isEncodable())
                return false;
        return true;
    case Kind::object:
        for (const auto& element : *object())
            if (!element.isEncodable())
                return false;
        return true;
    default:
        return true;
    }
}

QJsonValue JSONValue::toJson() const {
    switch (kind()) {
    case Kind::string:
        return *string();
    case Kind::int_:
        return *integer();
    case Kind::double_:
        // Qt would quietly write null for these; the caller must learn of it.
        if (!std::isfinite(*number()))
            throw EncodingError(QStringLiteral("A number is not finite"));
        return *number();
    case Kind::bool_:
        return *boolean();
    case Kind::array: {
        QJsonArray out;
        for (const auto& element : *array())
            out.append(element.toJson());
        return out;
    }
    case Kind::object:
        return toJsonObject(*object());
    case Kind::null:
        break;
    }
    return QJsonValue(QJsonValue::Null);
}

JSONValue JSONValue::fromJson(const QJsonValue& json) {
    switch (json.type()) {
    case QJsonValue::Null:
        return {};
    case QJsonValue::Bool:
        return json.toBool();
    case QJsonValue::Double: {
        const QVariant variant = json.toVariant();
        if (variant.typeId() == QMetaType::LongLong)
            return variant.toLongLong();
        const double value = json.toDouble();
        // [-2^63, 2^63): the doubles that convert to qint64 exactly.
        if (std::isfinite(value) && value == std::trunc(value) && value >= -0x1p63 &&
            value < 0x1p63)
            return qint64(value);
        return value;
    }
    case QJsonValue::String:
        return json.toString();
    case QJsonValue::Array: {
        JSONArray out;
        for (const auto& element : json.toArray())
            out.append(fromJson(element));
        return out;
    }
    case QJsonValue::Object:
        return jsonObjectFromJson(json.toObject());
    case QJsonValue::Undefined:
        break;
    }
    throw DecodingError(QStringLiteral("Unknown JSONValue"));
}

QJsonObject toJsonObject(const JSONObject& object) {
    QJsonObject out;
    for (auto it = object.begin(); it != object.end(); ++it)
        out.insert(it.key(), it.value().toJson());
    return out;
}

JSONObject jsonObjectFromJson(const QJsonObject& object) {
    JSONObject out;
    for (auto it = object.begin(); it != object.end(); ++it)
        out.insert(it.key(), JSONValue::fromJson(it.value()));
    return out;
}

} // namespace tovr
