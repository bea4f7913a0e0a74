#include "model/LoginShell.h"

#include "platform/Error.h"

namespace tovr {

LoginShellResult runLoginShell(ProcessRunning& runner, const QString& command) {
    ProcessResult result;
    try {
        result = runner.run(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), command});
    } catch (const std::exception&) {
        return {};
    }
    QString output = result.stdout_.trimmed();
    const bool ok = result.exitCode == 0 && !output.isEmpty();
    return {ok, std::move(output)};
}

} // namespace tovr
