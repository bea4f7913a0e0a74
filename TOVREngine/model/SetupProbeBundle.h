#pragma once

#include <QStringList>

#include <optional>

namespace tovr {

// The facts one product's prober gathered about the Mac.
struct SetupProbeBundle {
    QStringList pathVisiblePrimaryTools;       // found by the login shell's PATH
    QStringList installedPrimaryToolLocations; // installed, on PATH or not
    std::optional<QString> versionOutput;
    std::optional<qint32> versionExitCode;
    bool companionToolPresent = false; // counts as OpenAI's tools for the "codex" stage
    bool shellConfigured = false;      // our managed setup is already in the start-up files
    bool agentDocNeeded = false;       // an agent's instruction file lacks our note
    bool projectExists = false;        // an example project is in Documents
    bool ghPresent = false;
    bool gitIdentitySet = false;
    bool ghAuthed = false;
    bool gitUsesGhCredentials = false; // git's credential helper for GitHub is gh's
    QString gitConfigFile; // the file `git config --global` writes; empty when not probed
    bool operator==(const SetupProbeBundle&) const = default;
};

} // namespace tovr
