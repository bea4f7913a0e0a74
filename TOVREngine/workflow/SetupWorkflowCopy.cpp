#include "workflow/SetupWorkflowCopy.h"

#include "platform/ReadinessScreenCopy.h"

namespace tovr::SetupWorkflowCopy {

QUrl articleURL(const ProductConfig& config, const QString& path) {
    const QUrl base = config.urls.articleBase;
    if (path.isEmpty())
        return base;
    QString joined = base.path();
    if (!joined.endsWith(u'/'))
        joined += u'/';
    QUrl url = base;
    url.setPath(joined + path);
    return url;
}

QUrl stageArticleURL(const ProductConfig& config, const QString& domainID) {
    const auto& policy = config.spinePolicy;
    return articleURL(config, policy.stageArticlePaths.value(domainID, policy.fallbackArticlePath));
}

QString windowTitle(const SetupFlowModel& model) {
    const ProductConfig& config = model.config();
    const auto& copy = *model.plugins().spineCopy;
    const auto& step = model.step();
    using Kind = SetupFlowModel::Step::Kind;
    switch (step.kind) {
    case Kind::loading:
        return config.displayName;
    case Kind::readinessWarning:
        if (const auto* network = step.warning->asNetwork())
            return ReadinessScreenCopy::network(*network).windowTitle;
        return ReadinessScreenCopy::disk(*step.warning->asDisk()).windowTitle;
    case Kind::stage:
        if (const auto screen = copy.screenCopy(step.domainID, std::nullopt))
            return screen->windowTitle;
        return copy.diagnosisWindowTitle();
    case Kind::diagnosisSummary:
        return copy.diagnosisWindowTitle();
    case Kind::interstitial:
        if (const auto& interstitial = config.spinePolicy.postPrimaryInterstitial)
            return interstitial->windowTitle;
        return config.displayName;
    case Kind::verifying:
    case Kind::outcome:
        return copy.doneLabel();
    case Kind::keepGoingGate:
        return copy.keepGoingTitle();
    case Kind::nps:
        return copy.lastQuestionTitle();
    }
    return config.displayName;
}

QStringList summaryRows(const SetupFlowModel& model) {
    QStringList rows;
    if (!model.workflow())
        return rows;
    const auto& excluded = model.config().spinePolicy.summaryExcludedDomains;
    for (const auto& step : model.workflow()->steps) {
        if (step.placement != DomainPlacement::primary || excluded.contains(step.stage->domainID()))
            continue;
        rows.append(
            model.plugins().spineCopy->statusText(step.stage->domainID(), step.stage->diagnosis()));
    }
    return rows;
}

bool verificationPassed(const SetupFlowModel& model) {
    return model.verifyResult() && model.verifyResult()->passed;
}

QString outcomeTitle(const SetupFlowModel& model) {
    const auto& copy = *model.plugins().spineCopy;
    return verificationPassed(model) ? copy.readyTitle() : copy.notReadyTitle();
}

QList<SpineRenderPolicy::OpenableApp> outcomeApps(const SetupFlowModel& model) {
    const auto& apps = model.config().spinePolicy.outcomeOpenableApps;
    return apps ? apps(model.profile(), model.verifyResult())
                : QList<SpineRenderPolicy::OpenableApp>{};
}

} // namespace tovr::SetupWorkflowCopy
