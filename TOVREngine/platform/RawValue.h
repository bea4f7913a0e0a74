#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tovr {

// The case of an enumeration whose raw value is exactly `raw` (case-sensitive); absent for
// any other text. Each enumeration with raw values specialises it beside its `toRaw`.
template <class E> std::optional<E> fromRaw(QStringView raw);

namespace detail {

// The case among `cases` whose `toRaw` equals `raw`.
template <class E, class Cases> std::optional<E> matchRaw(QStringView raw, const Cases& cases) {
    for (E value : cases)
        if (toRaw(value) == raw)
            return value;
    return std::nullopt;
}

} // namespace detail

} // namespace tovr
