#include "telemetry/UsageEventCatalogue.h"

#include <cmath>

namespace tovr {

namespace {

// Diagnosis messages and failure reasons are free text and may quote paths.
QString redactedPrefix(const QString& text, qsizetype limit) {
    return stringPrefix(redactHomePath(text), limit);
}

JSONValue stringOrNull(const std::optional<QString>& text) {
    return text ? JSONValue(*text) : JSONValue();
}

JSONValue majorVersionOrNull(const QString& text) {
    const auto major = parseJavaMajorVersion(text);
    return major ? JSONValue(*major) : JSONValue();
}

JSONArray stringArray(const QStringList& texts) {
    JSONArray out;
    out.reserve(texts.size());
    for (const auto& text : texts)
        out.append(text);
    return out;
}

QString architectureName(Architecture architecture) {
    switch (architecture) {
    case Architecture::appleSilicon:
        return QStringLiteral("arm64");
    case Architecture::intel:
        return QStringLiteral("x86_64");
    case Architecture::unknown:
        break;
    }
    return QStringLiteral("unknown");
}

QString shellName(const Shell& shell) {
    switch (shell.kind) {
    case Shell::Kind::zsh:
        return QStringLiteral("zsh");
    case Shell::Kind::bash:
        return QStringLiteral("bash");
    case Shell::Kind::fish:
        return QStringLiteral("fish");
    case Shell::Kind::other:
        break;
    }
    return QStringLiteral("other");
}

void send(QString name, JSONObject properties = {}) {
    sendUsageEvent({std::move(name), std::move(properties)});
}

JSONObject verifyPassedProperties(const QString& versionOutput) {
    const QString excerpt = javaVersionExcerpt(redactHomePath(versionOutput));
    return {{QStringLiteral("java_version_excerpt"), excerpt},
            {QStringLiteral("java_major_version"), majorVersionOrNull(excerpt)}};
}

bool recommendationCardShown = false; // guarded by telemetryLock()

} // namespace

QString toRaw(AuditStageOutcome outcome) {
    switch (outcome) {
    case AuditStageOutcome::rendered:
        return QStringLiteral("rendered");
    case AuditStageOutcome::skippedAlreadyOk:
        return QStringLiteral("skipped_already_ok");
    case AuditStageOutcome::skippedMissingBlocked:
        break;
    }
    return QStringLiteral("skipped_missing_blocked");
}

UsageEvent appLaunchedEvent(const std::optional<SystemProfile>& profile) {
    if (!profile)
        return {QStringLiteral("app_launched"), {}};
    return {QStringLiteral("app_launched"),
            {
                {QStringLiteral("macos_major"), profile->macosVersion.majorVersion},
                {QStringLiteral("macos_minor"), profile->macosVersion.minorVersion},
                {QStringLiteral("arch"), architectureName(profile->architecture)},
                {QStringLiteral("shell"), shellName(profile->shell)},
                {QStringLiteral("has_homebrew"), profile->homebrewPrefix.has_value()},
                {QStringLiteral("has_sdkman"), profile->sdkmanRoot.has_value()},
                {QStringLiteral("has_mise"), profile->miseExecutable.has_value()},
                {QStringLiteral("has_jenv"), profile->jenvRoot.has_value()},
                {QStringLiteral("has_asdf"), profile->asdfRoot.has_value()},
                {QStringLiteral("has_xcode_clt"), profile->xcodeCommandLineToolsPath.has_value()},
            }};
}

void trackOutcomeReported(const QString& engineOutcome, const QString& selfReport) {
    send(QStringLiteral("outcome_reported"), {{QStringLiteral("engine_outcome"), engineOutcome},
                                              {QStringLiteral("self_report"), selfReport}});
}

void trackClaudeOutcomeReported(const QString& engineOutcome, const QString& selfReport) {
    send(QStringLiteral("claude_outcome_reported"),
         {{QStringLiteral("engine_outcome"), engineOutcome},
          {QStringLiteral("self_report"), selfReport}});
}

UsageEvent claudeConflictSurfacedEvent(qint64 installCount) {
    return {QStringLiteral("claude_conflict_surfaced"),
            {{QStringLiteral("install_count"), installCount}}};
}

UsageEvent javaDiagnosisReachedEvent(const Diagnosis& diagnosis, const SystemProfile& profile) {
    const auto& jdks = profile.javaState.installedJDKs;
    const auto [code, reason] = diagnosisTelemetryCode(diagnosis);
    qint64 firstMajor = 0;
    if (!jdks.isEmpty())
        firstMajor = majorVersion(jdks.first()).value_or(0);
    JSONArray discovered;
    for (const auto& jdk : jdks)
        discovered.append(jdkTelemetryProperties(jdk));
    const auto& home = profile.javaState.javaHomeInActiveShell;
    return {QStringLiteral("diagnosis_reached"),
            {
                {QStringLiteral("diagnosis"), code},
                {QStringLiteral("reason"), reason},
                {QStringLiteral("java_major_version"), firstMajor},
                {QStringLiteral("discovered_jdks"), discovered},
                {QStringLiteral("current_java_home"),
                 home && !home->isEmpty() ? JSONValue(redactHomePath(*home)) : JSONValue()},
            }};
}

UsageEvent setupDiagnosisReachedEvent(const QString& reason, qint64 fixableCount,
                                      qint64 blockedCount, const QStringList& terminalIDs) {
    return {QStringLiteral("diagnosis_reached"),
            {
                {QStringLiteral("reason"), reason},
                {QStringLiteral("fixable_count"), fixableCount},
                {QStringLiteral("blocked_count"), blockedCount},
                {QStringLiteral("terminal_count"), terminalIDs.size()},
                {QStringLiteral("terminals"), stringArray(terminalIDs)},
            }};
}

void trackRemediationApplied(const Remediation& remediation) {
    send(QStringLiteral("remediation_applied"),
         {{QStringLiteral("remediation_id"), telemetryRemediationID(remediation)},
          {QStringLiteral("method"), remediationMethodName(remediation)}});
}

void trackSetupRemediationApplied(const SetupRemediation& remediation) {
    send(QStringLiteral("remediation_applied"),
         {{QStringLiteral("remediation_id"), telemetryRemediationID(remediation)},
          {QStringLiteral("method"), remediation.analyticsKey()}});
}

void trackRemediationCompleted(const Remediation& remediation, qint64 exitCode) {
    send(QStringLiteral("remediation_completed"),
         {{QStringLiteral("remediation_id"), telemetryRemediationID(remediation)},
          {QStringLiteral("exit_code"), exitCode}});
}

void trackSetupRemediationCompleted(const SetupRemediation& remediation, qint64 exitCode) {
    send(QStringLiteral("remediation_completed"),
         {{QStringLiteral("remediation_id"), telemetryRemediationID(remediation)},
          {QStringLiteral("exit_code"), exitCode}});
}

UsageEvent javaRemediationFailedEvent(const Remediation& remediation, qint64 exitCode,
                                      const QString& reason) {
    return {QStringLiteral("remediation_failed"),
            {{QStringLiteral("remediation_id"), telemetryRemediationID(remediation)},
             {QStringLiteral("exit_code"), exitCode},
             {QStringLiteral("reason"), redactedPrefix(reason, 160)}}};
}

UsageEvent setupRemediationFailedEvent(const SetupRemediation& remediation, qint64 exitCode,
                                       const QString& reason) {
    return {QStringLiteral("remediation_failed"),
            {{QStringLiteral("remediation_id"), telemetryRemediationID(remediation)},
             {QStringLiteral("exit_code"), exitCode},
             {QStringLiteral("reason"), redactedPrefix(reason, 160)}}};
}

UsageEvent verifyPassedEvent(const QString& versionOutput) {
    return {QStringLiteral("verify_passed"), verifyPassedProperties(versionOutput)};
}

UsageEvent verifyPassedWithLegacyEvent(const QString& versionOutput, const QString& chosenJDKPath) {
    JSONObject properties = verifyPassedProperties(versionOutput);
    properties.insert(QStringLiteral("chosen_path"), redactHomePath(chosenJDKPath));
    return {QStringLiteral("verify_passed_with_legacy"), properties};
}

void trackVerifyFailed(const QString& versionOutput, qint32 exitCode) {
    send(QStringLiteral("verify_failed"), {{QStringLiteral("exit_code"), exitCode},
                                           {QStringLiteral("java_version_excerpt"),
                                            javaVersionExcerpt(redactHomePath(versionOutput))}});
}

void trackEngineVerifyFailed(const QString& engineOutcome, qint64 exitCode) {
    send(QStringLiteral("verify_failed"), {{QStringLiteral("engine_outcome"), engineOutcome},
                                           {QStringLiteral("exit_code"), exitCode}});
}

void trackChooserShown(const QString& screen, qint64 defaultOffered) {
    send(QStringLiteral("chooser_shown"),
         {{QStringLiteral("screen"), screen}, {QStringLiteral("default_offered"), defaultOffered}});
}

UsageEvent npsSubmittedEvent(qint64 score, const std::optional<QString>& reason) {
    std::optional<QString> trimmed;
    if (reason) {
        const QString text = reason->trimmed();
        if (!text.isEmpty())
            trimmed = stringPrefix(text, 500);
    }
    return {QStringLiteral("nps_submitted"),
            {{QStringLiteral("score"), score}, {QStringLiteral("reason"), stringOrNull(trimmed)}}};
}

void trackNextStepSelected(const QString& nextStep, const QString& outcome,
                           const std::optional<QString>& goal, const QString& surface) {
    send(QStringLiteral("next_step_selected"), {{QStringLiteral("next_step"), nextStep},
                                                {QStringLiteral("outcome"), outcome},
                                                {QStringLiteral("goal"), stringOrNull(goal)},
                                                {QStringLiteral("surface"), surface}});
}

void trackBuildIntentPromptShown(BuildIntentSurface surface) {
    send(QStringLiteral("build_intent_prompt_shown"),
         {{QStringLiteral("surface"), toRaw(surface)}});
}

void trackBuildIntentOptedIn(BuildIntentSurface surface) {
    send(QStringLiteral("build_intent_opted_in"), {{QStringLiteral("surface"), toRaw(surface)}});
}

UsageEvent networkCheckEvent(const NetworkReadinessResult& result) {
    JSONObject properties{{QStringLiteral("verdict"), toRaw(result.verdict)},
                          {QStringLiteral("endpoints_reachable"), result.endpointsReachable},
                          {QStringLiteral("endpoints_total"), result.endpointsTotal}};
    // std::round goes half away from zero.
    if (result.downMbps)
        properties.insert(QStringLiteral("down_mbps"), std::round(*result.downMbps * 10) / 10);
    if (result.estimatedInstallSeconds)
        properties.insert(QStringLiteral("estimated_install_seconds"),
                          *result.estimatedInstallSeconds);
    return {QStringLiteral("network_check"), properties};
}

UsageEvent networkWarningActionEvent(const QString& action, NetworkVerdict verdict) {
    return {QStringLiteral("network_warning_action"),
            {{QStringLiteral("action"), action}, {QStringLiteral("verdict"), toRaw(verdict)}}};
}

UsageEvent diskSpaceCheckEvent(const DiskReadinessResult& result) {
    const auto gigabytes = [](qint64 bytes) { return std::llround(double(bytes) / 1e9); };
    JSONObject properties{{QStringLiteral("verdict"), toRaw(result.verdict)},
                          {QStringLiteral("worst_case_gb"), gigabytes(result.worstCaseBytes)},
                          {QStringLiteral("headroom_gb"), gigabytes(result.headroomBytes)}};
    if (result.availableBytes)
        properties.insert(QStringLiteral("available_gb"), gigabytes(*result.availableBytes));
    return {QStringLiteral("disk_space_check"), properties};
}

UsageEvent diskWarningActionEvent(const QString& action, DiskVerdict verdict) {
    return {QStringLiteral("disk_warning_action"),
            {{QStringLiteral("action"), action}, {QStringLiteral("verdict"), toRaw(verdict)}}};
}

UsageEvent auditReachedEvent(const SystemProfile& profile, AuditEntry entry) {
    const QStringList aiTools = profile.aiTooling.detectedIDs();
    const QStringList terminals = profile.terminals.detectedIDs();
    return {QStringLiteral("audit_reached"),
            {
                {QStringLiteral("ai_tool_count"), aiTools.size()},
                {QStringLiteral("terminal_count"), terminals.size()},
                {QStringLiteral("ai_tools"), stringArray(aiTools)},
                {QStringLiteral("terminals"), stringArray(terminals)},
                {QStringLiteral("entry"), toRaw(entry)},
            }};
}

UsageEvent auditStageOutcomeEvent(const QString& stageID, AuditStageOutcome outcome) {
    return {QStringLiteral("audit_stage_outcome"),
            {{QStringLiteral("stage_id"), stageID}, {QStringLiteral("outcome"), toRaw(outcome)}}};
}

void trackAuditOutboundClicked(const QString& tool, const QUrl& url) {
    send(QStringLiteral("audit_outbound_clicked"),
         {{QStringLiteral("tool"), tool},
          {QStringLiteral("url"), QString::fromUtf8(url.toEncoded())}});
}

std::mutex& telemetryLock() {
    static std::mutex lock;
    return lock;
}

bool trackRecommendationCardShown() {
    {
        std::lock_guard guard(telemetryLock());
        if (std::exchange(recommendationCardShown, true))
            return false;
    }
    send(QStringLiteral("nps_shown"));
    return true;
}

JSONObject jdkTelemetryProperties(const JDKInfo& jdk) {
    const auto major = majorVersion(jdk);
    return {{QStringLiteral("path"), redactHomePath(jdk.path)},
            {QStringLiteral("major_version"), major ? JSONValue(*major) : JSONValue()},
            {QStringLiteral("vendor"), jdk.vendor.isEmpty() ? JSONValue() : JSONValue(jdk.vendor)}};
}

std::pair<QString, QString> diagnosisTelemetryCode(const Diagnosis& diagnosis) {
    switch (diagnosis.kind()) {
    case Diagnosis::Kind::D1_NoJDK:
        return {QStringLiteral("D1_NoJDK"), QStringLiteral("no JDK installed")};
    case Diagnosis::Kind::D2_HomeUnset:
        return {QStringLiteral("D2_HomeUnset"), QStringLiteral("JDK installed, JAVA_HOME unset")};
    case Diagnosis::Kind::D3_LegacyOnly:
        return {QStringLiteral("D3_LegacyOnly"), QStringLiteral("only legacy JDK installed")};
    case Diagnosis::Kind::D4_ModernHomeSet:
        return {QStringLiteral("D4_ModernHomeSet"),
                QStringLiteral("modern JDK installed, JAVA_HOME set")};
    case Diagnosis::Kind::unknown:
        return {QStringLiteral("unknown"), redactedPrefix(diagnosis.reason(), 120)};
    case Diagnosis::Kind::noErrorsFound:
        break;
    }
    return {QStringLiteral("no_errors_found"), QStringLiteral("JDK installed, JAVA_HOME set")};
}

QString remediationMethodName(const Remediation& remediation) {
    using R = Remediation;
    struct Names {
        QString operator()(const R::InstallTemurinViaBrew&) const { return "brew"; }
        QString operator()(const R::InstallViaSDKMAN&) const { return "sdkman"; }
        QString operator()(const R::InstallViaMise&) const { return "mise"; }
        QString operator()(const R::InstallViaPKG&) const { return "pkg"; }
        QString operator()(const R::InstallViaPKGThenJEnv&) const { return "pkg+jenv"; }
        QString operator()(const R::WriteJavaHomeToZprofile&) const { return "zprofile_write"; }
        QString operator()(const R::SetJavaHomeViaSDKMAN&) const { return "sdkman"; }
        QString operator()(const R::SetJavaHomeViaMise&) const { return "mise"; }
        QString operator()(const R::SetJavaHomeViaJenv&) const { return "jenv"; }
        QString operator()(const R::KeepCurrentLegacyJava&) const {
            return "zprofile_write_legacy";
        }
        QString operator()(const R::InstallHomebrewThenTemurin&) const { return "homebrew+brew"; }
        QString operator()(const R::InstallWarpViaBrew&) const { return "brew"; }
        QString operator()(const R::InstallHomebrewThenWarp&) const { return "homebrew+brew"; }
        QString operator()(const R::InstallHomebrew&) const { return "homebrew"; }
    };
    return std::visit(Names{}, remediation.value());
}

QString telemetryRemediationID(const Remediation& remediation) {
    return redactHomePath(remediation.id());
}

QString telemetryRemediationID(const SetupRemediation& remediation) {
    return redactHomePath(remediation.id());
}

} // namespace tovr
