#pragma once

#include "platform/Error.h"
#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/KeyValueStoring.h"

#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QStringList>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

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

class MemoryKeyValueStore : public KeyValueStoring {
public:
    void set(const std::optional<QVariant>& value, const QString& key) override {
        std::lock_guard guard(lock_);
        if (value)
            values_[key] = *value;
        else
            values_.remove(key);
    }
    std::optional<QString> string(const QString& key) const override {
        std::lock_guard guard(lock_);
        auto it = values_.find(key);
        return it == values_.end() ? std::nullopt : std::optional(it->toString());
    }
    std::optional<bool> boolean(const QString& key) const override {
        std::lock_guard guard(lock_);
        auto it = values_.find(key);
        return it == values_.end() ? std::nullopt : std::optional(it->toBool());
    }

private:
    mutable std::mutex lock_;
    QMap<QString, QVariant> values_;
};

// Records every request and answers from a script: each reply in turn, then `fallback`.
class RecordingHTTPFetcher : public HTTPFetching {
public:
    struct Reply {
        int status = 200;
        bool timeOut = false; // throws timedOut instead of answering
        bool hang = false;    // waits until the caller cancels
        std::chrono::milliseconds delay{0};
    };

    RecordingHTTPFetcher() = default;

    void script(QList<Reply> replies) {
        std::lock_guard guard(lock_);
        script_ = std::move(replies);
    }
    void setFallback(Reply reply) {
        std::lock_guard guard(lock_);
        fallback_ = reply;
    }
    QList<HTTPRequest> requests() const {
        std::lock_guard guard(lock_);
        return requests_;
    }
    QList<std::chrono::steady_clock::time_point> times() const {
        std::lock_guard guard(lock_);
        return times_;
    }
    int mostAtOnce() const {
        std::lock_guard guard(lock_);
        return mostAtOnce_;
    }
    bool waitForRequests(qsizetype count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(lock_);
        return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
    }

    std::pair<QByteArray, HTTPResponse>
    data(const HTTPRequest& request, std::shared_ptr<HTTPCancellation> cancellation) override {
        Reply reply;
        {
            std::lock_guard guard(lock_);
            requests_.append(request);
            times_.append(std::chrono::steady_clock::now());
            reply = script_.isEmpty() ? fallback_ : script_.takeFirst();
            mostAtOnce_ = std::max(mostAtOnce_, ++atOnce_);
        }
        changed_.notify_all();
        struct Leave {
            RecordingHTTPFetcher* self;
            ~Leave() {
                std::lock_guard guard(self->lock_);
                --self->atOnce_;
            }
        } leave{this};
        if (reply.hang) {
            while (!(cancellation && cancellation->isCancelled()))
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            throw URLError(URLError::Code::cancelled, QStringLiteral("cancelled"));
        }
        std::this_thread::sleep_for(reply.delay);
        if (reply.timeOut)
            throw URLError(URLError::Code::timedOut, QStringLiteral("The request timed out."));
        HTTPResponse response;
        response.statusCode = reply.status;
        response.url = request.url;
        return {QByteArray(), response};
    }
    std::pair<QString, HTTPResponse> download(const HTTPRequest&, DownloadProgress,
                                              std::shared_ptr<HTTPCancellation>) override {
        throw URLError(URLError::Code::unsupportedURL, QStringLiteral("unsupported"));
    }
    ByteSample sampleBytes(const HTTPRequest&, qint64, double) override { return {}; }

private:
    mutable std::mutex lock_;
    std::condition_variable changed_;
    QList<Reply> script_;
    Reply fallback_;
    QList<HTTPRequest> requests_;
    QList<std::chrono::steady_clock::time_point> times_;
    int atOnce_ = 0;
    int mostAtOnce_ = 0;
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
