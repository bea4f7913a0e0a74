#include "products/cli/CliVerifier.h"

#include "platform/Error.h"
#include "platform/TextTrimming.h"

namespace tovr {

namespace {

const QString kBlocked = QStringLiteral("blocked");

SetupVerificationResult blocked(QString output, qint32 exitCode) {
    return SetupVerificationResult(std::move(output), false, exitCode, kBlocked);
}

} // namespace

// Runs through the shell runner it is handed, so fixture services never reach the Mac.
SetupVerificationResult CliVerifier::verify(const std::optional<SystemProfile>&,
                                            const ShellRunner& shell,
                                            const std::shared_ptr<FileSystemOperating>&) const {
    ProcessResult developerFolder, git;
    try {
        developerFolder = shell.runInLoginShell(QStringLiteral("xcode-select -p 2>&1"));
    } catch (const Error&) {
        return blocked({}, -1);
    }
    if (developerFolder.exitCode != 0 || developerFolder.stdout_.trimmed().isEmpty())
        return blocked(developerFolder.stdout_, developerFolder.exitCode);
    try {
        git = shell.runInLoginShell(QStringLiteral("git --version 2>&1"));
    } catch (const Error&) {
        return blocked({}, -1);
    }
    if (git.exitCode != 0 || git.stdout_.trimmed().isEmpty())
        return blocked(git.stdout_, git.exitCode);

    QStringList items{QStringLiteral("Command Line Tools installed")};
    const QStringList pieces = git.stdout_.split(u'\n', Qt::SkipEmptyParts);
    if (!pieces.isEmpty()) {
        const QString versionLine = trimHorizontalWhitespace(pieces.first());
        if (!versionLine.isEmpty())
            items << versionLine;
    }
    return SetupVerificationResult(git.stdout_, true, 0, QStringLiteral("likely_resolved"), items);
}

} // namespace tovr
