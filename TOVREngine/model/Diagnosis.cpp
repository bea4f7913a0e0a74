#include "model/Diagnosis.h"

#include <QStringList>

namespace tovr {

namespace {

// " (vendor, architecture)", naming only what is known: a JDK found by the folder scan has no
// architecture, and one read from its Info.plist no vendor either.
QString maker(const JDKInfo& jdk) {
    QStringList known{jdk.vendor, jdk.architecture};
    known.removeAll(QString());
    return known.isEmpty() ? QString()
                           : QStringLiteral(" (%1)").arg(known.join(QStringLiteral(", ")));
}

// The major version when it can be read, else the version text as found.
QString shownVersion(const JDKInfo& jdk) {
    if (const auto major = majorVersion(jdk))
        return QString::number(*major);
    return jdk.version;
}

} // namespace

QString Diagnosis::title() const {
    switch (kind_) {
    case Kind::D2_HomeUnset:
        return QStringLiteral("JAVA_HOME isn't set");
    case Kind::D3_LegacyOnly:
        return QStringLiteral("Java is installed, but it's too old");
    case Kind::D4_ModernHomeSet:
        return QStringLiteral("Java is set up correctly");
    case Kind::unknown:
        return QStringLiteral("Couldn't auto-diagnose");
    case Kind::D1_NoJDK:
        return QStringLiteral("Java is not installed");
    case Kind::noErrorsFound:
        return QStringLiteral("Java is installed");
    }
    Q_UNREACHABLE();
    return {};
}

QString Diagnosis::detailText() const {
    switch (kind_) {
    case Kind::D2_HomeUnset: {
        const JDKInfo& jdk = *detectedJDK_;
        return QStringLiteral("Java ") + jdk.version + maker(jdk) +
               QStringLiteral(" is installed at ") + jdk.path +
               QStringLiteral(", but JAVA_HOME isn't set in your shell. Many build tools (Maven, "
                              "Gradle, some IDE plugins) depend on JAVA_HOME pointing at the Java "
                              "installation.");
    }
    case Kind::D3_LegacyOnly: {
        const JDKInfo& jdk = *detectedJDK_;
        return QStringLiteral("We found Java ") + shownVersion(jdk) +
               QStringLiteral(" on your Mac (at `") + jdk.path +
               QStringLiteral("`). Most modern Java software requires Java ") +
               QString::number(kModernJavaMajorVersion) +
               QStringLiteral(" or newer. We recommend Java ") +
               QString::number(kRecommendedJavaMajorVersion) +
               QStringLiteral(" if you have no specific requirement; if you work or study "
                              "somewhere that uses a specific Java version, check with your team "
                              "before choosing.");
    }
    case Kind::D4_ModernHomeSet: {
        const JDKInfo& jdk = *detectedJDK_;
        return QStringLiteral("Java ") + shownVersion(jdk) + QStringLiteral(" is installed at ") +
               jdk.path + QStringLiteral(", and JAVA_HOME is pointing at it. Nothing to fix.");
    }
    case Kind::unknown:
        return reason_;
    case Kind::D1_NoJDK:
        return QStringLiteral("Java is not installed on this Mac. We'll install Eclipse Temurin (a "
                              "free, well-maintained Java distribution) for you. Java ") +
               QString::number(kRecommendedJavaMajorVersion) +
               QStringLiteral(" is the current LTS and a good default; if you work or study "
                              "somewhere that uses a specific Java version, check with your team "
                              "before choosing.");
    case Kind::noErrorsFound:
        return QStringLiteral(
            "Java is installed and JAVA_HOME is set. Let us know if we should do more.");
    }
    Q_UNREACHABLE();
    return {};
}

CompletionSurface Diagnosis::completionSurface() const {
    switch (kind_) {
    case Kind::D2_HomeUnset:
    case Kind::D3_LegacyOnly:
    case Kind::D1_NoJDK:
        return CompletionSurface::prompt(BuildIntentSurface::postFix);
    case Kind::D4_ModernHomeSet:
        return CompletionSurface::prompt(BuildIntentSurface::modernHomeSet);
    case Kind::noErrorsFound:
        return CompletionSurface::prompt(BuildIntentSurface::noErrorsFound);
    case Kind::unknown:
        return CompletionSurface::excluded();
    }
    Q_UNREACHABLE();
    return CompletionSurface::excluded();
}

} // namespace tovr
