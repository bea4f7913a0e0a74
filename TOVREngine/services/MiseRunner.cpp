#include "services/MiseRunner.h"

#include "platform/ShellQuote.h"
#include "services/ZshrcStartupLines.h"

namespace tovr {

namespace {

QString useGlobal(const QString& version) {
    return QStringLiteral("mise use -g java@") + shellQuote(version);
}

} // namespace

EventStream<StreamEvent> MiseRunner::installJava(const QString& version) const {
    const QString script = QStringLiteral("mise install java@") + shellQuote(version) +
                           QStringLiteral(" && ") + useGlobal(version);
    return shell.stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), script});
}

EventStream<StreamEvent> MiseRunner::useGlobalJava(const QString& version) const {
    return shell.stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), useGlobal(version)});
}

QStringList MiseRunner::ensureShellActivation() const {
    return missingZshrcLines(
        *fs, shell.toolLocations(),
        {{QStringLiteral("mise activate"), QStringLiteral(R"sh(eval "$(mise activate zsh)")sh")}});
}

} // namespace tovr
