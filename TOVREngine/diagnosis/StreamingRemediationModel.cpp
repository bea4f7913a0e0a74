#include "diagnosis/StreamingRemediationModel.h"

#include "model/ProductConfig.h"
#include "model/RemediationWording.h"
#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/Overloaded.h"
#include "platform/ReleaseOnWorker.h"
#include "platform/WorkerTask.h"
#include "telemetry/UsageEvent.h"
#include "telemetry/UsageEventCatalogue.h"
#include "ui/BackgroundCall.h"
#include "ui/MarkdownLiteral.h"

#include <QPointer>

namespace tovr {

namespace {

using R = Remediation;

} // namespace

StreamingRemediationModel::StreamingRemediationModel(
    Remediation remediation, std::shared_ptr<FileSystemOperating> fs,
    std::shared_ptr<RemediationWorkers> workers, std::shared_ptr<URLOpening> urlOpener,
    std::function<void(const RemediationOutcome&)> onFinish, QObject* parent)
    : QObject(parent), remediation_(std::move(remediation)), fs_(std::move(fs)),
      workers_(std::move(workers)), urlOpener_(std::move(urlOpener)),
      onFinish_(std::move(onFinish)) {}

StreamingRemediationModel::StreamingRemediationModel(
    Remediation remediation, const AppServices& services,
    std::shared_ptr<RemediationWorkers> workers, std::shared_ptr<URLOpening> urlOpener,
    std::function<void(const RemediationOutcome&)> onFinish, QObject* parent)
    : StreamingRemediationModel(std::move(remediation), services.fs,
                                workers ? std::move(workers) : liveRemediationWorkers(services),
                                std::move(urlOpener), std::move(onFinish), parent) {}

StreamingRemediationModel::~StreamingRemediationModel() {
    run_.reset();
    if (applyTask_)
        applyTask_->cancel();
    releaseOnWorker(std::move(lines_));
}

void StreamingRemediationModel::start() {
    if (std::exchange(started_, true))
        return;
    using Run = StreamingRemediationRun::Run;
    Run::Handlers handlers;
    handlers.items = [this](std::vector<Item>& items) { take(items); };
    handlers.delivered = [this] {
        if (std::exchange(linesToAnnounce_, false))
            Q_EMIT linesAdded();
    };
    // The end comes even after a cancel: it is what ends a canceled screen.
    handlers.ended = [this](Run::End) { runEnded(); };
    run_ = std::make_unique<Run>(StreamingRemediationRun::steps(remediation_, fs_, workers_),
                                 Run::OnFailure::stop, std::move(handlers));
    // A cancel that came first still ends the screen the one way: through the run's end.
    if (canceledByUser_)
        run_->cancel();
    run_->start();
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
    return RemediationWording::failureMessage(exitCode_.value_or(1));
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
    if (run_)
        run_->cancel();
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
    const QString shown = shownFromHome(*fs_, zshrcPreview_->path);
    zshrcPreview_.reset();
    lines_ << QStringLiteral("Skipped ") + shown +
                  QStringLiteral(" edit. JAVA_HOME may stay unset in fresh shells until you add "
                                 "the line manually.");
    Q_EMIT changed();
}

void StreamingRemediationModel::followLocations(QPointer<ToolLocationsState> known) {
    known_ = std::move(known);
    if (known_)
        connect(known_, &ToolLocationsState::changed, this, &StreamingRemediationModel::changed);
}

QString StreamingRemediationModel::namingFiles(const QString& text) const {
    if (!fs_ || !workers_)
        return text;
    if (known_)
        return namingStartupFiles(*fs_, known_->value(), text);
    const auto source = workers_->toolLocations();
    return namingStartupFiles(*fs_, source ? source->ifRead() : std::optional(ToolLocations{}),
                              text);
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

void StreamingRemediationModel::take(std::vector<Item>& items) {
    bool changes = false;
    for (Item& item : items) {
        if (finished_ || canceledByUser_)
            break;
        std::visit(Overloaded{
                       [&](Item::Line& line) {
                           lines_ << std::move(line.text);
                           linesToAnnounce_ = true;
                       },
                       [&](Item::Exit& exit) {
                           exitCode_ = exit.code;
                           changes = true;
                       },
                       [&](Item::RunnerCanceled&) {
                           canceledByUser_ = true;
                           changes = true;
                       },
                       [&](Item::ZshrcOffer& offer) {
                           zshrcPreview_ = std::move(offer.preview);
                           zshrcSource_ = offer.source;
                           changes = true;
                       },
                   },
                   item.value);
    }
    if (changes)
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

QString StreamingRemediationModel::lineIdentifier(const QString& line) {
    return line.contains(QStringLiteral("Retrying with `brew reinstall"))
               ? QStringLiteral("remediation-retry-line")
               : QString();
}

} // namespace tovr
