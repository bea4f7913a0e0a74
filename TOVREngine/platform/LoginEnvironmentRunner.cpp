#include "platform/LoginEnvironmentRunner.h"

namespace tovr {

std::optional<ProcessEnvironment>
LoginEnvironmentRunner::environmentFor(const std::optional<ProcessEnvironment>& given) const {
    if (given)
        return given;
    ProcessEnvironment login = toolLocationsOf(locations_).environment;
    return login.isEmpty() ? std::nullopt : std::optional(std::move(login));
}

ProcessResult LoginEnvironmentRunner::run(const QString& executable, const QStringList& arguments,
                                          const std::optional<ProcessEnvironment>& environment) {
    return inner_->run(executable, arguments, environmentFor(environment));
}

ProcessResult
LoginEnvironmentRunner::runCancellable(const QString& executable, const QStringList& arguments,
                                       const std::optional<ProcessEnvironment>& environment,
                                       std::shared_ptr<LiveProcessCancellation> cancellation) {
    return inner_->runCancellable(executable, arguments, environmentFor(environment),
                                  std::move(cancellation));
}

RawProcessResult
LoginEnvironmentRunner::runRaw(const QString& executable, const QStringList& arguments,
                               const std::optional<ProcessEnvironment>& environment,
                               std::shared_ptr<LiveProcessCancellation> cancellation) {
    return inner_->runRaw(executable, arguments, environmentFor(environment),
                          std::move(cancellation));
}

EventStream<ProcessStreamEvent>
LoginEnvironmentRunner::stream(const QString& executable, const QStringList& arguments,
                               const std::optional<ProcessEnvironment>& environment,
                               std::shared_ptr<LiveProcessCancellation> cancellation) {
    return inner_->stream(executable, arguments, environmentFor(environment),
                          std::move(cancellation));
}

ProcessEnvironment LoginEnvironmentRunner::baseEnvironment() const {
    const auto login = environmentFor(std::nullopt);
    return login ? *login : inner_->baseEnvironment();
}

} // namespace tovr
