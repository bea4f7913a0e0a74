#pragma once

#include "diagnosis/RemediationOutcome.h"
#include "model/Remediation.h"
#include "platform/SystemProfile.h"
#include "telemetry/UsageEventCatalogue.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

class URLOpening;

// How a stage fared when the audit came to it.
using StageOutcome = AuditStageOutcome;

// One stage of the staged audit: a pure evaluation of a profile, and the model of the
// stage's screen, which the audit flow shows while the stage is current. A stage asks for a
// remediation by holding it in `pendingRemediation` until `finishRemediation`; while it holds
// one, or refreshes the profile after one, it is busy: its buttons do nothing and the flow
// switches neither gate nor stage under it. GUI thread.
class AuditStage : public QObject {
    Q_OBJECT

public:
    AuditStage(QString id, std::shared_ptr<URLOpening> urlOpener, QObject* parent);

    const QString& id() const { return id_; }
    // Pure and cheap: the flow calls it whenever the profile may have changed.
    virtual StageOutcome evaluate(const SystemProfile& profile) const = 0;

    // The profile the screen shows; the flow updates it in place.
    const SystemProfile& profile() const { return profile_; }
    void setProfile(const SystemProfile& profile);
    // The flow's advance for this stage's showing.
    void setOnAdvance(std::function<void()> onAdvance) { onAdvance_ = std::move(onAdvance); }

    const std::optional<Remediation>& pendingRemediation() const { return pending_; }
    bool isRefreshing() const { return refreshing_; }
    bool isBusy() const { return pending_.has_value() || refreshing_; }

    // The progress dialog's end; a second report, or one nobody asked for, does nothing.
    void finishRemediation(const RemediationOutcome& outcome);

Q_SIGNALS:
    void changed();

protected:
    // Sends "remediation_applied" and asks for the dialog, unless busy.
    void requestRemediation(const Remediation& remediation);
    // "Maybe later": the event's stage id is the stage's fixed text.
    void skipByUser(const QString& stageID);
    // Sends "audit_outbound_clicked" first, then opens the page; false when busy.
    bool openOutbound(const QString& tool, const QUrl& url);
    void advance();
    // What the stage does once the dialog has closed.
    virtual void remediationEnded(RemediationOutcome::Kind end) = 0;
    void setRefreshing(bool refreshing);

private:
    QString id_;
    std::shared_ptr<URLOpening> urlOpener_;
    SystemProfile profile_;
    std::function<void()> onAdvance_;
    std::optional<Remediation> pending_;
    bool refreshing_ = false;
};

} // namespace tovr
