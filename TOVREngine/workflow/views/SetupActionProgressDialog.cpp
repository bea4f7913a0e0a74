#include "workflow/views/SetupActionProgressDialog.h"

#include "ui/views/BusyIndicator.h"
#include "ui/views/ClickGuard.h"
#include "ui/views/LiveLogView.h"
#include "ui/views/Typography.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tovr {

SetupActionProgressDialog* SetupActionProgressDialog::present(
    QWidget* parent, const ScreenContext& context, SetupActionProgressModel::Request request,
    SetupActionProgressModel::FixStarter starter, OnFinish onFinish) {
    auto* sheet = new SetupActionProgressDialog(parent, context, std::move(request),
                                                std::move(starter), std::move(onFinish));
    sheet->SheetDialog::present();
    sheet->model_->start();
    return sheet;
}

SetupActionProgressDialog::SetupActionProgressDialog(QWidget* parent, const ScreenContext& context,
                                                     SetupActionProgressModel::Request request,
                                                     SetupActionProgressModel::FixStarter starter,
                                                     OnFinish onFinish)
    : SheetDialog(parent), navigation_(context.navigation), onFinish_(std::move(onFinish)) {
    setObjectName(QStringLiteral("setup-action-sheet"));
    setMinimumSize(560, 420);
    setWindowTitle(request.title);
    model_ = new SetupActionProgressModel(std::move(request), std::move(starter), context.clipboard,
                                          context.urlOpener, this);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->setSpacing(16);

    auto* title = makeHeadingLabel(model_->request().title, TextStyle::headline, this);
    title->setObjectName(QStringLiteral("setup-action-title"));
    stack->addWidget(title);
    addStatusRow(stack);
    addLog(stack, context);
    connect(model_, &SetupActionProgressModel::changed, this, &SetupActionProgressDialog::render);
    connect(cancel_, &QPushButton::clicked, model_, &SetupActionProgressModel::cancel);
    connect(continue_, &QPushButton::clicked, model_, &SetupActionProgressModel::continueOn);
    connect(model_, &SetupActionProgressModel::finished, this,
            &SetupActionProgressDialog::finishWith);
    render();
}

void SetupActionProgressDialog::addStatusRow(QVBoxLayout* stack) {
    // A small busy indicator, the caption and Cancel in one row. The indicator and the caption
    // keep their room once hidden, and the row is as tall as "Continue", so the log stays put
    // when the run ends.
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    spinner_ = new BusyIndicator(QStringLiteral("Working…"), this);
    QSizePolicy keepRoom = spinner_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    spinner_->setSizePolicy(keepRoom);
    row->addWidget(spinner_, 0, Qt::AlignVCenter);
    status_ = makePlainLabel(
        QStringLiteral("Working… this can take a minute — please keep this window open."),
        TextStyle::caption, this);
    status_->setObjectName(QStringLiteral("setup-action-status"));
    applySecondaryStyle(status_);
    keepRoom = status_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    status_->setSizePolicy(keepRoom);
    row->addWidget(status_, 1);
    cancel_ = makeButton(QStringLiteral("Cancel"), ButtonRole::bordered,
                         QStringLiteral("setup-action-cancel"), this);
    markCancelButton(cancel_);
    row->addWidget(cancel_);
    continue_ = makeButton(QStringLiteral("Continue"), ButtonRole::prominent,
                           QStringLiteral("setup-action-continue"), this);
    row->addWidget(continue_);
    auto* rowBox = new QWidget(this);
    rowBox->setLayout(row);
    row->setContentsMargins(0, 0, 0, 0);
    rowBox->setMinimumHeight(std::max(continue_->sizeHint().height(), continue_->minimumHeight()));
    stack->addWidget(rowBox);
}

void SetupActionProgressDialog::addLog(QVBoxLayout* stack, const ScreenContext& context) {
    log_ = new LiveLogView(QStringLiteral("Installation log"), context.clipboard, this);
    log_->setObjectName(QStringLiteral("setup-action-log"));
    log_->setMinimumHeight(220);
    log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    applyTextStyle(log_, TextStyle::caption);
    applyMonospace(log_);
    stack->addWidget(log_, 1);
    log_->setSource(model_,
                    [model = model_]() -> const QStringList& { return model->shownLines(); });
    connect(model_, &SetupActionProgressModel::linesAdded, log_, &LiveLogView::linesAdded);
}

void SetupActionProgressDialog::finishWith(SetupActionOutcome outcome) {
    // Closed first (deleted later), so an owner that drops its window in the callback
    // leaves nothing behind.
    OnFinish finish = std::move(onFinish_);
    // The second press of a double click must not land on the page the sheet uncovers.
    if (QWidget* owner = parentWidget())
        guardAgainstSecondClick(owner->window());
    closeSheet();
    if (finish)
        finish(outcome);
}

void SetupActionProgressDialog::cancelForQuit() {
    model_->cancel();
}

void SetupActionProgressDialog::render() {
    const bool running = model_->isRunning();
    if (navigation_)
        navigation_->holdWhileRunning(model_, running);
    spinner_->setVisible(running);
    status_->setVisible(running);
    cancel_->setVisible(running);
    continue_->setVisible(!running);
    continue_->setDefault(!running);
    if (!running)
        continue_->setFocus();
}

} // namespace tovr
