#include "platform/LiveKeyValueStore.h"

#include <QSettings>

namespace tovr {

LiveKeyValueStore::LiveKeyValueStore() : settings_(std::make_unique<QSettings>()) {}

LiveKeyValueStore::LiveKeyValueStore(const QString& settingsFile)
    : settings_(std::make_unique<QSettings>(settingsFile, QSettings::IniFormat)) {}

LiveKeyValueStore::LiveKeyValueStore(const QString& organization, const QString& application)
    : settings_(std::make_unique<QSettings>(organization, application)) {}

LiveKeyValueStore::~LiveKeyValueStore() = default;

void LiveKeyValueStore::set(const std::optional<QVariant>& value, const QString& key) {
    std::lock_guard guard(lock_);
    if (value && value->isValid())
        settings_->setValue(key, *value);
    else
        settings_->remove(key);
    settings_->sync();
}

std::optional<QString> LiveKeyValueStore::string(const QString& key) const {
    std::lock_guard guard(lock_);
    const QVariant value = settings_->value(key);
    if (!value.isValid())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toString();
    default:
        return std::nullopt; // lists, maps and the like are no text
    }
}

std::optional<bool> LiveKeyValueStore::boolean(const QString& key) const {
    std::lock_guard guard(lock_);
    const QVariant value = settings_->value(key);
    if (!value.isValid())
        return std::nullopt;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // INI files keep every value as text.
    const QString text = value.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("yes") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("no") || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

} // namespace tovr
