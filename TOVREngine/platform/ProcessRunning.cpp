#include "platform/ProcessRunning.h"

#include "platform/Error.h"

namespace tovr {

std::optional<QString> successfulOutput(ProcessRunning& runner, const QString& executable,
                                        const QStringList& arguments) {
    try {
        const auto result = runner.run(executable, arguments);
        if (result.exitCode != 0)
            return std::nullopt;
        const QString output = result.stdout_.trimmed();
        return output.isEmpty() ? std::nullopt : std::optional(output);
    } catch (const Error&) {
        return std::nullopt;
    }
}

} // namespace tovr
