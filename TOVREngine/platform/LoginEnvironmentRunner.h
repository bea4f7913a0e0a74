#pragma once

#include "platform/ProcessRunning.h"
#include "platform/ToolLocations.h"

#include <memory>

namespace tovr {

// Starts every child as the user's terminal would: a child for which the caller gives no
// environment gets the one the login shell exports (read once, through `locations`), not
// the application's own, which an application opened from the Finder has from launchd.
// Where the shell did not answer, children get the application's environment.
class LoginEnvironmentRunner final : public ProcessRunning {
public:
    LoginEnvironmentRunner(std::shared_ptr<ProcessRunning> inner,
                           std::shared_ptr<ToolLocationsSource> locations)
        : inner_(std::move(inner)), locations_(std::move(locations)) {}

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
    // Blocks while the login shell is first asked.
    ProcessEnvironment baseEnvironment() const override;

private:
    std::optional<ProcessEnvironment>
    environmentFor(const std::optional<ProcessEnvironment>& given) const;

    std::shared_ptr<ProcessRunning> inner_;
    std::shared_ptr<ToolLocationsSource> locations_;
};

} // namespace tovr
