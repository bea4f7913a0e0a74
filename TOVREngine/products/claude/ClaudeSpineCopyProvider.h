#pragma once

#include "model/SpineCopyProviding.h"

namespace tovr {

// The Claude Code product's setup screen texts, and the workflow's texts for a product
// without its own.
class ClaudeSpineCopyProvider final : public SpineCopyProviding {
public:
    // The diagnosis does not change the Claude Code screens.
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
    QString prerequisitesArticlePath() const override {
        return QStringLiteral("claude-code/prerequisites");
    }
    QString verifyingTitle() const override { return QString::fromUtf8("Verifying Claude Code…"); }
    QString keepGoingTitle() const override { return QStringLiteral("Keep going?"); }
    QString keepGoingHeadline() const override {
        return QStringLiteral("Check the developer environment?");
    }
    QString keepGoingBody() const override {
        return QStringLiteral("Claude Code is set up. We'll continue with a check of shell "
                              "configuration, editors, and programming languages.");
    }
    QString doneLabel() const override { return QStringLiteral("Done"); }
    QString readyTitle() const override {
        return QStringLiteral("Your Mac is ready for Claude Code");
    }
    QString notReadyTitle() const override {
        return QStringLiteral("Your Mac isn't ready for Claude Code yet");
    }
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
    QString updateArticlePath() const override { return QStringLiteral("claude-code/update"); }
    QString commandNotFoundArticlePath() const override {
        return QStringLiteral("claude-code/command-not-found");
    }
    QString lastQuestionTitle() const override { return QStringLiteral("One last thing"); }
    QString workspacePrompt() const override {
        return QStringLiteral("Choose a folder for Claude to work in");
    }
};

} // namespace tovr
