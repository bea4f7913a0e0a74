#pragma once

#include "diagnosis/Verifier.h"
#include "model/Diagnosis.h"
#include "model/Remediation.h"
#include "platform/SystemProfile.h"

#include <QObject>

#include <optional>
#include <variant>

namespace tovr {

// The Java diagnosis screen's model: where the flow stands, and the two rules that pick a
// fix for the Mac at hand. It holds no services and no profile; the screen hands them in.
// GUI thread only.
class DiagnoseViewModel : public QObject {
    Q_OBJECT

public:
    // Profiling the Mac.
    struct Probing {
        bool operator==(const Probing&) const = default;
    };
    // Showing the diagnosis and its fixes; `d2Remediation` is the proposed JAVA_HOME fix.
    struct Diagnosed {
        Diagnosis diagnosis;
        std::optional<Remediation> d1Remediation;
        std::optional<Remediation> d2Remediation;
        bool operator==(const Diagnosed&) const = default;
    };
    // A fix runs in the fix sheet.
    struct Remediating {
        Remediation remediation;
        bool operator==(const Remediating&) const = default;
    };
    // Re-checking Java in fresh login shells.
    struct Verifying {
        Remediation remediation;
        bool operator==(const Verifying&) const = default;
    };
    struct Verified {
        Remediation remediation;
        Verifier::Result result;
        bool operator==(const Verified&) const = default;
    };
    // A fix that is not about Java (Warp, Homebrew) finished.
    struct Completed {
        QString message;
        bool operator==(const Completed&) const = default;
    };
    // A fix failed; its failure message.
    struct Error {
        QString message;
        bool operator==(const Error&) const = default;
    };
    using State =
        std::variant<Probing, Diagnosed, Remediating, Verifying, Verified, Completed, Error>;

    explicit DiagnoseViewModel(QObject* parent = nullptr) : QObject(parent) {}

    const State& state() const { return state_; }
    // Every assignment notifies, as the screen moves the flow on.
    void setState(State state);

    // Diagnoses the profile with the current product's diagnosis profile, publishes it with
    // the proposed JAVA_HOME fix and sends "diagnosis_reached" (every call).
    void diagnose(const SystemProfile& profile);

    // The install fix for Java major `major`, by the version managers the Mac has.
    static Remediation remediationForMajor(qint64 major, const SystemProfile& profile);
    // The fix that points JAVA_HOME at `jdk`, by the version managers the Mac has.
    static Remediation recommendedRemediation(const JDKInfo& jdk, const SystemProfile& profile);

Q_SIGNALS:
    void changed();

private:
    State state_ = Probing{};
};

} // namespace tovr
