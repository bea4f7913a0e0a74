#pragma once

#include "platform/Error.h"
#include "platform/FileSystemOperating.h"

#include <QByteArray>
#include <QString>

namespace tovr {

// Files that may hold a key or a token (a start-up file, an agent's configuration, their
// backups) never become readable by more people than their owner allowed, not even for a
// moment: each is created at its final mode, and an atomic write keeps it.

// The mode a copy of `path` gets: the file's own without write access for group and others,
// or 0600 when it is a symbolic link (whose own mode says nothing of the file it leads to)
// or its mode is unknown. Throws SystemError when the file cannot be examined.
int backupModeOf(const FileSystemOperating& fs, const QString& path);

// The backup of a file could not be made; nothing was changed.
class BackupError : public SystemError {
public:
    explicit BackupError(const SystemError& cause) : SystemError(cause) {}
};

// Replaces `path` with `data` (at `mode` when given, else as writeData() would) after
// saving `original` as `backupPath` at `backupMode`, and changes nothing unless both files
// could be written whole: each is written beside its place first, and only then is each
// renamed into place, the backup first. A folder where the backup
// belongs is never deleted; a link there is replaced, not followed. Throws BackupError when
// the backup cannot be made, SystemError when the file cannot be written.
void writeWithBackup(FileSystemOperating& fs, const QString& path, const QByteArray& data,
                     std::optional<int> mode, const QString& backupPath, const QByteArray& original,
                     int backupMode);

// Writes `text` to `path` atomically at 0600, the mode it is created with. A write that
// fails leaves `path` as it was (missing, if it was). Throws SystemError.
void writePrivateText(FileSystemOperating& fs, const QString& text, const QString& path);

} // namespace tovr
