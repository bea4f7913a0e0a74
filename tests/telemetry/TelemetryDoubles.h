#pragma once

#include "platform/Error.h"
#include "platform/FileSystemOperating.h"

#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QStringList>

#include <cerrno>
#include <mutex>

namespace tovr::test {

// Files in memory, safe from any thread, with switches that make operations fail.
class MemoryFileSystem : public FileSystemOperating {
public:
    bool failWrites = false;
    bool failApplicationSupport = false;

    void put(const QString& path, const QByteArray& data) {
        std::lock_guard guard(lock_);
        files_[path] = data;
    }
    std::optional<QByteArray> contents(const QString& path) const {
        std::lock_guard guard(lock_);
        auto it = files_.find(path);
        return it == files_.end() ? std::nullopt : std::optional(*it);
    }

    bool fileExists(const QString& path) const override { return contents(path).has_value(); }
    bool fileExists(const QString& path, bool* isDirectory) const override {
        std::lock_guard guard(lock_);
        *isDirectory = folders_.contains(path);
        return *isDirectory || files_.contains(path);
    }
    bool isExecutableFile(const QString&) const override { return false; }
    QStringList contentsOfDirectory(const QString&) const override { return {}; }
    void createDirectory(const QString& path, bool) override {
        std::lock_guard guard(lock_);
        folders_.insert(path);
    }
    void createDirectoryWithMode(const QString& path, int) override {
        createDirectory(path, false);
    }
    void removeItem(const QString& path) override {
        std::lock_guard guard(lock_);
        if (!files_.remove(path))
            throw SystemError(ENOENT, path + QStringLiteral(": No such file or directory"));
    }
    void moveItem(const QString&, const QString&) override {}
    FileAttributes attributesOfItem(const QString&) const override { return {}; }
    void setAttributes(const FileAttributes&, const QString&) override {}
    QString homeDirectory() const override { return QStringLiteral("/Users/ana"); }
    void write(const QString& text, const QString& path, bool) override {
        writeData(text.toUtf8(), path);
    }
    QByteArray readData(const QString& path) const override {
        if (auto data = contents(path))
            return *data;
        throw SystemError(ENOENT, path + QStringLiteral(": No such file or directory"));
    }
    void writeData(const QByteArray& data, const QString& path) override {
        std::lock_guard guard(lock_);
        if (failWrites)
            throw SystemError(ENOSPC, QStringLiteral("No space left on device"));
        if (!folders_.contains(QFileInfo(path).path()))
            throw SystemError(ENOENT, path + QStringLiteral(": No such file or directory"));
        files_[path] = data;
    }
    void writeDataWithMode(const QByteArray& data, const QString& path, int) override {
        writeData(data, path);
    }
    QString stageData(const QByteArray&, const QString&, std::optional<int>) override {
        throw SystemError(ENOTSUP, QStringLiteral("Not used by telemetry"));
    }
    void commitStaged(const QString&, const QString&) override {
        throw SystemError(ENOTSUP, QStringLiteral("Not used by telemetry"));
    }
    QString readText(const QString& path) const override {
        return QString::fromUtf8(readData(path));
    }
    QString cachesDirectory() override { return QStringLiteral("/Users/ana/Library/Caches"); }
    QString applicationSupportDirectory(bool) override {
        if (failApplicationSupport)
            throw SystemError(EACCES, QStringLiteral("Permission denied"));
        return QStringLiteral("/Users/ana/Library/Application Support");
    }
    QString temporaryDirectory() const override { return QStringLiteral("/tmp"); }

private:
    mutable std::mutex lock_;
    QMap<QString, QByteArray> files_;
    QSet<QString> folders_;
};

// Collects the warnings logged under one category while it lives.
class LogCapture {
public:
    explicit LogCapture(const char* category = "tovr.telemetry") {
        std::lock_guard guard(lock());
        category_ = category;
        linesStore().clear();
        previous_ = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() { qInstallMessageHandler(previous_); }
    QStringList lines() const {
        std::lock_guard guard(lock());
        return linesStore();
    }

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message) {
        std::lock_guard guard(lock());
        if (context.category && category_ == context.category)
            linesStore().append(message);
    }
    static std::mutex& lock() {
        static std::mutex m;
        return m;
    }
    static QStringList& linesStore() {
        static QStringList l;
        return l;
    }
    static inline QByteArray category_;
    QtMessageHandler previous_ = nullptr;
};

} // namespace tovr::test
