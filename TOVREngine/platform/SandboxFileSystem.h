#pragma once

#include "platform/LiveFileSystem.h"

#include <QTemporaryDir>

namespace tovr {

// A Mac's files as a real folder tree: every absolute path the code asks for is mapped
// under a temporary root ("/opt/homebrew/bin/brew" is <root>/opt/homebrew/bin/brew) and
// served by LiveFileSystem. Paths the code sees, and error messages, are Mac paths.
class SandboxFileSystem final : public FileSystemOperating {
public:
    // `folderTemplate` names the temporary root as QTemporaryDir's template does (empty:
    // Qt's default).
    explicit SandboxFileSystem(QString home = QStringLiteral("/Users/dev"),
                               const QString& folderTemplate = {});

    // The host path behind a Mac path. Throws SystemError for a relative path or one that
    // climbs out of the root with "..".
    QString hostPath(const QString& macPath) const;
    QString root() const { return dir_.path(); }
    // Makes the host folder at `path` appear at the same path inside the Mac (the app's own
    // bundled resources, say), read-only: writes there fail with EACCES, as inside a signed
    // application bundle. Call before the file system is shared with other threads.
    void shareHostFolder(const QString& path) { sharedHostFolders_.append(path); }

    // As LiveFileSystem::observeCreations, with Mac paths. Call before the file system is
    // shared with other threads.
    void observeCreations(LiveFileSystem::CreationObserver observer);

    // Helpers that build the Mac; parent folders are created as needed. They return the Mac path.
    QString createFolder(const QString& macPath);
    // A file is replaced by a new one, born at `mode`.
    QString createFile(const QString& macPath, const QByteArray& contents = {}, int mode = 0644);
    // A "#!/bin/sh" script with `body`, mode 0755.
    QString createExecutable(const QString& macPath, const QString& body = {});
    // An absolute target is a Mac path and is mapped into the sandbox too.
    QString createSymlink(const QString& macPath, const QString& target);
    // The file's contents, or an empty array when it cannot be read.
    QByteArray contents(const QString& macPath) const;

    bool fileExists(const QString& path) const override;
    bool fileExists(const QString& path, bool* isDirectory) const override;
    bool isExecutableFile(const QString& path) const override;
    QStringList contentsOfDirectory(const QString& path) const override;
    void createDirectory(const QString& path, bool withIntermediateDirectories) override;
    void createDirectoryWithMode(const QString& path, int mode) override;
    void removeItem(const QString& path) override;
    void moveItem(const QString& from, const QString& to) override;
    FileAttributes attributesOfItem(const QString& path) const override;
    void setAttributes(const FileAttributes& attributes, const QString& path) override;
    QString homeDirectory() const override { return home_; }
    void write(const QString& text, const QString& path, bool atomically) override;
    QByteArray readData(const QString& path) const override;
    void writeData(const QByteArray& data, const QString& path) override;
    void writeDataWithMode(const QByteArray& data, const QString& path, int mode) override;
    QString stageData(const QByteArray& data, const QString& path,
                      std::optional<int> mode) override;
    void commitStaged(const QString& staged, const QString& path) override;
    QString readText(const QString& path) const override;
    // ~/Library/Caches and ~/Library/Application Support, as on a Mac; /tmp for temporaries.
    QString cachesDirectory() override;
    QString applicationSupportDirectory(bool create) override;
    QString temporaryDirectory() const override;
    std::optional<FileIdentity> fileIdentity(const QString& path) const override;

private:
    // The host path behind a Mac path that is about to be changed; throws for a shared folder.
    QString writableHostPath(const QString& macPath) const;
    // Runs `op`, turning host paths in its error message back into Mac paths.
    template <class F> auto mapped(F&& op) const -> decltype(op());

    QTemporaryDir dir_;
    QString home_;
    QStringList sharedHostFolders_;
    mutable LiveFileSystem live_;
};

} // namespace tovr
