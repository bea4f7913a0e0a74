#pragma once

#include "platform/CancellableProcess.h"
#include "platform/ChildProcessRegistry.h"
#include "platform/LiveHTTPFetcher.h"
#include "platform/LiveProcessRunner.h"
#include "platform/StreamEvent.h"
#include "support/FakeProcessRunner.h"
#include "support/ForwardingFileSystem.h"
#include "support/SandboxFileSystem.h"

#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <functional>
#include <thread>

namespace tovr::test {

// Runs the named programs (the Mac-only ones) through a scripted runner and everything
// else, such as a fake `brew` script, for real.
class RoutingProcessRunner final : public ProcessRunning {
public:
    RoutingProcessRunner(QStringList faked, std::shared_ptr<FakeProcessRunner> fake)
        : faked_(std::move(faked)), fake_(std::move(fake)) {}

    ProcessResult run(const QString& executable, const QStringList& arguments,
                      const std::optional<ProcessEnvironment>& environment) override {
        return pick(executable).run(executable, arguments, environment);
    }
    EventStream<ProcessStreamEvent>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<ProcessEnvironment>& environment,
           std::shared_ptr<LiveProcessCancellation> cancellation) override {
        return pick(executable).stream(executable, arguments, environment, std::move(cancellation));
    }

private:
    ProcessRunning& pick(const QString& executable) {
        return faked_.contains(executable) ? static_cast<ProcessRunning&>(*fake_) : live_;
    }
    QStringList faked_;
    std::shared_ptr<FakeProcessRunner> fake_;
    LiveProcessRunner live_;
};

// Live HTTP whose downloads land in a sandbox's /tmp, so that code moving them through the
// sandboxed file system finds them where it looks.
class SandboxedHTTPFetcher final : public HTTPFetching {
public:
    explicit SandboxedHTTPFetcher(std::shared_ptr<SandboxFileSystem> sandbox)
        : sandbox_(std::move(sandbox)) {}

    std::pair<QByteArray, HTTPResponse>
    data(const HTTPRequest& request, std::shared_ptr<HTTPCancellation> cancellation) override {
        return live_.data(request, std::move(cancellation));
    }
    std::pair<QString, HTTPResponse>
    download(const HTTPRequest& request, DownloadProgress progress,
             std::shared_ptr<HTTPCancellation> cancellation) override {
        auto [hostFile, response] = live_.download(request, progress, std::move(cancellation));
        const QString macPath = QStringLiteral("/tmp/") + QFileInfo(hostFile).fileName();
        if (!QFile::copy(hostFile, sandbox_->hostPath(macPath)))
            throw URLError(URLError::Code::cannotWriteToFile);
        QFile::remove(hostFile);
        return {macPath, response};
    }
    ByteSample sampleBytes(const HTTPRequest& request, qint64 limit,
                           double timeoutSeconds) override {
        return live_.sampleBytes(request, limit, timeoutSeconds);
    }

private:
    std::shared_ptr<SandboxFileSystem> sandbox_;
    LiveHTTPFetcher live_;
};

// The sandbox, counting the removals of each path and failing the operations a test names.
class RecordingFileSystem final : public ForwardingFileSystem {
public:
    explicit RecordingFileSystem(std::shared_ptr<SandboxFileSystem> inner)
        : ForwardingFileSystem(std::move(inner)) {}

    // Paths containing `fragment` fail to get a mode: attributes set, or a write at a mode.
    void failSetAttributes(QString fragment) { failAttributes_ = std::move(fragment); }
    int removals(const QString& fragment) const {
        std::lock_guard guard(lock_);
        int n = 0;
        for (const auto& p : removed_)
            n += p.contains(fragment) ? 1 : 0;
        return n;
    }

    void removeItem(const QString& p) override {
        {
            std::lock_guard guard(lock_);
            removed_ << p;
        }
        inner_->removeItem(p);
    }
    void setAttributes(const FileAttributes& a, const QString& p) override {
        refuseMode(p);
        inner_->setAttributes(a, p);
    }
    void writeDataWithMode(const QByteArray& data, const QString& p, int mode) override {
        refuseMode(p);
        inner_->writeDataWithMode(data, p, mode);
    }

private:
    void refuseMode(const QString& p) const {
        if (!failAttributes_.isEmpty() && p.contains(failAttributes_))
            throw SystemError(1, QStringLiteral("Operation not permitted: ") + p);
    }

    mutable std::mutex lock_;
    QStringList removed_;
    QString failAttributes_;
};

// Every event of a stream until it ends.
template <class Event> QList<Event> drain(EventStream<Event> stream) {
    QList<Event> events;
    while (auto event = stream.next())
        events << *event;
    return events;
}

// Every event `method` of `service` hands its sink, run on this thread with a latch (or a
// task) of its own: `collect(tools, &ToolInstaller::installWithMise, language)`.
template <class Latch = CancellableProcess, class Service, class Method, class... Args>
QList<StreamEvent> collect(const Service& service, Method method, const Args&... args) {
    QList<StreamEvent> events;
    Latch latch;
    (service.*method)(
        args..., [&events](const StreamEvent& event) { events << event; }, latch);
    return events;
}

// Waits until every worker and reader thread has ended; false after `limit`.
[[nodiscard]] inline bool
waitForIdleThreads(std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (ChildProcessRegistry::shared().liveCount() > 0) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The `qlm-priv-` folders left in a sandbox's temporary folder.
inline QStringList privilegedFolders(const SandboxFileSystem& fs) {
    return fs.contentsOfDirectory(QStringLiteral("/tmp")).filter(QStringLiteral("qlm-priv-"));
}

inline QStringList outputsOf(const QList<StreamEvent>& events) {
    QStringList lines;
    for (const auto& e : events)
        if (auto* o = e.as<StreamEvent::Output>())
            lines << o->text;
    return lines;
}

} // namespace tovr::test

namespace tovr {

// Readable failures.
inline void PrintTo(const StreamEvent& event, std::ostream* os) {
    if (auto* o = event.as<StreamEvent::Output>())
        *os << "output(" << o->text.toStdString() << ")";
    else if (auto* c = event.as<StreamEvent::Completed>())
        *os << "completed(" << c->exitCode << ")";
    else if (auto* b = event.as<StreamEvent::OpenBrowser>())
        *os << "openBrowser(" << b->url.toStdString() << ", " << b->code.value_or("-").toStdString()
            << ")";
    else
        *os << "canceled";
}

} // namespace tovr

// Texts as text in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
