#include "shell/views/AuditRemediationSheet.h"

#include "diagnosis/views/RemediationProgressDialog.h"

#include <QPointer>

namespace tovr {

void presentAuditRemediation(QWidget* parent, const ScreenContext& context, AuditStage* stage) {
    if (!stage || !stage->pendingRemediation())
        return;
    RemediationProgressDialog::present(
        parent, context, *stage->pendingRemediation(),
        [stage = QPointer<AuditStage>(stage)](const RemediationOutcome& outcome) {
            if (stage)
                stage->finishRemediation(outcome);
        });
}

} // namespace tovr
