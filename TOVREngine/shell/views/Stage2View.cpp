#include "shell/views/Stage2View.h"

#include "model/ProductConfig.h"
#include "shell/views/AuditRemediationSheet.h"
#include "ui/views/ScreenScaffold.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

Stage2View::Stage2View(const ScreenContext& context, Stage2Terminal* stage, QWidget* parent)
    : QWidget(parent), context_(context), stage_(stage) {
    QVBoxLayout* stack = nullptr;
    auto* scaffold = fillWithScaffold(
        this,
        {QString::fromUtf8("Try Warp — the AI-assisted terminal"), TextStyle::largeTitle,
         QStringLiteral("Warp is a modern macOS terminal with a better interface. AI assistance "
                        "helps you learn and remember terminal commands. It's the terminal we "
                        "recommend for Mac."),
         std::nullopt, std::nullopt, std::nullopt},
        context_.urlOpener, &stack, 12);
    scaffold->setObjectName(QStringLiteral("audit-stage-terminal"));
    QWidget* content = stack->parentWidget();
    auto* install = makeButton(QStringLiteral("Install Warp (recommended)"), ButtonRole::prominent,
                               QString(), content);
    auto* learn = makeButton(QString::fromUtf8("Learn more about Warp →"), ButtonRole::bordered,
                             QString(), content);
    auto* disclosure =
        makePlainLabel(Stage2Terminal::disclosure(ProductConfig::current().displayName),
                       TextStyle::footnote, content);
    applySecondaryStyle(disclosure);
    auto* later = makeButton(QStringLiteral("Maybe later"), ButtonRole::borderless,
                             QStringLiteral("audit-stage-skip"), content);
    stack->addWidget(install, 0, Qt::AlignLeft);
    stack->addWidget(learn, 0, Qt::AlignLeft);
    stack->addSpacing(4);
    stack->addWidget(disclosure);
    stack->addSpacing(16);
    stack->addWidget(later, 0, Qt::AlignLeft);
    buttons_ = {install, learn, later};

    connect(install, &QPushButton::clicked, this, [this] {
        if (stage_)
            stage_->installWarp();
    });
    connect(learn, &QPushButton::clicked, this, [this] {
        if (stage_)
            stage_->learnMore();
    });
    connect(later, &QPushButton::clicked, this, [this] {
        if (stage_)
            stage_->maybeLater();
    });
    connect(stage_, &AuditStage::changed, this, &Stage2View::render);
    render();
}

void Stage2View::render() {
    if (!stage_)
        return;
    for (auto* button : buttons_)
        button->setEnabled(!stage_->isBusy());
    const auto request = stage_->pendingRemediation();
    if (request && request != shownRequest_)
        presentAuditRemediation(this, context_, stage_);
    shownRequest_ = request;
}

} // namespace tovr
