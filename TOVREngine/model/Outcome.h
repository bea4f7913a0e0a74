#pragma once

#include "platform/RawValue.h"

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <optional>

namespace tovr {

// The user's situation as the chosen next step reports it.
enum class Outcome { ready, still_blocked, unsure };

QString toRaw(Outcome outcome);
template <> std::optional<Outcome> fromRaw<Outcome>(QStringView raw);

inline size_t qHash(Outcome outcome, size_t seed = 0) {
    return qHash(toRaw(outcome), seed);
}

} // namespace tovr
