#include "diagnosis/StreamingRemediationRun.h"

#include "diagnosis/StreamingRemediationModel.h"
#include "model/ProductConfig.h"
#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/Overloaded.h"
#include "platform/StartupFile.h"
#include "services/HomebrewInstaller.h"

namespace tovr {

namespace {

using R = Remediation;
using Item = StreamingRemediationRun::Item;
using Context = StreamingRemediationRun::Run::Context;
using Step = StreamingRemediationRun::Run::Step;

// What the phases of one run share: the code the run stands on, read by the phase after.
// Only the step running touches it, and the steps run one after another.
struct Phases {
    std::shared_ptr<FileSystemOperating> fs;
    std::shared_ptr<RemediationWorkers> workers;
    std::optional<qint32> exitCode;
    bool runnerCanceled = false;

    void line(const Context& context, const QString& text) const {
        context.send({Item::Line{text}});
    }
    void setExit(const Context& context, std::optional<qint32> code) {
        exitCode = code;
        context.send({Item::Exit{code}});
    }
    void markCanceled(const Context& context) {
        runnerCanceled = true;
        context.send({Item::RunnerCanceled{}});
    }
    StepEnd end() const {
        if (runnerCanceled)
            return StepEnd::canceled;
        return exitCode == 0 ? StepEnd::succeeded : StepEnd::failed;
    }

    // Follows one runner's stream: its lines, its code, its own cancel.
    template <class Start> StepEnd follow(const Context& context, Start start) {
        context.consume(start, [&](StreamEvent event) {
            if (auto* output = event.as<StreamEvent::Output>())
                line(context, output->text);
            else if (auto* completed = event.as<StreamEvent::Completed>())
                setExit(context, completed->exitCode);
            else if (event.as<StreamEvent::Canceled>())
                markCanceled(context);
        });
        return end();
    }

    StepEnd brewInstall(const Context& context, const QString& cask, const QString& prompt) {
        const std::optional<QString> brew = homebrewExecutable(*fs);
        if (!brew) {
            line(context,
                 QStringLiteral("Homebrew not found in /opt/homebrew/bin or /usr/local/bin."));
            setExit(context, -1);
            return end();
        }
        return follow(context, [&] { return workers->installCask(*brew, cask, prompt); });
    }

    StepEnd homebrewInstall(const Context& context) {
        line(context, QStringLiteral("Running: /bin/bash -c \"$(curl -fsSL ") +
                          HomebrewInstaller::defaultInstallScriptURL().toString() +
                          QStringLiteral(")\""));
        return follow(context, [&] { return workers->installHomebrew(); });
    }

    StepEnd sdkman(const Context& context, const QStringList& words, const QString& announcement) {
        const QString initScript =
            fs->homeDirectory() + QStringLiteral("/.sdkman/bin/sdkman-init.sh");
        if (!fs->fileExists(initScript)) {
            line(context,
                 QStringLiteral("SDKMAN init script not found at ~/.sdkman/bin/sdkman-init.sh."));
            setExit(context, -1);
            return end();
        }
        line(context, announcement);
        return follow(context, [&] { return workers->runSDKMAN(words); });
    }

    StepEnd jenvRegister(const Context& context, const QString& jdkPath, qint64 major) {
        line(context, QStringLiteral("Registering ") + jdkPath +
                          QStringLiteral(" with jEnv (major ") + QString::number(major) +
                          QStringLiteral(")…"));
        return follow(context, [&] { return workers->jenvSetGlobal(jdkPath, major); });
    }

    // The package install's own result: 0 once the installer completed.
    qint32 pkgPhase(const Context& context, qint64 major) {
        qint32 result = -1;
        const QString prompt = QString::fromLatin1(StreamingRemediationModel::kTemurinPrompt);
        context.consume(
            [&] { return workers->installPKG(major, prompt); },
            [&](PKGInstaller::Event event) { result = pkgLine(context, event, major, result); });
        return result;
    }

    qint32 pkgLine(const Context& context, const PKGInstaller::Event& event, qint64 major,
                   qint32 result) {
        using E = PKGInstaller::Event;
        if (event.as<E::Fetching>()) {
            line(context, QStringLiteral("Looking up Temurin ") + QString::number(major) +
                              QStringLiteral(" on Adoptium…"));
        } else if (event.as<E::SlowResponse>()) {
            line(context, QStringLiteral("Adoptium is responding slowly — still trying…"));
        } else if (auto* downloading = event.as<E::Downloading>()) {
            line(context, StreamingRemediationModel::downloadLine(downloading->bytesReceived,
                                                                  downloading->totalBytes));
        } else if (event.as<E::Verifying>()) {
            line(context, QStringLiteral("Verifying SHA256 checksum…"));
        } else if (event.as<E::Installing>()) {
            line(context,
                 QStringLiteral("Running /usr/sbin/installer (macOS will ask for your password)…"));
        } else if (event.as<E::Completed>()) {
            line(context, QStringLiteral("Installer completed."));
            return 0;
        } else if (auto* error = event.as<E::Error>()) {
            line(context, QStringLiteral("Error: ") + error->message);
            return 1;
        } else if (event.as<E::Canceled>()) {
            markCanceled(context);
        }
        return result;
    }

    // After the package: the JDK it put there, registered with jEnv.
    StepEnd registerInstalled(const Context& context, qint64 major) {
        line(context, QStringLiteral("Locating installed Temurin…"));
        const QList<JDKInfo> jdks = workers->installedJDKs(context.task());
        if (context.isCanceled())
            return StepEnd::canceled;
        const auto jdk = StreamingRemediationModel::jdkToRegister(jdks, major);
        if (!jdk) {
            line(context, QStringLiteral("Installed Temurin but couldn't locate a Java "
                                         "installation to register with jEnv. You can run "
                                         "`jenv add /path/to/java` manually."));
            setExit(context, 1);
            return end();
        }
        line(context, QStringLiteral("Found ") + jdk->path);
        return follow(context, [&] { return workers->jenvSetGlobal(jdk->path, major); });
    }

    StepEnd offerZshrcChange(const Context& context, ZshrcSource source) {
        const ZshrcPreparation prepared = prepareZshrc(*workers, fs, source);
        if (prepared.readError)
            line(context, *prepared.readError);
        if (prepared.preview)
            context.send({Item::ZshrcOffer{*prepared.preview, source}});
        return StepEnd::succeeded;
    }
};

// A step of the run; what it throws ends the run with its sentence and, unless the run
// already stands on a code, -1.
template <class Body> Step phase(const std::shared_ptr<Phases>& phases, Body body) {
    return [phases, body = std::move(body)](const Context& context) {
        try {
            return body(*phases, context);
        } catch (const Error& error) {
            phases->line(context, error.description());
            if (!phases->exitCode)
                phases->setExit(context, -1);
            return StepEnd::failed;
        }
    };
}

// The second phase of a Homebrew-first fix: the cask, announced.
Step secondPhase(const std::shared_ptr<Phases>& phases, QString cask, QString prompt,
                 QString announcement) {
    return phase(phases, [=](Phases& p, const Context& context) {
        p.setExit(context, std::nullopt);
        p.line(context, QString());
        p.line(context, announcement);
        return p.brewInstall(context, cask, prompt);
    });
}

Step zshrcStep(const std::shared_ptr<Phases>& phases, ZshrcSource source) {
    return phase(phases, [source](Phases& p, const Context& context) {
        return p.offerZshrcChange(context, source);
    });
}

std::vector<Step> javaSteps(const Remediation& remediation, const std::shared_ptr<Phases>& phases);

} // namespace

ZshrcPreparation prepareZshrc(const RemediationWorkers& workers,
                              const std::shared_ptr<FileSystemOperating>& fs, ZshrcSource source) {
    const bool mise = source == ZshrcSource::mise;
    const QStringList lines = mise ? workers.missingMiseActivation() : workers.missingJEnvInit();
    if (lines.isEmpty())
        return {};
    const StartupFile file =
        StartupFile::of(*fs, toolLocationsOf(workers.toolLocations()), QStringLiteral(".zshrc"));
    if (!file.path)
        return {{}, file.untold};
    const QString& zshrc = *file.path;
    const FileAppendWriter writer(zshrc, fs, ProductConfig::current().shellMarker());
    try {
        return {writer.preview(
                    lines, mise ? QStringLiteral("Mise activation") : QStringLiteral("jEnv init"),
                    [](const QString&) { return false; }),
                {}};
    } catch (const Error& error) {
        return {{},
                QStringLiteral("Couldn't read ") + shownFromHome(*fs, zshrc) +
                    QStringLiteral(": ") + error.description()};
    }
}

std::vector<Step> StreamingRemediationRun::steps(const Remediation& remediation,
                                                 std::shared_ptr<FileSystemOperating> fs,
                                                 std::shared_ptr<RemediationWorkers> workers) {
    auto phases = std::make_shared<Phases>(Phases{std::move(fs), std::move(workers), {}, false});
    const auto homebrew =
        phase(phases, [](Phases& p, const Context& context) { return p.homebrewInstall(context); });
    const auto brewCask = [&](const QString& cask, const QString& prompt) {
        return phase(phases, [=](Phases& p, const Context& context) {
            return p.brewInstall(context, cask, prompt);
        });
    };
    const QString temurinPrompt = QString::fromLatin1(StreamingRemediationModel::kTemurinPrompt);
    return std::visit(
        Overloaded{
            [&](const R::InstallTemurinViaBrew& r) -> std::vector<Step> {
                return {brewCask(r.cask, temurinPrompt)};
            },
            [&](const R::InstallWarpViaBrew& r) -> std::vector<Step> {
                return {brewCask(r.cask, {})};
            },
            [&](const R::InstallHomebrewThenTemurin& r) -> std::vector<Step> {
                return {homebrew,
                        secondPhase(phases, r.temurinCask, temurinPrompt,
                                    QStringLiteral("Homebrew installed. Now installing Temurin "
                                                   "via Homebrew…"))};
            },
            [&](const R::InstallHomebrewThenWarp& r) -> std::vector<Step> {
                return {homebrew, secondPhase(phases, r.warpCask, {},
                                              QStringLiteral("Homebrew installed. Now installing "
                                                             "Warp via Homebrew…"))};
            },
            [&](const R::InstallHomebrew&) -> std::vector<Step> { return {homebrew}; },
            [&](const auto&) { return javaSteps(remediation, phases); },
        },
        remediation.value());
}

namespace {

Step miseStep(const std::shared_ptr<Phases>& phases, QString announcement, bool install,
              QString version) {
    return phase(phases, [=](Phases& p, const Context& context) {
        p.line(context, announcement);
        return p.follow(context, [&] {
            return install ? p.workers->miseInstallJava(version)
                           : p.workers->miseUseGlobalJava(version);
        });
    });
}

Step sdkmanStep(const std::shared_ptr<Phases>& phases, QStringList words) {
    const QString announcement = QStringLiteral("Running: sdk ") + words.join(u' ');
    return phase(phases, [=](Phases& p, const Context& context) {
        return p.sdkman(context, words, announcement);
    });
}

Step pkgStep(const std::shared_ptr<Phases>& phases, qint64 major, bool thenJEnv) {
    return phase(phases, [=](Phases& p, const Context& context) {
        const qint32 result = p.pkgPhase(context, major);
        // Before jEnv a successful package sets no code: jEnv's is the one that stands.
        if (result != 0 || !thenJEnv)
            p.setExit(context, result);
        return p.runnerCanceled ? StepEnd::canceled
                                : (result == 0 ? StepEnd::succeeded : StepEnd::failed);
    });
}

std::vector<Step> javaSteps(const Remediation& remediation, const std::shared_ptr<Phases>& phases) {
    return std::visit(
        Overloaded{
            [&](const R::InstallViaSDKMAN& r) -> std::vector<Step> {
                return {sdkmanStep(phases, {QStringLiteral("install"), QStringLiteral("java"),
                                            r.candidate, QStringLiteral("y")})};
            },
            [&](const R::SetJavaHomeViaSDKMAN& r) -> std::vector<Step> {
                return {sdkmanStep(
                    phases, {QStringLiteral("default"), QStringLiteral("java"), r.candidate})};
            },
            [&](const R::InstallViaMise& r) -> std::vector<Step> {
                return {miseStep(phases,
                                 QStringLiteral("Running: mise install java@") + r.version +
                                     QStringLiteral(" && mise use -g java@") + r.version,
                                 true, r.version),
                        zshrcStep(phases, ZshrcSource::mise)};
            },
            [&](const R::SetJavaHomeViaMise& r) -> std::vector<Step> {
                return {miseStep(phases, QStringLiteral("Running: mise use -g java@") + r.version,
                                 false, r.version),
                        zshrcStep(phases, ZshrcSource::mise)};
            },
            [&](const R::InstallViaPKG& r) -> std::vector<Step> {
                return {pkgStep(phases, r.version, false)};
            },
            [&](const R::InstallViaPKGThenJEnv& r) -> std::vector<Step> {
                const qint64 major = r.version;
                return {pkgStep(phases, major, true),
                        phase(phases,
                              [major](Phases& p, const Context& context) {
                                  return p.registerInstalled(context, major);
                              }),
                        zshrcStep(phases, ZshrcSource::jenv)};
            },
            [&](const R::SetJavaHomeViaJenv& r) -> std::vector<Step> {
                const QString path = r.jdkPath;
                const qint64 major = r.majorVersion;
                return {phase(phases,
                              [=](Phases& p, const Context& context) {
                                  return p.jenvRegister(context, path, major);
                              }),
                        zshrcStep(phases, ZshrcSource::jenv)};
            },
            // The two ~/.zprofile fixes never run here; the Homebrew ones are above.
            [&](const auto&) { return std::vector<Step>{}; },
        },
        remediation.value());
}

} // namespace

} // namespace tovr
