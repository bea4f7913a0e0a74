#include "products/brew/BrewVerifier.h"

#include "model/HomebrewVersion.h"
#include "platform/Error.h"

namespace tovr {

// Runs through the shell runner it is handed, so fixture services never reach the Mac.
SetupVerificationResult BrewVerifier::verify(const std::optional<SystemProfile>&,
                                             const ShellRunner& shell,
                                             const std::shared_ptr<FileSystemOperating>&) const {
    const QString blocked = QStringLiteral("blocked");
    ProcessResult result;
    try {
        result = shell.process->run(QStringLiteral("/bin/zsh"),
                                    {QStringLiteral("-lc"), QStringLiteral("brew --version 2>&1")});
    } catch (const Error&) {
        return SetupVerificationResult(QString(), false, -1, blocked);
    }
    if (result.exitCode != 0 || result.stdout_.trimmed().isEmpty())
        return SetupVerificationResult(result.stdout_, false, result.exitCode, blocked);
    const auto version = parseHomebrewVersion(result.stdout_);
    const QString item = version ? QString::fromUtf8("Homebrew installed — version ") + *version
                                 : QStringLiteral("Homebrew installed");
    return SetupVerificationResult(result.stdout_, true, 0, QStringLiteral("likely_resolved"),
                                   {item});
}

} // namespace tovr
