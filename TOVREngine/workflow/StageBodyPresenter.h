#pragma once

#include "ui/DiskRead.h"

#include "model/SpineRenderPolicy.h"
#include "platform/FileSystemOperating.h"
#include "workflow/StageScope.h"

#include <memory>
#include <optional>

namespace tovr {

// What a fixable stage offers: the Homebrew-missing banner, one button per fix, or the
// section the product draws for the stage, and always "Skip". Every install it starts
// becomes the model's pending install. GUI thread only.
class StageBodyPresenter {
public:
    struct FixRow {
        QString id;
        QString title;
        QString caption; // empty: no caption
        bool operator==(const FixRow&) const = default;
    };

    StageBodyPresenter(StageScope scope, std::shared_ptr<FileSystemOperating> fs);

    const StageScope& scope() const { return scope_; }

    // Looks for Homebrew on the disk; when the body is built and after each re-probe. The
    // read runs off the GUI thread; `readDisk` does it all at once (tests).
    DiskRead diskRead();
    void readDisk() { diskRead()()(); }

    // The stage installs with Homebrew.
    bool needsHomebrew() const;
    // The profile knows Homebrew, or its executable was found at one of its two places.
    bool isHomebrewInstalled() const;
    bool showsBanner() const { return needsHomebrew() && !isHomebrewInstalled(); }
    // The workflow has a Homebrew stage to jump to.
    bool hasHomebrewStage() const;
    // The product's own drawing of this stage, if any.
    std::optional<SpineRenderPolicy::SpecialStageKind> specialKind() const;
    // The fixes the product offers for the stage now, in order; none with the banner.
    QList<SetupRemediation> fixes() const;
    QList<FixRow> fixRows(const QList<SetupRemediation>& fixes) const;
    // The product's caption for the fix when it names one (even an empty one), otherwise
    // the fix's own explanation.
    static QString caption(const SpineRenderPolicy& policy, const SetupRemediation& fix);
    bool canAct() const { return scope_.canAct(); }

    // A fix button: the offer counts as taken, then that one fix is installed. A fix that
    // the stage no longer offers does nothing.
    void installFix(const QString& fixID);
    // The group button: every fix of the stage as one install.
    void installGroup();
    // "Skip": the offer counts as dismissed and the stage is left.
    void skip();
    // "Install Homebrew first": shows the Homebrew stage; nothing is recorded.
    void installHomebrewFirst();

private:
    StageScope scope_;
    std::shared_ptr<FileSystemOperating> fs_;
    bool brewExecutableFound_ = false;
};

} // namespace tovr
