#include "model/JavaProfile.h"

#include <QList>

namespace tovr {

namespace {

// The JDK of the highest major version, an unreadable version counting as -1; the
// earliest wins among equals. `jdks` is not empty.
const JDKInfo& newest(const QList<JDKInfo>& jdks) {
    const JDKInfo* best = &jdks.front();
    qint64 bestMajor = majorVersion(*best).value_or(-1);
    for (const JDKInfo& jdk : jdks) {
        const qint64 major = majorVersion(jdk).value_or(-1);
        if (major > bestMajor) {
            best = &jdk;
            bestMajor = major;
        }
    }
    return *best;
}

} // namespace

Diagnosis JavaProfile::diagnose(const ProbeBundle& bundle) const {
    if (bundle.installedJDKs.isEmpty()) {
        if (bundle.jvmDirContents.isEmpty())
            return Diagnosis::D1_NoJDK();
        return Diagnosis::unknown(
            QStringLiteral("JavaVirtualMachines directory has entries (") +
            bundle.jvmDirContents.join(QStringLiteral(", ")) +
            QStringLiteral(") but /usr/libexec/java_home couldn't parse any JDKs — possible "
                           "malformed install."));
    }

    QList<JDKInfo> modern;
    for (const JDKInfo& jdk : bundle.installedJDKs) {
        if (majorVersion(jdk).value_or(-1) >= kModernJavaMajorVersion)
            modern.append(jdk);
    }
    if (modern.isEmpty())
        return Diagnosis::D3_LegacyOnly(newest(bundle.installedJDKs));

    // Exact text on purpose: a trailing slash or a link is not taken as the same JDK.
    if (const auto& home = bundle.javaHomeInActiveShell) {
        for (const JDKInfo& jdk : modern) {
            if (jdk.path == *home)
                return Diagnosis::D4_ModernHomeSet(jdk);
        }
    }
    return Diagnosis::D2_HomeUnset(newest(modern));
}

} // namespace tovr
