#pragma once

#include "model/SetupRemediation.h"
#include "platform/RawValue.h"

#include <QHashFunctions>
#include <QList>
#include <QSet>

#include <array>

namespace tovr {

// The programming languages the user can choose to install.
enum class TOVRLanguage { python, node, java, ruby, rust };

inline constexpr std::array allTOVRLanguages{TOVRLanguage::python, TOVRLanguage::node,
                                             TOVRLanguage::java, TOVRLanguage::ruby,
                                             TOVRLanguage::rust};

QString toRaw(TOVRLanguage language);
template <> std::optional<TOVRLanguage> fromRaw<TOVRLanguage>(QStringView raw);

inline size_t qHash(TOVRLanguage language, size_t seed = 0) {
    return ::qHash(static_cast<int>(language), seed);
}

// The checkbox label of a language.
QString displayName(TOVRLanguage language);

// The fixes that install the chosen languages, in install order. mise comes in for Node
// and Ruby, and whenever more than one language is chosen; Rust then goes through mise.
QList<SetupRemediation> remediations(const QSet<TOVRLanguage>& chosen);

} // namespace tovr
