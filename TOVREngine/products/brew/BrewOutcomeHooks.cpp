// Outcome hooks shared by the Homebrew and command-line products.
#include "products/brew/BrewProductConfig.h"
#include "telemetry/UsageEventCatalogue.h"

namespace tovr {

QList<SpineRenderPolicy::OpenableApp>
brewOpenableApps(const std::optional<SystemProfile>& profile,
                 const std::optional<SetupVerificationResult>&) {
    if (!profile)
        return {};
    const AITooling& ai = profile->aiTooling;
    QList<SpineRenderPolicy::OpenableApp> apps;
    const std::pair<bool, SpineRenderPolicy::OpenableApp> candidates[] = {
        {ai.claudeCodeDesktop, {"Open Claude Desktop", "Claude.app"}},
        {ai.chatgptDesktop, {"Open ChatGPT", "ChatGPT.app"}},
        {ai.zed, {"Open Zed", "Zed.app"}},
        {ai.vsCode, {"Open VS Code", "Visual Studio Code.app"}},
        {ai.warpApp, {"Open Warp", "Warp.app"}},
    };
    for (const auto& [installed, app] : candidates)
        if (installed)
            apps << app;
    return apps;
}

void brewOutcomeReported(const std::optional<QString>& engineOutcome, const QString& answer) {
    trackOutcomeReported(engineOutcome.value_or(QStringLiteral("blocked")), answer);
}

} // namespace tovr
