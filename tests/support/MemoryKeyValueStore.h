#pragma once

#include "platform/KeyValueStoring.h"

#include <QMap>

#include <mutex>

namespace tovr::test {

// A settings store in memory. Strings and booleans read back as the live store's do.
class MemoryKeyValueStore final : public KeyValueStoring {
public:
    void set(const std::optional<QVariant>& value, const QString& key) override {
        std::lock_guard lock(mutex_);
        if (value)
            values_.insert(key, *value);
        else
            values_.remove(key);
    }
    std::optional<QString> string(const QString& key) const override {
        std::lock_guard lock(mutex_);
        const auto it = values_.constFind(key);
        if (it == values_.constEnd() || it->typeId() != QMetaType::QString)
            return std::nullopt;
        return it->toString();
    }
    std::optional<bool> boolean(const QString& key) const override {
        std::lock_guard lock(mutex_);
        const auto it = values_.constFind(key);
        if (it == values_.constEnd() || it->typeId() != QMetaType::Bool)
            return std::nullopt;
        return it->toBool();
    }

    // What a test finds stored, whatever its type.
    std::optional<QVariant> value(const QString& key) const {
        std::lock_guard lock(mutex_);
        const auto it = values_.constFind(key);
        return it == values_.constEnd() ? std::nullopt : std::optional<QVariant>(*it);
    }

private:
    mutable std::mutex mutex_;
    QMap<QString, QVariant> values_;
};

} // namespace tovr::test
