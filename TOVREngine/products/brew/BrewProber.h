#pragma once

#include "model/SetupProber.h"

namespace tovr {

// Where Homebrew's `brew` is installed, whether the login shell finds and runs it, and
// whether the managed shell configuration is in place. Every other fact is false.
class BrewProber final : public SetupProber {
public:
    SetupProbeBundle probe(const ShellRunner& shell,
                           const std::shared_ptr<FileSystemOperating>& fs) const override;

    // The `brew` executables the login shell finds, in PATH order.
    static QStringList brewPathEntries(const ShellRunner& shell);
    // Trimmed output of `brew --version` (absent when empty) and its exit code (-1 when the
    // shell cannot start).
    static std::pair<std::optional<QString>, qint32> brewVersion(const ShellRunner& shell);
    // The standard places that hold a `brew`, Apple silicon's first.
    static QStringList brewBinaryCandidates(FileSystemOperating& fs);
};

} // namespace tovr
