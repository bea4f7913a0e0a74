#include "diagnosis/DiagnoseViewModel.h"

#include "model/ProductConfig.h"
#include "telemetry/UsageEventCatalogue.h"

namespace tovr {

namespace {

// A whole decimal integer: one optional sign, then ASCII digits only, within 64 bits.
std::optional<qint64> wholeInteger(QStringView text) {
    const qsizetype start = text.startsWith(u'+') || text.startsWith(u'-') ? 1 : 0;
    if (text.size() == start)
        return std::nullopt;
    for (qsizetype i = start; i < text.size(); ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// The major version jEnv registers a JDK under: the first dotted piece of its version,
// else the whole version, else the recommended major.
qint64 jenvMajor(const QString& version) {
    const QStringList pieces = version.split(u'.', Qt::SkipEmptyParts);
    const QString first = pieces.isEmpty() ? QString() : pieces.first();
    if (auto major = wholeInteger(first))
        return *major;
    if (auto major = wholeInteger(version))
        return *major;
    return kRecommendedJavaMajorVersion;
}

} // namespace

void DiagnoseViewModel::setState(State state) {
    state_ = std::move(state);
    Q_EMIT changed();
}

void DiagnoseViewModel::diagnose(const SystemProfile& profile) {
    const auto judge = ProductConfig::current().diagnosisProfile;
    const Diagnosis diagnosis =
        judge ? judge->diagnose(profile.javaState) : Diagnosis::noErrorsFound();
    std::optional<Remediation> d2;
    if (diagnosis.kind() == Diagnosis::Kind::D2_HomeUnset && diagnosis.detectedJDK())
        d2 = recommendedRemediation(*diagnosis.detectedJDK(), profile);
    setState(Diagnosed{diagnosis, std::nullopt, d2});
    sendUsageEvent(javaDiagnosisReachedEvent(diagnosis, profile));
}

Remediation DiagnoseViewModel::remediationForMajor(qint64 major, const SystemProfile& profile) {
    const QString n = QString::number(major);
    if (profile.homebrewPrefix)
        return Remediation::installTemurinViaBrew(QStringLiteral("temurin@") + n);
    if (profile.sdkmanRoot)
        return Remediation::installViaSDKMAN(n + QStringLiteral("-tem"));
    if (profile.miseExecutable)
        return Remediation::installViaMise(QStringLiteral("temurin-") + n);
    if (profile.jenvRoot)
        return Remediation::installViaPKGThenJEnv(major);
    if (profile.isLikelyDeveloper())
        return Remediation::installHomebrewThenTemurin(QStringLiteral("temurin@") + n);
    return Remediation::installViaPKG(major);
}

Remediation DiagnoseViewModel::recommendedRemediation(const JDKInfo& jdk,
                                                      const SystemProfile& profile) {
    if (profile.sdkmanRoot)
        return Remediation::setJavaHomeViaSDKMAN(jdk.version + QStringLiteral("-tem"));
    if (profile.miseExecutable)
        return Remediation::setJavaHomeViaMise(QStringLiteral("temurin-") + jdk.version);
    if (profile.jenvRoot)
        return Remediation::setJavaHomeViaJenv(jdk.path, jenvMajor(jdk.version));
    return Remediation::writeJavaHomeToZprofile(jdk.path);
}

} // namespace tovr
