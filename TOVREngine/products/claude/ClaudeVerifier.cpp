#include "products/claude/ClaudeVerifier.h"

#include "platform/Error.h"

#include <QRegularExpression>

namespace tovr {

SetupVerificationResult ClaudeVerifier::run(bool desktopPresent) const {
    try {
        const auto result =
            shell.process->run(QStringLiteral("/bin/zsh"),
                               {QStringLiteral("-lc"), QStringLiteral("claude --version 2>&1")});
        return makeResult(result.stdout_, result.exitCode, desktopPresent);
    } catch (const Error&) {
        return makeResult(QString(), -1, desktopPresent);
    }
}

SetupVerificationResult ClaudeVerifier::makeResult(const QString& output, qint32 exitCode,
                                                   bool desktopPresent) {
    const QMap<QString, QString> details{
        {QStringLiteral("desktop_present"),
         desktopPresent ? QStringLiteral("true") : QStringLiteral("false")}};
    if (exitCode != 0 || output.trimmed().isEmpty())
        return SetupVerificationResult(output, false, exitCode, QStringLiteral("blocked"), {},
                                       details);
    const auto version = parseVersion(output);
    QStringList items{version ? QString::fromUtf8("Claude Code CLI installed — version ") + *version
                              : QStringLiteral("Claude Code CLI installed")};
    if (desktopPresent)
        items << QStringLiteral("Claude Desktop installed");
    return SetupVerificationResult(output, true, 0, QStringLiteral("likely_resolved"), items,
                                   details);
}

std::optional<QString> ClaudeVerifier::parseVersion(const QString& output) {
    static const QRegularExpression separators(QStringLiteral("[ \\n\\t]"));
    const QStringList pieces = output.trimmed().split(separators, Qt::SkipEmptyParts);
    if (pieces.isEmpty() || !pieces.first().at(0).isNumber())
        return std::nullopt;
    return pieces.first();
}

} // namespace tovr
