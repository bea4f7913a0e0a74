#include "services/JEnvRunner.h"

#include "platform/ShellQuote.h"
#include "services/ZshrcStartupLines.h"

namespace tovr {

EventStream<StreamEvent> JEnvRunner::setGlobal(const QString& javaHome, qint64 major) const {
    const QString script =
        QStringList{
            QStringLiteral("set -e"),
            QStringLiteral("jenv enable-plugin export || true"),
            QStringLiteral("jenv add ") + shellQuote(javaHome) + QStringLiteral(" || true"),
            QStringLiteral("jenv rehash"),
            QStringLiteral("jenv global ") + QString::number(major),
        }
            .join(u'\n');
    return shell.stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), script});
}

QStringList JEnvRunner::ensureShellInit() const {
    return missingZshrcLines(
        *fs, shell.toolLocations(),
        {{QStringLiteral(".jenv/bin"),
          QStringLiteral(R"sh(export PATH="$HOME/.jenv/bin:$PATH")sh")},
         {QStringLiteral("jenv init"), QStringLiteral(R"sh(eval "$(jenv init -)")sh")}});
}

} // namespace tovr
