#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/ToolLocations.h"

#include <optional>

namespace tovr {

// One of zsh's start-up files (".zprofile", ".zshrc") as a writer of it sees it: the file
// zsh really reads, or why that cannot be told.
struct StartupFile {
    std::optional<QString> path; // absent: no one file zsh reads
    QString shown;               // its name as the user reads it ("~/.zprofile")
    // Why nothing is written, where there is no path: one sentence.
    QString untold;

    static StartupFile of(const FileSystemOperating& fs, const ToolLocations& locations,
                          const QString& name);
};

// What the user must do when the login shell does not read zsh's start-up files, one
// sentence to follow a change to them; empty when it is zsh.
QString otherLoginShellNote(const ToolLocations& locations);

} // namespace tovr
