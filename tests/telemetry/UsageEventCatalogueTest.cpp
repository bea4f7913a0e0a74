#include "TelemetryDoubles.h"
#include "support/LoopbackHTTPServer.h"

#include "platform/JoiningThread.h"
#include "platform/LiveHTTPFetcher.h"

#include "telemetry/TelemetryService.h"
#include "telemetry/UsageEventCatalogue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <atomic>

using namespace tovr;
using namespace tovr::test;
using namespace std::chrono_literals;

namespace {

const QString kUser = currentUserName();
const QString kHome = QStringLiteral("/Users/") + kUser;

// Events the sending builders hand to the process's service, as a loopback backend got them.
class SentEvents {
public:
    SentEvents() {
        server_.answer("/records", 201, {});
        TelemetryService::Configuration c;
        c.endpointURL = server_.url("/records");
        c.anonKey = "k.k.k";
        c.urlSessionFactory = [] { return std::make_shared<LiveHTTPFetcher>(); };
        c.fs = std::make_shared<MemoryFileSystem>();
        c.pendingFileURL = "/tmp/t/pending-events.json";
        service_ = std::make_shared<TelemetryService>(c);
        scope_.emplace(service_);
    }
    // The name and event_data of every post so far.
    QList<std::pair<QString, QJsonObject>> events() {
        service_->waitUntilIdle(5s);
        QList<std::pair<QString, QJsonObject>> out;
        for (const auto& r : server_.requests()) {
            const QJsonObject o = QJsonDocument::fromJson(r.body).array().at(0).toObject();
            out.append({o.value("event_name").toString(), o.value("event_data").toObject()});
        }
        return out;
    }

private:
    LoopbackHTTPServer server_;
    std::shared_ptr<TelemetryService> service_;
    std::optional<TelemetryService::ScopedShared> scope_;
};

SystemProfile sampleProfile() {
    SystemProfile p;
    p.architecture = Architecture::appleSilicon;
    p.macosVersion = {14, 5, 1};
    p.shell = Shell::other("nu");
    p.homebrewPrefix = "/opt/homebrew/bin/brew";
    p.jenvRoot = kHome + "/.jenv";
    p.terminals.ghostty = true;
    p.terminals.iterm = true;
    p.aiTooling.zed = true;
    p.javaState.installedJDKs = {
        {"1.8.0_292", "", "", kHome + "/Library/Java/JavaVirtualMachines/zulu-8.jdk"},
        {"21.0.2", "Eclipse Adoptium", "", "/Library/Java/JavaVirtualMachines/temurin-21.jdk"}};
    p.javaState.javaHomeInActiveShell = "";
    return p;
}

} // namespace

TEST(UsageEventCatalogue, AppLaunchedDescribesTheMac) {
    const UsageEvent event = appLaunchedEvent(sampleProfile());
    EXPECT_EQ(event.name, "app_launched");
    EXPECT_EQ(event.properties, (JSONObject{{"macos_major", 14},
                                            {"macos_minor", 5},
                                            {"arch", "arm64"},
                                            {"shell", "other"},
                                            {"has_homebrew", true},
                                            {"has_sdkman", false},
                                            {"has_mise", false},
                                            {"has_jenv", true},
                                            {"has_asdf", false},
                                            {"has_xcode_clt", false}}));
    EXPECT_EQ(appLaunchedEvent(std::nullopt), (UsageEvent{"app_launched", {}}));
}

TEST(UsageEventCatalogue, JavaDiagnosisCarriesRedactedPathsAndNullsForUnknowns) {
    SystemProfile profile = sampleProfile();
    const UsageEvent event = javaDiagnosisReachedEvent(Diagnosis::D1_NoJDK(), profile);
    EXPECT_EQ(event.properties["diagnosis"], JSONValue("D1_NoJDK"));
    EXPECT_EQ(event.properties["reason"], JSONValue("no JDK installed"));
    EXPECT_EQ(event.properties["java_major_version"], JSONValue(8));
    EXPECT_EQ(event.properties["current_java_home"], JSONValue()); // empty counts as unset
    const JSONArray jdks = *event.properties["discovered_jdks"].array();
    ASSERT_EQ(jdks.size(), 2);
    EXPECT_EQ(jdks[0],
              JSONValue(JSONObject{{"path", "/Users/~/Library/Java/JavaVirtualMachines/zulu-8.jdk"},
                                   {"major_version", 8},
                                   {"vendor", nullptr}}));
    EXPECT_EQ(*jdks[1].object()->value("vendor").string(), "Eclipse Adoptium");

    profile.javaState.installedJDKs = {{"weird", "", "", "/x"}};
    profile.javaState.javaHomeInActiveShell = kHome + "/jdk";
    const UsageEvent other = javaDiagnosisReachedEvent(Diagnosis::noErrorsFound(), profile);
    EXPECT_EQ(other.properties["java_major_version"], JSONValue(0)); // never null
    EXPECT_EQ(other.properties["current_java_home"], JSONValue("/Users/~/jdk"));
    EXPECT_EQ(other.properties["diagnosis"], JSONValue("no_errors_found"));
    EXPECT_EQ(other.properties["reason"], JSONValue("JDK installed, JAVA_HOME set"));
}

TEST(UsageEventCatalogue, FreeTextsAreRedactedThenCut) {
    const QString path = kHome + "/x";
    EXPECT_EQ(diagnosisTelemetryCode(Diagnosis::unknown(QString(121, u'r'))).second,
              QString(120, u'r'));
    EXPECT_EQ(diagnosisTelemetryCode(Diagnosis::unknown(QString(120, u'r'))).second,
              QString(120, u'r'));
    EXPECT_EQ(diagnosisTelemetryCode(Diagnosis::unknown("JAVA_HOME " + path)).second,
              "JAVA_HOME /Users/~/x");

    const auto failed = setupRemediationFailedEvent(SetupRemediation::repairPath(kHome + "/bin"), 3,
                                                    QString(161, u'f'));
    EXPECT_EQ(failed.properties["reason"], JSONValue(QString(160, u'f')));
    EXPECT_EQ(failed.properties["remediation_id"], JSONValue("path-repair:/Users/~/bin"));
    EXPECT_EQ(failed.properties["exit_code"], JSONValue(3));

    const auto javaFailed = javaRemediationFailedEvent(
        Remediation::writeJavaHomeToZprofile(kHome + "/jdk-21"), 1, "open " + path + ": denied");
    EXPECT_EQ(javaFailed.properties["remediation_id"], JSONValue("zprofile:/Users/~/jdk-21"));
    EXPECT_EQ(javaFailed.properties["reason"], JSONValue("open /Users/~/x: denied"));

    EXPECT_EQ(npsSubmittedEvent(9, QString(" \n\t \r\n")).properties["reason"], JSONValue());
    EXPECT_EQ(npsSubmittedEvent(9, std::nullopt).properties["reason"], JSONValue());
    EXPECT_EQ(npsSubmittedEvent(10, "  great\n").properties,
              (JSONObject{{"score", 10}, {"reason", "great"}}));
    EXPECT_EQ(*npsSubmittedEvent(1, QString(501, u'n')).properties["reason"].string(),
              QString(500, u'n'));
}

TEST(UsageEventCatalogue, VerifyEventsReadTheVersionLine) {
    const QString output = "Picked up _JAVA_OPTIONS: -Djava.io.tmpdir=" + kHome +
                           "/tmp\nopenjdk version \"21.0.2\" 2024-01-16\n";
    EXPECT_EQ(verifyPassedEvent(output).properties,
              (JSONObject{{"java_version_excerpt", "openjdk version \"21.0.2\" 2024-01-16"},
                          {"java_major_version", 21}}));
    EXPECT_EQ(verifyPassedEvent("").properties,
              (JSONObject{{"java_version_excerpt", ""}, {"java_major_version", nullptr}}));
    // Without a version line the first line is sent, and it may quote the home folder.
    EXPECT_EQ(verifyPassedEvent(output.section('\n', 0, 0)).properties["java_version_excerpt"],
              JSONValue("Picked up _JAVA_OPTIONS: -Djava.io.tmpdir=/Users/~/tmp"));
    const auto legacy = verifyPassedWithLegacyEvent("java version \"1.8.0_292\"", kHome + "/jdk8");
    EXPECT_EQ(legacy.name, "verify_passed_with_legacy");
    EXPECT_EQ(legacy.properties["chosen_path"], JSONValue("/Users/~/jdk8"));
    EXPECT_EQ(legacy.properties["java_major_version"], JSONValue(8));
}

TEST(UsageEventCatalogue, MappedValuesUseTheirRawTexts) {
    EXPECT_EQ(remediationMethodName(Remediation::installViaPKGThenJEnv(21)), "pkg+jenv");
    EXPECT_EQ(remediationMethodName(Remediation::keepCurrentLegacyJava("/j")),
              "zprofile_write_legacy");
    EXPECT_EQ(remediationMethodName(Remediation::installHomebrewThenWarp("warp")), "homebrew+brew");
    EXPECT_EQ(remediationMethodName(Remediation::setJavaHomeViaJenv("/j", 21)), "jenv");

    const auto audit = auditReachedEvent(sampleProfile(), AuditEntry::nextStepBuildSoftware);
    EXPECT_EQ(audit.properties, (JSONObject{{"ai_tool_count", 1},
                                            {"terminal_count", 2},
                                            {"ai_tools", JSONArray{"zed"}},
                                            {"terminals", JSONArray{"ghostty", "iterm2"}},
                                            {"entry", "next_step_build_software"}}));
    EXPECT_EQ(auditStageOutcomeEvent("clt", AuditStageOutcome::skippedMissingBlocked).properties,
              (JSONObject{{"stage_id", "clt"}, {"outcome", "skipped_missing_blocked"}}));
    EXPECT_EQ(setupDiagnosisReachedEvent("fixable", 2, 0, {"warp"}).properties,
              (JSONObject{{"reason", "fixable"},
                          {"fixable_count", 2},
                          {"blocked_count", 0},
                          {"terminal_count", 1},
                          {"terminals", JSONArray{"warp"}}}));
}

TEST(UsageEventCatalogue, ReadinessChecksRoundAndLeaveUnknownFiguresOut) {
    NetworkReadinessResult network;
    network.verdict = NetworkVerdict::slow;
    network.endpointsReachable = 2;
    network.endpointsTotal = 3;
    EXPECT_EQ(
        networkCheckEvent(network).properties,
        (JSONObject{{"verdict", "slow"}, {"endpoints_reachable", 2}, {"endpoints_total", 3}}));
    network.downMbps = 12.25;
    network.estimatedInstallSeconds = 340;
    const auto measured = networkCheckEvent(network).properties;
    EXPECT_EQ(measured["down_mbps"], JSONValue(12.3)); // half away from zero
    EXPECT_EQ(measured["estimated_install_seconds"], JSONValue(340));

    DiskReadinessResult disk;
    disk.verdict = DiskVerdict::unmeasured;
    disk.worstCaseBytes = 12'500'000'000;
    disk.headroomBytes = 4'499'999'999;
    EXPECT_EQ(diskSpaceCheckEvent(disk).properties,
              (JSONObject{{"verdict", "unmeasured"}, {"worst_case_gb", 13}, {"headroom_gb", 4}}));
    disk.availableBytes = 0;
    EXPECT_EQ(diskSpaceCheckEvent(disk).properties["available_gb"], JSONValue(0));
    EXPECT_EQ(diskWarningActionEvent("stop", DiskVerdict::critical).properties,
              (JSONObject{{"action", "stop"}, {"verdict", "critical"}}));
    EXPECT_EQ(networkWarningActionEvent("continue", NetworkVerdict::unreachable).name,
              "network_warning_action");
}

TEST(UsageEventCatalogue, SendingBuildersPostThroughTheSharedService) {
    SentEvents sent;
    trackOutcomeReported("passed", "it works");
    trackClaudeOutcomeReported("failed", "still broken");
    trackSetupRemediationApplied(SetupRemediation::installMise());
    trackVerifyFailed("openjdk version \"17\"", 127);
    trackNextStepSelected("course", "ready", std::nullopt, "completion");
    trackBuildIntentPromptShown(BuildIntentSurface::modernHomeSet);
    trackAuditOutboundClicked("Warp", QUrl("https://www.warp.dev/download?a=b c"));

    const auto events = sent.events();
    ASSERT_EQ(events.size(), 7);
    EXPECT_EQ(events[0].first, "outcome_reported");
    EXPECT_EQ(events[0].second,
              (QJsonObject{{"engine_outcome", "passed"}, {"self_report", "it works"}}));
    EXPECT_EQ(events[1].first, "claude_outcome_reported");
    EXPECT_EQ(events[2].second.value("remediation_id").toString(), "brew:mise");
    EXPECT_EQ(events[3].second, (QJsonObject{{"exit_code", 127},
                                             {"java_version_excerpt", "openjdk version \"17\""}}));
    EXPECT_TRUE(events[4].second.contains("goal"));
    EXPECT_TRUE(events[4].second.value("goal").isNull());
    EXPECT_EQ(events[5].second.value("surface").toString(), "modern_home_set");
    EXPECT_EQ(events[6].second.value("url").toString(), "https://www.warp.dev/download?a=b%20c");
}

TEST(UsageEventCatalogue, RecommendationCardShownGoesOutOncePerProcess) {
    SentEvents sent;
    std::atomic<int> winners{0};
    {
        std::vector<JoiningThread> screens;
        for (int i = 0; i < 8; ++i)
            screens.emplace_back([&] { winners += trackRecommendationCardShown() ? 1 : 0; });
    }
    // The flag lives as long as the process: only the first run here can win it.
    static bool firstRun = true;
    EXPECT_EQ(winners.load(), std::exchange(firstRun, false) ? 1 : 0);
    EXPECT_FALSE(trackRecommendationCardShown());
    const auto events = sent.events();
    ASSERT_EQ(events.size(), winners.load());
    if (events.isEmpty())
        return;
    EXPECT_EQ(events[0].first, "nps_shown");
    EXPECT_TRUE(events[0].second.isEmpty());
}
