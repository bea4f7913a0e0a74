#pragma once

#include "platform/ShellRunner.h"

#include <optional>

namespace tovr {

// The developer folder macOS names as active (the Command Line Tools' or a full Xcode's).
struct XcodeCLTProbe {
    ShellRunner shell;
    // Absent when xcode-select cannot run, fails, or prints nothing.
    std::optional<QString> commandLineToolsPath() const;
};

} // namespace tovr
