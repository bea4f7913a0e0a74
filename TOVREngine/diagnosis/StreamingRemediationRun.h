#pragma once

#include "diagnosis/RemediationWorkers.h"
#include "diagnosis/StreamingRemediationModel.h"
#include "model/Remediation.h"
#include "platform/FileAppendWriter.h"
#include "platform/GuiThreadDelivery.h"
#include "platform/WorkerTask.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// A proposed ~/.zshrc change, or why none could be made.
struct ZshrcPreparation {
    std::optional<FileAppendWriter::DiffPreview> preview;
    std::optional<QString> readError;
};

// Asks the version manager which lines ~/.zshrc lacks and builds the change; writes
// nothing. An unreadable file gives no change, so its contents are never replaced.
ZshrcPreparation prepareZshrc(const RemediationWorkers& workers,
                              const std::shared_ptr<FileSystemOperating>& fs,
                              StreamingRemediationModel::ZshrcSource source);

// One run of a remediation on its worker thread: the blocking steps in order, each change
// posted to the model. Nothing new starts once the task is canceled.
class StreamingRemediationRun {
public:
    StreamingRemediationRun(Remediation remediation, std::shared_ptr<FileSystemOperating> fs,
                            std::shared_ptr<RemediationWorkers> workers,
                            QPointer<StreamingRemediationModel> model,
                            std::weak_ptr<WorkerTask> weakTask, WorkerTask& task);

    void run();

private:
    using ZshrcSource = StreamingRemediationModel::ZshrcSource;

    void dispatch();
    bool stopped() const;

    void runBrewInstall(const QString& cask, const QString& prompt);
    void runHomebrewInstall();
    // Only after a Homebrew phase that ended with 0, and never after a cancel.
    void runSecondPhase(const QString& cask, const QString& prompt, const QString& announcement);
    void runSDKMAN(const QStringList& words, const QString& announcement);
    template <class Start> void runMise(const QString& announcement, Start start);
    void runJEnvRegister(const QString& jdkPath, qint64 major);
    qint32 runPKGPhase(qint64 major);
    void runPKGThenJEnv(qint64 major);
    void offerZshrcChangeAfterSuccess(ZshrcSource source);

    // Starts one runner's stream, unless the run was stopped, and records its events.
    template <class Start> void consume(Start start);

    void line(const QString& text);
    void setExit(std::optional<qint32> code);
    // The runner itself gave up (a refused password, a closed password dialog).
    void markCanceled();
    // Queued to the GUI thread; dropped there when the model is gone or, unless
    // `afterCancel` says deliver, when the user canceled the run.
    void post(std::function<void(StreamingRemediationModel&)> change,
              AfterCancel afterCancel = AfterCancel::drop) const;

    Remediation remediation_;
    std::shared_ptr<FileSystemOperating> fs_;
    std::shared_ptr<RemediationWorkers> workers_;
    QPointer<StreamingRemediationModel> model_;
    std::weak_ptr<WorkerTask> weakTask_;
    WorkerTask& task_;
    std::optional<qint32> exitCode_;
    bool canceled_ = false;
};

} // namespace tovr
