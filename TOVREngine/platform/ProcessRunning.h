#pragma once

#include "platform/EventStream.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <variant>

namespace tovr {

class CancellableProcess;
class LiveProcessCancellation;

// A child's whole environment; absent means the runner's own (baseEnvironment()).
using ProcessEnvironment = QMap<QString, QString>;

// The outcome of a program run to completion.
struct ProcessResult {
    qint32 exitCode = 0;
    QString stdout_; // `stdout` is a macro in <cstdio>
    QString stderr_;
    bool operator==(const ProcessResult&) const = default;
};

// The same, with each output as the bytes the program wrote.
struct RawProcessResult {
    qint32 exitCode = 0;
    QByteArray stdout_;
    QByteArray stderr_;
};

// One event of a streamed child process.
struct ProcessStreamEvent {
    struct Line {
        QString text;
        bool operator==(const Line&) const = default;
    };
    struct Exited {
        qint32 code = 0;
        bool operator==(const Exited&) const = default;
    };
    struct FailedToStart {
        QString message;
        bool operator==(const FailedToStart&) const = default;
    };

    std::variant<Line, Exited, FailedToStart> value;

    static ProcessStreamEvent line(QString text) { return {Line{std::move(text)}}; }
    static ProcessStreamEvent exited(qint32 code) { return {Exited{code}}; }
    static ProcessStreamEvent failedToStart(QString message) {
        return {FailedToStart{std::move(message)}};
    }
    template <class Case> const Case* as() const { return std::get_if<Case>(&value); }
    bool operator==(const ProcessStreamEvent&) const = default;
};

// Stops the one child it guards.
class ProcessCancellation {
public:
    virtual ~ProcessCancellation() = default;
    // Marks the handle canceled and terminates the child if it runs. Any thread, any
    // number of times, before or after the launch.
    virtual void cancel() = 0;
};

// Starts child processes.
class ProcessRunning {
public:
    virtual ~ProcessRunning() = default;

    // Runs a program to completion; blocks until it has exited and both outputs are read.
    // Throws SystemError when the program cannot be launched; a nonzero exit is data.
    virtual ProcessResult run(const QString& executable, const QStringList& arguments,
                              const std::optional<ProcessEnvironment>& environment = {}) = 0;

    // Like run(); cancelling `cancellation` terminates the child (at once when it was
    // canceled before the start), and the run returns what the child printed and the
    // signal's number. A runner that cannot stop its children runs them to their end.
    virtual ProcessResult runCancellable(const QString& executable, const QStringList& arguments,
                                         const std::optional<ProcessEnvironment>& environment,
                                         std::shared_ptr<LiveProcessCancellation> cancellation) {
        (void)cancellation;
        return run(executable, arguments, environment);
    }

    // Like runCancellable(), with the outputs undecoded: text that is not UTF-8 in one place
    // does not cost the rest.
    virtual RawProcessResult runRaw(const QString& executable, const QStringList& arguments,
                                    const std::optional<ProcessEnvironment>& environment,
                                    std::shared_ptr<LiveProcessCancellation> cancellation) {
        const auto result = runCancellable(executable, arguments, environment, cancellation);
        return {result.exitCode, result.stdout_.toUtf8(), result.stderr_.toUtf8()};
    }

    // What a child is given when the caller passes no environment: the application's own,
    // unless the runner starts its children from another.
    virtual ProcessEnvironment baseEnvironment() const;

    // Starts a program and returns at once a stream of its combined output lines, then
    // `exited`; or `failedToStart` alone. Dropping the stream terminates the child.
    virtual EventStream<ProcessStreamEvent>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<ProcessEnvironment>& environment,
           std::shared_ptr<LiveProcessCancellation> cancellation) = 0;
};

// The trimmed standard output of a program that started, exited 0 and printed something;
// absent otherwise. For probes, which never fail. Cancelling `latch` ends the program.
std::optional<QString> successfulOutput(ProcessRunning& runner, const QString& executable,
                                        const QStringList& arguments,
                                        CancellableProcess* latch = nullptr);

} // namespace tovr
