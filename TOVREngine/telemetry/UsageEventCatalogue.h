#pragma once

#include "model/AuditContext.h"
#include "model/CompletionSurface.h"
#include "model/Diagnosis.h"
#include "model/Remediation.h"
#include "model/SetupRemediation.h"
#include "platform/DiskReadinessConfig.h"
#include "platform/JDKInfo.h"
#include "platform/NetworkReadinessConfig.h"
#include "platform/SystemProfile.h"
#include "telemetry/TelemetryText.h"
#include "telemetry/UsageEvent.h"

#include <QStringList>
#include <QUrl>

#include <mutex>
#include <optional>
#include <utility>

// The usage events the application records. Builders named track… send the event
// themselves and return at once; builders named …Event return it for the caller to send.
// Every text that can carry a file path has the user's home folder redacted, and free texts
// are cut to fixed lengths in user-perceived characters.
namespace tovr {

// How one stage of the staged audit was reached.
enum class AuditStageOutcome { rendered, skippedAlreadyOk, skippedMissingBlocked };
QString toRaw(AuditStageOutcome outcome);

UsageEvent appLaunchedEvent(const std::optional<SystemProfile>& profile);
void trackOutcomeReported(const QString& engineOutcome, const QString& selfReport);
void trackClaudeOutcomeReported(const QString& engineOutcome, const QString& selfReport);
// More than one `claude` install stands in the way of the Claude Code CLI stage.
UsageEvent claudeConflictSurfacedEvent(qint64 installCount);

UsageEvent javaDiagnosisReachedEvent(const Diagnosis& diagnosis, const SystemProfile& profile);
UsageEvent setupDiagnosisReachedEvent(const QString& reason, qint64 fixableCount,
                                      qint64 blockedCount, const QStringList& terminalIDs);

void trackRemediationApplied(const Remediation& remediation);
void trackSetupRemediationApplied(const SetupRemediation& remediation);
void trackRemediationCompleted(const Remediation& remediation, qint64 exitCode);
void trackSetupRemediationCompleted(const SetupRemediation& remediation, qint64 exitCode);
UsageEvent javaRemediationFailedEvent(const Remediation& remediation, qint64 exitCode,
                                      const QString& reason);
UsageEvent setupRemediationFailedEvent(const SetupRemediation& remediation, qint64 exitCode,
                                       const QString& reason);

UsageEvent verifyPassedEvent(const QString& versionOutput);
UsageEvent verifyPassedWithLegacyEvent(const QString& versionOutput, const QString& chosenJDKPath);
void trackVerifyFailed(const QString& versionOutput, qint32 exitCode);
void trackEngineVerifyFailed(const QString& engineOutcome, qint64 exitCode);

void trackChooserShown(const QString& screen, qint64 defaultOffered);
UsageEvent npsSubmittedEvent(qint64 score, const std::optional<QString>& reason);
void trackNextStepSelected(const QString& nextStep, const QString& outcome,
                           const std::optional<QString>& goal, const QString& surface);
void trackBuildIntentPromptShown(BuildIntentSurface surface);
void trackBuildIntentOptedIn(BuildIntentSurface surface);

UsageEvent networkCheckEvent(const NetworkReadinessResult& result);
UsageEvent networkWarningActionEvent(const QString& action, NetworkVerdict verdict);
UsageEvent diskSpaceCheckEvent(const DiskReadinessResult& result);
UsageEvent diskWarningActionEvent(const QString& action, DiskVerdict verdict);

UsageEvent auditReachedEvent(const SystemProfile& profile, AuditEntry entry);
UsageEvent auditStageOutcomeEvent(const QString& stageID, AuditStageOutcome outcome);
void trackAuditOutboundClicked(const QString& tool, const QUrl& url);

// Sends "nps_shown" when no screen of this process has shown the recommendation card yet;
// true when this call sent it.
bool trackRecommendationCardShown();
// Guards the once-per-process flag behind "nps_shown"; never held across a send.
std::mutex& telemetryLock();

// Helpers of the family.
JSONObject jdkTelemetryProperties(const JDKInfo& jdk);
// The pair ("diagnosis", "reason") of a Java diagnosis.
std::pair<QString, QString> diagnosisTelemetryCode(const Diagnosis& diagnosis);
QString remediationMethodName(const Remediation& remediation);
// A fix's id as events carry it: ids such as "zprofile:<JDK folder>" hold paths.
QString telemetryRemediationID(const Remediation& remediation);
QString telemetryRemediationID(const SetupRemediation& remediation);

} // namespace tovr
