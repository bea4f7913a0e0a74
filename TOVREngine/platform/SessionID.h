#pragma once

#include "platform/KeyValueStoring.h"

#include <QUuid>

#include <memory>

namespace tovr {

// One anonymous random identifier per user and product, kept in the settings store under
// the product's prefix followed by ".session_id".
struct SessionID {
    std::shared_ptr<KeyValueStoring> store;
    QString userDefaultsPrefix; // the product's

    // The stored identifier, or a new one stored in its place when nothing usable is
    // there. Never fails.
    QUuid current() const;

    // The form an identifier is stored in: 8-4-4-4-12 upper-case hexadecimal, no braces.
    static QString text(const QUuid& id);
    // An identifier in exactly that form, in either letter case; anything else is absent.
    static std::optional<QUuid> parse(QStringView text);
};

} // namespace tovr
