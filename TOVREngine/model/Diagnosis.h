#pragma once

#include "model/CompletionSurface.h"
#include "platform/JDKInfo.h"

#include <QString>

#include <optional>

namespace tovr {

// The lowest Java major version that counts as modern.
inline constexpr qint64 kModernJavaMajorVersion = 21;
// The Java major version the texts recommend.
inline constexpr qint64 kRecommendedJavaMajorVersion = 25;

// What the Java diagnosis found.
class Diagnosis {
public:
    enum class Kind {
        D2_HomeUnset,     // a modern JDK is installed, JAVA_HOME names none
        D3_LegacyOnly,    // only JDKs older than the modern bound
        D4_ModernHomeSet, // JAVA_HOME names an installed modern JDK
        unknown,          // the findings contradict each other
        D1_NoJDK,
        noErrorsFound, // the product does not diagnose Java
    };

    static Diagnosis D2_HomeUnset(JDKInfo detectedJDK) {
        return {Kind::D2_HomeUnset, std::move(detectedJDK), {}};
    }
    static Diagnosis D3_LegacyOnly(JDKInfo detectedJDK) {
        return {Kind::D3_LegacyOnly, std::move(detectedJDK), {}};
    }
    static Diagnosis D4_ModernHomeSet(JDKInfo detectedJDK) {
        return {Kind::D4_ModernHomeSet, std::move(detectedJDK), {}};
    }
    static Diagnosis unknown(QString reason) { return {Kind::unknown, {}, std::move(reason)}; }
    static Diagnosis D1_NoJDK() { return {Kind::D1_NoJDK, {}, {}}; }
    static Diagnosis noErrorsFound() { return {Kind::noErrorsFound, {}, {}}; }

    Kind kind() const { return kind_; }
    // The JDK the diagnosis is about; absent for the cases without one.
    const std::optional<JDKInfo>& detectedJDK() const { return detectedJDK_; }
    // How the findings contradict each other; empty except for `unknown`.
    const QString& reason() const { return reason_; }

    QString title() const;
    QString detailText() const;
    CompletionSurface completionSurface() const;

    bool operator==(const Diagnosis&) const = default;

private:
    Diagnosis(Kind kind, std::optional<JDKInfo> jdk, QString reason)
        : kind_(kind), detectedJDK_(std::move(jdk)), reason_(std::move(reason)) {}

    Kind kind_;
    std::optional<JDKInfo> detectedJDK_;
    QString reason_;
};

} // namespace tovr
