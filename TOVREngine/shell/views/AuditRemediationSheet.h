#pragma once

#include "shell/AuditStage.h"
#include "ui/ScreenContext.h"

class QWidget;

namespace tovr {

// Opens the remediation progress dialog for what `stage` asks, over `parent`, and hands its
// end back to the stage. The stage views call it when a request appears.
void presentAuditRemediation(QWidget* parent, const ScreenContext& context, AuditStage* stage);

} // namespace tovr
