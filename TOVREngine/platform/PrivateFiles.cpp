#include "platform/PrivateFiles.h"

#include "platform/Error.h"
#include "platform/FileChecks.h"

#include <cerrno>

namespace tovr {

int backupModeOf(const FileSystemOperating& fs, const QString& path) {
    const FileAttributes attributes = fs.attributesOfItem(path);
    if (attributes.type == FileType::symbolicLink || !attributes.posixPermissions)
        return 0600;
    return *attributes.posixPermissions & ~022;
}

namespace {

QString stageBackup(FileSystemOperating& fs, const QString& backupPath, const QByteArray& bytes,
                    int mode) {
    bool isDirectory = false;
    if (fs.fileExists(backupPath, &isDirectory) && isDirectory)
        throw SystemError::fromErrno(EISDIR, backupPath);
    std::optional<FileType> type;
    try {
        type = fs.attributesOfItem(backupPath).type;
    } catch (const SystemError&) {
        // Nothing there yet.
    }
    // A write follows a link: the backup would land in whatever file it leads to.
    if (type == FileType::symbolicLink)
        fs.removeItem(backupPath);
    return fs.stageData(bytes, backupPath, mode);
}

} // namespace

void writeWithBackup(FileSystemOperating& fs, const QString& path, const QByteArray& data,
                     std::optional<int> mode, const QString& backupPath, const QByteArray& original,
                     int backupMode) {
    // Both files are written whole beside their places before either is renamed: on a full
    // disk the earlier backup stays unless the new file could be written too.
    QString stagedBackup;
    try {
        stagedBackup = stageBackup(fs, backupPath, original, backupMode);
    } catch (const SystemError& error) {
        throw BackupError(error);
    }
    QString staged;
    try {
        staged = fs.stageData(data, path, mode);
    } catch (const SystemError&) {
        removeQuietly(fs, stagedBackup);
        throw;
    }
    try {
        fs.commitStaged(stagedBackup, backupPath);
    } catch (const SystemError& error) {
        removeQuietly(fs, staged);
        throw BackupError(error);
    }
    fs.commitStaged(staged, path);
}

void writePrivateText(FileSystemOperating& fs, const QString& text, const QString& path) {
    fs.writeDataWithMode(text.toUtf8(), path, 0600);
}

} // namespace tovr
