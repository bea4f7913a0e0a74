#pragma once

#include <QString>
#include <QStringList>

namespace tovr {

// A titled list of findings on the outcome screen.
struct OutcomeAuditSection {
    QString title;
    QStringList items;
    bool operator==(const OutcomeAuditSection&) const = default;
};

} // namespace tovr
