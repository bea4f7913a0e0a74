#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace tovr {

// Small persistent settings by key.
class KeyValueStoring {
public:
    virtual ~KeyValueStoring() = default;
    // Stores a value; an absent value removes the key.
    virtual void set(const std::optional<QVariant>& value, const QString& key) = 0;
    virtual std::optional<QString> string(const QString& key) const = 0;
    virtual std::optional<bool> boolean(const QString& key) const = 0;
};

} // namespace tovr
