#pragma once

#include <QHashFunctions>
#include <QString>

#include <optional>

namespace tovr {

// One installed JDK.
struct JDKInfo {
    QString version;      // as its source gives it, e.g. "17.0.2" or "1.8.0_292"
    QString vendor;       // empty when the source names none
    QString architecture; // as the Java locator prints it; empty for folder-scan finds
    QString path;         // the JDK's home folder
    const QString& id() const { return path; }
    bool operator==(const JDKInfo&) const = default;
};

inline size_t qHash(const JDKInfo& info, size_t seed = 0) {
    return qHashMulti(seed, info.version, info.vendor, info.architecture, info.path);
}

// The Java major version in a text such as `openjdk version "17.0.2"`; "1.N" gives N.
// Absent when the text holds no such version or the number does not fit.
std::optional<qint64> parseJavaMajorVersion(const QString& text);

// The major version of a JDK entry, by the same rule applied to `version "<version>"`.
std::optional<qint64> majorVersion(const JDKInfo& info);

} // namespace tovr
