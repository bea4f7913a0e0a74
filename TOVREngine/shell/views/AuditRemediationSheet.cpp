#include "shell/views/AuditRemediationSheet.h"

#include "platform/Logging.h"

#include <QPointer>
#include <QTimer>

namespace tovr {

// TO WIRE: present RemediationProgressDialog here once it is in the tree:
//   RemediationProgressDialog::present(parent, context, *stage->pendingRemediation(),
//       [stage = QPointer<AuditStage>(stage)](const RemediationOutcome& outcome) {
//           if (stage) stage->finishRemediation(<success | failure | canceled of outcome>);
//       });
// Until then nothing runs, and the stage hears so at once instead of staying busy.
void presentAuditRemediation(QWidget* parent, const ScreenContext& context, AuditStage* stage) {
    Q_UNUSED(parent);
    Q_UNUSED(context);
    if (!stage || !stage->pendingRemediation())
        return;
    qWarning("Remediation dialog not available; nothing was run.");
    QTimer::singleShot(0, stage, [stage = QPointer<AuditStage>(stage)] {
        if (stage)
            stage->finishRemediation(RemediationEnd::canceled);
    });
}

} // namespace tovr
