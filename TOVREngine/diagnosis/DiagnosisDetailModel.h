#pragma once

#include "model/Diagnosis.h"
#include "model/Remediation.h"
#include "platform/KeyValueStoring.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// One Java diagnosis on screen and the single next step that fits it. It decides no fix:
// every choice leaves through the host's callbacks. GUI thread only.
class DiagnosisDetailModel : public QObject {
    Q_OBJECT

public:
    // What the host does with a choice; unset ones do nothing (the view behind a fix sheet).
    struct Callbacks {
        std::function<void(const Remediation&)> onRemediate;
        std::function<void(qint64 major)> onInstallChosen;
        std::function<void()> onKeepLegacy;
        std::function<void()> onContinue;
        // Names the user's files in the fix's texts as this Mac has them; unset: as written.
        std::function<QString(const QString&)> namingFiles;
        // What an explanation naming those files adds when they are only the usual ones.
        std::function<QString(const QString&)> filesNote = {};
    };

    // Which content the diagnosis gets.
    enum class Section {
        proposedFix,  // JAVA_HOME is unset and a fix is proposed
        choosingFix,  // JAVA_HOME is unset and the fix is not chosen yet
        installD1,    // no Java: pick a version to install
        installD3,    // only a legacy Java: pick a version, or keep it
        nothingToFix, // continue, with the score card while no feedback was given
        unknown,      // continue only
    };

    // `userDefaults` is read once, here, for the feedback already given.
    DiagnosisDetailModel(Diagnosis diagnosis, std::optional<Remediation> d1Remediation,
                         std::optional<Remediation> d2Remediation, Callbacks callbacks,
                         const KeyValueStoring& userDefaults, QObject* parent = nullptr);

    const Diagnosis& diagnosis() const { return diagnosis_; }
    const std::optional<Remediation>& d1Remediation() const { return d1Remediation_; }
    const std::optional<Remediation>& d2Remediation() const { return d2Remediation_; }
    Section section() const;
    // The proposed fix's button and explanation.
    QString proposedFixTitle() const;
    QString proposedFixExplanation() const;
    // The explanation as inline Markdown when its only markup is the code span around the
    // legacy JDK's path; absent when it must be shown as plain text, because names read
    // from the Mac (paths, folder names, versions) would otherwise turn into markup or links.
    std::optional<QString> detailMarkdown() const;

    qint64 d1ChosenMajor() const { return d1ChosenMajor_; }
    qint64 d3ChosenMajor() const { return d3ChosenMajor_; }
    // The version picked in this section's chooser; "Install Java <major>".
    qint64 chosenMajor() const;
    QString installTitle() const;
    // The chooser's accessibility context: "d1" or "d3" (empty without a chooser).
    QString chooserContext() const;
    bool showsScoreCard() const { return showNPSOnNoErrors_; }

    // The host puts the content on screen: "chooser_shown" for a chooser (every time), and
    // "nps_shown" for the score card (once per view and per process).
    void appeared();

    // The user's actions.
    void chooseMajor(qint64 major);
    void remediate();
    void installChosen();
    void keepLegacy();
    // Leaving after the score card was seen without a score sends "nps_dismissed".
    void continueToAudit();
    // The card's thanks: it leaves the section.
    void scoreSubmitted();

Q_SIGNALS:
    void changed();

private:
    void emitNPSShownOnce();

    Diagnosis diagnosis_;
    std::optional<Remediation> d1Remediation_;
    std::optional<Remediation> d2Remediation_;
    Callbacks callbacks_;
    qint64 d1ChosenMajor_ = kRecommendedJavaMajorVersion;
    qint64 d3ChosenMajor_ = kRecommendedJavaMajorVersion;
    bool showNPSOnNoErrors_ = true;
    bool didEmitNPSShownOnNoErrors_ = false;
    bool didSubmitNPSOnNoErrors_ = false;
};

} // namespace tovr
