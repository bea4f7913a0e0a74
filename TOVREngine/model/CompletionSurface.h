#pragma once

#include "platform/RawValue.h"

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <optional>

namespace tovr {

// Which build-intent prompt the audit's completion screen shows.
enum class BuildIntentSurface { postFix, modernHomeSet, noErrorsFound };

QString toRaw(BuildIntentSurface surface);
template <> std::optional<BuildIntentSurface> fromRaw<BuildIntentSurface>(QStringView raw);

inline size_t qHash(BuildIntentSurface surface, size_t seed = 0) {
    return qHash(toRaw(surface), seed);
}

// Whether the audit ends on a build-intent prompt, and which.
class CompletionSurface {
public:
    static CompletionSurface prompt(BuildIntentSurface surface) {
        return CompletionSurface(surface);
    }
    static CompletionSurface excluded() { return CompletionSurface(std::nullopt); }

    bool isExcluded() const { return !surface_; }
    // The prompt's surface; absent when `excluded`.
    std::optional<BuildIntentSurface> promptSurface() const { return surface_; }

    bool operator==(const CompletionSurface&) const = default;

private:
    explicit CompletionSurface(std::optional<BuildIntentSurface> surface) : surface_(surface) {}
    std::optional<BuildIntentSurface> surface_;
};

inline size_t qHash(const CompletionSurface& completion, size_t seed = 0) {
    if (const auto surface = completion.promptSurface())
        return qHash(*surface, ::qHash(0, seed));
    return ::qHash(1, seed);
}

} // namespace tovr
