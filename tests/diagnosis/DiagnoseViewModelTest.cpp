#include "support/FixtureMac.h"
#include "support/MemoryKeyValueStore.h"
#include "support/QtPrinting.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"

#include "diagnosis/DiagnoseViewModel.h"
#include "diagnosis/DiagnosisDetailModel.h"
#include "products/cli/CliProductConfig.h"
#include "telemetry/UsageEventCatalogue.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

using Kind = FixtureMac::Kind;

struct Expected {
    Kind mac;
    Diagnosis::Kind diagnosis;
    // The proposed JAVA_HOME fix, from the JDK the diagnosis names.
    std::function<std::optional<Remediation>(const JDKInfo&)> javaHomeFix;
    // The install fix for a chosen major.
    std::function<Remediation(qint64)> installFix;
};

const QList<Expected>& expectations() {
    static const QList<Expected> table = {
        // Nothing installed, no developer tools: the plain installer package.
        {Kind::newAppleSilicon, Diagnosis::Kind::D1_NoJDK,
         [](const JDKInfo&) { return std::nullopt; },
         [](qint64 n) { return Remediation::installViaPKG(n); }},
        // JAVA_HOME names Java 17 while Java 21 is the modern one; Homebrew only.
        {Kind::intelWithThreeJDKs, Diagnosis::Kind::D2_HomeUnset,
         [](const JDKInfo& jdk) { return Remediation::writeJavaHomeToZprofile(jdk.path); },
         [](qint64 n) {
             return Remediation::installTemurinViaBrew("temurin@" + QString::number(n));
         }},
        // JAVA_HOME is SDKMAN's link, not the JDK folder: SDKMAN sets it (before mise, jEnv).
        {Kind::developerAppleSilicon, Diagnosis::Kind::D2_HomeUnset,
         [](const JDKInfo&) { return Remediation::setJavaHomeViaSDKMAN("21.0.2-tem"); },
         [](qint64 n) {
             return Remediation::installTemurinViaBrew("temurin@" + QString::number(n));
         }},
        // A JVM folder holding only junk: no automatic fix, the reason names what was found.
        {Kind::broken, Diagnosis::Kind::unknown, [](const JDKInfo&) { return std::nullopt; },
         [](qint64 n) {
             return Remediation::installTemurinViaBrew("temurin@" + QString::number(n));
         }},
    };
    return table;
}

SystemProfile bareProfile() {
    SystemProfile profile;
    profile.architecture = Architecture::appleSilicon;
    return profile;
}

JDKInfo jdk(const QString& version) {
    return {version, "Eclipse Adoptium", "arm64",
            "/Library/Java/JavaVirtualMachines/x.jdk/Contents/Home"};
}

} // namespace

TEST(DiagnoseViewModel, DiagnosesEachFixtureMacAndProposesTheFixAJavaDeveloperExpects) {
    ScopedProductConfig java(ProductConfig::javaDiagnosis());
    for (const Expected& expected : expectations()) {
        SCOPED_TRACE(FixtureMac::name(expected.mac));
        RecordedTelemetry telemetry;
        const FixtureMac mac(expected.mac);
        const SystemProfile profile = mac.expectedProfile();

        DiagnoseViewModel model;
        EXPECT_EQ(model.state(), DiagnoseViewModel::State(DiagnoseViewModel::Probing{}));
        int changed = 0;
        QObject::connect(&model, &DiagnoseViewModel::changed, [&] { ++changed; });
        model.diagnose(profile);
        EXPECT_EQ(changed, 1);

        const auto* shown = std::get_if<DiagnoseViewModel::Diagnosed>(&model.state());
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->diagnosis.kind(), expected.diagnosis);
        EXPECT_FALSE(shown->d1Remediation);
        const JDKInfo named = shown->diagnosis.detectedJDK().value_or(JDKInfo{});
        EXPECT_EQ(shown->d2Remediation, expected.javaHomeFix(named));
        if (expected.diagnosis == Diagnosis::Kind::D2_HomeUnset) {
            EXPECT_EQ(named, profile.javaState.installedJDKs.first()) << "the newest modern JDK";
        }
        if (expected.diagnosis == Diagnosis::Kind::unknown) {
            EXPECT_TRUE(shown->diagnosis.reason().contains(".DS_Store, loop.jdk"));
        }

        for (qint64 major : {25, 21, 17})
            EXPECT_EQ(DiagnoseViewModel::remediationForMajor(major, profile),
                      expected.installFix(major));

        const auto reached = telemetry.withName("diagnosis_reached");
        ASSERT_EQ(reached.size(), 1);
        EXPECT_EQ(reached[0]["diagnosis"].toString(),
                  diagnosisTelemetryCode(shown->diagnosis).first);
    }
}

TEST(DiagnoseViewModel, TheVersionPickedInTheChooserReachesTheInstallFix) {
    ScopedProductConfig java(ProductConfig::javaDiagnosis());
    RecordedTelemetry telemetry;
    MemoryKeyValueStore defaults;

    // No Java on a new Mac: the chooser starts at 25; picking 17 installs 17.
    const SystemProfile newMac = FixtureMac(Kind::newAppleSilicon).expectedProfile();
    std::optional<Remediation> asked;
    DiagnosisDetailModel::Callbacks callbacks;
    callbacks.onInstallChosen = [&](qint64 major) {
        asked = DiagnoseViewModel::remediationForMajor(major, newMac);
    };
    DiagnosisDetailModel d1(Diagnosis::D1_NoJDK(), std::nullopt, std::nullopt, callbacks, defaults);
    d1.appeared();
    EXPECT_EQ(d1.installTitle(), "Install Java 25");
    d1.installChosen();
    EXPECT_EQ(asked, Remediation::installViaPKG(25));
    d1.chooseMajor(17);
    EXPECT_EQ(d1.installTitle(), "Install Java 17");
    d1.installChosen();
    EXPECT_EQ(asked, Remediation::installViaPKG(17));
    EXPECT_EQ(d1.d3ChosenMajor(), 25) << "the two choosers keep their own choice";

    // Only Java 8 on a Mac with the Command Line Tools: Homebrew first, then Temurin 21;
    // keeping the old Java is the other way out.
    SystemProfile legacyMac = bareProfile();
    legacyMac.xcodeCommandLineToolsPath = "/Library/Developer/CommandLineTools";
    callbacks.onInstallChosen = [&](qint64 major) {
        asked = DiagnoseViewModel::remediationForMajor(major, legacyMac);
    };
    int kept = 0;
    callbacks.onKeepLegacy = [&] { ++kept; };
    DiagnosisDetailModel d3(Diagnosis::D3_LegacyOnly(jdk("1.8.0_402")), std::nullopt, std::nullopt,
                            callbacks, defaults);
    d3.appeared();
    d3.chooseMajor(21);
    d3.installChosen();
    EXPECT_EQ(asked, Remediation::installHomebrewThenTemurin("temurin@21"));
    d3.keepLegacy();
    EXPECT_EQ(kept, 1);

    // Each chooser coming on screen is counted, always with the default it offered.
    const auto shown = telemetry.withName("chooser_shown");
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0]["screen"].toString(), "d1");
    EXPECT_EQ(shown[1]["screen"].toString(), "d3");
    EXPECT_EQ(shown[1]["default_offered"].toInteger(), 25);
}

TEST(DiagnoseViewModel, InstallFixFollowsTheFirstVersionManagerFound) {
    SystemProfile all = bareProfile();
    all.homebrewPrefix = "/opt/homebrew/bin/brew";
    all.sdkmanRoot = "/Users/ana/.sdkman";
    all.miseExecutable = "/opt/homebrew/bin/mise";
    all.jenvRoot = "/Users/ana/.jenv";
    EXPECT_EQ(DiagnoseViewModel::remediationForMajor(17, all),
              Remediation::installTemurinViaBrew("temurin@17"));
    all.homebrewPrefix.reset();
    EXPECT_EQ(DiagnoseViewModel::remediationForMajor(17, all),
              Remediation::installViaSDKMAN("17-tem"));
    all.sdkmanRoot.reset();
    EXPECT_EQ(DiagnoseViewModel::remediationForMajor(21, all),
              Remediation::installViaMise("temurin-21"));
    all.miseExecutable.reset();
    EXPECT_EQ(DiagnoseViewModel::remediationForMajor(21, all),
              Remediation::installViaPKGThenJEnv(21));

    // Without a manager: a developer's Mac gets Homebrew too, anyone else the package.
    SystemProfile asdfOnly = bareProfile();
    asdfOnly.asdfRoot = "/Users/ana/.asdf";
    EXPECT_EQ(DiagnoseViewModel::remediationForMajor(25, asdfOnly), Remediation::installViaPKG(25));
    SystemProfile withTerminal = bareProfile();
    withTerminal.terminals.ghostty = true;
    EXPECT_EQ(DiagnoseViewModel::remediationForMajor(25, withTerminal),
              Remediation::installHomebrewThenTemurin("temurin@25"));
}

TEST(DiagnoseViewModel, JavaHomeFixNeverUsesHomebrewAndRegistersJEnvUnderAReadableMajor) {
    SystemProfile brewAndSdkman = bareProfile();
    brewAndSdkman.homebrewPrefix = "/opt/homebrew/bin/brew";
    EXPECT_EQ(DiagnoseViewModel::recommendedRemediation(jdk("21.0.2"), brewAndSdkman),
              Remediation::writeJavaHomeToZprofile(jdk("21.0.2").path));
    brewAndSdkman.sdkmanRoot = "/Users/ana/.sdkman";
    EXPECT_EQ(DiagnoseViewModel::recommendedRemediation(jdk("21.0.2"), brewAndSdkman),
              Remediation::setJavaHomeViaSDKMAN("21.0.2-tem"));

    SystemProfile mise = bareProfile();
    mise.miseExecutable = "/opt/homebrew/bin/mise";
    mise.jenvRoot = "/Users/ana/.jenv";
    EXPECT_EQ(DiagnoseViewModel::recommendedRemediation(jdk("21.0.2"), mise),
              Remediation::setJavaHomeViaMise("temurin-21.0.2"));

    SystemProfile jenv = bareProfile();
    jenv.jenvRoot = "/Users/ana/.jenv";
    const QList<QPair<QString, qint64>> majors = {
        {"21.0.2", 21}, {"17", 17}, {"1.8.0_292", 1}, {".21", 21},
        {"21-ea", 25},  {"", 25},   {"+17.0.1", 17},  {"99999999999999999999", 25}};
    for (const auto& [version, major] : majors)
        EXPECT_EQ(DiagnoseViewModel::recommendedRemediation(jdk(version), jenv),
                  Remediation::setJavaHomeViaJenv(jdk(version).path, major))
            << version.toStdString();
}

TEST(DiagnoseViewModel, EveryDiagnoseIsPublishedAndCountedAgain) {
    ScopedProductConfig java(ProductConfig::javaDiagnosis());
    RecordedTelemetry telemetry;
    DiagnoseViewModel model;
    const SystemProfile profile = FixtureMac(Kind::newAppleSilicon).expectedProfile();
    model.diagnose(profile);
    model.setState(DiagnoseViewModel::Remediating{Remediation::installViaPKG(25)});
    model.diagnose(profile);
    EXPECT_EQ(model.state(), DiagnoseViewModel::State(DiagnoseViewModel::Diagnosed{
                                 Diagnosis::D1_NoJDK(), std::nullopt, std::nullopt}));
    EXPECT_EQ(telemetry.count("diagnosis_reached"), 2);

    // A product that does not diagnose Java finds nothing to fix.
    ScopedProductConfig cli(cliProduct());
    model.diagnose(profile);
    EXPECT_EQ(std::get<DiagnoseViewModel::Diagnosed>(model.state()).diagnosis,
              Diagnosis::noErrorsFound());
}
