#pragma once

#include "platform/FileSystemOperating.h"

#include <functional>

namespace tovr {

// The file system of the machine, through POSIX calls. Safe from any thread.
//
// Atomic writes go to a temporary file beside the final file and are renamed over it. A
// path that is a symbolic link (a ~/.zshrc kept in a dotfiles repository) stays a link:
// the link is followed to its final target and that target is replaced. The temporary file
// is created at the mode the final file gets: the one asked for, else the replaced file's;
// a new file gets 0644 and a new folder 0755, less the umask.
class LiveFileSystem final : public FileSystemOperating {
public:
    // Called with the path of each file an atomic write or a move creates, and of each
    // folder createDirectory() or createDirectoryWithMode() creates, right after the call that
    // created it and before anything else is done to it: what a watcher could open at that moment.
    using CreationObserver = std::function<void(const QString& path)>;
    // Set before the file system is shared with other threads.
    void observeCreations(CreationObserver observer) { observer_ = std::move(observer); }

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
    QString homeDirectory() const override;
    void write(const QString& text, const QString& path, bool atomically) override;
    QByteArray readData(const QString& path) const override;
    void writeData(const QByteArray& data, const QString& path) override;
    void writeDataWithMode(const QByteArray& data, const QString& path, int mode) override;
    QString stageData(const QByteArray& data, const QString& path,
                      std::optional<int> mode) override;
    void commitStaged(const QString& staged, const QString& path) override;
    QString readText(const QString& path) const override;
    QString cachesDirectory() override;
    QString applicationSupportDirectory(bool create) override;
    QString temporaryDirectory() const override;
    std::optional<FileIdentity> fileIdentity(const QString& path) const override;

    // The file an atomic write of `path` replaces: `path` itself, or the end of its chain
    // of symbolic links (which need not exist yet). Throws SystemError on a link loop.
    static QString resolveLinkChain(const QString& path);

private:
    CreationObserver observer_;
};

} // namespace tovr
