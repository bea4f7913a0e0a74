#include "shell/AuditStage.h"

#include "platform/URLOpening.h"
#include "telemetry/UsageEvent.h"

namespace tovr {

AuditStage::AuditStage(QString id, std::shared_ptr<URLOpening> urlOpener, QObject* parent)
    : QObject(parent), id_(std::move(id)), urlOpener_(std::move(urlOpener)) {}

void AuditStage::setProfile(const SystemProfile& profile) {
    if (profile == profile_)
        return;
    profile_ = profile;
    Q_EMIT changed();
}

void AuditStage::finishRemediation(const RemediationOutcome& outcome) {
    if (!pending_)
        return;
    pending_.reset();
    Q_EMIT changed();
    remediationEnded(outcome.kind);
}

void AuditStage::requestRemediation(const Remediation& remediation) {
    if (isBusy())
        return;
    trackRemediationApplied(remediation);
    pending_ = remediation;
    Q_EMIT changed();
}

void AuditStage::skipByUser(const QString& stageID) {
    if (isBusy())
        return;
    sendUsageEvent(
        {QStringLiteral("audit_stage_skipped_by_user"), {{QStringLiteral("stage_id"), stageID}}});
    advance();
}

bool AuditStage::openOutbound(const QString& tool, const QUrl& url) {
    if (isBusy())
        return false;
    trackAuditOutboundClicked(tool, url);
    if (urlOpener_)
        urlOpener_->open(url);
    return true;
}

void AuditStage::advance() {
    if (onAdvance_)
        onAdvance_();
}

void AuditStage::setRefreshing(bool refreshing) {
    if (refreshing_ == refreshing)
        return;
    refreshing_ = refreshing;
    Q_EMIT changed();
}

} // namespace tovr
