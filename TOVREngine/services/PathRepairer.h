#pragma once

#include "platform/FileAppendWriter.h"
#include "platform/FileSystemOperating.h"
#include "platform/StartupFile.h"
#include "platform/ToolLocations.h"
#include "services/WriterReport.h"

#include <memory>

namespace tovr {

// Repairs a login shell that cannot find an installed tool by appending one marked line
// to ~/.zprofile (in $ZDOTDIR when the user set it). Both fixes run synchronously and never
// throw.
struct PathRepairer {
    std::shared_ptr<FileSystemOperating> fs;
    FileAppendWriter::Clock clock = {};
    ToolLocations locations = {};

    // Puts `directory` on PATH; present when an active line holds the escaped directory as
    // a whole PATH entry (between ":", "=", quotes or the line's ends). A name that is not
    // one absolute folder (empty, relative, with ":", a NUL or a line break) is refused
    // and nothing is written.
    WriterReport repairPath(const QString& directory) const;
    // Makes login shells evaluate `brew shellenv` for the Homebrew found on disk; present
    // only when an active line already does.
    WriterReport repairHomebrewPath() const;

    // The value as it may stand inside a double-quoted shell word in a file: backslash,
    // double quote, backquote and "$" each get a backslash before them.
    static QString escapeForDoubleQuotes(const QString& value);

private:
    StartupFile zprofile() const;
    // A report that succeeded, with what a login shell other than zsh asks of the user.
    WriterReport noted(WriterReport report) const;
};

} // namespace tovr
