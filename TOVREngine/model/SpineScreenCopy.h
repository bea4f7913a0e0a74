#pragma once

#include <QString>

#include <optional>

namespace tovr {

// The texts of one stage screen.
struct SpineScreenCopy {
    QString windowTitle;
    QString headline;
    QString body;
    std::optional<QString> footer;
    bool operator==(const SpineScreenCopy&) const = default;
};

} // namespace tovr
