#pragma once

#include <QStringView>

#include <optional>

namespace tovr {

// An enumeration made from its raw text: an exact, case-sensitive match, anything else
// absent. Each enumeration with raw values specialises it next to its toRaw().
template <class E> std::optional<E> fromRaw(QStringView raw);

} // namespace tovr
