#include "workflow/views/SetupEndBodies.h"

#include "workflow/SetupFlowModel.h"

namespace tovr {

InterstitialBody::InterstitialBody(const ScreenContext& context, SetupFlowModel* model,
                                   SpineRenderPolicy::InterstitialScreen, QWidget* parent)
    : QWidget(parent), context_(context), model_(model) {}

VerifyingBody::VerifyingBody(const ScreenContext&, SetupFlowModel* model, QWidget* parent)
    : QWidget(parent), model_(model) {}

KeepGoingButtons::KeepGoingButtons(const ScreenContext&, SetupFlowModel* model, QWidget* parent)
    : QWidget(parent), model_(model) {}

OutcomeBody::OutcomeBody(const ScreenContext& context, SetupFlowModel* model, QWidget* parent)
    : QWidget(parent), context_(context), model_(model) {}

void OutcomeBody::setVerification(bool, QList<SpineRenderPolicy::OpenableApp>) {}

NPSBody::NPSBody(const ScreenContext& context, SetupFlowModel* model, QWidget* parent)
    : QWidget(parent), context_(context), model_(model) {}

} // namespace tovr
