#pragma once

#include "platform/EventStream.h"
#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/ProcessRunning.h"
#include "platform/Sleeper.h"
#include "services/AdoptiumAPI.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace tovr {

// Installs one Temurin JDK from Adoptium's installer package, without Homebrew: looks it
// up, downloads it into the product's cache folder, checks its SHA-256 and runs
// /usr/sbin/installer through osascript's own password dialog. Every stream ends with
// exactly one `completed`, `canceled` or `error`, and the package is gone by then.
struct PKGInstaller {
    struct Event {
        // Download progress in bytes.
        struct Downloading {
            qint64 bytesReceived = 0;
            std::optional<qint64> totalBytes;
            bool operator==(const Downloading&) const = default;
        };
        // The install failed; the one sentence to show.
        struct Error {
            QString message;
            bool operator==(const Error&) const = default;
        };
        struct Fetching {
            bool operator==(const Fetching&) const = default;
        };
        // A step outlasts its allowance; the work goes on.
        struct SlowResponse {
            bool operator==(const SlowResponse&) const = default;
        };
        struct Verifying {
            bool operator==(const Verifying&) const = default;
        };
        // The installer has started; the password dialog comes now.
        struct Installing {
            bool operator==(const Installing&) const = default;
        };
        struct Completed {
            bool operator==(const Completed&) const = default;
        };
        struct Canceled {
            bool operator==(const Canceled&) const = default;
        };

        std::variant<Downloading, Error, Fetching, SlowResponse, Verifying, Installing, Completed,
                     Canceled>
            value;

        static Event downloading(qint64 bytesReceived, std::optional<qint64> totalBytes) {
            return {Downloading{bytesReceived, totalBytes}};
        }
        static Event error(QString message) { return {Error{std::move(message)}}; }
        static Event fetching() { return {Fetching{}}; }
        static Event slowResponse() { return {SlowResponse{}}; }
        static Event verifying() { return {Verifying{}}; }
        static Event installing() { return {Installing{}}; }
        static Event completed() { return {Completed{}}; }
        static Event canceled() { return {Canceled{}}; }
        template <class Case> const Case* as() const { return std::get_if<Case>(&value); }
        bool isTerminal() const { return as<Error>() || as<Completed>() || as<Canceled>(); }
        bool operator==(const Event&) const = default;
    };
    using Sink = std::function<void(Event)>;

    std::shared_ptr<ProcessRunning> process;
    std::shared_ptr<HTTPFetching> http;
    std::shared_ptr<FileSystemOperating> fs;
    AdoptiumAPI adoptium;
    // The slow-step watchdogs' waits; null waits on the watchdog's own task.
    Sleeper sleeper;

    // Starts the install on a task of its own and returns its events at once. Dropping the
    // stream stops the installer child and cancels the task.
    EventStream<Event> install(qint64 majorVersion, const QString& prompt) const;
    // The same on the caller's task: `sink` gets every event, the last one terminal, and
    // is never called after this returns. Cancelling `task` cancels whatever step runs.
    void install(qint64 majorVersion, const QString& prompt, const Sink& sink,
                 WorkerTask& task) const;

    // Where the package of `majorVersion` for this build's processor is kept while it is
    // installed.
    QString packagePath(qint64 majorVersion) const;

    static constexpr const char* kErrorDomain = "PKGInstaller";
    // How long the lookup and the download may take before the user is told.
    static constexpr std::chrono::seconds kLookupAllowance{8};
    static constexpr std::chrono::seconds kDownloadAllowance{15};
};

} // namespace tovr
