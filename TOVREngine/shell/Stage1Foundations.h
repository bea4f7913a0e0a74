#pragma once

#include "shell/AuditStage.h"

namespace tovr {

// The first audit stage: Homebrew, the Command Line Tools and, on Apple silicon, how far
// macOS lags behind the reference release. Installing Homebrew runs in the progress dialog;
// after a successful run the stage has the flow collect the profile again, then moves on.
class Stage1Foundations : public AuditStage {
    Q_OBJECT

public:
    // The one missing tool the screen names (Homebrew first: its script also installs the
    // Command Line Tools).
    enum class ToolBlock { none, homebrew, commandLineTools };
    struct Blocks {
        ToolBlock tool = ToolBlock::none;
        bool macOSBehind = false;
        bool operator==(const Blocks&) const = default;
    };

    static constexpr qint64 kReferenceMajorRelease = 26;

    // `onProfileRefresh` collects the profile again and then calls its argument; absent, a
    // successful install advances at once.
    Stage1Foundations(std::function<void(std::function<void()>)> onProfileRefresh,
                      std::shared_ptr<URLOpening> urlOpener, QObject* parent = nullptr);

    StageOutcome evaluate(const SystemProfile& profile) const override;
    static Blocks blocks(const SystemProfile& profile);
    // Two or more major releases behind, judged on Apple silicon only.
    static bool isMacOSBehind(const SystemProfile& profile);
    // The one-line command the Homebrew block shows; the run itself is the dialog's.
    static QString homebrewInstallCommand();

    // "Install Homebrew (recommended)".
    void installHomebrew();
    // "Maybe later".
    void maybeLater();
    // "Continue": advances and sends nothing.
    void continueOn();
    // The two article links; the stage stays.
    void openCommandLineToolsArticle();
    void openMacOSUpgradeGuide();

protected:
    void remediationEnded(RemediationOutcome::Kind end) override;

private:
    std::function<void(std::function<void()>)> onProfileRefresh_;
};

} // namespace tovr
