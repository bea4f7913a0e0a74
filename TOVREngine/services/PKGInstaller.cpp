#include "services/PKGInstaller.h"

#include "model/ProductConfig.h"
#include "platform/CancellableProcess.h"
#include "platform/DomainError.h"
#include "platform/FileChecks.h"
#include "platform/StreamFromTask.h"
#include "platform/TaskLatches.h"
#include "services/BrewRunner.h"
#include "services/Sha256Hex.h"

#include <condition_variable>
#include <mutex>

namespace tovr {

namespace {

using Event = PKGInstaller::Event;
using Sink = PKGInstaller::Sink;

// The install's own cancellation, seen between steps that do not throw on their own.
class Canceled : public Error {
public:
    Canceled() : Error(QStringLiteral("Canceled")) {}
};

void throwIfCanceled(const WorkerTask& task) {
    if (task.isCanceled())
        throw Canceled();
}

// Tells the user once that a step outlasts its allowance. Once end() has returned its
// thread is over, so the notice never lands after the step's later events and nothing of
// it (the sleeper, the sink) is used after the install returns.
class Watchdog {
public:
    static std::shared_ptr<Watchdog> start(std::chrono::seconds allowance, const Sleeper& sleeper,
                                           Sink sink) {
        auto dog = std::make_shared<Watchdog>();
        WorkerTask::launch(dog->task_, [dog, allowance, sleeper, sink](WorkerTask& self) {
            if (!self.isCanceled())
                taskSleep(sleeper, allowance, self);
            if (!self.isCanceled())
                sink(Event::slowResponse());
            {
                std::lock_guard guard(dog->lock_);
                dog->running_ = false;
            }
            dog->done_.notify_all();
        });
        return dog;
    }

    // Any thread, including from inside the notice's own delivery; does not wait.
    void cancel() { task_->cancel(); }

    // Cancels and waits until the watchdog's thread is over. Only from the install's task.
    void end() {
        cancel();
        std::unique_lock guard(lock_);
        done_.wait(guard, [this] { return !running_; });
    }

private:
    std::shared_ptr<WorkerTask> task_ = WorkerTask::make();
    std::mutex lock_;
    std::condition_variable done_;
    bool running_ = true;
};

// At most one watchdog runs at a time; the one left running is ended on every way out.
class WatchdogSlot {
public:
    WatchdogSlot(WorkerTask& task, const Sleeper& sleeper, const Sink& sink)
        : task_(task), sleeper_(sleeper), sink_(sink) {}
    ~WatchdogSlot() { end(); }

    void start(std::chrono::seconds allowance) {
        end();
        current_ = Watchdog::start(allowance, sleeper_, sink_);
        task_.onCancel([dog = std::weak_ptr<Watchdog>(current_)] {
            if (auto alive = dog.lock())
                alive->cancel();
        });
    }
    void end() {
        if (current_)
            current_->end();
        current_.reset();
    }

private:
    WorkerTask& task_;
    const Sleeper& sleeper_;
    const Sink& sink_;
    std::shared_ptr<Watchdog> current_;
};

Event installerEnding(const BrewRunner::InstallerOutcome& outcome) {
    switch (outcome.kind) {
    case BrewRunner::InstallerOutcome::Kind::installed:
        return Event::completed();
    case BrewRunner::InstallerOutcome::Kind::canceled:
        return Event::canceled();
    case BrewRunner::InstallerOutcome::Kind::failed:
        break;
    }
    return Event::error(outcome.message);
}

} // namespace

QString PKGInstaller::packagePath(qint64 majorVersion) const {
    return fs->cachesDirectory() + u'/' + ProductConfig::current().cacheDirName +
           QStringLiteral("/temurin-") + QString::number(majorVersion) + u'-' +
           AdoptiumAPI::buildArchitecture() + QStringLiteral(".pkg");
}

EventStream<PKGInstaller::Event> PKGInstaller::install(qint64 majorVersion,
                                                       const QString& prompt) const {
    return streamFromTask<Event>(
        [self = *this, majorVersion, prompt](const Sink& sink, WorkerTask& task) {
            self.install(majorVersion, prompt, sink, task);
        });
}

void PKGInstaller::install(qint64 majorVersion, const QString& prompt, const Sink& sink,
                           WorkerTask& task) const {
    auto latch = latchFor(task);
    auto transfer = transferFor(task);

    WatchdogSlot watchdog(task, sleeper, sink);
    std::optional<QString> downloaded; // the package path, once the package is there
    std::optional<Event> last;
    try {
        sink(Event::fetching());
        watchdog.start(kLookupAllowance);
        const auto asset =
            adoptium.latestInstaller(majorVersion, AdoptiumAPI::buildArchitecture(), transfer);
        watchdog.end();
        throwIfCanceled(task);

        watchdog.start(kDownloadAllowance);
        const QString destination = packagePath(majorVersion);
        fs->createDirectory(destination.left(destination.lastIndexOf(u'/')), true);
        // An earlier run's package is replaced, never reused.
        removeQuietly(*fs, destination);

        HTTPRequest request;
        request.url = asset.downloadURL;
        const auto [temporary, response] = http->download(request, {}, transfer);
        if (response.statusCode < 200 || response.statusCode > 299) {
            removeQuietly(*fs, temporary);
            throw DomainError(QLatin1String(kErrorDomain), 2,
                              QStringLiteral("Adoptium download HTTP error"));
        }
        try {
            fs->moveItem(temporary, destination);
        } catch (const Error&) {
            removeQuietly(*fs, temporary);
            throw;
        }
        downloaded = destination;
        qint64 size = 0;
        try {
            size = fs->attributesOfItem(destination).size.value_or(0);
        } catch (const Error&) {
        }
        watchdog.end();
        sink(Event::downloading(size, size));
        throwIfCanceled(task);

        sink(Event::verifying());
        requireSha256(fs->readData(destination), asset.checksum, QLatin1String(kErrorDomain), 6);
        throwIfCanceled(task);

        sink(Event::installing());
        last = installerEnding(BrewRunner::runInstaller(*process, destination, prompt, *latch));
    } catch (const Error& e) {
        const auto* urlError = dynamic_cast<const URLError*>(&e);
        if (task.isCanceled() || dynamic_cast<const Canceled*>(&e) ||
            (urlError && urlError->code() == URLError::Code::canceled)) {
            last = Event::canceled();
        } else if (urlError && urlError->code() == URLError::Code::timedOut) {
            last = Event::error(QStringLiteral("Adoptium didn't respond within 20 seconds. Try "
                                               "again in a moment, or use Other Java install "
                                               "methods."));
        } else {
            last = Event::error(e.description() + QStringLiteral(" (pkg: ") +
                                downloaded.value_or(QStringLiteral("n/a")) + u')');
        }
    }
    // The package never outlives the install: it is gone before the last event is handed on.
    watchdog.end();
    if (downloaded)
        removeQuietly(*fs, *downloaded);
    sink(std::move(*last));
}

} // namespace tovr
