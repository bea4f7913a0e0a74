#pragma once

#include "platform/FileSystemOperating.h"

namespace tovr {

// A folder exists at `path` (links followed).
bool isFolder(const FileSystemOperating& fs, const QString& path);

// Something is at `path`, a dangling symbolic link included: writing there would follow
// the link.
bool entryExists(const FileSystemOperating& fs, const QString& path);

} // namespace tovr
