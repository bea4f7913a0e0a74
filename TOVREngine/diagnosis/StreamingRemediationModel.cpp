#include "diagnosis/StreamingRemediationModel.h"
#include "platform/FileChecks.h"

#include "model/ProductConfig.h"
#include "platform/Error.h"
#include "services/HomebrewInstaller.h"
#include "telemetry/UsageEvent.h"
#include "telemetry/UsageEventCatalogue.h"
#include "ui/BackgroundCall.h"
#include "ui/MarkdownLiteral.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

namespace tovr {

namespace {

template <class... Fs> struct Overloaded : Fs... { using Fs::operator()...; };
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

using R = Remediation;
using ZshrcSource = StreamingRemediationModel::ZshrcSource;

// A proposed ~/.zshrc change, or why none could be made.
struct ZshrcPreparation {
    std::optional<FileAppendWriter::DiffPreview> preview;
    std::optional<QString> readError;
};

// Asks the version manager which lines ~/.zshrc lacks and builds the change; writes
// nothing. An unreadable file gives no change, so its contents are never replaced.
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

// One run of a remediation on its worker thread: the blocking steps in order, each change
// posted to the model. Nothing new starts once the task is canceled.
class StreamingRemediationRun {
public:
    StreamingRemediationRun(Remediation remediation, std::shared_ptr<FileSystemOperating> fs,
                            std::shared_ptr<RemediationWorkers> workers,
                            QPointer<StreamingRemediationModel> model,
                            std::weak_ptr<WorkerTask> weakTask, WorkerTask& task)
        : remediation_(std::move(remediation)), fs_(std::move(fs)), workers_(std::move(workers)),
          model_(std::move(model)), weakTask_(std::move(weakTask)), task_(task) {}

    void run() {
        try {
            dispatch();
        } catch (const Error& error) {
            line(error.description());
            if (!exitCode_)
                setExit(-1);
        }
        // The end goes out even after a cancel: it is what ends a canceled screen.
        post([](StreamingRemediationModel& model) { model.runEnded(); }, true);
    }

private:
    void dispatch() {
        const QString temurinPrompt =
            QString::fromLatin1(StreamingRemediationModel::kTemurinPrompt);
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

    bool stopped() const { return task_.isCanceled() || canceled_; }

    void runBrewInstall(const QString& cask, const QString& prompt) {
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

    void runHomebrewInstall() {
        if (stopped())
            return;
        line(QStringLiteral("Running: /bin/bash -c \"$(curl -fsSL ") +
             HomebrewInstaller::defaultInstallScriptURL().toString() + QStringLiteral(")\""));
        consume([&] { return workers_->installHomebrew(); });
    }

    // Only after a Homebrew phase that ended with 0, and never after a cancel.
    void runSecondPhase(const QString& cask, const QString& prompt, const QString& announcement) {
        if (!exitCode_ || *exitCode_ != 0 || stopped())
            return;
        setExit(std::nullopt);
        line(QString());
        line(announcement);
        runBrewInstall(cask, prompt);
    }

    void runSDKMAN(const QStringList& words, const QString& announcement) {
        if (stopped())
            return;
        const QString initScript =
            fs_->homeDirectory() + QStringLiteral("/.sdkman/bin/sdkman-init.sh");
        if (!fs_->fileExists(initScript)) {
            line(QStringLiteral("SDKMAN init script not found at ~/.sdkman/bin/sdkman-init.sh."));
            setExit(-1);
            return;
        }
        line(announcement);
        consume([&] { return workers_->runSDKMAN(words); });
    }

    template <class Start> void runMise(const QString& announcement, Start start) {
        if (stopped())
            return;
        line(announcement);
        consume(start);
        offerZshrcChangeAfterSuccess(ZshrcSource::mise);
    }

    void runJEnvRegister(const QString& jdkPath, qint64 major) {
        if (stopped())
            return;
        line(QStringLiteral("Registering ") + jdkPath + QStringLiteral(" with jEnv (major ") +
             QString::number(major) + QStringLiteral(")…"));
        consume([&] { return workers_->jenvSetGlobal(jdkPath, major); });
        offerZshrcChangeAfterSuccess(ZshrcSource::jenv);
    }

    qint32 runPKGPhase(qint64 major) {
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
                line(QStringLiteral(
                    "Running /usr/sbin/installer (macOS will ask for your password)…"));
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

    void runPKGThenJEnv(qint64 major) {
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

    void offerZshrcChangeAfterSuccess(ZshrcSource source) {
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

    // Starts one runner's stream, unless the run was stopped, and records its events.
    template <class Start> void consume(Start start) {
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

    void line(const QString& text) {
        post([text](StreamingRemediationModel& model) { model.appendLine(text); });
    }

    void setExit(std::optional<qint32> code) {
        exitCode_ = code;
        post([code](StreamingRemediationModel& model) { model.setExitCode(code); });
    }

    // The runner itself gave up (a refused password, a closed password dialog).
    void markCanceled() {
        canceled_ = true;
        post([](StreamingRemediationModel& model) { model.markCanceledByRunner(); });
    }

    // Queued to the GUI thread; dropped there when the model is gone or, unless
    // `afterCancel`, when the user canceled the run.
    void post(std::function<void(StreamingRemediationModel&)> change,
              bool afterCancel = false) const {
        if (!afterCancel && task_.isCanceled())
            return;
        QObject* app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [model = model_, weak = weakTask_, change = std::move(change), afterCancel] {
                if (!model || (!afterCancel && isTaskCanceled(weak)))
                    return;
                change(*model);
            },
            Qt::QueuedConnection);
    }

    Remediation remediation_;
    std::shared_ptr<FileSystemOperating> fs_;
    std::shared_ptr<RemediationWorkers> workers_;
    QPointer<StreamingRemediationModel> model_;
    std::weak_ptr<WorkerTask> weakTask_;
    WorkerTask& task_;
    std::optional<qint32> exitCode_;
    bool canceled_ = false;
};

StreamingRemediationModel::StreamingRemediationModel(
    Remediation remediation, std::shared_ptr<FileSystemOperating> fs,
    std::shared_ptr<RemediationWorkers> workers, std::shared_ptr<URLOpening> urlOpener,
    std::function<void(const RemediationOutcome&)> onFinish, QObject* parent)
    : QObject(parent), remediation_(std::move(remediation)), fs_(std::move(fs)),
      workers_(std::move(workers)), urlOpener_(std::move(urlOpener)),
      onFinish_(std::move(onFinish)) {}

StreamingRemediationModel::~StreamingRemediationModel() {
    if (runTask_)
        runTask_->cancel();
    if (applyTask_)
        applyTask_->cancel();
}

void StreamingRemediationModel::start() {
    if (started_)
        return;
    started_ = true;
    runTask_ = WorkerTask::make();
    // A cancel that came first still ends the screen the one way: through the run's end.
    if (canceledByUser_)
        runTask_->cancel();
    QPointer<StreamingRemediationModel> self(this);
    std::weak_ptr<WorkerTask> weak = runTask_;
    WorkerTask::launch(runTask_, [remediation = remediation_, fs = fs_, workers = workers_, self,
                                  weak](WorkerTask& task) {
        StreamingRemediationRun(remediation, fs, workers, self, weak, task).run();
    });
}

StreamingRemediationModel::Row StreamingRemediationModel::row() const {
    if (canceledByUser_)
        return Row::canceling;
    // Nothing is offered before the run has returned: a first phase's 0 is not the end.
    if (!runEnded_ || !exitCode_)
        return Row::running;
    if (*exitCode_ != 0)
        return Row::failed;
    if (zshrcPreview_ && !zshrcApplied_)
        return Row::awaitingZshrc;
    return Row::succeeded;
}

QString StreamingRemediationModel::statusText() const {
    switch (row()) {
    case Row::running:
        return QStringLiteral("Running…");
    case Row::canceling:
        return QStringLiteral("Canceling…");
    default:
        return {};
    }
}

QString StreamingRemediationModel::successButtonTitle() const {
    if (remediation_.as<R::InstallWarpViaBrew>() || remediation_.as<R::InstallHomebrewThenWarp>() ||
        remediation_.as<R::InstallHomebrew>())
        return QStringLiteral("Continue");
    return QStringLiteral("Continue to verify");
}

QString StreamingRemediationModel::failureMessage() const {
    return failureMessage(exitCode_.value_or(1));
}

QString StreamingRemediationModel::zshrcPromptText() const {
    if (!zshrcPreview_)
        return {};
    return QStringLiteral("One more thing: we need to append to `") +
           markdownLiteral(zshrcPreview_->path) +
           QStringLiteral("` so JAVA_HOME gets set in fresh shells.");
}

QString StreamingRemediationModel::zshrcBackupText() const {
    if (!zshrcPreview_)
        return {};
    return QStringLiteral("Backup: `") + markdownLiteral(zshrcPreview_->backupPath) + u'`';
}

void StreamingRemediationModel::cancel() {
    if (finished_ || runEnded_ || canceledByUser_)
        return;
    canceledByUser_ = true;
    if (runTask_)
        runTask_->cancel();
    Q_EMIT changed();
}

void StreamingRemediationModel::applyZshrcChange() {
    if (finished_ || row() != Row::awaitingZshrc || applyTask_)
        return;
    struct Result {
        std::optional<QString> error;
        ZshrcPreparation fresh;
    };
    const FileAppendWriter::DiffPreview preview = *zshrcPreview_;
    applyTask_ = runInBackground(
        this,
        [preview, fs = fs_, workers = workers_, source = zshrcSource_](WorkerTask&) {
            Result result;
            try {
                FileAppendWriter(preview.path, fs, ProductConfig::current().shellMarker())
                    .apply(preview);
            } catch (const Error& error) {
                result.error = error.description();
                // The file may have changed since it was shown; what is offered next must
                // be made from what is there now.
                result.fresh = prepareZshrc(*workers, fs, source);
            }
            return result;
        },
        [this, preview](Result result) {
            applyTask_.reset();
            if (!result.error) {
                zshrcApplied_ = true;
                lines_ << QStringLiteral("Updated ") + preview.path +
                              QStringLiteral(". Backup at ") + preview.backupPath + u'.';
            } else {
                zshrcError_ = result.error;
                // A file that cannot be read now keeps the change on screen with its error,
                // so the user retries or skips it: a write that failed is never a success.
                zshrcPreview_ =
                    result.fresh.preview
                        ? result.fresh.preview
                        : (result.fresh.readError ? std::optional(preview) : std::nullopt);
                if (!zshrcPreview_)
                    lines_ << *result.error;
                if (result.fresh.readError)
                    lines_ << *result.fresh.readError;
            }
            Q_EMIT changed();
        });
    Q_EMIT changed();
}

void StreamingRemediationModel::skipZshrcChange() {
    if (finished_ || row() != Row::awaitingZshrc || applyTask_)
        return;
    zshrcPreview_.reset();
    lines_ << QStringLiteral("Skipped ~/.zshrc edit. JAVA_HOME may stay unset in fresh shells "
                             "until you add the line manually.");
    Q_EMIT changed();
}

void StreamingRemediationModel::finishSuccess() {
    if (row() == Row::succeeded)
        finish(RemediationOutcome::success(successMessage()));
}

void StreamingRemediationModel::finishFailure() {
    if (row() == Row::failed)
        finish(RemediationOutcome::failure(failureMessage()));
}

void StreamingRemediationModel::openArticle() {
    if (urlOpener_)
        urlOpener_->open(ProductConfig::current().urls.installMethods);
}

void StreamingRemediationModel::appendLine(const QString& line) {
    if (finished_ || canceledByUser_)
        return;
    lines_ << line;
    Q_EMIT linesAdded();
}

void StreamingRemediationModel::setExitCode(std::optional<qint32> code) {
    if (finished_ || canceledByUser_)
        return;
    exitCode_ = code;
    Q_EMIT changed();
}

void StreamingRemediationModel::markCanceledByRunner() {
    if (finished_ || canceledByUser_)
        return;
    canceledByUser_ = true;
    Q_EMIT changed();
}

void StreamingRemediationModel::offerZshrcChange(const FileAppendWriter::DiffPreview& preview,
                                                 ZshrcSource source) {
    if (finished_ || canceledByUser_)
        return;
    zshrcPreview_ = preview;
    zshrcSource_ = source;
    Q_EMIT changed();
}

void StreamingRemediationModel::runEnded() {
    if (runEnded_)
        return;
    runEnded_ = true;
    emitTerminalEventIfNeeded();
    if (canceledByUser_) {
        Q_EMIT changed();
        finish(RemediationOutcome::canceled());
        return;
    }
    // A run that ended without a code failed, as its usage event says; Close reports it.
    if (!exitCode_)
        exitCode_ = 1;
    Q_EMIT changed();
}

void StreamingRemediationModel::finish(const RemediationOutcome& outcome) {
    if (finished_)
        return;
    finished_ = true;
    if (onFinish_)
        onFinish_(outcome);
}

void StreamingRemediationModel::emitTerminalEventIfNeeded() {
    if (didEmitTerminalEvent_)
        return;
    didEmitTerminalEvent_ = true;
    if (canceledByUser_) {
        sendUsageEvent(
            {QStringLiteral("remediation_canceled"),
             {{QStringLiteral("remediation_id"), telemetryRemediationID(remediation_)}}});
    } else if (!exitCode_) {
        sendUsageEvent(javaRemediationFailedEvent(
            remediation_, 1, QStringLiteral("process ended without exit code")));
    } else if (*exitCode_ == 0) {
        trackRemediationCompleted(remediation_, 0);
    } else {
        sendUsageEvent(javaRemediationFailedEvent(
            remediation_, *exitCode_, QStringLiteral("exit code ") + QString::number(*exitCode_)));
    }
}

QString StreamingRemediationModel::failureMessage(qint32 exitCode) {
    return QStringLiteral("Install failed (exit code ") + QString::number(exitCode) +
           QStringLiteral("). The article at [Lumbrook](") +
           ProductConfig::current().urls.troubleshooting.toString(QUrl::FullyEncoded) +
           QStringLiteral(") may help.");
}

std::optional<JDKInfo> StreamingRemediationModel::jdkToRegister(const QList<JDKInfo>& jdks,
                                                                qint64 major) {
    const QString number = QString::number(major);
    for (const JDKInfo& jdk : jdks) {
        if (jdk.version == number || jdk.version.startsWith(number + u'.') ||
            jdk.path.contains(QStringLiteral("temurin-") + number))
            return jdk;
    }
    if (jdks.isEmpty())
        return std::nullopt;
    return jdks.first();
}

QString StreamingRemediationModel::downloadLine(qint64 bytesReceived,
                                                std::optional<qint64> totalBytes) {
    constexpr double kMegabyte = 1048576.0;
    const double received = double(bytesReceived) / kMegabyte;
    // asprintf formats as the C locale does, whatever the user's locale.
    if (!totalBytes || *totalBytes < 1)
        return QString::asprintf("Downloaded %.1f MB", received);
    return QString::asprintf("Downloaded %.1f MB of %.1f MB", received,
                             double(*totalBytes) / kMegabyte);
}

QString StreamingRemediationModel::title(const Remediation& remediation) {
    return std::visit(
        Overloaded{
            [](const R::InstallTemurinViaBrew&) {
                return QStringLiteral("Installing Temurin via Homebrew");
            },
            [](const R::InstallViaSDKMAN&) {
                return QStringLiteral("Installing Temurin via SDKMAN");
            },
            [](const R::InstallViaMise&) { return QStringLiteral("Installing Temurin via Mise"); },
            [](const R::InstallViaPKG& r) {
                return QStringLiteral("Installing Temurin ") + QString::number(r.version) +
                       QStringLiteral(" (direct PKG)");
            },
            [](const R::InstallViaPKGThenJEnv& r) {
                return QStringLiteral("Installing Temurin ") + QString::number(r.version) +
                       QStringLiteral(" and registering with jEnv");
            },
            [](const R::WriteJavaHomeToZprofile&) { return QStringLiteral("Set JAVA_HOME"); },
            [](const R::SetJavaHomeViaSDKMAN&) {
                return QStringLiteral("Setting JAVA_HOME via SDKMAN");
            },
            [](const R::SetJavaHomeViaMise&) {
                return QStringLiteral("Setting JAVA_HOME via Mise");
            },
            [](const R::SetJavaHomeViaJenv&) {
                return QStringLiteral("Setting JAVA_HOME via jEnv");
            },
            [](const R::KeepCurrentLegacyJava&) {
                return QStringLiteral("Set JAVA_HOME to current Java");
            },
            [](const R::InstallHomebrewThenTemurin&) {
                return QStringLiteral("Installing Homebrew + Temurin");
            },
            [](const R::InstallWarpViaBrew&) {
                return QStringLiteral("Installing Warp via Homebrew");
            },
            [](const R::InstallHomebrewThenWarp&) {
                return QStringLiteral("Installing Homebrew + Warp");
            },
            [](const R::InstallHomebrew&) { return QStringLiteral("Installing Homebrew"); },
        },
        remediation.value());
}

QString StreamingRemediationModel::subtitle(const Remediation& remediation) {
    return std::visit(
        Overloaded{
            [](const R::InstallTemurinViaBrew&) {
                return QStringLiteral("macOS will ask for your password so brew can install "
                                      "Temurin to /Library/Java/JavaVirtualMachines/.");
            },
            [](const R::InstallViaSDKMAN&) {
                return QStringLiteral("Running `sdk install java <X>-tem` via your login zsh.");
            },
            [](const R::InstallViaMise&) {
                return QStringLiteral("Running `mise install java@temurin-<X>` and `mise use -g`.");
            },
            [](const R::InstallViaPKG&) {
                return QStringLiteral("We'll download the Temurin installer from Adoptium, verify "
                                      "its checksum, and ask macOS for permission to install.");
            },
            [](const R::InstallViaPKGThenJEnv&) {
                return QStringLiteral("PKG install first, then `jenv add` and `jenv global`. macOS "
                                      "will ask for your password for the installer step.");
            },
            [](const R::WriteJavaHomeToZprofile&) { return QString(); },
            [](const R::SetJavaHomeViaSDKMAN&) {
                return QStringLiteral("Running `sdk default java <X>-tem`.");
            },
            [](const R::SetJavaHomeViaMise&) {
                return QStringLiteral("Running `mise use -g java@temurin-<X>` and ensuring "
                                      "`~/.zshrc` activates Mise.");
            },
            [](const R::SetJavaHomeViaJenv&) {
                return QStringLiteral(
                    "Enabling jEnv's export plugin and registering your Java installation.");
            },
            [](const R::KeepCurrentLegacyJava&) { return QString(); },
            [](const R::InstallHomebrewThenTemurin&) {
                return QStringLiteral("Two phases: install Homebrew first (with Xcode Command Line "
                                      "Tools as a side-effect if needed), then install Temurin via "
                                      "Homebrew.");
            },
            [](const R::InstallWarpViaBrew&) {
                return QStringLiteral("Homebrew will install Warp to /Applications/.");
            },
            [](const R::InstallHomebrewThenWarp&) {
                return QStringLiteral("Two phases: install Homebrew first (macOS will ask for your "
                                      "password), then install Warp via Homebrew.");
            },
            [](const R::InstallHomebrew&) {
                return QStringLiteral("Running the official Homebrew install script. macOS will "
                                      "ask for your password; if Xcode Command Line Tools aren't "
                                      "installed, a separate Apple dialog will appear during "
                                      "install.");
            },
        },
        remediation.value());
}

QString StreamingRemediationModel::successMessage(const Remediation& remediation) {
    return std::visit(
        Overloaded{
            [](const R::InstallTemurinViaBrew&) { return QStringLiteral("Temurin installed."); },
            [](const R::InstallViaSDKMAN&) {
                return QStringLiteral("Installed Temurin via SDKMAN.");
            },
            [](const R::InstallViaMise&) { return QStringLiteral("Installed Temurin via Mise."); },
            [](const R::InstallViaPKG&) { return QStringLiteral("Temurin installed."); },
            [](const R::InstallViaPKGThenJEnv&) { return QStringLiteral("Temurin installed."); },
            [](const R::WriteJavaHomeToZprofile&) {
                return QStringLiteral("JAVA_HOME set in ~/.zprofile.");
            },
            [](const R::SetJavaHomeViaSDKMAN&) {
                return QStringLiteral("Set the SDKMAN default Java.");
            },
            [](const R::SetJavaHomeViaMise&) {
                return QStringLiteral("Configured Mise to set JAVA_HOME.");
            },
            [](const R::SetJavaHomeViaJenv&) {
                return QStringLiteral("Configured jEnv to set JAVA_HOME.");
            },
            [](const R::KeepCurrentLegacyJava&) {
                return QStringLiteral("JAVA_HOME set to your current Java in ~/.zprofile.");
            },
            [](const R::InstallHomebrewThenTemurin&) {
                return QStringLiteral("Homebrew + Temurin installed.");
            },
            [](const R::InstallWarpViaBrew&) { return QStringLiteral("Warp installed."); },
            [](const R::InstallHomebrewThenWarp&) {
                return QStringLiteral("Homebrew + Warp installed.");
            },
            [](const R::InstallHomebrew&) { return QStringLiteral("Homebrew installed."); },
        },
        remediation.value());
}

} // namespace tovr
