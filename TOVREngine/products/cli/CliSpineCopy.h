#pragma once

#include "products/brew/BrewSpineCopy.h"

namespace tovr {

// The command-line product's setup screen texts: the Homebrew product's, except where the
// command line as a whole is the subject.
class CliSpineCopy final : public BrewSpineCopy {
public:
    std::optional<SpineScreenCopy>
    screenCopy(const QString& domainID,
               const std::optional<SetupDiagnosis>& diagnosis) const override;
    QString statusText(const QString& domainID, const SetupDiagnosis& diagnosis) const override;
    QString prerequisitesArticlePath() const override { return QStringLiteral("commandlinetools"); }
    QString verifyingTitle() const override {
        return QString::fromUtf8("Verifying the command line…");
    }
    QString keepGoingTitle() const override { return QStringLiteral("Ready for more?"); }
    QString keepGoingHeadline() const override {
        return QStringLiteral("Command line basics are ready");
    }
    QString readyTitle() const override { return QStringLiteral("Your command line is ready"); }
    QString notReadyTitle() const override {
        return QStringLiteral("Your command line isn't ready yet");
    }
    QString updateArticlePath() const override { return QStringLiteral("commandlinetools"); }
    QString commandNotFoundArticlePath() const override {
        return QStringLiteral("commandlinetools");
    }
};

} // namespace tovr
