#pragma once

#include <QString>

#include <optional>

namespace tovr {

// The version in `brew --version` output: the word after a leading "Homebrew". Anything
// printed before it, such as a warning, leaves the version unknown.
std::optional<QString> parseHomebrewVersion(const QString& output);

} // namespace tovr
