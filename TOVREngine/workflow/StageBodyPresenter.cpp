#include "workflow/StageBodyPresenter.h"
#include "platform/FileChecks.h"

#include "workflow/SetupFlowModel.h"

namespace tovr {

namespace {

constexpr QStringView kHomebrewDomain = u"homebrew";

} // namespace

StageBodyPresenter::StageBodyPresenter(StageScope scope, std::shared_ptr<FileSystemOperating> fs)
    : scope_(std::move(scope)), fs_(std::move(fs)) {}

DiskRead StageBodyPresenter::diskRead() {
    return [this, fs = fs_]() -> DiskApply {
        const bool found = fs && homebrewExecutable(*fs).has_value();
        return [this, found] { brewExecutableFound_ = found; };
    };
}

bool StageBodyPresenter::needsHomebrew() const {
    return scope_.model &&
           !scope_.model->config().spinePolicy.homebrewIndependentDomains.contains(scope_.domainID);
}

bool StageBodyPresenter::isHomebrewInstalled() const {
    if (scope_.model && scope_.model->profile() && scope_.model->profile()->homebrewPrefix)
        return true;
    return brewExecutableFound_;
}

bool StageBodyPresenter::hasHomebrewStage() const {
    return scope_.model && scope_.model->workflowStep(kHomebrewDomain.toString()).has_value();
}

std::optional<SpineRenderPolicy::SpecialStageKind> StageBodyPresenter::specialKind() const {
    if (!scope_.model)
        return std::nullopt;
    const auto& special = scope_.model->config().spinePolicy.specialStages;
    const auto it = special.constFind(scope_.domainID);
    if (it == special.constEnd())
        return std::nullopt;
    return *it;
}

QList<SetupRemediation> StageBodyPresenter::fixes() const {
    if (!scope_.model || showsBanner())
        return {};
    const auto& profile = scope_.model->profile();
    const auto& probes = scope_.model->probes();
    if (!profile || !probes)
        return {};
    return scope_.model->plugins().spineProvider->remediations(scope_.domainID, *profile, *probes);
}

QList<StageBodyPresenter::FixRow>
StageBodyPresenter::fixRows(const QList<SetupRemediation>& fixes) const {
    QList<FixRow> rows;
    if (!scope_.model)
        return rows;
    const auto& policy = scope_.model->config().spinePolicy;
    for (const auto& fix : fixes)
        rows.append({fix.id(), fix.title(), scope_.model->namingUsersFiles(caption(policy, fix))});
    return rows;
}

QString StageBodyPresenter::caption(const SpineRenderPolicy& policy, const SetupRemediation& fix) {
    const auto it = policy.remediationCaptions.constFind(fix.id());
    return it != policy.remediationCaptions.constEnd() ? *it : fix.detail();
}

void StageBodyPresenter::installFix(const QString& fixID) {
    if (!canAct())
        return;
    for (const auto& fix : fixes()) {
        if (fix.id() != fixID)
            continue;
        scope_.model->recordOfferSelected(scope_.domainID);
        scope_.requestInstall(fix.id(), fix.title(), {fix}, false);
        return;
    }
}

void StageBodyPresenter::installGroup() {
    const auto kind = specialKind();
    const auto* group =
        kind ? kind->as<SpineRenderPolicy::SpecialStageKind::GroupedInstall>() : nullptr;
    if (group)
        scope_.requestInstall(group->installID, group->title, fixes(), false);
}

void StageBodyPresenter::skip() {
    if (canAct())
        scope_.model->recordOfferDismissed(scope_.domainID);
}

void StageBodyPresenter::installHomebrewFirst() {
    if (canAct() && hasHomebrewStage())
        scope_.model->setStep(SetupFlowModel::Step::stage(kHomebrewDomain.toString()));
}

} // namespace tovr
