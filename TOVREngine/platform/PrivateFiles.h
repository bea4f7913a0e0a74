#pragma once

#include "platform/FileSystemOperating.h"

#include <QByteArray>
#include <QString>

namespace tovr {

// Files that may hold a key or a token (a start-up file, an agent's configuration, their
// backups) never become readable by more people than their owner allowed, not even for a
// moment: each is created at its final mode, and an atomic write keeps it.

// The mode a copy of `path` gets: the file's own, or 0600 when it is a symbolic link (whose
// own mode says nothing of the file it leads to) or its mode is unknown. Throws SystemError
// when the file cannot be examined.
int backupModeOf(const FileSystemOperating& fs, const QString& path);

// Replaces `backupPath` with `bytes` at `mode`, only once the new backup is complete: it is
// written beside the old one and renamed over it, so a backup that cannot be made leaves
// the earlier one as it was. A folder where the backup belongs is never deleted; a link
// there is replaced, not followed. Throws SystemError.
void writeBackup(FileSystemOperating& fs, const QString& backupPath, const QByteArray& bytes,
                 int mode);

// Writes `text` to `path` atomically at 0600, the mode it is created with. A write that
// fails leaves `path` as it was (missing, if it was). Throws SystemError.
void writePrivateText(FileSystemOperating& fs, const QString& text, const QString& path);

} // namespace tovr
