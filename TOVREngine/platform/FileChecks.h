#pragma once

#include <optional>

#include "platform/FileSystemOperating.h"
#include "platform/ToolLocations.h"

namespace tovr {

// A folder exists at `path` (links followed).
bool isFolder(const FileSystemOperating& fs, const QString& path);

// A file, not a folder, exists at `path` (links followed).
bool isFile(const FileSystemOperating& fs, const QString& path);

// Something is at `path`, a dangling symbolic link included: writing there would follow
// the link.
bool entryExists(const FileSystemOperating& fs, const QString& path);

// Removes `path` (a folder with its contents); nothing there, or a removal that fails, is
// no error.
void removeQuietly(FileSystemOperating& fs, const QString& path);

// `path` as the user reads it: a leading home folder written as "~".
QString shownFromHome(const FileSystemOperating& fs, const QString& path);

// `text` with "~/.zprofile" and "~/.zshrc" (backups included) naming the files zsh reads
// when the user's shell moved them with ZDOTDIR; unchanged otherwise.
QString namingStartupFiles(const FileSystemOperating& fs, const ToolLocations& locations,
                           const QString& text);
// The same for what a screen knows; unknown yet: the usual names.
QString namingStartupFiles(const FileSystemOperating& fs,
                           const std::optional<ToolLocations>& locations, const QString& text);
// The sentence a screen adds to a text that names a start-up file when the login shell did
// not answer, so that the file named is only the usual one; empty otherwise.
QString unansweredShellNote(const std::optional<ToolLocations>& locations, const QString& text);

// The `brew` Homebrew installs, the Apple silicon location first: the first of
// "/opt/homebrew/bin/brew" and "/usr/local/bin/brew" that is an executable file.
std::optional<QString> homebrewExecutable(const FileSystemOperating& fs);

} // namespace tovr
