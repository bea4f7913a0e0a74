#include "shell/Stage2Terminal.h"

#include "model/ProductConfig.h"

namespace tovr {

namespace {

const QString kWarpCask = QStringLiteral("warp");

} // namespace

Stage2Terminal::Stage2Terminal(std::optional<TOVRAuditContext> tovr,
                               std::shared_ptr<URLOpening> urlOpener, QObject* parent)
    : AuditStage(QStringLiteral("stage_2_terminal"), std::move(urlOpener), parent),
      tovr_(std::move(tovr)) {}

StageOutcome Stage2Terminal::evaluate(const SystemProfile& profile) const {
    return evaluate(profile, tovr_);
}

StageOutcome Stage2Terminal::evaluate(const SystemProfile& profile,
                                      const std::optional<TOVRAuditContext>& tovr) {
    if (profile.terminals.warp)
        return StageOutcome::skippedAlreadyOk;
    if (!tovr || tovr->nextStep == QLatin1String("build_software") ||
        tovr->goal == QStringLiteral("school"))
        return StageOutcome::rendered;
    return profile.isLikelyDeveloper() ? StageOutcome::rendered
                                       : StageOutcome::skippedMissingBlocked;
}

Remediation Stage2Terminal::warpInstall(const SystemProfile& profile) {
    return profile.hasHomebrew() ? Remediation::installWarpViaBrew(kWarpCask)
                                 : Remediation::installHomebrewThenWarp(kWarpCask);
}

QString Stage2Terminal::disclosure(const QString& displayName) {
    return QStringLiteral("We may earn a commission if you install Warp through ") + displayName +
           QStringLiteral(". Our recommendation is editorial.");
}

void Stage2Terminal::installWarp() {
    requestRemediation(warpInstall(profile()));
}

void Stage2Terminal::learnMore() {
    if (openOutbound(QStringLiteral("Warp"), ProductConfig::current().urls.warpAffiliate))
        advance();
}

void Stage2Terminal::maybeLater() {
    skipByUser(QStringLiteral("stage_2_terminal"));
}

void Stage2Terminal::remediationEnded(RemediationOutcome::Kind end) {
    if (end != RemediationOutcome::Kind::canceled)
        advance();
}

} // namespace tovr
