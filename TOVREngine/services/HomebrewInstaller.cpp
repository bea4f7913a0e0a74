#include "services/HomebrewInstaller.h"

#include "model/ProductConfig.h"
#include "platform/CancellableProcess.h"
#include "platform/FileAppendWriter.h"
#include "platform/FileChecks.h"
#include "platform/LiveProcessRunner.h"
#include "platform/StartupFile.h"
#include "platform/StreamFromTask.h"
#include "platform/StreamedChild.h"
#include "platform/TaskLatches.h"
#include "services/ChildEnvironment.h"

namespace tovr {

namespace {

HomebrewInstaller::Event output(const QString& text) {
    return HomebrewInstaller::Event::output(text);
}

const QString kDownloadFailed = QStringLiteral("Couldn't download the Homebrew install script: ");

} // namespace

QUrl HomebrewInstaller::defaultInstallScriptURL() {
    return QUrl(
        QStringLiteral("https://raw.githubusercontent.com/Homebrew/install/HEAD/install.sh"));
}

EventStream<HomebrewInstaller::Event> HomebrewInstaller::install() const {
    return streamFromTask<Event>(
        [self = *this](const Sink& sink, WorkerTask& task) { self.install(sink, task); });
}

void HomebrewInstaller::install(const Sink& sink, WorkerTask& task) const {
    auto latch = latchFor(task);
    const auto script = fetchScript(sink, *latch, transferFor(task));
    if (!script)
        return;

    PrivilegedExecutor::Prepared prepared;
    try {
        prepared = executor.prepare(QLatin1String(kPrompt));
    } catch (const Error& e) {
        sink(output(QStringLiteral("Failed to set up privileged executor: ") + e.description()));
        sink(Event::completed(-1));
        return;
    }
    // The folder is gone before the ending is handed on.
    PrivilegedExecutor::runThenCleanUp(prepared, sink, [&](const Sink& held) {
        runScript(*script, prepared.environment, held, *latch);
    });
}

// The script is fetched before anything runs: a failed download must never reach the shell
// as an empty script that "succeeds".
std::optional<QString>
HomebrewInstaller::fetchScript(const Sink& sink, const CancellableProcess& latch,
                               std::shared_ptr<HTTPCancellation> transfer) const {
    QString script;
    try {
        HTTPRequest request;
        request.url = installScriptURL;
        const auto [body, response] = http->data(request, std::move(transfer));
        if (response.statusCode < 200 || response.statusCode > 299) {
            sink(output(kDownloadFailed + QStringLiteral("the server answered with status ") +
                        QString::number(response.statusCode) + u'.'));
            sink(Event::completed(-1));
            return std::nullopt;
        }
        script = decodeUtf8OrEmpty(body);
    } catch (const URLError& e) {
        if (e.code() == URLError::Code::canceled || latch.isCanceled()) {
            sink(Event::canceled());
        } else {
            sink(output(kDownloadFailed + e.description()));
            sink(Event::completed(-1));
        }
        return std::nullopt;
    }
    if (script.trimmed().isEmpty()) {
        sink(output(kDownloadFailed + QStringLiteral("it arrived empty or unreadable.")));
        sink(Event::completed(-1));
        return std::nullopt;
    }
    if (latch.isCanceled()) {
        sink(Event::canceled());
        return std::nullopt;
    }
    return script;
}

void HomebrewInstaller::runScript(const QString& script, const ProcessEnvironment& privileged,
                                  const Sink& held, CancellableProcess& latch) const {
    ProcessEnvironment environment = childEnvironment(*process, privileged);
    environment.insert(QStringLiteral("NONINTERACTIVE"), QStringLiteral("1"));

    QString lowered;
    const auto outcome =
        StreamedChild::run(*process, QStringLiteral("/bin/bash"), {QStringLiteral("-c"), script},
                           environment, &latch, [&](const QString& line) {
                               held(output(line));
                               lowered += line.toLower() + u'\n';
                           });
    const qint32 code = outcome.exitCode;
    if (outcome.startFailure)
        held(
            output(QStringLiteral("Failed to start Homebrew installer: ") + *outcome.startFailure));

    if (outcome.startFailure) {
        held(Event::completed(-1));
    } else if (latch.isCanceled()) {
        held(Event::canceled());
    } else if (code != 0) {
        const bool refused = [&] {
            for (const char* phrase :
                 {"user canceled", "execution error: user canceled", "sudo_askpass", "askpass",
                  "a password is required", "authentication failed"})
                if (lowered.contains(QLatin1String(phrase)))
                    return true;
            return false;
        }();
        held(refused ? Event::canceled() : Event::completed(code));
    } else {
        appendShellenv(held);
        held(Event::completed(0));
    }
}

void HomebrewInstaller::appendShellenv(const Sink& sink) const {
    const QString brew = homebrewExecutable(*fs).value_or(QString());
    if (brew.isEmpty()) {
        sink(output(namingStartupFiles(*fs, locations,
                                       QStringLiteral("Note: brew not found in expected locations "
                                                      "after install; skipping ~/.zprofile "
                                                      "shellenv append."))));
        return;
    }
    const QString line = QStringLiteral("eval \"$(") + brew + QStringLiteral(" shellenv)\"");
    const StartupFile zprofile = StartupFile::of(*fs, locations, QStringLiteral(".zprofile"));
    const QString& shown = zprofile.shown;
    if (!zprofile.path) {
        sink(output(zprofile.untold));
        return;
    }
    const QString note = otherLoginShellNote(locations);
    try {
        const FileAppendWriter writer(*zprofile.path, fs, ProductConfig::current().shellMarker());
        const auto preview = writer.append(line, QStringLiteral("Homebrew shellenv"),
                                           QStringLiteral("brew shellenv"), true);
        if (preview.alreadySet) {
            sink(output(QStringLiteral("brew shellenv already active in ") + shown +
                        QStringLiteral(" — skipping.")));
        } else {
            sink(output(QStringLiteral("Appending brew shellenv to ") + shown +
                        QStringLiteral(" (so brew is fully integrated in new shells).")));
            sink(output(QStringLiteral("Appended. Backup at ") + preview.backupPath + u'.'));
        }
        if (!note.isEmpty())
            sink(output(note));
    } catch (const Error& e) {
        sink(output(QStringLiteral("Couldn't append brew shellenv to ") + shown +
                    QStringLiteral(": ") + e.description()));
    }
}

} // namespace tovr
