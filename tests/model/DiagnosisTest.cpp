#include "model/Diagnosis.h"
#include "model/JavaProfile.h"

#include <gtest/gtest.h>

using namespace tovr;

namespace {

JDKInfo jdk(const QString& version, const QString& path, const QString& vendor = "Eclipse Adoptium",
            const QString& arch = "arm64") {
    return JDKInfo{version, vendor, arch, path};
}

ProbeBundle bundle(QList<JDKInfo> jdks, std::optional<QString> home = std::nullopt,
                   QStringList dir = {}) {
    ProbeBundle b;
    b.installedJDKs = std::move(jdks);
    b.javaHomeInActiveShell = std::move(home);
    b.jvmDirContents = std::move(dir);
    return b;
}

const QString kHome21 = "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home";
const QString kHome25 = "/Library/Java/JavaVirtualMachines/temurin-25.jdk/Contents/Home";
const QString kHome8 = "/Library/Java/JavaVirtualMachines/jdk1.8.0_292.jdk/Contents/Home";

struct DiagnosisText {
    Diagnosis diagnosis;
    const char* title;
    const char* detail;
    CompletionSurface completion;
};

} // namespace

TEST(Diagnosis, TitlesDetailsAndCompletionSurfaces) {
    const DiagnosisText table[] = {
        {Diagnosis::D2_HomeUnset(jdk("21.0.1", kHome21)), "JAVA_HOME isn't set",
         "Java 21.0.1 (Eclipse Adoptium, arm64) is installed at "
         "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home, but JAVA_HOME isn't set "
         "in your shell. Many build tools (Maven, Gradle, some IDE plugins) depend on JAVA_HOME "
         "pointing at the Java installation.",
         CompletionSurface::prompt(BuildIntentSurface::postFix)},
        {Diagnosis::D2_HomeUnset(jdk("21.0.2", "/opt/j", "Eclipse Adoptium", "")),
         "JAVA_HOME isn't set",
         "Java 21.0.2 (Eclipse Adoptium) is installed at /opt/j, but JAVA_HOME isn't set in your "
         "shell. Many build tools (Maven, Gradle, some IDE plugins) depend on JAVA_HOME pointing "
         "at the Java installation.",
         CompletionSurface::prompt(BuildIntentSurface::postFix)},
        {Diagnosis::D2_HomeUnset(jdk("21", "/opt/j", "", "")), "JAVA_HOME isn't set",
         "Java 21 is installed at /opt/j, but JAVA_HOME isn't set in your shell. Many build tools "
         "(Maven, Gradle, some IDE plugins) depend on JAVA_HOME pointing at the Java "
         "installation.",
         CompletionSurface::prompt(BuildIntentSurface::postFix)},
        {Diagnosis::D3_LegacyOnly(jdk("1.8.0_292", kHome8)), "Java is installed, but it's too old",
         "We found Java 8 on your Mac (at "
         "`/Library/Java/JavaVirtualMachines/jdk1.8.0_292.jdk/Contents/Home`). Most modern Java "
         "software requires Java 21 or newer. We recommend Java 25 if you have no specific "
         "requirement; if you work or study somewhere that uses a specific Java version, check "
         "with your team before choosing.",
         CompletionSurface::prompt(BuildIntentSurface::postFix)},
        {Diagnosis::D3_LegacyOnly(jdk("zulu-legacy", "/opt/j")),
         "Java is installed, but it's too old",
         "We found Java zulu-legacy on your Mac (at `/opt/j`). Most modern Java software "
         "requires Java 21 or newer. We recommend Java 25 if you have no specific requirement; "
         "if you work or study somewhere that uses a specific Java version, check with your "
         "team before choosing.",
         CompletionSurface::prompt(BuildIntentSurface::postFix)},
        {Diagnosis::D4_ModernHomeSet(jdk("25.0.1", kHome25)), "Java is set up correctly",
         "Java 25 is installed at /Library/Java/JavaVirtualMachines/temurin-25.jdk/Contents/Home, "
         "and JAVA_HOME is pointing at it. Nothing to fix.",
         CompletionSurface::prompt(BuildIntentSurface::modernHomeSet)},
        {Diagnosis::unknown("odd findings"), "Couldn't auto-diagnose", "odd findings",
         CompletionSurface::excluded()},
        {Diagnosis::D1_NoJDK(), "Java is not installed",
         "Java is not installed on this Mac. We'll install Eclipse Temurin (a free, "
         "well-maintained Java distribution) for you. Java 25 is the current LTS and a good "
         "default; if you work or study somewhere that uses a specific Java version, check with "
         "your team before choosing.",
         CompletionSurface::prompt(BuildIntentSurface::postFix)},
        {Diagnosis::noErrorsFound(), "Java is installed",
         "Java is installed and JAVA_HOME is set. Let us know if we should do more.",
         CompletionSurface::prompt(BuildIntentSurface::noErrorsFound)},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.title);
        EXPECT_EQ(row.diagnosis.title(), QString::fromUtf8(row.title));
        EXPECT_EQ(row.diagnosis.detailText(), QString::fromUtf8(row.detail));
        EXPECT_EQ(row.diagnosis.completionSurface(), row.completion);
    }
}

TEST(Diagnosis, EqualityComparesCaseAndPayload) {
    const JDKInfo a = jdk("21", kHome21);
    EXPECT_EQ(Diagnosis::D2_HomeUnset(a), Diagnosis::D2_HomeUnset(a));
    EXPECT_NE(Diagnosis::D2_HomeUnset(a), Diagnosis::D4_ModernHomeSet(a));
    EXPECT_NE(Diagnosis::D2_HomeUnset(a), Diagnosis::D2_HomeUnset(jdk("21", kHome21, "Azul")));
    EXPECT_NE(Diagnosis::unknown("a"), Diagnosis::unknown("b"));
    EXPECT_NE(Diagnosis::D1_NoJDK(), Diagnosis::noErrorsFound());
}

TEST(JavaProfile, NoJDKAndContradictoryFindings) {
    const JavaProfile profile;
    EXPECT_EQ(profile.diagnose(ProbeBundle{}), Diagnosis::D1_NoJDK());

    const auto unknown = profile.diagnose(bundle({}, std::nullopt, {"jdk-21.jdk", "Foo"}));
    EXPECT_EQ(unknown, Diagnosis::unknown("JavaVirtualMachines directory has entries (jdk-21.jdk, "
                                          "Foo) but /usr/libexec/java_home couldn't parse any "
                                          "JDKs — possible malformed install."));
    EXPECT_TRUE(unknown.completionSurface().isExcluded());
}

TEST(JavaProfile, LegacyOnlyPicksTheNewestEarliestAmongEquals) {
    const JavaProfile profile;
    const JDKInfo j8 = jdk("1.8.0_292", kHome8);
    const JDKInfo j11 = jdk("11.0.2", "/opt/jdk-11");
    EXPECT_EQ(profile.diagnose(bundle({j8, j11})), Diagnosis::D3_LegacyOnly(j11));
    EXPECT_EQ(profile.diagnose(bundle({j11, j8})), Diagnosis::D3_LegacyOnly(j11));

    const JDKInfo j17 = jdk("17", "/opt/a");
    const JDKInfo j17b = jdk("17.0.9", "/opt/b");
    EXPECT_EQ(profile.diagnose(bundle({j17, j17b})), Diagnosis::D3_LegacyOnly(j17));

    // An unreadable version ranks below every readable one; all unreadable gives the first.
    const JDKInfo odd = jdk("weird", "/opt/odd");
    const JDKInfo odder = jdk("", "/opt/odder");
    EXPECT_EQ(profile.diagnose(bundle({odd, j8})), Diagnosis::D3_LegacyOnly(j8));
    EXPECT_EQ(profile.diagnose(bundle({odd, odder})), Diagnosis::D3_LegacyOnly(odd));

    // 20 is still legacy, even with JAVA_HOME pointing at it.
    const JDKInfo j20 = jdk("20", "/opt/jdk-20");
    EXPECT_EQ(profile.diagnose(bundle({j20}, "/opt/jdk-20")), Diagnosis::D3_LegacyOnly(j20));
}

TEST(JavaProfile, ModernHomeSetNeedsAnExactPathOfAModernJDK) {
    const JavaProfile profile;
    const JDKInfo j21 = jdk("21.0.1", kHome21);
    const JDKInfo j25 = jdk("25", kHome25);
    const JDKInfo j8 = jdk("1.8.0_292", kHome8);

    EXPECT_EQ(profile.diagnose(bundle({j21, j25}, kHome21)), Diagnosis::D4_ModernHomeSet(j21));
    EXPECT_EQ(profile.diagnose(bundle({j8, j21}, kHome21)), Diagnosis::D4_ModernHomeSet(j21));

    const std::optional<QString> homesThatDoNotMatch[] = {
        std::nullopt, QString("/somewhere/else"), kHome8, kHome21 + "/", kHome21.toLower(), "",
    };
    for (const auto& home : homesThatDoNotMatch) {
        SCOPED_TRACE(home.value_or("<absent>").toStdString());
        EXPECT_EQ(profile.diagnose(bundle({j8, j21, j25}, home)), Diagnosis::D2_HomeUnset(j25));
    }

    // Among modern JDKs of one major version, the earliest is reported.
    const JDKInfo j25b = jdk("25.0.1", "/opt/jdk-25b");
    EXPECT_EQ(profile.diagnose(bundle({j21, j25, j25b})), Diagnosis::D2_HomeUnset(j25));
    // The first JDK whose path matches wins, even when another entry shares the path.
    const JDKInfo j21Again = jdk("21.0.2", kHome21, "Other");
    EXPECT_EQ(profile.diagnose(bundle({j21, j21Again}, kHome21)), Diagnosis::D4_ModernHomeSet(j21));
}

TEST(JavaProfile, WhichJavaPlaysNoPart) {
    ProbeBundle b = bundle({jdk("21", kHome21)});
    b.whichJava = "/usr/bin/java";
    EXPECT_EQ(JavaProfile().diagnose(b), Diagnosis::D2_HomeUnset(jdk("21", kHome21)));
}

TEST(InertDiagnosisProfile, AlwaysAnswersNoErrorsFound) {
    const InertDiagnosisProfile profile;
    EXPECT_EQ(profile.diagnose(ProbeBundle{}), Diagnosis::noErrorsFound());
    EXPECT_EQ(profile.diagnose(bundle({jdk("1.8.0_292", kHome8)})), Diagnosis::noErrorsFound());
}
