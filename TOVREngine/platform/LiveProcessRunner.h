#pragma once

#include "platform/PosixChild.h"
#include "platform/ProcessRunning.h"

namespace tovr {

// Runs child processes with posix_spawn: standard input from /dev/null, the application's
// environment unless one is given, each child in a process group of its own so that
// terminating it also ends what it started.
class LiveProcessRunner final : public ProcessRunning {
public:
    explicit LiveProcessRunner(ChildTimings timings = {}) : timings_(timings) {}

    ProcessResult run(const QString& executable, const QStringList& arguments,
                      const std::optional<ProcessEnvironment>& environment = {}) override;

    ProcessResult runCancellable(const QString& executable, const QStringList& arguments,
                                 const std::optional<ProcessEnvironment>& environment,
                                 std::shared_ptr<LiveProcessCancellation> cancellation) override;

    RawProcessResult runRaw(const QString& executable, const QStringList& arguments,
                            const std::optional<ProcessEnvironment>& environment,
                            std::shared_ptr<LiveProcessCancellation> cancellation) override;

    EventStream<ProcessStreamEvent>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<ProcessEnvironment>& environment,
           std::shared_ptr<LiveProcessCancellation> cancellation) override;

private:
    ChildTimings timings_;
};

// Decodes a whole output; bytes that are not valid UTF-8 give the empty text.
QString decodeUtf8OrEmpty(const QByteArray& bytes);

} // namespace tovr
