// The flow's end: verification, the checklist of what the Mac now has, and the outcome
// answer.
#include "workflow/SetupFlowModel.h"

#include "model/HomebrewVersion.h"
#include "model/LoginShell.h"
#include "services/ShellConfigurator.h"
#include "telemetry/TelemetryText.h"
#include "telemetry/UsageEvent.h"
#include "telemetry/UsageEventCatalogue.h"
#include "ui/BackgroundCall.h"

namespace tovr {

void SetupFlowModel::verify() {
    if (left_ || step_.kind != Step::Kind::verifying || verifying_)
        return;
    verifying_ = true;
    keep(runInBackground(
        this,
        [verifier = plugins_.verifier, profile = profile_,
         services = context_.services](WorkerTask&) {
            return verifier->verify(profile, ShellRunner{services.processRunner}, services.fs);
        },
        [this](SetupVerificationResult result) {
            verifying_ = false;
            verifyResult_ = result;
            emitVerifyIfNeeded(result);
            if (left_ || step_.kind != Step::Kind::verifying) {
                Q_EMIT changed();
                return;
            }
            if (result.passed)
                advance(DomainPlacement::offer, Step::keepGoingGate());
            else
                changeStep(Step::outcome());
        }));
}

void SetupFlowModel::emitVerifyIfNeeded(const SetupVerificationResult& result) {
    if (std::exchange(didEmitVerify_, true))
        return;
    const QString engineOutcome = result.engineOutcome.value_or(QString());
    if (!result.passed) {
        trackEngineVerifyFailed(engineOutcome, result.exitCode.value_or(-1));
        return;
    }
    // Version output may name a path in the user's home folder.
    const QString excerpt = stringPrefix(redactHomePath(result.rawOutput.trimmed()), 200);
    sendUsageEvent({QStringLiteral("verify_passed"),
                    {{QStringLiteral("engine_outcome"), engineOutcome},
                     {QStringLiteral("cli_version_excerpt"), excerpt}}});
}

void SetupFlowModel::buildOutcomeAudit() {
    if (left_ || step_.kind != Step::Kind::outcome || auditRunning_ || !verifyResult_ ||
        !verifyResult_->passed)
        return;
    auditRunning_ = true;
    keep(runInBackground(
        this,
        [profile = profile_, services = context_.services](WorkerTask&) {
            return collectOutcomeAudit(profile, *services.processRunner, services.fs,
                                       toolLocationsOf(services.toolLocations));
        },
        [this](QList<OutcomeAuditSection> sections) {
            auditRunning_ = false;
            if (left_ || step_.kind != Step::Kind::outcome)
                return;
            outcomeAudit_ = std::move(sections);
            Q_EMIT changed();
        }));
}

bool SetupFlowModel::resolveOutcome(const QString& answer) {
    if (left_ || step_.kind != Step::Kind::outcome)
        return false;
    if (config_.spinePolicy.onOutcomeReported)
        config_.spinePolicy.onOutcomeReported(
            verifyResult_ ? verifyResult_->engineOutcome : std::nullopt, answer);
    const QString key =
        ProductConfig::current().userDefaultsPrefix + QStringLiteral(".nps_submitted");
    if (context_.userDefaults && context_.userDefaults->boolean(key).value_or(false)) {
        left_ = true;
        return true;
    }
    trackRecommendationCardShown();
    changeStep(Step::nps());
    return false;
}

QList<OutcomeAuditSection> SetupFlowModel::collectOutcomeAudit(
    const std::optional<SystemProfile>& profile, ProcessRunning& runner,
    const std::shared_ptr<FileSystemOperating>& fs, const ToolLocations& locations) {
    QStringList foundation, editors, agents, languages;
    const auto run = [&](const QString& command) { return runLoginShell(runner, command); };

    if (run(QStringLiteral("xcode-select -p 2>&1")).ok) {
        foundation << QStringLiteral("Command Line Tools installed");
        const auto git = run(QStringLiteral("git --version 2>&1"));
        if (git.ok) {
            QString line = QStringLiteral("git installed");
            for (const QString& candidate : git.output.split(QLatin1Char('\n')))
                if (!candidate.trimmed().isEmpty()) {
                    line = candidate.trimmed();
                    break;
                }
            foundation << line;
        }
    }
    if (const auto brew = run(QStringLiteral("brew --version 2>&1")); brew.ok) {
        const auto version = parseHomebrewVersion(brew.output);
        foundation << (version ? QStringLiteral("Homebrew installed — version ") + *version
                               : QStringLiteral("Homebrew installed"));
    }
    if (ShellConfigurator{fs, {}, locations}.isConfigured())
        foundation << QStringLiteral("Shell configuration in place");
    const bool misePassed = run(QStringLiteral("mise --version 2>&1")).ok;
    if (misePassed)
        foundation << QStringLiteral("mise installed for language version management");

    if (profile) {
        const AITooling& ai = profile->aiTooling;
        if (ai.warpApp || profile->terminals.warp)
            editors << QStringLiteral("Warp installed");
        if (ai.zed)
            editors << QStringLiteral("Zed installed");
        if (ai.vsCode)
            editors << QStringLiteral("VS Code installed");
        if (ai.claudeCodeDesktop)
            agents << QStringLiteral(
                "Claude Desktop installed (paid subscription required for Claude Code)");
        if (ai.claudeCodeCLI)
            agents << QStringLiteral("Claude Code CLI installed (paid subscription required)");
        if (ai.chatgptDesktop)
            agents << QStringLiteral("ChatGPT Desktop installed");
        if (ai.codexCLI)
            agents << QStringLiteral("Codex CLI installed");
    }

    if (run(QStringLiteral("uv --version 2>&1")).ok)
        languages << QStringLiteral("Python installed (with uv)");
    if (misePassed) {
        const std::pair<const char*, const char*> miseTools[] = {
            {"node", "JavaScript installed (with mise via Node)"},
            {"ruby", "Ruby installed (with mise)"},
            {"cargo", "Rust installed (with mise via rustup)"},
        };
        for (const auto& [tool, label] : miseTools)
            if (run(QStringLiteral("mise which %1 2>/dev/null").arg(QLatin1String(tool))).ok)
                languages << QString::fromUtf8(label);
    }
    if (run(QStringLiteral("/usr/libexec/java_home 2>/dev/null")).ok)
        languages << QStringLiteral("Java installed");

    QList<OutcomeAuditSection> sections;
    const std::pair<QString, QStringList> lists[] = {
        {QStringLiteral("Foundation"), foundation},
        {QStringLiteral("Editors & terminal"), editors},
        {QStringLiteral("AI agents"), agents},
        {QStringLiteral("Languages"), languages},
    };
    for (const auto& [title, items] : lists)
        if (!items.isEmpty())
            sections << OutcomeAuditSection{title, items};
    return sections;
}

} // namespace tovr
