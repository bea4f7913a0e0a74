#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace tovr {

enum class FileType { regular, directory, symbolicLink, other };

// The attributes of one item that the system reads or sets. Absent fields are unknown
// (when read) or left alone (when set).
struct FileAttributes {
    std::optional<qint64> size;
    std::optional<int> posixPermissions; // e.g. 0600
    std::optional<FileType> type;
    std::optional<QDateTime> modificationDate;
    bool operator==(const FileAttributes&) const = default;
};

// Which file a path names: two paths with the same identity are one file, however they are
// spelled (links, "//", a trailing "/").
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Every file operation of the system. Paths are absolute, without a trailing slash.
// Failing operations throw SystemError with the platform's message.
class FileSystemOperating {
public:
    virtual ~FileSystemOperating() = default;

    // Existence, following symbolic links.
    virtual bool fileExists(const QString& path) const = 0;
    // Existence, and whether the item is a folder.
    virtual bool fileExists(const QString& path, bool* isDirectory) const = 0;
    // An executable file exists there; never fails.
    virtual bool isExecutableFile(const QString& path) const = 0;
    // Entry names, hidden ones included, without "." and "..", in no particular order.
    virtual QStringList contentsOfDirectory(const QString& path) const = 0;
    // An existing folder is no error. A new one is never writable by group or others.
    virtual void createDirectory(const QString& path, bool withIntermediateDirectories) = 0;
    // Creates one folder, born with exactly `mode` (never wider at any moment); its parent
    // must exist, and anything already at `path` is an error.
    virtual void createDirectoryWithMode(const QString& path, int mode) = 0;
    // A folder is removed with its contents.
    virtual void removeItem(const QString& path) = 0;
    // Never over an existing item. Across file systems only a file or a link moves (a file
    // is copied beside its place, then renamed into it); a folder is refused with EXDEV.
    virtual void moveItem(const QString& from, const QString& to) = 0;
    virtual FileAttributes attributesOfItem(const QString& path) const = 0;
    // Sets the given attributes; the system sets POSIX permissions only.
    virtual void setAttributes(const FileAttributes& attributes, const QString& path) = 0;
    // The current user's home folder.
    virtual QString homeDirectory() const = 0;
    // Writes text as UTF-8; atomically means a temporary file, then a rename. A symbolic
    // link at `path` stays a link and its final target gets the text; a file that is
    // replaced keeps its permission mode, and a new one is never writable by group or others.
    virtual void write(const QString& text, const QString& path, bool atomically) = 0;
    // Reads a whole file; throws when it is missing or unreadable.
    virtual QByteArray readData(const QString& path) const = 0;
    // Writes a whole file atomically, replacing an existing one (links and mode as write()).
    virtual void writeData(const QByteArray& data, const QString& path) = 0;
    // As writeData(), but the file gets exactly `mode`, and its temporary file is created at
    // that mode in the same call that creates it: no one can open it whom the final file
    // would refuse, not even for a moment.
    virtual void writeDataWithMode(const QByteArray& data, const QString& path, int mode) = 0;
    // The first half of writeData() (writeDataWithMode() when `mode` is given): `data` is
    // written in full to a new temporary file beside the file `path` leads to, and nothing
    // else changes. Returns the temporary file, for commitStaged() or removeItem().
    virtual QString stageData(const QByteArray& data, const QString& path,
                              std::optional<int> mode) = 0;
    // The second half: renames `staged` over the file `path` leads to, in one step.
    virtual void commitStaged(const QString& staged, const QString& path) = 0;
    // Reads a file as UTF-8; throws when it is missing, unreadable or not UTF-8.
    virtual QString readText(const QString& path) const = 0;
    // The user's caches folder, created when missing.
    virtual QString cachesDirectory() = 0;
    // The user's Application Support folder; throws when it cannot be resolved or created.
    virtual QString applicationSupportDirectory(bool create) = 0;
    // The system's temporary folder.
    virtual QString temporaryDirectory() const = 0;
    // The file at `path`, links followed; absent when nothing is there or it cannot be told.
    virtual std::optional<FileIdentity> fileIdentity(const QString& path) const {
        (void)path;
        return std::nullopt;
    }
};

} // namespace tovr
