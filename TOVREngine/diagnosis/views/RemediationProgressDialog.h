#pragma once

#include "diagnosis/RemediationOutcome.h"
#include "model/Remediation.h"
#include "services/RemediationWorkers.h"
#include "ui/ScreenContext.h"
#include "ui/views/SheetDialog.h"

#include <functional>
#include <memory>

namespace tovr {

class StreamingRemediationModel;
class ZprofileDiffSheetModel;

// The sheet that carries out one remediation: the ~/.zprofile review for the two JAVA_HOME
// block cases, the streaming run with its live log for every other. It reports one outcome
// through `onFinish` and then closes itself (deleteLater). Esc and the close box do nothing.
class RemediationProgressDialog : public SheetDialog {
    Q_OBJECT

public:
    // Opens the sheet over `parent`'s window and starts its work. `workers` replaces the live
    // installers and runners (tests, the demo Mac).
    static RemediationProgressDialog*
    present(QWidget* parent, const ScreenContext& context, const Remediation& remediation,
            std::function<void(const RemediationOutcome&)> onFinish,
            std::shared_ptr<RemediationWorkers> workers = nullptr);

    // The face's model: exactly one is set.
    StreamingRemediationModel* streamingModel() const { return streaming_; }
    ZprofileDiffSheetModel* zprofileModel() const { return zprofile_; }

    // Cancel, as the button does; the review has no run to end.
    void cancelForQuit() override;

    // True for the two cases the review sheet carries out.
    static bool isReviewedInZprofile(const Remediation& remediation);

private:
    RemediationProgressDialog(QWidget* parent, const ScreenContext& context,
                              const Remediation& remediation,
                              std::function<void(const RemediationOutcome&)> onFinish,
                              std::shared_ptr<RemediationWorkers> workers);
    void finishWith(const RemediationOutcome& outcome);

    std::function<void(const RemediationOutcome&)> onFinish_;
    StreamingRemediationModel* streaming_ = nullptr;
    ZprofileDiffSheetModel* zprofile_ = nullptr;
};

} // namespace tovr
