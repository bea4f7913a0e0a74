#include "diagnosis/views/RemediationProgressDialog.h"

#include "diagnosis/StreamingRemediationModel.h"
#include "diagnosis/ZprofileDiffSheetModel.h"
#include "diagnosis/views/RemediationSheetParts.h"
#include "ui/views/ClickGuard.h"
#include "ui/views/KeyboardFocus.h"
#include "ui/views/LiveLogView.h"
#include "ui/views/MarkdownText.h"
#include "ui/views/ScreenScaffold.h"
#include "ui/views/Typography.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tovr {

namespace {

// The streaming face: header, live log, the ~/.zshrc prompt and the controls row.
class StreamingFace : public QWidget {
public:
    StreamingFace(StreamingRemediationModel* model, std::shared_ptr<URLOpening> opener,
                  std::shared_ptr<ClipboardWriting> clipboard, QWidget* parent)
        : QWidget(parent), model_(model) {
        setObjectName(QStringLiteral("remediation-progress"));
        auto* stack = new QVBoxLayout(this);
        stack->setContentsMargins(24, 24, 24, 24);
        stack->setSpacing(16);
        stack->addWidget(makeHeader(model->title(), model->subtitle(), opener, this));

        auto* logBox = makeTextBox(QStringLiteral("remediation-log-box"), this);
        auto* logLayout = new QVBoxLayout(logBox);
        logLayout->setContentsMargins(8, 8, 8, 8);
        log_ = new LiveLogView(QStringLiteral("Output"), std::move(clipboard), logBox);
        log_->setObjectName(QStringLiteral("remediation-log"));
        log_->setFrameShape(QFrame::NoFrame);
        log_->viewport()->setAutoFillBackground(false);
        applyTextStyle(log_, TextStyle::caption);
        applyMonospace(log_);
        log_->setSource(model, [model]() -> const QStringList& { return model->lines(); });
        log_->setRowIdentifier(&StreamingRemediationModel::lineIdentifier);
        // The run's lines come through linesAdded; the model's own notes with a change.
        connect(model, &StreamingRemediationModel::linesAdded, log_, &LiveLogView::linesAdded);
        connect(model, &StreamingRemediationModel::changed, log_, &LiveLogView::linesAdded);
        logLayout->addWidget(log_);
        stack->addWidget(logBox, 1);

        stack->addWidget(makePrompt(opener));
        stack->addLayout(makeControls());

        connect(cancel_, &QPushButton::clicked, model, &StreamingRemediationModel::cancel);
        connect(apply_, &QPushButton::clicked, model, &StreamingRemediationModel::applyZshrcChange);
        connect(skip_, &QPushButton::clicked, model, &StreamingRemediationModel::skipZshrcChange);
        connect(success_, &QPushButton::clicked, model, &StreamingRemediationModel::finishSuccess);
        connect(close_, &QPushButton::clicked, model, &StreamingRemediationModel::finishFailure);
        connect(article_, &QPushButton::clicked, model, &StreamingRemediationModel::openArticle);
        connect(model, &StreamingRemediationModel::changed, this, [this] { render(); });
        render();
    }

private:
    // The ~/.zshrc change offered after an install, with its lines and backup.
    QWidget* makePrompt(const std::shared_ptr<URLOpening>& opener) {
        prompt_ = new QWidget(this);
        auto* promptStack = new QVBoxLayout(prompt_);
        promptStack->setContentsMargins(0, 0, 0, 0);
        promptStack->setSpacing(6);
        promptText_ = makeMarkdownLabel({}, opener, TextStyle::footnote, prompt_);
        promptText_->setObjectName(QStringLiteral("zshrc-prompt"));
        applySecondaryStyle(promptText_);
        promptStack->addWidget(promptText_);
        auto* linesBox = makeTextBox(QStringLiteral("zshrc-lines-box"), prompt_);
        promptLines_ = new QVBoxLayout(linesBox);
        promptLines_->setContentsMargins(8, 8, 8, 8);
        promptLines_->setSpacing(2);
        promptStack->addWidget(linesBox);
        promptBackup_ = makeMarkdownLabel({}, opener, TextStyle::caption, prompt_);
        promptBackup_->setObjectName(QStringLiteral("zshrc-backup"));
        applySecondaryStyle(promptBackup_);
        promptStack->addWidget(promptBackup_);
        promptError_ = makeErrorLabel(prompt_);
        promptError_->setObjectName(QStringLiteral("zshrc-error"));
        promptStack->addWidget(promptError_);

        return prompt_;
    }

    // Spinner and status while working, then the buttons of each ending.
    QHBoxLayout* makeControls() {
        auto* row = new QHBoxLayout;
        spinner_ = makeSpinner(this, QStringLiteral("Working…"));
        row->addWidget(spinner_);
        status_ = makePlainLabel({}, TextStyle::footnote, this);
        status_->setWordWrap(false);
        status_->setObjectName(QStringLiteral("remediation-status"));
        applySecondaryStyle(status_);
        row->addWidget(status_);
        apply_ = makeButton(model_->applyZshrcTitle(), ButtonRole::prominent,
                            QStringLiteral("remediation-apply-zshrc"), this);
        row->addWidget(apply_);
        article_ = makeButton(QStringLiteral("Open the article"), ButtonRole::link,
                              QStringLiteral("remediation-open-article"), this);
        row->addWidget(article_);
        row->addStretch(1);
        cancel_ = makeButton(QStringLiteral("Cancel"), ButtonRole::bordered,
                             QStringLiteral("remediation-cancel"), this);
        SheetDialog::markCancelButton(cancel_);
        row->addWidget(cancel_);
        skip_ = makeButton(QStringLiteral("Skip"), ButtonRole::bordered,
                           QStringLiteral("remediation-skip-zshrc"), this);
        row->addWidget(skip_);
        close_ = makeButton(QStringLiteral("Close"), ButtonRole::bordered,
                            QStringLiteral("remediation-close"), this);
        row->addWidget(close_);
        success_ =
            makeButton({}, ButtonRole::prominent, QStringLiteral("remediation-continue"), this);
        row->addWidget(success_);
        return row;
    }

    using Row = StreamingRemediationModel::Row;

    void render() {
        const Row row = model_->row();
        if (row != shownRow_) {
            if (shownRow_) {
                guardAgainstSecondClick(this);
                focusFirstControl(this);
            }
            shownRow_ = row;
        }
        const bool working = row == Row::running || row == Row::canceling;
        const bool awaiting = row == Row::awaitingZshrc;
        spinner_->setVisible(working);
        status_->setVisible(working);
        status_->setText(model_->statusText());
        cancel_->setVisible(working);
        cancel_->setEnabled(row == Row::running);
        apply_->setVisible(awaiting);
        skip_->setVisible(awaiting);
        apply_->setEnabled(!model_->isApplyingZshrc());
        skip_->setEnabled(!model_->isApplyingZshrc());
        apply_->setDefault(awaiting);
        success_->setVisible(row == Row::succeeded);
        success_->setText(model_->successButtonTitle());
        success_->setDefault(row == Row::succeeded);
        article_->setVisible(row == Row::failed);
        close_->setVisible(row == Row::failed);

        const auto& preview = model_->zshrcPreview();
        prompt_->setVisible(preview && !model_->zshrcApplied());
        if (preview && preview->linesAdded != shownPromptLines_) {
            shownPromptLines_ = preview->linesAdded;
            QList<std::pair<QString, bool>> rows;
            for (const QString& line : preview->linesAdded)
                rows.append({QStringLiteral("+ ") + line, true});
            setRows(promptLines_, promptLines_->parentWidget(), rows);
            promptText_->setText(markdownToHtml(model_->zshrcPromptText()));
            promptBackup_->setText(markdownToHtml(model_->zshrcBackupText()));
        }
        promptError_->setVisible(model_->zshrcError().has_value());
        promptError_->setText(model_->zshrcError().value_or(QString()));
    }

    StreamingRemediationModel* model_;
    LiveLogView* log_ = nullptr;
    std::optional<Row> shownRow_;
    QWidget* prompt_ = nullptr;
    QLabel* promptText_ = nullptr;
    QVBoxLayout* promptLines_ = nullptr;
    QStringList shownPromptLines_;
    QLabel* promptBackup_ = nullptr;
    QLabel* promptError_ = nullptr;
    QProgressBar* spinner_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* skip_ = nullptr;
    QPushButton* success_ = nullptr;
    QPushButton* article_ = nullptr;
    QPushButton* close_ = nullptr;
};

// The review face: the JAVA_HOME block as a short diff, written only on Apply.
class ZprofileFace : public QWidget {
public:
    ZprofileFace(ZprofileDiffSheetModel* model, std::shared_ptr<URLOpening> opener, QWidget* parent)
        : QWidget(parent), model_(model), opener_(opener) {
        setObjectName(QStringLiteral("zprofile-review"));
        auto* stack = new QVBoxLayout(this);
        stack->setContentsMargins(24, 24, 24, 24);
        stack->setSpacing(16);
        shownTitle_ = model->titleText();
        header_ = makeHeader(shownTitle_, model->explainerText(), opener, this);
        stack->addWidget(header_);

        spinner_ = makeSpinner(this, model->readingText());
        stack->addWidget(spinner_, 0, Qt::AlignHCenter);
        loadError_ = makeErrorLabel(this);
        loadError_->setObjectName(QStringLiteral("zprofile-load-error"));
        stack->addWidget(loadError_);
        alreadySet_ = makeMarkdownLabel(model->alreadySetText(), opener, TextStyle::body, this);
        alreadySet_->setObjectName(QStringLiteral("zprofile-already-set"));
        stack->addWidget(alreadySet_);

        stack->addWidget(makeDiff(opener));
        stack->addStretch(1);
        addFooter(stack);

        // The choice follows the marked button, however it was marked.
        connect(fullFile_, &QPushButton::toggled, model,
                [model](bool full) { model->setShowFullFile(full); });
        connect(cancel_, &QPushButton::clicked, model, &ZprofileDiffSheetModel::cancel);
        connect(close_, &QPushButton::clicked, model, &ZprofileDiffSheetModel::finishApplyFailed);
        connect(apply_, &QPushButton::clicked, model, &ZprofileDiffSheetModel::apply);
        connect(continue_, &QPushButton::clicked, model, [model] {
            if (model->state() == ZprofileDiffSheetModel::State::alreadySet)
                model->finishAlreadySet();
            else
                model->finishApplied();
        });
        connect(model, &ZprofileDiffSheetModel::changed, this, [this] { render(); });
        render();
    }

private:
    // The change as a short diff or the full file, and where the backup goes.
    QWidget* makeDiff(const std::shared_ptr<URLOpening>& opener) {
        diff_ = new QWidget(this);
        auto* diffStack = new QVBoxLayout(diff_);
        diffStack->setContentsMargins(0, 0, 0, 0);
        diffStack->setSpacing(12);
        created_ = makeMarkdownLabel(model_->createdText(), opener, TextStyle::footnote, diff_);
        applySecondaryStyle(created_);
        diffStack->addWidget(created_);
        auto* picker = new QHBoxLayout;
        picker->setSpacing(0);
        changesOnly_ = makeButton(QStringLiteral("Show only changes"), ButtonRole::bordered,
                                  QStringLiteral("zprofile-show-changes"), diff_);
        fullFile_ = makeButton(QStringLiteral("Show full file"), ButtonRole::bordered,
                               QStringLiteral("zprofile-show-full"), diff_);
        auto* group = new QButtonGroup(diff_);
        for (auto* option : {changesOnly_, fullFile_}) {
            option->setCheckable(true);
            option->setMaximumWidth(160);
            group->addButton(option);
            picker->addWidget(option);
        }
        picker->addStretch(1);
        diffStack->addLayout(picker);
        diffStack->addWidget(makeListing());
        backup_ = makeMarkdownLabel({}, opener, TextStyle::caption, diff_);
        backup_->setObjectName(QStringLiteral("zprofile-backup"));
        applySecondaryStyle(backup_);
        diffStack->addWidget(backup_);
        return diff_;
    }

    QWidget* makeListing() {
        auto* listing = makeTextBox(QStringLiteral("zprofile-listing-box"), diff_);
        auto* listingLayout = new QVBoxLayout(listing);
        listingLayout->setContentsMargins(1, 1, 1, 1);
        auto* scroll = new QScrollArea(listing);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setFocusPolicy(Qt::NoFocus); // read, not a stop on the way to the buttons
        scroll->setWidgetResizable(true);
        scroll->viewport()->setBackgroundRole(QPalette::Base);
        scroll->viewport()->setAutoFillBackground(true);
        auto* rows = new QWidget(scroll);
        rows->setObjectName(QStringLiteral("zprofile-listing"));
        rows->setAutoFillBackground(false);
        listingRows_ = new QVBoxLayout(rows);
        listingRows_->setContentsMargins(8, 8, 8, 8);
        listingRows_->setSpacing(2);
        listingRows_->setAlignment(Qt::AlignTop);
        scroll->setWidget(rows);
        listingLayout->addWidget(scroll);
        listing->setMinimumHeight(120);
        listing->setMaximumHeight(240);
        return listing;
    }

    void addFooter(QVBoxLayout* stack) {
        applyError_ = makeErrorLabel(this);
        applyError_->setObjectName(QStringLiteral("zprofile-apply-error"));
        stack->addWidget(applyError_);
        auto* footer = new QHBoxLayout;
        cancel_ = makeButton(QStringLiteral("Cancel"), ButtonRole::bordered,
                             QStringLiteral("zprofile-cancel"), this);
        SheetDialog::markCancelButton(cancel_);
        footer->addWidget(cancel_);
        footer->addStretch(1);
        close_ = makeButton(QStringLiteral("Close"), ButtonRole::bordered,
                            QStringLiteral("zprofile-close"), this);
        footer->addWidget(close_);
        apply_ = makeButton(QStringLiteral("Apply"), ButtonRole::prominent,
                            QStringLiteral("zprofile-apply"), this);
        footer->addWidget(apply_);
        continue_ = makeButton(QStringLiteral("Continue to verify"), ButtonRole::prominent,
                               QStringLiteral("zprofile-continue"), this);
        footer->addWidget(continue_);
        stack->addLayout(footer);
    }

    using State = ZprofileDiffSheetModel::State;

    void render() {
        const State state = model_->state();
        if (state != shownState_) {
            if (shownState_) {
                guardAgainstSecondClick(this);
                focusFirstControl(this);
            }
            shownState_ = state;
        }
        renamed();
        const auto& preview = model_->preview();
        const bool hasDiff = preview && !preview->alreadySet;
        spinner_->setVisible(!preview && !model_->loadError());
        loadError_->setVisible(!preview && model_->loadError());
        loadError_->setText(model_->loadError().value_or(QString()));
        alreadySet_->setVisible(preview && preview->alreadySet);
        diff_->setVisible(hasDiff);
        if (hasDiff) {
            created_->setVisible(preview->wasCreated);
            const QSignalBlocker quiet(fullFile_);
            changesOnly_->setChecked(!model_->showFullFile());
            fullFile_->setChecked(model_->showFullFile());
            QList<std::pair<QString, bool>> rows;
            for (const auto& row : model_->listing())
                rows.append({row.text, row.added});
            if (rows != shownRows_) {
                setRows(listingRows_, listingRows_->parentWidget(), rows);
                shownRows_ = rows;
            }
            backup_->setText(markdownToHtml(model_->backupText()));
        }

        const bool busy = model_->isApplying();
        applyError_->setVisible(state == State::applyFailed);
        applyError_->setText(model_->applyError().value_or(QString()));
        close_->setVisible(state == State::applyFailed);
        cancel_->setVisible(state == State::loading || state == State::loadFailed ||
                            state == State::review || state == State::alreadySet);
        cancel_->setEnabled(!busy);
        apply_->setVisible(state == State::review);
        apply_->setEnabled(!busy);
        apply_->setDefault(state == State::review);
        continue_->setVisible(state == State::applied || state == State::alreadySet);
        continue_->setDefault(state == State::applied || state == State::alreadySet);
    }

    // The texts that name the file, once the model knows where it is.
    void renamed() {
        if (model_->titleText() == shownTitle_)
            return;
        shownTitle_ = model_->titleText();
        auto* header = makeHeader(shownTitle_, model_->explainerText(), opener_, this);
        delete layout()->replaceWidget(header_, header);
        delete header_;
        header_ = header;
        alreadySet_->setText(markdownToHtml(model_->alreadySetText()));
        created_->setText(markdownToHtml(model_->createdText()));
    }

    ZprofileDiffSheetModel* model_;
    std::shared_ptr<URLOpening> opener_;
    QWidget* header_ = nullptr;
    QString shownTitle_;
    std::optional<State> shownState_;
    QProgressBar* spinner_ = nullptr;
    QLabel* loadError_ = nullptr;
    QLabel* alreadySet_ = nullptr;
    QWidget* diff_ = nullptr;
    QLabel* created_ = nullptr;
    QPushButton* changesOnly_ = nullptr;
    QPushButton* fullFile_ = nullptr;
    QVBoxLayout* listingRows_ = nullptr;
    QList<std::pair<QString, bool>> shownRows_;
    QLabel* backup_ = nullptr;
    QLabel* applyError_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* continue_ = nullptr;
};

} // namespace

bool RemediationProgressDialog::isReviewedInZprofile(const Remediation& remediation) {
    return remediation.as<Remediation::WriteJavaHomeToZprofile>() ||
           remediation.as<Remediation::KeepCurrentLegacyJava>();
}

RemediationProgressDialog*
RemediationProgressDialog::present(QWidget* parent, const ScreenContext& context,
                                   const Remediation& remediation,
                                   std::function<void(const RemediationOutcome&)> onFinish,
                                   std::shared_ptr<RemediationWorkers> workers) {
    auto* dialog = new RemediationProgressDialog(parent, context, remediation, std::move(onFinish),
                                                 std::move(workers));
    dialog->SheetDialog::present();
    if (dialog->streaming_)
        dialog->streaming_->start();
    else
        dialog->zprofile_->loadPreview();
    return dialog;
}

RemediationProgressDialog::RemediationProgressDialog(
    QWidget* parent, const ScreenContext& context, const Remediation& remediation,
    std::function<void(const RemediationOutcome&)> onFinish,
    std::shared_ptr<RemediationWorkers> workers)
    : SheetDialog(parent), onFinish_(std::move(onFinish)) {
    setObjectName(QStringLiteral("remediation-sheet"));
    setMinimumSize(560, 420);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto report = [this](const RemediationOutcome& outcome) { finishWith(outcome); };
    if (isReviewedInZprofile(remediation)) {
        zprofile_ = new ZprofileDiffSheetModel(remediation, context.services.fs, report, this,
                                               context.services.toolLocations, context.locations);
        setWindowTitle(zprofile_->windowTitle());
        connect(zprofile_, &ZprofileDiffSheetModel::changed, this,
                [this] { setWindowTitle(zprofile_->windowTitle()); });
        layout->addWidget(new ZprofileFace(zprofile_, context.urlOpener, this));
    } else {
        streaming_ = new StreamingRemediationModel(
            remediation, context.services, std::move(workers), context.urlOpener, report, this);
        streaming_->followLocations(context.locations);
        // Until the run has returned, the page under the sheet stays where it is.
        const auto hold = [model = streaming_, navigation = context.navigation] {
            if (navigation)
                navigation->holdWhileRunning(model, !model->hasRunEnded());
        };
        hold();
        connect(streaming_, &StreamingRemediationModel::changed, this, hold);
        setWindowTitle(streaming_->title());
        layout->addWidget(
            new StreamingFace(streaming_, context.urlOpener, context.clipboard, this));
    }
}

void RemediationProgressDialog::cancelForQuit() {
    if (streaming_)
        streaming_->cancel();
}

void RemediationProgressDialog::finishWith(const RemediationOutcome& outcome) {
    auto onFinish = std::move(onFinish_);
    onFinish_ = nullptr;
    // Closed first, so the host may present what comes next; deleted later, because this
    // runs inside the model's own call.
    closeSheet();
    if (onFinish)
        onFinish(outcome);
}

} // namespace tovr
