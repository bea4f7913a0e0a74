#pragma once

#include "platform/FileSystemOperating.h"

#include <QByteArray>
#include <QString>

namespace tovr {

// Files that may hold a key or a token (a start-up file, an agent's configuration, their
// backups) never become readable by more people than their owner allowed, not even for a
// moment: a file's mode is set while it is still empty, and an atomic write keeps it.

// The mode a copy of `path` gets: the file's own, or 0600 when it is a symbolic link (whose
// own mode says nothing of the file it leads to) or its mode is unknown. Throws SystemError
// when the file cannot be examined.
int backupModeOf(const FileSystemOperating& fs, const QString& path);

// Replaces `backupPath` with `bytes`: created empty, given `mode`, then filled. A folder
// where the backup belongs is never deleted. Throws SystemError.
void writeBackup(FileSystemOperating& fs, const QString& backupPath, const QByteArray& bytes,
                 int mode);

// Writes `text` to `path` atomically at 0600: a new file is created empty at that mode, an
// existing one is tightened before the text goes in. A mode that cannot be set fails the
// write, and a file this call created is taken away again. Throws SystemError.
void writePrivateText(FileSystemOperating& fs, const QString& text, const QString& path);

} // namespace tovr
