#pragma once

#include "diagnosis/RemediationOutcome.h"
#include "diagnosis/Verifier.h"
#include "model/Diagnosis.h"
#include "model/Remediation.h"
#include "model/Screen.h"
#include "platform/SystemProfile.h"
#include "ui/ScreenContext.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace tovr {

class WorkerTask;

// The Java diagnosis screen's model: where the flow stands, the two rules that pick a fix
// for the Mac at hand, and the screen's own work: its fresh profile, the fix it runs in a
// sheet, the verification that follows and the JAVA_HOME follow-up. GUI thread only.
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

    // How a verification result reads for the fix that ran.
    enum class VerifyOutcome { passed, passedNeedsJavaHome, failed };

    // A model without services or navigation: the rules and the state only.
    explicit DiagnoseViewModel(QObject* parent = nullptr);
    // The screen's model. It belongs to the navigation entry that is last on the path now;
    // once that entry leaves the path it drops every late result.
    explicit DiagnoseViewModel(ScreenContext context, QObject* parent = nullptr);
    ~DiagnoseViewModel() override;

    const State& state() const { return state_; }
    // Every assignment notifies, as the screen moves the flow on.
    void setState(State state);
    // Counts assignments, so a view can tell a state entered anew from a change within it.
    quint64 stateSerial() const { return stateSerial_; }

    // Diagnoses the profile with the current product's diagnosis profile, publishes it with
    // the proposed JAVA_HOME fix and sends "diagnosis_reached" (every call).
    void diagnose(const SystemProfile& profile);

    // The install fix for Java major `major`, by the version managers the Mac has.
    static Remediation remediationForMajor(qint64 major, const SystemProfile& profile);
    // The fix that points JAVA_HOME at `jdk`, by the version managers the Mac has.
    static Remediation recommendedRemediation(const JDKInfo& jdk, const SystemProfile& profile);

    // The fixes that only point JAVA_HOME somewhere; every other one installs.
    static bool isJavaHomeKind(const Remediation& remediation);
    static VerifyOutcome verifyOutcome(const Remediation& remediation,
                                       const Verifier::Result& result);
    static QString verifyTitle(const Remediation& remediation, VerifyOutcome outcome);
    static QString verifyExplainer(VerifyOutcome outcome);
    // The warning after keeping a legacy Java that passed; absent otherwise.
    static std::optional<QString> legacyWarning(const Remediation& remediation,
                                                const Verifier::Result& result);

    // The screen's view state.
    const std::optional<SystemProfile>& freshProfile() const { return freshProfile_; }
    // The fix whose sheet is open; a new value (with a new serial) asks for a sheet.
    const std::optional<Remediation>& sheetRemediation() const { return sheetRemediation_; }
    quint64 sheetSerial() const { return sheetSerial_; }
    // The diagnosis a fix started from, to go back to.
    const std::optional<Diagnosis>& lastDiagnosis() const { return lastDiagnosis_; }
    const std::optional<Remediation>& lastD1Remediation() const { return lastD1Remediation_; }
    const std::optional<Remediation>& lastD2Remediation() const { return lastD2Remediation_; }
    // The follow-up is profiling the Mac; its button does nothing meanwhile.
    bool isFollowUpRunning() const { return followUp_ != nullptr; }
    // The screen's entry is still on the navigation path.
    bool isOnPath() const { return !left_; }

    // The screen task: profiles the Mac (the window's profile with fixture services) and
    // diagnoses it while probing. Does nothing once a fresh profile is held.
    void rediagnose();
    // The detail view's choices, acting only on the diagnosis on screen.
    void applyRemediation(const Remediation& remediation);
    void installChosenJava(qint64 major);
    void keepLegacyJava();
    // The sheet's one outcome; any later one, or one without an open sheet, is ignored.
    void handleRemediationFinished(const RemediationOutcome& outcome);
    void recordVerifyResult(const Verifier::Result& result);
    // Back from the error or the verification result.
    void returnToDiagnosis();
    // Profiles afresh, then points JAVA_HOME at the first JDK found, or goes on.
    void startJavaHomeFollowUp();
    // Continue from the screen on show: the detail view's diagnosis, else the remembered one.
    void continueFlow();
    // Appends the next destination, only while this screen is the top of the path.
    void pushContinueRoute(const std::optional<Diagnosis>& diagnosis);

Q_SIGNALS:
    void changed();

private:
    std::function<SystemProfile()> profileWork() const;
    void diagnoseFresh();
    void startRemediation(const Remediation& remediation, const Diagnosis& diagnosis,
                          std::optional<Remediation> d1, std::optional<Remediation> d2);
    void startVerification(const Remediation& remediation);
    void finishJavaHomeFollowUp(const SystemProfile& profile);
    // "verify_offered_followup" when the result on screen offers the JAVA_HOME follow-up.
    void offerFollowUpIfShown();
    bool cancelFollowUp();
    void navigationChanged();
    void leave();

    State state_ = Probing{};
    quint64 stateSerial_ = 0;

    ScreenContext context_;
    // The path up to and including this screen's entry.
    QList<Screen> anchor_;
    bool left_ = false;
    bool covered_ = false; // a screen the user went on to stands on top of this one

    std::optional<SystemProfile> freshProfile_;
    std::optional<Remediation> sheetRemediation_;
    quint64 sheetSerial_ = 0;
    std::optional<Diagnosis> lastDiagnosis_;
    std::optional<Remediation> lastD1Remediation_;
    std::optional<Remediation> lastD2Remediation_;

    std::shared_ptr<WorkerTask> profiling_;
    std::shared_ptr<WorkerTask> verifying_;
    std::shared_ptr<WorkerTask> followUp_;
};

} // namespace tovr
