#include "services/BrewRunner.h"

#include "model/ProductConfig.h"
#include "platform/DomainError.h"
#include "platform/ShellQuote.h"
#include "platform/StreamFromTask.h"
#include "platform/StreamedChild.h"
#include "platform/TaskLatches.h"
#include "services/ChildEnvironment.h"
#include "services/Sha256Hex.h"

#include <QDir>

namespace tovr {

namespace {

const QString kJVMFolder = QStringLiteral("/Library/Java/JavaVirtualMachines");

bool containsAny(QStringView text, std::initializer_list<const char*> phrases) {
    for (const char* phrase : phrases)
        if (text.contains(QLatin1String(phrase)))
            return true;
    return false;
}

BrewRunner::Event output(const QString& text) {
    return BrewRunner::Event::output(text);
}

// The part after the first "@", when there is one and it is not empty.
std::optional<QString> versionSuffix(const QString& caskName) {
    const auto at = caskName.indexOf(u'@');
    if (at < 0 || at + 1 >= caskName.size())
        return std::nullopt;
    return caskName.mid(at + 1);
}

} // namespace

const BrewRunner::CaskRecoveryPolicy& BrewRunner::CaskRecoveryPolicy::none() {
    static const CaskRecoveryPolicy policy;
    return policy;
}

bool BrewRunner::isAlreadyInstalledNotice(QStringView output) {
    return output.contains(QLatin1String("not upgrading")) &&
           output.contains(QLatin1String("already installed"));
}

bool BrewRunner::isSudoWrapperBypassed(QStringView output) {
    return output.contains(QLatin1String("a terminal is required")) &&
           output.contains(QLatin1String("a password is required"));
}

bool BrewRunner::isAuthenticationFailure(QStringView output) {
    return containsAny(output, {"a password is required", "sudo: a password is required",
                                "user canceled", "sudo_askpass", "askpass", "authentication failed",
                                "execution error: user canceled"});
}

EventStream<BrewRunner::Event> BrewRunner::installCask(const QString& cask, const QString& prompt,
                                                       const CaskRecoveryPolicy& policy) const {
    return streamFromTask<Event>(
        [self = *this, cask, prompt, policy](const Sink& sink, WorkerTask& task) {
            self.installCask(cask, prompt, policy, sink, task);
        });
}

void BrewRunner::installFormula(const QString& formula, const Sink& sink, WorkerTask& task) const {
    auto latch = latchFor(task);
    const auto outcome = StreamedChild::run(
        *process, brewPath, {QStringLiteral("install"), formula},
        childEnvironment(*process,
                         {{QStringLiteral("HOMEBREW_NO_AUTO_UPDATE"), QStringLiteral("1")}}),
        latch.get(), [&](const QString& line) { sink(output(line)); });
    if (outcome.startFailure) {
        sink(output(QStringLiteral("Failed to start brew: ") + *outcome.startFailure));
        sink(Event::completed(-1));
    } else if (latch->isCanceled()) {
        sink(Event::canceled());
    } else {
        sink(Event::completed(outcome.exitCode));
    }
}

BrewRunner::Attempt BrewRunner::runBrew(const QString& verb, const QString& cask,
                                        const ProcessEnvironment& extra, bool force,
                                        CancellableProcess& latch, const Sink& sink) const {
    QStringList arguments{verb, QStringLiteral("--cask")};
    if (force)
        arguments << QStringLiteral("--force");
    arguments << cask;

    Attempt attempt;
    const auto outcome =
        StreamedChild::run(*process, brewPath, arguments, childEnvironment(*process, extra), &latch,
                           [&](const QString& line) {
                               sink(output(line));
                               attempt.output += line.toLower() + u'\n';
                           });
    if (outcome.startFailure) {
        sink(output(QStringLiteral("Failed to start brew: ") + *outcome.startFailure));
        return Attempt{};
    }
    attempt.exitCode = outcome.exitCode;
    return attempt;
}

void BrewRunner::installCask(const QString& cask, const QString& prompt,
                             const CaskRecoveryPolicy& policy, const Sink& sink,
                             WorkerTask& task) const {
    auto latch = latchFor(task);

    PrivilegedExecutor::Prepared prepared;
    try {
        prepared = executor.prepare(prompt);
    } catch (const Error& e) {
        sink(output(QStringLiteral("Failed to set up privileged executor: ") + e.description()));
        sink(Event::completed(-1));
        return;
    }
    // The folder is gone before the ending is handed on.
    PrivilegedExecutor::runThenCleanUp(prepared, sink, [&](const Sink& held) {
        const auto& extra = prepared.environment;

        const Attempt first = runBrew(QStringLiteral("install"), cask, extra, false, *latch, held);
        if (latch->isCanceled()) {
            held(Event::canceled());
            return;
        }
        if (first.exitCode != 0) {
            recover(first, cask, prompt, policy, extra, *latch, held, task);
            return;
        }
        // Homebrew may report success for a cask whose files were deleted behind its back.
        if (policy.staleCaskroom && isAlreadyInstalledNotice(first.output) &&
            policy.staleCaskroom->artifactMissing()) {
            held(output(QString()));
            held(output(QStringLiteral("Homebrew reports ") + cask +
                        QStringLiteral(" is already installed, but ") +
                        policy.staleCaskroom->missingArtifactDescription +
                        QStringLiteral(". Retrying with `brew reinstall --cask ") + cask +
                        QStringLiteral("`…")));
            const Attempt again =
                runBrew(QStringLiteral("reinstall"), cask, extra, false, *latch, held);
            if (latch->isCanceled())
                held(Event::canceled());
            else if (again.exitCode == 0)
                held(Event::completed(0));
            else
                recover(again, cask, prompt, policy, extra, *latch, held, task);
            return;
        }
        held(Event::completed(0));
    });
}

void BrewRunner::recover(const Attempt& failed, const QString& cask, const QString& prompt,
                         const CaskRecoveryPolicy& policy, const ProcessEnvironment& extra,
                         CancellableProcess& latch, const Sink& sink, WorkerTask& task) const {
    auto fallBack = [&](const Attempt& attempt) {
        if (!policy.pkgFallback || !isSudoWrapperBypassed(attempt.output))
            return false;
        sink(output(QString()));
        sink(
            output(QStringLiteral("Homebrew bypassed our sudo wrapper. Falling back to direct .pkg "
                                  "install…")));
        const auto& fallback = *policy.pkgFallback;
        runPKGFallback(fallback, fallback.versionFromCaskName(cask), prompt, latch, sink, task);
        return true;
    };

    if (!latch.isCanceled() && failed.output.contains(QLatin1String("it seems there is already"))) {
        sink(output(QString()));
        sink(output(QStringLiteral("A leftover file is blocking the install. Retrying with `brew "
                                   "install --cask --force ") +
                    cask + QStringLiteral("`…")));
        const Attempt forced = runBrew(QStringLiteral("install"), cask, extra, true, latch, sink);
        if (latch.isCanceled())
            sink(Event::canceled());
        else if (forced.exitCode == 0)
            sink(Event::completed(0));
        else if (fallBack(forced))
            return;
        else if (isAuthenticationFailure(forced.output))
            sink(Event::canceled());
        else
            sink(Event::completed(forced.exitCode)); // no retry after --force
        return;
    }
    if (fallBack(failed))
        return;
    if (!isAuthenticationFailure(failed.output)) {
        sink(output(QString()));
        sink(output(QStringLiteral("That didn’t work — retrying once in a moment…")));
        taskSleep(sleeper, kRetryPause, task);
        if (latch.isCanceled()) {
            sink(Event::canceled());
            return;
        }
        const Attempt retry = runBrew(QStringLiteral("install"), cask, extra, false, latch, sink);
        if (latch.isCanceled())
            sink(Event::canceled());
        else
            sink(Event::completed(retry.exitCode));
        return;
    }
    // The user refused or failed the password dialog.
    sink(Event::canceled());
}

void BrewRunner::runPKGFallback(const CaskRecoveryPolicy::PKGFallback& fallback,
                                const QString& version, const QString& prompt,
                                CancellableProcess& latch, const Sink& sink,
                                WorkerTask& task) const {
    const QString architecture = AdoptiumAPI::buildArchitecture();
    auto transfer = transferFor(task);
    try {
        sink(output(fallback.lookupMessage(version, architecture)));
        const auto [downloadURL, checksum] = fallback.resolveAsset(version, architecture, transfer);
        sink(output(QStringLiteral("GET ") + downloadURL.toString(QUrl::FullyEncoded)));

        HTTPRequest request;
        request.url = downloadURL;
        const auto [temporary, response] = http->download(request, {}, transfer);
        if (response.statusCode < 200 || response.statusCode > 299) {
            try {
                fs->removeItem(temporary);
            } catch (const Error&) {
            }
            throw DomainError(QLatin1String(kPKGErrorDomain), 2,
                              QStringLiteral("Install-asset download HTTP error"));
        }

        const QString folder = fs->cachesDirectory() + u'/' + ProductConfig::current().cacheDirName;
        fs->createDirectory(folder, true);
        const QString destination = folder + u'/' + fallback.cacheFilePrefix + u'-' + version +
                                    u'-' + architecture + QStringLiteral(".pkg");
        try {
            fs->removeItem(destination);
        } catch (const Error&) {
            // Nothing cached yet.
        }
        fs->moveItem(temporary, destination);

        sink(output(QStringLiteral("Saved to ") + destination));
        sink(output(QStringLiteral("Verifying download checksum…")));
        verifyChecksum(destination, checksum);

        sink(output(QStringLiteral("Running /usr/sbin/installer (macOS will ask for your "
                                   "password)…")));
        const InstallerOutcome outcome = runInstaller(destination, prompt, latch);
        switch (outcome.kind) {
        case InstallerOutcome::Kind::installed:
            sink(output(QStringLiteral("Installer completed.")));
            sink(Event::completed(0));
            break;
        case InstallerOutcome::Kind::canceled:
            sink(Event::canceled());
            break;
        case InstallerOutcome::Kind::failed:
            sink(output(QStringLiteral("Installer failed: ") + outcome.message));
            sink(Event::completed(1));
            break;
        }
    } catch (const URLError& e) {
        if (e.code() == URLError::Code::canceled || task.isCanceled()) {
            sink(Event::canceled());
        } else if (e.code() == URLError::Code::timedOut) {
            sink(output(fallback.timeoutMessage));
            sink(Event::completed(1));
        } else {
            sink(output(QStringLiteral("Fallback failed: ") + e.description()));
            sink(Event::completed(1));
        }
    } catch (const Error& e) {
        if (task.isCanceled()) {
            sink(Event::canceled());
        } else {
            sink(output(QStringLiteral("Fallback failed: ") + e.description()));
            sink(Event::completed(1));
        }
    }
}

void BrewRunner::verifyChecksum(const QString& path, const QString& expected) const {
    requireSha256(fs->readData(path), expected, QLatin1String(kPKGErrorDomain), 5);
}

QString BrewRunner::installerAppleScript(const QString& packagePath, const QString& prompt) {
    // The path is quoted for the shell that `do shell script` starts before it is escaped
    // for the AppleScript string: no character of it can run as a command as root.
    return QStringLiteral("do shell script \"/usr/sbin/installer -pkg ") +
           PrivilegedExecutor::appleScriptEscaped(shellQuote(packagePath)) +
           QStringLiteral(" -target /\" with administrator privileges with prompt \"") +
           PrivilegedExecutor::appleScriptEscaped(prompt) + u'"';
}

BrewRunner::InstallerOutcome BrewRunner::runInstaller(const QString& packagePath,
                                                      const QString& prompt,
                                                      CancellableProcess& latch) const {
    return runInstaller(*process, packagePath, prompt, latch);
}

BrewRunner::InstallerOutcome BrewRunner::runInstaller(ProcessRunning& process,
                                                      const QString& packagePath,
                                                      const QString& prompt,
                                                      CancellableProcess& latch) {
    // The password dialog's words are collected for the outcome, not shown as they come.
    QString collected;
    const auto outcome = StreamedChild::run(
        process, QStringLiteral("/usr/bin/osascript"),
        {QStringLiteral("-e"), installerAppleScript(packagePath, prompt)}, std::nullopt, &latch,
        [&](const QString& line) { collected += line + u'\n'; });
    using Kind = InstallerOutcome::Kind;
    if (outcome.startFailure)
        return {Kind::failed,
                QStringLiteral("Failed to start osascript: ") + *outcome.startFailure};
    const qint32 code = outcome.exitCode;
    if (latch.isCanceled())
        return {Kind::canceled, {}};
    if (code == 0)
        return {Kind::installed, {}};
    const QString trimmed = collected.trimmed();
    if (trimmed.contains(QLatin1String("(-128)")) ||
        trimmed.toLower().contains(QLatin1String("user canceled")))
        return {Kind::canceled, {}};
    if (!trimmed.isEmpty())
        return {Kind::failed, trimmed};
    return {Kind::failed, QStringLiteral("osascript exited ") + QString::number(code)};
}

bool BrewRunner::isTemurinInstalled(const QString& caskName) const {
    auto hasJava = [this](const QString& bundle) {
        return fs->isExecutableFile(kJVMFolder + u'/' + bundle +
                                    QStringLiteral("/Contents/Home/bin/java"));
    };
    if (const auto major = versionSuffix(caskName))
        return hasJava(QStringLiteral("temurin-") + *major + QStringLiteral(".jdk"));
    QStringList entries;
    try {
        entries = fs->contentsOfDirectory(kJVMFolder);
    } catch (const Error&) {
        return false;
    }
    for (const auto& entry : entries)
        if (entry.startsWith(QLatin1String("temurin-")) && entry.endsWith(QLatin1String(".jdk")) &&
            hasJava(entry))
            return true;
    return false;
}

BrewRunner::CaskRecoveryPolicy BrewRunner::temurinRecoveryPolicy() const {
    CaskRecoveryPolicy policy;
    const BrewRunner self = *this;
    policy.staleCaskroom = CaskRecoveryPolicy::StaleCaskroomRecovery{
        [self] { return !self.isTemurinInstalled(QStringLiteral("temurin")); },
        QStringLiteral("the JDK is missing from /Library/Java/JavaVirtualMachines/")};
    CaskRecoveryPolicy::PKGFallback fallback;
    fallback.cacheFilePrefix = QStringLiteral("temurin");
    fallback.lookupMessage = [](const QString& version, const QString& architecture) {
        return QStringLiteral("Looking up Temurin ") + version + QStringLiteral(" (") +
               architecture + QStringLiteral(") on Adoptium…");
    };
    fallback.timeoutMessage = QStringLiteral("Adoptium didn't respond in time. Try again in a "
                                             "moment, or use Other Java install methods.");
    fallback.versionFromCaskName = [](const QString& caskName) {
        return versionSuffix(caskName).value_or(QStringLiteral("25"));
    };
    fallback.resolveAsset = [self](const QString& version, const QString& architecture,
                                   std::shared_ptr<HTTPCancellation> cancellation) {
        bool ok = false;
        const qint64 major = version.toLongLong(&ok, 10);
        if (!ok)
            throw DomainError(QLatin1String(kPKGErrorDomain), 1,
                              QStringLiteral("Bad Temurin major version: ") + version);
        const auto asset =
            self.adoptium.latestInstaller(major, architecture, std::move(cancellation));
        return std::make_pair(asset.downloadURL, asset.checksum);
    };
    policy.pkgFallback = std::move(fallback);
    return policy;
}

} // namespace tovr
