#pragma once

#include "platform/Error.h"
#include "platform/FileSystemOperating.h"

#include <QSet>

#include <cerrno>

namespace tovr::test {

// Just enough of a file system for code that only looks: files and folders by absolute
// path, with every parent folder implied. Anything that writes is refused.
class InMemoryFileSystem : public FileSystemOperating {
public:
    explicit InMemoryFileSystem(QString home = QStringLiteral("/Users/ana"))
        : home_(std::move(home)) {}

    void addFile(const QString& path) { files_.insert(path); }
    void addFolder(const QString& path) { folders_.insert(path); }
    // Listing the folder fails as if it could not be read.
    void makeUnreadable(const QString& path) { unreadable_.insert(path); }

    bool fileExists(const QString& path) const override {
        bool isDirectory = false;
        return fileExists(path, &isDirectory);
    }
    bool fileExists(const QString& path, bool* isDirectory) const override {
        if (files_.contains(path)) {
            *isDirectory = false;
            return true;
        }
        *isDirectory = isFolder(path);
        return *isDirectory;
    }
    bool isExecutableFile(const QString& path) const override { return files_.contains(path); }
    QStringList contentsOfDirectory(const QString& path) const override {
        if (!isFolder(path) || unreadable_.contains(path))
            throw SystemError(ENOENT, path);
        QSet<QString> names;
        const QString prefix = path + QLatin1Char('/');
        for (const auto& item : files_ + folders_)
            if (item.startsWith(prefix))
                names.insert(item.mid(prefix.size()).section(QLatin1Char('/'), 0, 0));
        return QStringList(names.begin(), names.end());
    }
    void createDirectory(const QString&, bool) override { refuse(); }
    void createDirectoryWithMode(const QString&, int) override { refuse(); }
    void removeItem(const QString&) override { refuse(); }
    void moveItem(const QString&, const QString&) override { refuse(); }
    FileAttributes attributesOfItem(const QString&) const override { refuse(); }
    void setAttributes(const FileAttributes&, const QString&) override { refuse(); }
    QString homeDirectory() const override { return home_; }
    void write(const QString&, const QString&, bool) override { refuse(); }
    QByteArray readData(const QString&) const override { refuse(); }
    void writeData(const QByteArray&, const QString&) override { refuse(); }
    void writeDataWithMode(const QByteArray&, const QString&, int) override { refuse(); }
    QString stageData(const QByteArray&, const QString&, std::optional<int>) override { refuse(); }
    void commitStaged(const QString&, const QString&) override { refuse(); }
    QString readText(const QString&) const override { refuse(); }
    QString cachesDirectory() override { refuse(); }
    QString applicationSupportDirectory(bool) override { refuse(); }
    QString temporaryDirectory() const override { return QStringLiteral("/tmp"); }

private:
    bool isFolder(const QString& path) const {
        if (folders_.contains(path))
            return true;
        const QString prefix = path + QLatin1Char('/');
        for (const auto& item : files_ + folders_)
            if (item.startsWith(prefix))
                return true;
        return false;
    }
    [[noreturn]] static void refuse() { throw SystemError(EPERM, QStringLiteral("read-only")); }

    QString home_;
    QSet<QString> files_;
    QSet<QString> folders_;
    QSet<QString> unreadable_;
};

} // namespace tovr::test
