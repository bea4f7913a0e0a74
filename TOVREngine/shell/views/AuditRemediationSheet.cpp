#include "shell/views/AuditRemediationSheet.h"

#include <QPointer>
#include <QTimer>

namespace tovr {

// TO WIRE when RemediationProgressDialog is in the tree (include
// "diagnosis/views/RemediationProgressDialog.h"), the body becomes:
//   RemediationProgressDialog::present(parent, context, *stage->pendingRemediation(),
//       [stage = QPointer<AuditStage>(stage)](const RemediationOutcome& outcome) {
//           if (stage)
//               stage->finishRemediation(outcome);
//       });
// Until then nothing runs, and the stage hears so at once instead of staying busy.
void presentAuditRemediation(QWidget* parent, const ScreenContext& context, AuditStage* stage) {
    Q_UNUSED(parent);
    Q_UNUSED(context);
    if (!stage || !stage->pendingRemediation())
        return;
    qWarning("The remediation dialog is not available; nothing was run.");
    QTimer::singleShot(0, stage, [stage = QPointer<AuditStage>(stage)] {
        if (stage)
            stage->finishRemediation(RemediationOutcome::canceled());
    });
}

} // namespace tovr
