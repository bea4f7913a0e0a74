#pragma once

#include "model/SpineCopyProviding.h"

namespace tovr {

// The command-line product's setup screen texts.
class CliSpineCopy final : public SpineCopyProviding {
public:
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
    QString prerequisitesArticlePath() const override { return QStringLiteral("commandlinetools"); }
    QString verifyingTitle() const override {
        return QString::fromUtf8("Verifying the command line…");
    }
    QString keepGoingTitle() const override { return QStringLiteral("Ready for more?"); }
    QString keepGoingHeadline() const override {
        return QStringLiteral("Command line basics are ready");
    }
    QString keepGoingBody() const override {
        return QStringLiteral("Want to keep going and set up the rest of your developer "
                              "environment? You can add a better editor, AI coding tools, and "
                              "programming languages.");
    }
    QString doneLabel() const override { return QStringLiteral("Done"); }
    QString readyTitle() const override { return QStringLiteral("Your command line is ready"); }
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
    QString updateArticlePath() const override { return QStringLiteral("commandlinetools"); }
    QString commandNotFoundArticlePath() const override {
        return QStringLiteral("commandlinetools");
    }
    QString lastQuestionTitle() const override { return QStringLiteral("One last question"); }
};

// "<name>: <state>" for the diagnosis summary, shared by the command-line and Homebrew
// products' copy.
QString brewFamilyStatusText(const QString& domainID, const SetupDiagnosis& diagnosis);

} // namespace tovr
