#pragma once

#include "platform/CancellableProcess.h"
#include "platform/EventStream.h"
#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/ProcessRunning.h"
#include "platform/Sleeper.h"
#include "platform/StreamEvent.h"
#include "services/AdoptiumAPI.h"
#include "services/PrivilegedExecutor.h"

#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// Installs one Homebrew formula or cask and reports `output` lines, then exactly one
// `completed` or `canceled`. Casks run with the password-dialog sudo and, when Homebrew's
// own words say so, go through a fixed chain of recoveries. Keeps no state between calls.
struct BrewRunner {
    using Event = StreamEvent;
    using Sink = std::function<void(Event)>;

    QString brewPath;
    std::shared_ptr<ProcessRunning> process;
    std::shared_ptr<HTTPFetching> http;
    std::shared_ptr<FileSystemOperating> fs;
    PrivilegedExecutor executor;
    AdoptiumAPI adoptium;
    // The pause before the one plain retry; null waits on the task.
    Sleeper sleeper;

    // Which cask-specific recoveries a call may use.
    struct CaskRecoveryPolicy {
        struct StaleCaskroomRecovery {
            // The cask's artifact is gone from disk; any thread.
            std::function<bool()> artifactMissing;
            // Spliced after "but ".
            QString missingArtifactDescription;
        };
        struct PKGFallback {
            QString cacheFilePrefix;
            std::function<QString(const QString& version, const QString& architecture)>
                lookupMessage;
            QString timeoutMessage;
            std::function<QString(const QString& caskName)> versionFromCaskName;
            // The package's address and SHA-256; throws. Any thread.
            std::function<std::pair<QUrl, QString>(const QString& version,
                                                   const QString& architecture,
                                                   std::shared_ptr<HTTPCancellation>)>
                resolveAsset;
        };

        std::optional<StaleCaskroomRecovery> staleCaskroom;
        std::optional<PKGFallback> pkgFallback;

        // Neither recovery: only the forced install and the one retry.
        static const CaskRecoveryPolicy& none();
    };

    // A cask install with the password dialog and the recoveries the policy allows.
    EventStream<Event> installCask(const QString& cask, const QString& prompt,
                                   const CaskRecoveryPolicy& policy) const;

    // On the caller's task, each handing `sink` its lines and exactly one ending: `brew
    // install <formula>` with auto-update off, and the cask install above.
    void installFormula(const QString& formula, const Sink& sink, WorkerTask& task) const;
    void installCask(const QString& cask, const QString& prompt, const CaskRecoveryPolicy& policy,
                     const Sink& sink, WorkerTask& task) const;

    // Phrase tests on one attempt's lower-cased output.
    static bool isAlreadyInstalledNotice(QStringView output);
    static bool isSudoWrapperBypassed(QStringView output);
    static bool isAuthenticationFailure(QStringView output);

    // Throws DomainError "BrewRunner.PKG" 5 when the file's SHA-256 is not `expected`.
    void verifyChecksum(const QString& path, const QString& expected) const;
    // A Temurin JDK with an executable `java`: the version after "@" only, else any.
    bool isTemurinInstalled(const QString& caskName) const;
    // The recoveries of the "temurin" cask: reinstall when the JDK is gone, and the
    // package from Adoptium when Homebrew could not ask for the password.
    CaskRecoveryPolicy temurinRecoveryPolicy() const;

    // How the package fallback's installer run ended.
    struct InstallerOutcome {
        enum class Kind { installed, canceled, failed };
        Kind kind = Kind::failed;
        QString message; // failed only
    };
    // /usr/sbin/installer as administrator through osascript's own password dialog.
    InstallerOutcome runInstaller(const QString& packagePath, const QString& prompt,
                                  CancellableProcess& latch) const;
    // The same through any process runner; the Temurin package installer shares it.
    static InstallerOutcome runInstaller(ProcessRunning& process, const QString& packagePath,
                                         const QString& prompt, CancellableProcess& latch);
    // The AppleScript that runInstaller hands to osascript.
    static QString installerAppleScript(const QString& packagePath, const QString& prompt);

    static constexpr const char* kPKGErrorDomain = "BrewRunner.PKG";
    static constexpr std::chrono::seconds kRetryPause{2};

private:
    struct Attempt {
        qint32 exitCode = -1;
        QString output; // lower-cased, one "\n" after each line
    };
    Attempt runBrew(const QString& verb, const QString& cask, const ProcessEnvironment& extra,
                    bool force, CancellableProcess& latch, const Sink& sink) const;
    void recover(const Attempt& failed, const QString& cask, const QString& prompt,
                 const CaskRecoveryPolicy& policy, const ProcessEnvironment& extra,
                 CancellableProcess& latch, const Sink& sink, WorkerTask& task) const;
    void runPKGFallback(const CaskRecoveryPolicy::PKGFallback& fallback, const QString& version,
                        const QString& prompt, CancellableProcess& latch, const Sink& sink,
                        WorkerTask& task) const;
};

} // namespace tovr
