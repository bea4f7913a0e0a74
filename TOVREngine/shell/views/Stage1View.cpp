#include "shell/views/Stage1View.h"

#include "shell/views/AuditRemediationSheet.h"
#include "ui/views/AccessibleText.h"
#include "ui/views/BusyIndicator.h"
#include "ui/views/ScreenScaffold.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

namespace {

QWidget* block(QWidget* parent, int spacing, QVBoxLayout** layout) {
    auto* widget = new QWidget(parent);
    *layout = new QVBoxLayout(widget);
    (*layout)->setContentsMargins(0, 0, 0, 0);
    (*layout)->setSpacing(spacing);
    return widget;
}

QLabel* secondary(const QString& text, QWidget* parent) {
    auto* label = makePlainLabel(text, TextStyle::footnote, parent);
    applySecondaryStyle(label);
    return label;
}

// A finding with its mark ("✗", "→"); a screen reader hears the finding alone.
QLabel* markedLabel(const QString& text) {
    auto* label = makePlainLabel(text, TextStyle::callout);
    label->setAccessibleName(spokenWords(text));
    return label;
}

} // namespace

Stage1View::Stage1View(const ScreenContext& context, Stage1Foundations* stage, QWidget* parent)
    : QWidget(parent), context_(context), stage_(stage) {
    QVBoxLayout* stack = nullptr;
    auto* scaffold = fillWithScaffold(this,
                                      {QStringLiteral("System check"), TextStyle::largeTitle,
                                       QStringLiteral("Here's what we found."), std::nullopt,
                                       std::nullopt, std::nullopt},
                                      context_.urlOpener, &stack, 20);
    scaffold->setObjectName(QStringLiteral("audit-stage-foundations"));
    QWidget* content = stack->parentWidget();

    homebrewBlock_ = makeHomebrewBlock(content);
    stack->addWidget(homebrewBlock_);
    toolsBlock_ = makeToolsBlock(content);
    stack->addWidget(toolsBlock_);
    macOSBlock_ = makeMacOSBlock(content);
    stack->addWidget(macOSBlock_);

    auto* next = makeButton(QStringLiteral("Continue"), ButtonRole::prominent,
                            QStringLiteral("audit-stage-skip"), content);
    forward(next, &Stage1Foundations::continueOn);
    stack->addSpacing(8);
    auto* nextRow = new QHBoxLayout;
    nextRow->addWidget(next);
    // Beside the controls while a finished install is followed by a fresh look at the Mac.
    busy_ = new BusyIndicator(QStringLiteral("Checking your Mac again…"), content);
    nextRow->addWidget(busy_);
    nextRow->addStretch(1);
    stack->addLayout(nextRow);
    connect(stage_, &AuditStage::changed, this, &Stage1View::render);
    render();
}

void Stage1View::forward(QPushButton* button, void (Stage1Foundations::*action)()) {
    buttons_.append(button);
    connect(button, &QPushButton::clicked, this, [this, action] {
        if (stage_)
            (stage_->*action)();
    });
}

QWidget* Stage1View::makeHomebrewBlock(QWidget* content) {
    QVBoxLayout* layout = nullptr;
    auto* homebrew = block(content, 10, &layout);
    layout->addWidget(markedLabel(QString::fromUtf8("✗ Homebrew missing.")));
    layout->addWidget(
        secondary(QStringLiteral("We'll run the official Homebrew install script:"), homebrew));
    auto* command = makePlainLabel(Stage1Foundations::homebrewInstallCommand(), TextStyle::caption);
    applyMonospace(command);
    command->setObjectName(QStringLiteral("audit-homebrew-command"));
    command->setWordWrap(true);
    command->setMargin(8);
    command->setAutoFillBackground(true);
    command->setBackgroundRole(QPalette::Base);
    command->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(command);
    layout->addWidget(secondary(
        QString::fromUtf8("This is the same command you'd run from Terminal — we're just running "
                          "it for you. macOS will prompt you for your password. Homebrew will "
                          "also install Xcode Command Line Tools as part of its setup if they "
                          "aren't already installed."),
        homebrew));
    auto* install = makeButton(QStringLiteral("Install Homebrew (recommended)"),
                               ButtonRole::prominent, QString(), homebrew);
    auto* later =
        makeButton(QStringLiteral("Maybe later"), ButtonRole::borderless, QString(), homebrew);
    forward(install, &Stage1Foundations::installHomebrew);
    forward(later, &Stage1Foundations::maybeLater);
    layout->addSpacing(4);
    layout->addWidget(install, 0, Qt::AlignLeft);
    layout->addWidget(later, 0, Qt::AlignLeft);
    return homebrew;
}

QWidget* Stage1View::makeToolsBlock(QWidget* content) {
    QVBoxLayout* layout = nullptr;
    auto* tools = block(content, 8, &layout);
    layout->addWidget(markedLabel(QString::fromUtf8("✗ Xcode Command Line Tools missing.")));
    auto* toolsNote = makeMarkdownLabel(
        QString::fromUtf8("Homebrew is installed but Xcode Command Line Tools aren't — this is "
                          "unusual. Run `xcode-select --install` in Terminal, or read the "
                          "install guide."),
        context_.urlOpener, TextStyle::footnote, tools);
    applySecondaryStyle(toolsNote);
    layout->addWidget(toolsNote);
    auto* toolsArticle = makeButton(QString::fromUtf8("Read the article on Lumbrook →"),
                                    ButtonRole::link, QString(), tools);
    applyTextStyle(toolsArticle, TextStyle::footnote);
    forward(toolsArticle, &Stage1Foundations::openCommandLineToolsArticle);
    layout->addWidget(toolsArticle, 0, Qt::AlignLeft);
    return tools;
}

QWidget* Stage1View::makeMacOSBlock(QWidget* content) {
    QVBoxLayout* layout = nullptr;
    auto* macOS = block(content, 8, &layout);
    layout->addWidget(markedLabel(
        QString::fromUtf8("→ Your macOS is several versions behind the current release.")));
    auto* upgrade =
        makeButton(QString::fromUtf8("How to update macOS →"), ButtonRole::link, QString(), macOS);
    applyTextStyle(upgrade, TextStyle::footnote);
    forward(upgrade, &Stage1Foundations::openMacOSUpgradeGuide);
    layout->addWidget(upgrade, 0, Qt::AlignLeft);
    return macOS;
}

void Stage1View::render() {
    if (!stage_)
        return;
    const auto blocks = Stage1Foundations::blocks(stage_->profile());
    homebrewBlock_->setVisible(blocks.tool == Stage1Foundations::ToolBlock::homebrew);
    toolsBlock_->setVisible(blocks.tool == Stage1Foundations::ToolBlock::commandLineTools);
    macOSBlock_->setVisible(blocks.macOSBehind);
    for (auto* button : buttons_)
        button->setEnabled(!stage_->isBusy());
    busy_->setVisible(stage_->isBusy());
    // The dialog opens when a request appears, not on every change.
    const auto request = stage_->pendingRemediation();
    if (request && request != shownRequest_)
        presentAuditRemediation(this, context_, stage_);
    shownRequest_ = request;
}

} // namespace tovr
