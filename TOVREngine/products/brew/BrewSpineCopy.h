#pragma once

#include "model/SpineCopyProviding.h"

namespace tovr {

// The Homebrew product's setup screen texts. The command-line product words most of its
// screens the same way and derives from it.
class BrewSpineCopy : public SpineCopyProviding {
public:
    // "clt", "homebrew" and "warp" only. A Homebrew that is installed but unusable keeps
    // the diagnosis's own words, which say what is wrong.
    std::optional<SpineScreenCopy>
    screenCopy(const QString& domainID,
               const std::optional<SetupDiagnosis>& diagnosis) const override;
    QString statusText(const QString& domainID, const SetupDiagnosis& diagnosis) const override;
    QString diagnosisWindowTitle() const override { return QStringLiteral("Diagnosis"); }
    QString summaryHeadline() const override {
        return QStringLiteral("Here's what the system check found");
    }
    QString consentFootnote() const override {
        return QStringLiteral("Nothing changes on your Mac without your okay.");
    }
    QString prerequisitesArticlePath() const override { return QStringLiteral("homebrew"); }
    QString verifyingTitle() const override { return QString::fromUtf8("Verifying Homebrew…"); }
    QString keepGoingTitle() const override { return QStringLiteral("Homebrew is installed"); }
    QString keepGoingHeadline() const override { return QStringLiteral("Homebrew is set up"); }
    QString keepGoingBody() const override {
        return QStringLiteral("Want to keep going and set up the rest of your developer "
                              "environment? You can add a better editor, AI coding tools, and "
                              "programming languages.");
    }
    QString doneLabel() const override { return QStringLiteral("Done"); }
    QString readyTitle() const override { return QStringLiteral("Your Mac is ready"); }
    QString notReadyTitle() const override { return QStringLiteral("Your Mac isn't ready yet"); }
    QString allVerifiedText() const override {
        return QStringLiteral("All tools are verified as working");
    }
    QString someUnverifiedText() const override {
        return QStringLiteral("Some tools could not be verified. You can re-run the setup, or "
                              "continue and try again.");
    }
    QString extraNote() const override { return QString(); }
    QString outcomeQuestion() const override {
        return QStringLiteral("Did this pretty much complete what you came to do?");
    }
    QString updateArticlePath() const override { return QStringLiteral("homebrew/update"); }
    QString commandNotFoundArticlePath() const override { return QStringLiteral("homebrew"); }
    QString lastQuestionTitle() const override { return QStringLiteral("One last question"); }
};

// "<name>: <state>" for the diagnosis summary of the command-line and Homebrew products.
// A Homebrew that is installed but unusable says how instead of "not installed".
QString brewFamilyStatusText(const QString& name, const QString& domainID,
                             const SetupDiagnosis& diagnosis);

} // namespace tovr
