#pragma once

#include "model/AuditContext.h"
#include "shell/AuditStage.h"

namespace tovr {

// The second audit stage: the Warp terminal offer, installed through Homebrew (Homebrew
// first when it is missing) in the progress dialog.
class Stage2Terminal : public AuditStage {
    Q_OBJECT

public:
    Stage2Terminal(std::optional<TOVRAuditContext> tovr, std::shared_ptr<URLOpening> urlOpener,
                   QObject* parent = nullptr);

    StageOutcome evaluate(const SystemProfile& profile) const override;
    static StageOutcome evaluate(const SystemProfile& profile,
                                 const std::optional<TOVRAuditContext>& tovr);
    // What "Install Warp (recommended)" runs on this profile.
    static Remediation warpInstall(const SystemProfile& profile);
    // The commission note under the buttons.
    static QString disclosure(const QString& displayName);

    // "Install Warp (recommended)".
    void installWarp();
    // "Learn more about Warp →": opens the page and ends the stage.
    void learnMore();
    // "Maybe later".
    void maybeLater();

protected:
    void remediationEnded(RemediationOutcome::Kind end) override;

private:
    std::optional<TOVRAuditContext> tovr_;
};

} // namespace tovr
