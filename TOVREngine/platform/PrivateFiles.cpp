#include "platform/PrivateFiles.h"

#include "platform/Error.h"

#include <cerrno>

namespace tovr {

namespace {

void setMode(FileSystemOperating& fs, int mode, const QString& path) {
    FileAttributes attributes;
    attributes.posixPermissions = mode;
    fs.setAttributes(attributes, path);
}

} // namespace

int backupModeOf(const FileSystemOperating& fs, const QString& path) {
    const FileAttributes attributes = fs.attributesOfItem(path);
    if (attributes.type == FileType::symbolicLink || !attributes.posixPermissions)
        return 0600;
    return *attributes.posixPermissions;
}

void writeBackup(FileSystemOperating& fs, const QString& backupPath, const QByteArray& bytes,
                 int mode) {
    bool isDirectory = false;
    if (fs.fileExists(backupPath, &isDirectory)) {
        if (isDirectory)
            throw SystemError::fromErrno(EISDIR, backupPath);
        fs.removeItem(backupPath);
    }
    fs.write(QString(), backupPath, true);
    setMode(fs, mode, backupPath);
    if (!bytes.isEmpty())
        fs.writeData(bytes, backupPath);
}

void writePrivateText(FileSystemOperating& fs, const QString& text, const QString& path) {
    const bool created = !fs.fileExists(path);
    try {
        if (created)
            fs.write(QString(), path, true);
        setMode(fs, 0600, path);
        fs.write(text, path, true);
    } catch (const Error&) {
        if (created) {
            try {
                if (fs.fileExists(path))
                    fs.removeItem(path);
            } catch (const Error&) {
                // The write's own error is the one to report.
            }
        }
        throw;
    }
}

} // namespace tovr
