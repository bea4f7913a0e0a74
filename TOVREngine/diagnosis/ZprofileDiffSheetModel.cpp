#include "diagnosis/ZprofileDiffSheetModel.h"

#include "model/ProductConfig.h"

#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/LineSplitter.h"
#include "platform/StartupFile.h"
#include "services/ZprofileWriter.h"
#include "telemetry/UsageEvent.h"
#include "telemetry/UsageEventCatalogue.h"
#include "ui/BackgroundCall.h"
#include "ui/MarkdownLiteral.h"

#include <QSet>

namespace tovr {

ZprofileDiffSheetModel::ZprofileDiffSheetModel(
    Remediation remediation, std::shared_ptr<FileSystemOperating> fs,
    std::function<void(const RemediationOutcome&)> onFinish, QObject* parent,
    std::shared_ptr<ToolLocationsSource> locations, QPointer<ToolLocationsState> known)
    : QObject(parent), remediation_(std::move(remediation)), fs_(std::move(fs)),
      locations_(std::move(locations)), known_(std::move(known)), onFinish_(std::move(onFinish)) {
    if (known_)
        connect(known_, &ToolLocationsState::changed, this, &ZprofileDiffSheetModel::changed);
}

ZprofileDiffSheetModel::~ZprofileDiffSheetModel() {
    if (loadTask_)
        loadTask_->cancel();
    if (applyTask_)
        applyTask_->cancel();
}

namespace {

StartupFile zprofileIn(const ToolLocations& locations, const FileSystemOperating& fs) {
    return StartupFile::of(fs, locations, QStringLiteral(".zprofile"));
}

} // namespace

QString ZprofileDiffSheetModel::shownFile() const {
    if (preview_)
        return shownFromHome(*fs_, preview_->path);
    // Never waits for the login shell: until it has answered, the usual name.
    return zprofileIn(knownLocations().value_or(ToolLocations{}), *fs_).shown;
}

std::optional<ToolLocations> ZprofileDiffSheetModel::knownLocations() const {
    if (known_)
        return known_->value();
    return locations_ ? locations_->ifRead() : std::optional(ToolLocations{});
}

void ZprofileDiffSheetModel::loadPreview() {
    if (preview_ || loadTask_ || finished_)
        return;
    struct Loaded {
        std::optional<FileAppendWriter::DiffPreview> preview;
        QString error;
    };
    loadTask_ = runInBackground(
        this,
        [fs = fs_, locations = locations_,
         marker = ProductConfig::current().shellMarker()](WorkerTask&) {
            const StartupFile file = zprofileIn(toolLocationsOf(locations), *fs);
            if (!file.path)
                return Loaded{{}, file.untold};
            const QString& path = *file.path;
            try {
                return Loaded{
                    ZprofileWriter{FileAppendWriter(path, fs, marker)}.previewJavaHome(true), {}};
            } catch (const Error& error) {
                // An unreadable file is never taken for an empty one.
                return Loaded{{},
                              QStringLiteral("Couldn't read ") + shownFromHome(*fs, path) +
                                  QStringLiteral(": ") + error.description()};
            }
        },
        [this](Loaded loaded) {
            loadTask_.reset();
            if (loaded.preview) {
                preview_ = std::move(loaded.preview);
                loadError_.reset();
            } else {
                loadError_ = loaded.error;
            }
            Q_EMIT changed();
        });
}

ZprofileDiffSheetModel::State ZprofileDiffSheetModel::state() const {
    if (applyError_)
        return State::applyFailed;
    if (didApply_)
        return State::applied;
    if (preview_)
        return preview_->alreadySet ? State::alreadySet : State::review;
    if (loadError_)
        return State::loadFailed;
    return State::loading;
}

void ZprofileDiffSheetModel::setShowFullFile(bool full) {
    if (showFullFile_ == full)
        return;
    showFullFile_ = full;
    Q_EMIT changed();
}

QList<ZprofileDiffSheetModel::ListingRow> ZprofileDiffSheetModel::listing() const {
    if (!preview_)
        return {};
    if (showFullFile_)
        return diffLines(*preview_);
    QList<ListingRow> rows;
    for (const QString& line : preview_->linesAdded)
        rows.append({QStringLiteral("+ ") + line, true});
    return rows;
}

QList<ZprofileDiffSheetModel::ListingRow>
ZprofileDiffSheetModel::diffLines(const FileAppendWriter::DiffPreview& preview) {
    const QStringList old = splitTextLines(preview.originalContents);
    const QSet<QString> known(old.begin(), old.end());
    QList<ListingRow> rows;
    for (const QString& line : splitTextLines(preview.proposedContents)) {
        if (known.contains(line))
            rows.append({QStringLiteral("  ") + line, false});
        else
            rows.append({QStringLiteral("+ ") + line, true});
    }
    return rows;
}

QString ZprofileDiffSheetModel::titleText() const {
    return QStringLiteral("Set `JAVA_HOME` in `") + markdownLiteral(shownFile()) + u'`';
}

QString ZprofileDiffSheetModel::windowTitle() const {
    return QStringLiteral("Set JAVA_HOME in ") + shownFile();
}

QString ZprofileDiffSheetModel::readingText() const {
    return QStringLiteral("Reading ") + shownFile() + QStringLiteral("…");
}

QString ZprofileDiffSheetModel::explainerText() const {
    const QString text = QStringLiteral("Review the change before we write it. Your current file "
                                        "is backed up to `") +
                         markdownLiteral(shownFile()) + QStringLiteral(".bak`.");
    const QString note = unansweredShellNote(knownLocations(), QStringLiteral("/.zprofile"));
    return note.isEmpty() ? text : text + u' ' + note;
}

QString ZprofileDiffSheetModel::alreadySetText() const {
    return QStringLiteral("Your ") + markdownLiteral(shownFile()) +
           QStringLiteral(" already sets JAVA_HOME via `$(/usr/libexec/java_home)` — no changes "
                          "needed.");
}

QString ZprofileDiffSheetModel::createdText() const {
    return QStringLiteral("Creating `") + markdownLiteral(shownFile()) +
           QStringLiteral("` (didn't exist before).");
}

QString ZprofileDiffSheetModel::backupText() const {
    if (!preview_)
        return {};
    return QStringLiteral("Backup: `") + markdownLiteral(preview_->backupPath) + u'`';
}

void ZprofileDiffSheetModel::apply() {
    if (finished_ || state() != State::review || applyTask_)
        return;
    applyTask_ = runInBackground(
        this,
        [writer = FileAppendWriter(preview_->path, fs_, ProductConfig::current().shellMarker()),
         preview = *preview_](WorkerTask&) -> std::optional<QString> {
            try {
                // Refuses a preview of a file that changed since it was read.
                writer.apply(preview);
                return std::nullopt;
            } catch (const Error& error) {
                return error.description();
            }
        },
        [this](std::optional<QString> error) {
            applyTask_.reset();
            if (error)
                applyError_ = error;
            else
                didApply_ = true;
            if (!didEmitTerminalEvent_) {
                didEmitTerminalEvent_ = true;
                if (error)
                    sendUsageEvent(javaRemediationFailedEvent(remediation_, 1, *error));
                else
                    trackRemediationCompleted(remediation_, 0);
            }
            Q_EMIT changed();
        });
    Q_EMIT changed();
}

void ZprofileDiffSheetModel::finishApplied() {
    if (state() == State::applied)
        finish(RemediationOutcome::success(QStringLiteral("JAVA_HOME set in ") +
                                           markdownLiteral(shownFile()) + u'.'));
}

void ZprofileDiffSheetModel::finishAlreadySet() {
    if (finished_ || state() != State::alreadySet)
        return;
    if (!didEmitTerminalEvent_) {
        didEmitTerminalEvent_ = true;
        trackRemediationCompleted(remediation_, 0);
    }
    finish(RemediationOutcome::success(QStringLiteral("JAVA_HOME already set in ") +
                                       markdownLiteral(shownFile()) + u'.'));
}

void ZprofileDiffSheetModel::finishApplyFailed() {
    if (state() == State::applyFailed)
        finish(RemediationOutcome::failure(markdownLiteral(*applyError_)));
}

void ZprofileDiffSheetModel::cancel() {
    // A write under way is not abandoned half-seen: its outcome is shown first.
    if (finished_ || applyTask_ || didApply_ || applyError_)
        return;
    if (loadTask_) {
        loadTask_->cancel();
        loadTask_.reset();
    }
    if (!didEmitTerminalEvent_) {
        didEmitTerminalEvent_ = true;
        sendUsageEvent(
            {QStringLiteral("remediation_canceled"),
             {{QStringLiteral("remediation_id"), telemetryRemediationID(remediation_)}}});
    }
    finish(RemediationOutcome::canceled());
}

void ZprofileDiffSheetModel::finish(const RemediationOutcome& outcome) {
    if (finished_)
        return;
    finished_ = true;
    Q_EMIT changed();
    if (onFinish_)
        onFinish_(outcome);
}

} // namespace tovr
