#include "services/CommandLineToolsInstaller.h"

#include "platform/Error.h"
#include "platform/StreamedChild.h"
#include "services/ChildEnvironment.h"

namespace tovr {

QString CommandLineToolsInstaller::installScript() {
    return QStringLiteral(
        "/usr/bin/touch /tmp/.com.apple.dt.CommandLineTools.installondemand.in-progress\n"
        "LABEL=$(/usr/sbin/softwareupdate -l 2>/dev/null | /usr/bin/grep 'Label:.*Command Line "
        "Tools' | /usr/bin/sed -E 's/^.*Label: //' | /usr/bin/sort -V | /usr/bin/tail -n1)\n"
        "if [ -n \"$LABEL\" ]; then /usr/sbin/softwareupdate -i \"$LABEL\" --verbose; fi\n"
        "/bin/rm -f /tmp/.com.apple.dt.CommandLineTools.installondemand.in-progress\n"
        "/usr/bin/xcode-select --switch /Library/Developer/CommandLineTools 2>/dev/null || "
        "true\n"
        "if [ -d /Library/Developer/CommandLineTools ]; then exit 0; else exit 1; fi");
}

void CommandLineToolsInstaller::install(const Sink& sink, CancellableProcess& latch) const {
    if (fs->fileExists(QStringLiteral("/Library/Developer/CommandLineTools/usr/bin/clang")) ||
        fs->fileExists(QStringLiteral("/Library/Developer/CommandLineTools"))) {
        sink(StreamEvent::completed(0));
        return;
    }
    const QString cannotStart = QStringLiteral("Couldn't start the install: ");
    PrivilegedExecutor::Prepared prepared;
    try {
        prepared = executor.prepare(QLatin1String(kPrompt));
    } catch (const Error& e) {
        sink(StreamEvent::output(cannotStart + e.description()));
        sink(StreamEvent::completed(-1));
        return;
    }
    // The folder is gone before the ending is handed on.
    PrivilegedExecutor::runThenCleanUp(prepared, sink, [&](const Sink& held) {
        held(StreamEvent::output(QStringLiteral(
            "Installing Apple's Command Line Tools… macOS will ask for your password "
            "once. The download can take several minutes — please keep this window "
            "open.")));
        const auto outcome =
            StreamedChild::run(*process, QStringLiteral("/usr/bin/sudo"),
                               {QStringLiteral("-A"), QStringLiteral("/bin/bash"),
                                QStringLiteral("-c"), installScript()},
                               childEnvironment(*process, prepared.environment), &latch,
                               [&](const QString& line) { held(StreamEvent::output(line)); });
        if (outcome.startFailure) {
            held(StreamEvent::output(cannotStart + *outcome.startFailure));
            held(StreamEvent::completed(-1));
            return;
        }
        const qint32 code = outcome.exitCode;
        held(StreamEvent::output(code == 0
                                     ? QStringLiteral("Command Line Tools installed.")
                                     : QStringLiteral("The Command Line Tools install did not "
                                                      "complete. You can retry.")));
        held(StreamEvent::completed(code));
    });
}

} // namespace tovr
