#include "platform/ProcessRunning.h"

#include "platform/CancellableProcess.h"
#include "platform/Error.h"

#include <QProcessEnvironment>

namespace tovr {

ProcessEnvironment ProcessRunning::baseEnvironment() const {
    const auto system = QProcessEnvironment::systemEnvironment();
    ProcessEnvironment environment;
    for (const auto& key : system.keys())
        environment.insert(key, system.value(key));
    return environment;
}

std::optional<QString> successfulOutput(ProcessRunning& runner, const QString& executable,
                                        const QStringList& arguments, CancellableProcess* latch) {
    try {
        const auto result = runUnderLatch(runner, executable, arguments, latch);
        if (result.exitCode != 0)
            return std::nullopt;
        const QString output = result.stdout_.trimmed();
        return output.isEmpty() ? std::nullopt : std::optional(output);
    } catch (const Error&) {
        return std::nullopt;
    }
}

} // namespace tovr
