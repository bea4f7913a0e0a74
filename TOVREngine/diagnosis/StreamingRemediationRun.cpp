#include "diagnosis/StreamingRemediationRun.h"

#include "model/ProductConfig.h"
#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/GuiThreadDelivery.h"
#include "platform/Overloaded.h"
#include "services/HomebrewInstaller.h"

namespace tovr {

namespace {

using R = Remediation;
using ZshrcSource = StreamingRemediationModel::ZshrcSource;

// Consumes `stream` on the calling worker thread until it ends or `task` is canceled;
// cancelling drops the stream (which stops its child) and every event still queued.
template <class T, class Handle>
void drain(EventStream<T> stream, WorkerTask& task, Handle handle) {
    auto [relay, continuation] = EventStream<T>::make();
    auto stopSource =
        std::move(stream).forEach([continuation](T event) { continuation.yield(std::move(event)); },
                                  [continuation] { continuation.finish(); });
    task.onCancel([continuation, stopSource] {
        stopSource();
        continuation.finish();
    });
    while (auto event = relay.next()) {
        if (task.isCanceled())
            return;
        handle(*event);
    }
}

} // namespace

ZshrcPreparation prepareZshrc(const RemediationWorkers& workers,
                              const std::shared_ptr<FileSystemOperating>& fs, ZshrcSource source) {
    const bool mise = source == ZshrcSource::mise;
    const QStringList lines = mise ? workers.missingMiseActivation() : workers.missingJEnvInit();
    if (lines.isEmpty())
        return {};
    const FileAppendWriter writer(fs->homeDirectory() + QStringLiteral("/.zshrc"), fs,
                                  ProductConfig::current().shellMarker());
    try {
        return {writer.preview(
                    lines, mise ? QStringLiteral("Mise activation") : QStringLiteral("jEnv init"),
                    [](const QString&) { return false; }),
                {}};
    } catch (const Error& error) {
        return {{}, QStringLiteral("Couldn't read ~/.zshrc: ") + error.description()};
    }
}

StreamingRemediationRun::StreamingRemediationRun(Remediation remediation,
                                                 std::shared_ptr<FileSystemOperating> fs,
                                                 std::shared_ptr<RemediationWorkers> workers,
                                                 QPointer<StreamingRemediationModel> model,
                                                 std::weak_ptr<WorkerTask> weakTask,
                                                 WorkerTask& task)
    : remediation_(std::move(remediation)), fs_(std::move(fs)), workers_(std::move(workers)),
      model_(std::move(model)), weakTask_(std::move(weakTask)), task_(task) {}

void StreamingRemediationRun::run() {
    try {
        dispatch();
    } catch (const Error& error) {
        line(error.description());
        if (!exitCode_)
            setExit(-1);
    }
    // The end goes out even after a cancel: it is what ends a canceled screen.
    post([](StreamingRemediationModel& model) { model.runEnded(); }, AfterCancel::deliver);
}

void StreamingRemediationRun::dispatch() {
    const QString temurinPrompt = QString::fromLatin1(StreamingRemediationModel::kTemurinPrompt);
    std::visit(
        Overloaded{
            [&](const R::InstallTemurinViaBrew& r) { runBrewInstall(r.cask, temurinPrompt); },
            [&](const R::InstallViaSDKMAN& r) {
                runSDKMAN({QStringLiteral("install"), QStringLiteral("java"), r.candidate,
                           QStringLiteral("y")},
                          QStringLiteral("Running: sdk install java ") + r.candidate +
                              QStringLiteral(" y"));
            },
            [&](const R::InstallViaMise& r) {
                runMise(QStringLiteral("Running: mise install java@") + r.version +
                            QStringLiteral(" && mise use -g java@") + r.version,
                        [&] { return workers_->miseInstallJava(r.version); });
            },
            [&](const R::InstallViaPKG& r) {
                const qint32 result = runPKGPhase(r.version);
                setExit(result);
            },
            [&](const R::InstallViaPKGThenJEnv& r) { runPKGThenJEnv(r.version); },
            [&](const R::WriteJavaHomeToZprofile&) {},
            [&](const R::SetJavaHomeViaSDKMAN& r) {
                runSDKMAN({QStringLiteral("default"), QStringLiteral("java"), r.candidate},
                          QStringLiteral("Running: sdk default java ") + r.candidate);
            },
            [&](const R::SetJavaHomeViaMise& r) {
                runMise(QStringLiteral("Running: mise use -g java@") + r.version,
                        [&] { return workers_->miseUseGlobalJava(r.version); });
            },
            [&](const R::SetJavaHomeViaJenv& r) { runJEnvRegister(r.jdkPath, r.majorVersion); },
            [&](const R::KeepCurrentLegacyJava&) {},
            [&](const R::InstallHomebrewThenTemurin& r) {
                runHomebrewInstall();
                runSecondPhase(r.temurinCask, temurinPrompt,
                               QStringLiteral("Homebrew installed. Now installing Temurin via "
                                              "Homebrew…"));
            },
            [&](const R::InstallWarpViaBrew& r) { runBrewInstall(r.cask, {}); },
            [&](const R::InstallHomebrewThenWarp& r) {
                runHomebrewInstall();
                runSecondPhase(r.warpCask, {},
                               QStringLiteral("Homebrew installed. Now installing Warp via "
                                              "Homebrew…"));
            },
            [&](const R::InstallHomebrew&) { runHomebrewInstall(); },
        },
        remediation_.value());
}

bool StreamingRemediationRun::stopped() const {
    return task_.isCanceled() || canceled_;
}

void StreamingRemediationRun::runBrewInstall(const QString& cask, const QString& prompt) {
    if (stopped())
        return;
    const std::optional<QString> brew = homebrewExecutable(*fs_);
    if (!brew) {
        line(QStringLiteral("Homebrew not found in /opt/homebrew/bin or /usr/local/bin."));
        setExit(-1);
        return;
    }
    consume([&] { return workers_->installCask(*brew, cask, prompt); });
}

void StreamingRemediationRun::runHomebrewInstall() {
    if (stopped())
        return;
    line(QStringLiteral("Running: /bin/bash -c \"$(curl -fsSL ") +
         HomebrewInstaller::defaultInstallScriptURL().toString() + QStringLiteral(")\""));
    consume([&] { return workers_->installHomebrew(); });
}

void StreamingRemediationRun::runSecondPhase(const QString& cask, const QString& prompt,
                                             const QString& announcement) {
    if (!exitCode_ || *exitCode_ != 0 || stopped())
        return;
    setExit(std::nullopt);
    line(QString());
    line(announcement);
    runBrewInstall(cask, prompt);
}

void StreamingRemediationRun::runSDKMAN(const QStringList& words, const QString& announcement) {
    if (stopped())
        return;
    const QString initScript = fs_->homeDirectory() + QStringLiteral("/.sdkman/bin/sdkman-init.sh");
    if (!fs_->fileExists(initScript)) {
        line(QStringLiteral("SDKMAN init script not found at ~/.sdkman/bin/sdkman-init.sh."));
        setExit(-1);
        return;
    }
    line(announcement);
    consume([&] { return workers_->runSDKMAN(words); });
}

template <class Start>
void StreamingRemediationRun::runMise(const QString& announcement, Start start) {
    if (stopped())
        return;
    line(announcement);
    consume(start);
    offerZshrcChangeAfterSuccess(ZshrcSource::mise);
}

void StreamingRemediationRun::runJEnvRegister(const QString& jdkPath, qint64 major) {
    if (stopped())
        return;
    line(QStringLiteral("Registering ") + jdkPath + QStringLiteral(" with jEnv (major ") +
         QString::number(major) + QStringLiteral(")…"));
    consume([&] { return workers_->jenvSetGlobal(jdkPath, major); });
    offerZshrcChangeAfterSuccess(ZshrcSource::jenv);
}

qint32 StreamingRemediationRun::runPKGPhase(qint64 major) {
    qint32 result = -1;
    if (stopped())
        return result;
    const QString prompt = QString::fromLatin1(StreamingRemediationModel::kTemurinPrompt);
    drain(workers_->installPKG(major, prompt), task_, [&](const PKGInstaller::Event& event) {
        using E = PKGInstaller::Event;
        if (event.as<E::Fetching>()) {
            line(QStringLiteral("Looking up Temurin ") + QString::number(major) +
                 QStringLiteral(" on Adoptium…"));
        } else if (event.as<E::SlowResponse>()) {
            line(QStringLiteral("Adoptium is responding slowly — still trying…"));
        } else if (auto* downloading = event.as<E::Downloading>()) {
            line(StreamingRemediationModel::downloadLine(downloading->bytesReceived,
                                                         downloading->totalBytes));
        } else if (event.as<E::Verifying>()) {
            line(QStringLiteral("Verifying SHA256 checksum…"));
        } else if (event.as<E::Installing>()) {
            line(QStringLiteral("Running /usr/sbin/installer (macOS will ask for your password)…"));
        } else if (event.as<E::Completed>()) {
            line(QStringLiteral("Installer completed."));
            result = 0;
        } else if (auto* error = event.as<E::Error>()) {
            line(QStringLiteral("Error: ") + error->message);
            result = 1;
        } else if (event.as<E::Canceled>()) {
            markCanceled();
        }
    });
    return result;
}

void StreamingRemediationRun::runPKGThenJEnv(qint64 major) {
    const qint32 result = runPKGPhase(major);
    if (result != 0) {
        setExit(result);
        return;
    }
    if (stopped())
        return;
    line(QStringLiteral("Locating installed Temurin…"));
    const QList<JDKInfo> jdks = workers_->installedJDKs(task_);
    if (stopped())
        return;
    const auto jdk = StreamingRemediationModel::jdkToRegister(jdks, major);
    if (!jdk) {
        line(QStringLiteral("Installed Temurin but couldn't locate a Java installation to "
                            "register with jEnv. You can run `jenv add /path/to/java` "
                            "manually."));
        setExit(1);
        return;
    }
    line(QStringLiteral("Found ") + jdk->path);
    consume([&] { return workers_->jenvSetGlobal(jdk->path, major); });
    offerZshrcChangeAfterSuccess(ZshrcSource::jenv);
}

void StreamingRemediationRun::offerZshrcChangeAfterSuccess(ZshrcSource source) {
    if (!exitCode_ || *exitCode_ != 0 || stopped())
        return;
    const ZshrcPreparation prepared = prepareZshrc(*workers_, fs_, source);
    if (prepared.readError)
        line(*prepared.readError);
    if (prepared.preview) {
        post([preview = *prepared.preview, source](StreamingRemediationModel& model) {
            model.offerZshrcChange(preview, source);
        });
    }
}

template <class Start> void StreamingRemediationRun::consume(Start start) {
    if (stopped())
        return;
    drain(start(), task_, [&](const StreamEvent& event) {
        if (auto* output = event.as<StreamEvent::Output>())
            line(output->text);
        else if (auto* completed = event.as<StreamEvent::Completed>())
            setExit(completed->exitCode);
        else if (event.as<StreamEvent::Canceled>())
            markCanceled();
    });
}

void StreamingRemediationRun::line(const QString& text) {
    post([text](StreamingRemediationModel& model) { model.appendLine(text); });
}

void StreamingRemediationRun::setExit(std::optional<qint32> code) {
    exitCode_ = code;
    post([code](StreamingRemediationModel& model) { model.setExitCode(code); });
}

void StreamingRemediationRun::markCanceled() {
    canceled_ = true;
    post([](StreamingRemediationModel& model) { model.markCanceledByRunner(); });
}

void StreamingRemediationRun::post(std::function<void(StreamingRemediationModel&)> change,
                                   AfterCancel afterCancel) const {
    deliverToGuiThread(
        model_, weakTask_, [model = model_, change = std::move(change)] { change(*model); },
        afterCancel);
}

} // namespace tovr
