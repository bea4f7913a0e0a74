#pragma once

#include "model/SetupDiagnosis.h"
#include "model/SpineScreenCopy.h"

#include <QString>

#include <optional>

namespace tovr {

// A product's texts for the fixed screens of the setup workflow.
class SpineCopyProviding {
public:
    virtual ~SpineCopyProviding() = default;

    // The stage screen of one of the product's own domains; absent for other domains.
    virtual std::optional<SpineScreenCopy>
    screenCopy(const QString& domainID, const std::optional<SetupDiagnosis>& diagnosis) const = 0;
    // The one-line status of a domain.
    virtual QString statusText(const QString& domainID, const SetupDiagnosis& diagnosis) const = 0;

    // Diagnosis summary.
    virtual QString diagnosisWindowTitle() const = 0;
    virtual QString summaryHeadline() const = 0;
    virtual QString consentFootnote() const = 0; // nothing changes without the user's okay
    virtual QString prerequisitesArticlePath() const = 0;
    // Verification and keep-going gate.
    virtual QString verifyingTitle() const = 0;
    virtual QString keepGoingTitle() const = 0; // window title
    virtual QString keepGoingHeadline() const = 0;
    virtual QString keepGoingBody() const = 0;
    // Outcome.
    virtual QString doneLabel() const = 0; // the final button
    virtual QString readyTitle() const = 0;
    virtual QString notReadyTitle() const = 0; // the title after a failed verification
    virtual QString allVerifiedText() const = 0;
    virtual QString someUnverifiedText() const = 0;
    virtual QString extraNote() const = 0;
    virtual QString outcomeQuestion() const = 0;
    virtual QString updateArticlePath() const = 0;
    virtual QString commandNotFoundArticlePath() const = 0;
    virtual QString lastQuestionTitle() const = 0;
    // The prompt for choosing a working folder.
    virtual QString workspacePrompt() const;
};

// The state half of a status line: "installed", "not installed", "needs attention" or
// "unknown".
QString setupStatusWord(SetupDiagnosisClassification classification);

} // namespace tovr
