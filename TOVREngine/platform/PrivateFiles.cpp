#include "platform/PrivateFiles.h"

#include "platform/Error.h"

#include <cerrno>

namespace tovr {

int backupModeOf(const FileSystemOperating& fs, const QString& path) {
    const FileAttributes attributes = fs.attributesOfItem(path);
    if (attributes.type == FileType::symbolicLink || !attributes.posixPermissions)
        return 0600;
    return *attributes.posixPermissions;
}

void writeBackup(FileSystemOperating& fs, const QString& backupPath, const QByteArray& bytes,
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
    fs.writeDataWithMode(bytes, backupPath, mode);
}

void writePrivateText(FileSystemOperating& fs, const QString& text, const QString& path) {
    fs.writeDataWithMode(text.toUtf8(), path, 0600);
}

} // namespace tovr
