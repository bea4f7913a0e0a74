#include "products/claude/ClaudeSpineProvider.h"

#include "model/BasicSetupStage.h"
#include "model/ProductConfig.h"
#include "model/StageCatalog.h"
#include "telemetry/UsageEventCatalogue.h"

#include <QFileInfo>

#include <algorithm>

namespace tovr {

namespace {

using Classification = SetupDiagnosisClassification;

SetupDiagnosis fromState(const SharedDomainCopy::State& state, Classification classification) {
    return {state.headline, state.detail, classification};
}

bool hasWarp(const SystemProfile& profile) {
    return profile.terminals.warp || profile.aiTooling.warpApp;
}

bool versionRan(const SetupProbeBundle& probes) {
    return probes.versionExitCode == 0 && probes.versionOutput.has_value();
}

WorkflowStep makeStep(const QString& domainID, DomainPlacement placement,
                      const SystemProfile& profile, const SetupProbeBundle& probes) {
    const SetupDiagnosis diagnosis =
        ClaudeSpineProvider::diagnosis(domainID, profile, probes)
            .value_or(SetupDiagnosis{domainID, QString(), Classification::unknown});
    QList<SetupAction> actions;
    for (const auto& fix : ClaudeSpineProvider().remediations(domainID, profile, probes))
        actions << fix.setupAction();
    return {std::make_shared<const BasicSetupStage>(domainID, diagnosis, std::move(actions)),
            placement};
}

// The folder that holds an executable.
QString folderOf(const QString& path) {
    return QFileInfo(path).path();
}

} // namespace

QStringList ClaudeSpineProvider::knownClaudeLocations(const SetupProbeBundle& probes) {
    QStringList all = probes.pathVisiblePrimaryTools + probes.installedPrimaryToolLocations;
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

SetupDiagnosis ClaudeSpineProvider::cliStatus(const SystemProfile&,
                                              const SetupProbeBundle& probes) {
    const QStringList locations = knownClaudeLocations(probes);
    if (locations.size() >= 2)
        return {QStringLiteral("More than one `claude` command found"),
                QStringLiteral("We found multiple `claude` installs (") +
                    locations.join(QStringLiteral(", ")) +
                    QStringLiteral("). To avoid breaking a setup you rely on, we won't remove "
                                   "anything automatically. Recommended: keep the "
                                   "Homebrew-managed one and remove the others, then make sure "
                                   "Homebrew's bin directory comes first on your PATH."),
                Classification::blocked};
    if (locations.isEmpty())
        return {QStringLiteral("Claude Code CLI isn't installed"),
                QStringLiteral("We'll install it via Homebrew (`claude-code@latest`) and verify "
                               "`claude --version` runs."),
                Classification::fixable};
    if (!probes.pathVisiblePrimaryTools.isEmpty() && versionRan(probes))
        return {QStringLiteral("Claude Code CLI is ready"),
                QStringLiteral("`claude` runs: ") + *probes.versionOutput, Classification::ready};
    if (!probes.pathVisiblePrimaryTools.isEmpty())
        return {QStringLiteral("Claude Code CLI needs attention"),
                QStringLiteral("`claude` is on your PATH but didn't run cleanly. We'll "
                               "(re)install it via Homebrew."),
                Classification::fixable};
    const QString path = probes.installedPrimaryToolLocations.isEmpty()
                             ? locations.first()
                             : probes.installedPrimaryToolLocations.first();
    return {QStringLiteral("Claude Code is installed but not on your PATH"),
            QStringLiteral("`claude` exists at ") + path +
                QStringLiteral(" but your shell can't find it. We'll add it to your PATH (after "
                               "backing up `~/.zprofile`)."),
            Classification::fixable};
}

SetupDiagnosis ClaudeSpineProvider::desktopStatus(const SystemProfile& profile) {
    if (profile.aiTooling.claudeCodeDesktop)
        return {QStringLiteral("Claude Desktop is installed"),
                QStringLiteral("The Claude desktop app is present (its Code tab is Claude Code "
                               "with a GUI)."),
                Classification::ready};
    return {QStringLiteral("Claude Desktop isn't installed"),
            QStringLiteral("We'll install the Claude desktop app via Homebrew (`claude` cask)."),
            Classification::fixable};
}

std::optional<SetupDiagnosis> ClaudeSpineProvider::diagnosis(const QString& domainID,
                                                             const SystemProfile& profile,
                                                             const SetupProbeBundle& probes) {
    // Worded for the product that is running, which may not be this one.
    if (domainID == u"clt")
        return ProductConfig::current().sharedDomainCopy.cltDiagnosis(profile);
    if (domainID == u"homebrew")
        return ProductConfig::current().sharedDomainCopy.homebrewDiagnosis(profile);
    if (domainID == u"claude-cli")
        return cliStatus(profile, probes);
    if (domainID == u"warp") {
        const SharedDomainCopy copy = ProductConfig::current().sharedDomainCopy;
        return hasWarp(profile) ? fromState(copy.warpReady, Classification::ready)
                                : fromState(copy.warpFixable, Classification::fixable);
    }
    if (domainID == u"claude-desktop")
        return desktopStatus(profile);
    // The product has no "ai-claude" stage: its two Claude stages take that place.
    if (domainID == u"ai-claude")
        return std::nullopt;
    return stageDiagnosis(domainID, profile, probes);
}

QList<SetupRemediation> ClaudeSpineProvider::remediations(const QString& domainID,
                                                          const SystemProfile& profile,
                                                          const SetupProbeBundle& probes) const {
    if (isCatalogDomain(domainID))
        return stageRemediations(domainID, profile, probes);
    auto fixable = [&] {
        const auto verdict = diagnosis(domainID, profile, probes);
        return verdict && verdict->classification == Classification::fixable;
    };
    if (domainID == u"clt")
        return fixable() ? QList{SetupRemediation::installCommandLineTools()}
                         : QList<SetupRemediation>{};
    if (domainID == u"homebrew")
        return fixable() ? QList{SetupRemediation::installHomebrew()} : QList<SetupRemediation>{};
    if (domainID == u"claude-cli") {
        // Several installs are blocked: nothing is offered until the user chooses.
        if (!fixable())
            return {};
        if (probes.pathVisiblePrimaryTools.isEmpty() &&
            !probes.installedPrimaryToolLocations.isEmpty())
            return {SetupRemediation::repairPath(
                folderOf(probes.installedPrimaryToolLocations.first()))};
        return {SetupRemediation::installClaudeCLI()};
    }
    if (domainID == u"warp")
        return hasWarp(profile) ? QList<SetupRemediation>{}
                                : QList{SetupRemediation::installWarp()};
    if (domainID == u"claude-desktop")
        return fixable() ? QList{SetupRemediation::installClaudeDesktop()}
                         : QList<SetupRemediation>{};
    return {};
}

QList<WorkflowStep> ClaudeSpineProvider::primarySteps(const SystemProfile& profile,
                                                      const SetupProbeBundle& probes) {
    QList<WorkflowStep> steps;
    for (const char* id : {"clt", "homebrew", "claude-cli", "warp", "claude-desktop"})
        steps << makeStep(QString::fromLatin1(id), DomainPlacement::primary, profile, probes);
    return steps;
}

QList<WorkflowStep> ClaudeSpineProvider::spine(const SystemProfile& profile,
                                               const SetupProbeBundle& probes) {
    QList<WorkflowStep> steps = primarySteps(profile, probes);
    auto add = [&](const char* domainID, DomainPlacement placement) {
        steps << makeStep(QString::fromLatin1(domainID), placement, profile, probes);
    };
    if (profile.architecture != Architecture::intel)
        add("codex", DomainPlacement::primary);
    for (const char* id : {"project", "skills", "mcp"})
        add(id, DomainPlacement::offer);
    for (const char* id : {"editor", "shell-config", "languages", "agent-docs", "git"})
        add(id, DomainPlacement::optional);
    return steps;
}

std::optional<QList<WorkflowStep>>
ClaudeSpineProvider::spine(const std::optional<QString>& selector, const SystemProfile& profile,
                           const SetupProbeBundle& probes) const {
    if (selector)
        return std::nullopt;
    return spine(profile, probes);
}

void claudeConflictEvent(const QString& domainID, const SetupProbeBundle& probes) {
    if (domainID != u"claude-cli")
        return;
    sendUsageEvent(
        claudeConflictSurfacedEvent(ClaudeSpineProvider::knownClaudeLocations(probes).size()));
}

} // namespace tovr
