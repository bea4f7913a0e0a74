#pragma once

#include "diagnosis/RemediationOutcome.h"
#include "diagnosis/StreamingRemediationRun.h"
#include "model/Remediation.h"
#include "model/RemediationWording.h"
#include "platform/FileAppendWriter.h"
#include "platform/URLOpening.h"
#include "platform/WorkerTask.h"
#include "services/RemediationWorkers.h"
#include "ui/ToolLocationsState.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// Runs one remediation (every case but the two ~/.zprofile ones) while the user watches:
// its phases are the steps of a StepRun, their lines, exit code and cancel reach this model
// in batches, and the screen ends with one outcome through `onFinish`. Used on the GUI
// thread only.
class StreamingRemediationModel : public QObject {
    Q_OBJECT
public:
    // The controls row, a function of the state below.
    enum class Row { running, canceling, awaitingZshrc, succeeded, failed };

    StreamingRemediationModel(Remediation remediation, std::shared_ptr<FileSystemOperating> fs,
                              std::shared_ptr<RemediationWorkers> workers,
                              std::shared_ptr<URLOpening> urlOpener,
                              std::function<void(const RemediationOutcome&)> onFinish,
                              QObject* parent = nullptr);
    // On the services' file system, with their live workers unless `workers` replaces them.
    StreamingRemediationModel(Remediation remediation, const AppServices& services,
                              std::shared_ptr<RemediationWorkers> workers,
                              std::shared_ptr<URLOpening> urlOpener,
                              std::function<void(const RemediationOutcome&)> onFinish,
                              QObject* parent = nullptr);
    ~StreamingRemediationModel() override;

    // Its texts name the user's files as the window knows them, with this model's signal.
    void followLocations(QPointer<ToolLocationsState> known);

    // Starts the run; once.
    void start();

    const Remediation& remediation() const { return remediation_; }
    const QStringList& lines() const { return lines_; }
    std::optional<qint32> exitCode() const { return exitCode_; }
    bool canceledByUser() const { return canceledByUser_; }
    bool hasRunEnded() const { return runEnded_; }
    bool isFinished() const { return finished_; }
    const std::optional<FileAppendWriter::DiffPreview>& zshrcPreview() const {
        return zshrcPreview_;
    }
    bool zshrcApplied() const { return zshrcApplied_; }
    const std::optional<QString>& zshrcError() const { return zshrcError_; }
    bool isApplyingZshrc() const { return applyTask_ != nullptr; }

    Row row() const;
    QString title() const { return RemediationWording::title(remediation_); }
    QString subtitle() const { return namingFiles(RemediationWording::subtitle(remediation_)); }
    // "Running…" or "Canceling…" while the row shows progress.
    QString statusText() const;
    QString successButtonTitle() const;
    QString successMessage() const {
        return namingFiles(RemediationWording::successMessage(remediation_));
    }
    // Markdown: names the troubleshooting article.
    QString failureMessage() const;
    // Markdown texts of the ~/.zshrc prompt for the preview on screen.
    QString zshrcPromptText() const;
    QString zshrcBackupText() const;
    QString applyZshrcTitle() const { return namingFiles(QStringLiteral("Apply ~/.zshrc change")); }

    // The buttons. Each acts only in the row it is drawn in, and the screen reports at most
    // one outcome.
    void cancel();
    void applyZshrcChange();
    void skipZshrcChange();
    void finishSuccess();
    void finishFailure();
    void openArticle();

    // The JDK a fresh package install is registered with jEnv as: the first whose version
    // is `major` or starts "<major>.", or whose path holds "temurin-<major>"; else the first.
    static std::optional<JDKInfo> jdkToRegister(const QList<JDKInfo>& jdks, qint64 major);
    // One download progress line; sizes in units of 2^20 bytes.
    static QString downloadLine(qint64 bytesReceived, std::optional<qint64> totalBytes);
    // The identifier of a log line's row: "remediation-retry-line" for the Homebrew worker's
    // reinstall retry notice, else empty.
    static QString lineIdentifier(const QString& line);

    static constexpr const char* kTemurinPrompt =
        "Enter Mac password to install Temurin to /Library/Java/JavaVirtualMachines/";

    using ZshrcSource = tovr::ZshrcSource;

Q_SIGNALS:
    void changed();
    // `lines` grew; the log takes the new ones at its own pace.
    void linesAdded();

private:
    using Item = StreamingRemediationRun::Item;

    // What the run reports, a batch at a time; dropped once the user canceled.
    void take(std::vector<Item>& items);
    void runEnded();

    void finish(const RemediationOutcome& outcome);
    // `text` naming zsh's start-up files where the user's login shell reads them.
    QString namingFiles(const QString& text) const;
    QPointer<ToolLocationsState> known_;
    void emitTerminalEventIfNeeded();

    Remediation remediation_;
    std::shared_ptr<FileSystemOperating> fs_;
    std::shared_ptr<RemediationWorkers> workers_;
    std::shared_ptr<URLOpening> urlOpener_;
    std::function<void(const RemediationOutcome&)> onFinish_;

    QStringList lines_;
    std::optional<qint32> exitCode_;
    bool canceledByUser_ = false;
    bool started_ = false;
    bool runEnded_ = false;
    bool finished_ = false;
    bool didEmitTerminalEvent_ = false;
    std::optional<FileAppendWriter::DiffPreview> zshrcPreview_;
    ZshrcSource zshrcSource_ = ZshrcSource::mise;
    bool zshrcApplied_ = false;
    std::optional<QString> zshrcError_;

    std::unique_ptr<StreamingRemediationRun::Run> run_;
    bool linesToAnnounce_ = false;
    std::shared_ptr<WorkerTask> applyTask_;
};

} // namespace tovr
