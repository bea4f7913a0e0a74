#include "platform/XcodeCLTProbe.h"

#include "platform/Error.h"

namespace tovr {

std::optional<QString> XcodeCLTProbe::commandLineToolsPath() const {
    try {
        const auto result = shell.process->run(QStringLiteral("/usr/bin/xcode-select"), {"-p"});
        if (result.exitCode != 0)
            return std::nullopt;
        const QString path = result.stdout_.trimmed();
        return path.isEmpty() ? std::nullopt : std::optional(path);
    } catch (const Error&) {
        return std::nullopt;
    }
}

} // namespace tovr
