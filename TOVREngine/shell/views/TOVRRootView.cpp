#include "shell/views/TOVRRootView.h"

#include "diagnosis/views/DiagnoseView.h"
#include "model/ProductConfig.h"
#include "shell/RootModel.h"
#include "shell/views/ConsentView.h"
#include "shell/views/NavigationHost.h"
#include "shell/views/NextStepView.h"
#include "shell/views/OfferScreenView.h"
#include "shell/views/StagedAuditFlowView.h"
#include "shell/views/WelcomeView.h"
#include "ui/views/ClickGuard.h"
#include "ui/views/KeyboardFocus.h"
#include "ui/views/Typography.h"
#include "workflow/views/SetupWorkflowView.h"

#include <QPushButton>
#include <QShortcut>
#include <QStackedLayout>

namespace tovr {

TOVRRootView::TOVRRootView(const ScreenContext& base, QWidget* parent)
    : QWidget(parent), navigation_(new AppNavigation(this)), profile_(new SystemProfileState(this)),
      context_(base) {
    context_.navigation = navigation_;
    context_.profile = profile_;
    context_.locations = new ToolLocationsState(this);
    model_ = new RootModel(context_, this);
    setMinimumSize(720, 700);

    gate_ = new QStackedLayout(this);
    gate_->setContentsMargins(0, 0, 0, 0);

    // Return presses the page's default button, only while it is visible and enabled.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false); // a held key presses once
        connect(shortcut, &QShortcut::activated, this, &TOVRRootView::pressDefaultButton);
    }
    connect(model_, &RootModel::changed, this, &TOVRRootView::showGate);
    showGate();
}

void TOVRRootView::showGate() {
    if (!model_->hasConsented()) {
        if (!consent_) {
            consent_ = new ConsentView(context_, [model = QPointer<RootModel>(model_)] {
                if (model)
                    model->acceptConsent();
            });
            gate_->addWidget(consent_);
        }
        gate_->setCurrentWidget(consent_);
        focusFirstControl(consent_);
        return;
    }
    if (host_)
        return;
    host_ = new NavigationHost(context_, new WelcomeView(context_),
                               [this](const Screen& screen) { return destination(screen); });
    gate_->addWidget(host_);
    gate_->setCurrentWidget(host_);
    guardAgainstSecondClick(host_);
    focusFirstControl(host_->currentScreen());
    if (consent_) {
        // Replaced from inside its own button's signal: deleted later, never here.
        gate_->removeWidget(consent_);
        consent_->deleteLater();
    }
    model_->startupTask();
}

QWidget* TOVRRootView::destination(const Screen& screen) {
    if (screen.as<Screen::Diagnose>())
        return new DiagnoseView(context_);
    if (screen.as<Screen::SetupWorkflow>())
        return new SetupWorkflowView(context_);
    if (screen.as<Screen::NextStep>()) {
        // A product without the question shows an empty page with its back control.
        const auto prompt = ProductConfig::current().nextStepPrompt;
        return prompt ? new NextStepView(context_, *prompt) : nullptr;
    }
    if (const auto* audit = screen.as<Screen::Audit>())
        return new StagedAuditFlowView(context_, audit->context);
    if (const auto* offer = screen.as<Screen::ContentOffer>())
        return makeContentOfferView(context_, offer->offerID);
    if (screen.as<Screen::GuidedHelpOffer>())
        return makeGuidedHelpOfferView(context_);
    if (screen.as<Screen::AICodingOffer>())
        return makeAICodingInterestView(context_);
    return nullptr;
}

bool TOVRRootView::focusNextPrevChild(bool next) {
    return moveFocusInReadingOrder(this, next) || QWidget::focusNextPrevChild(next);
}

void TOVRRootView::pressDefaultButton() {
    QWidget* page = host_ ? host_->currentScreen() : consent_.data();
    if (!page || !page->isVisible())
        return;
    QPushButton* button = findDefaultButton(page);
    if (button && !isGuardedAgainstSecondClick(button))
        button->click();
}

} // namespace tovr
