#pragma once

#include "diagnosis/RemediationOutcome.h"
#include "model/Remediation.h"
#include "platform/FileAppendWriter.h"
#include "platform/ToolLocations.h"
#include "platform/WorkerTask.h"
#include "ui/ToolLocationsState.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// The review of the JAVA_HOME block for ~/.zprofile: loads the proposed change, shows it,
// writes it with a backup only on Apply, and reports one outcome through `onFinish`. The
// file is read and written on a worker thread. Used on the GUI thread only.
class ZprofileDiffSheetModel : public QObject {
    Q_OBJECT
public:
    enum class State { loading, loadFailed, review, alreadySet, applied, applyFailed };

    // One row of the listing: its text ("+ " or two spaces first) and whether it is added.
    struct ListingRow {
        QString text;
        bool added = false;
        bool operator==(const ListingRow&) const = default;
    };

    // `locations` says where zsh's start-up files are (null: the home folder); the texts
    // follow `known`, the window's knowledge of them, with this model's change signal.
    ZprofileDiffSheetModel(Remediation remediation, std::shared_ptr<FileSystemOperating> fs,
                           std::function<void(const RemediationOutcome&)> onFinish,
                           QObject* parent = nullptr,
                           std::shared_ptr<ToolLocationsSource> locations = nullptr,
                           QPointer<ToolLocationsState> known = nullptr);
    ~ZprofileDiffSheetModel() override;

    // Loads the preview, unless one is already shown.
    void loadPreview();

    State state() const;
    const std::optional<FileAppendWriter::DiffPreview>& preview() const { return preview_; }
    const std::optional<QString>& loadError() const { return loadError_; }
    const std::optional<QString>& applyError() const { return applyError_; }
    bool didApply() const { return didApply_; }
    bool isApplying() const { return applyTask_ != nullptr; }
    bool isFinished() const { return finished_; }
    bool showFullFile() const { return showFullFile_; }
    void setShowFullFile(bool full);
    // What the listing shows in the current mode.
    QList<ListingRow> listing() const;

    // Markdown texts; they name the file as the user reads it once it is known.
    QString titleText() const;
    // Plain texts: the sheet's window title and the line beside the spinner while it reads.
    QString windowTitle() const;
    QString readingText() const;
    QString explainerText() const;
    QString alreadySetText() const;
    QString createdText() const;
    QString backupText() const;

    // The buttons; each acts only in the state it is drawn in.
    void apply();
    void finishApplied();
    void finishAlreadySet();
    void finishApplyFailed();
    void cancel();

    // The whole proposed file; a line counts as unchanged when the old file holds it
    // anywhere. Blank lines are not listed.
    static QList<ListingRow> diffLines(const FileAppendWriter::DiffPreview& preview);

Q_SIGNALS:
    void changed();

private:
    // The file's path shown from the home folder.
    QString shownFile() const;
    std::optional<ToolLocations> knownLocations() const;
    void finish(const RemediationOutcome& outcome);

    Remediation remediation_;
    std::shared_ptr<FileSystemOperating> fs_;
    std::shared_ptr<ToolLocationsSource> locations_;
    QPointer<ToolLocationsState> known_;
    std::function<void(const RemediationOutcome&)> onFinish_;

    std::optional<FileAppendWriter::DiffPreview> preview_;
    std::optional<QString> loadError_;
    std::optional<QString> applyError_;
    bool didApply_ = false;
    bool showFullFile_ = false;
    bool didEmitTerminalEvent_ = false;
    bool finished_ = false;
    std::shared_ptr<WorkerTask> loadTask_;
    std::shared_ptr<WorkerTask> applyTask_;
};

} // namespace tovr
