#include "shell/Stage1Foundations.h"

#include "model/ProductConfig.h"
#include "services/HomebrewInstaller.h"

#include <QPointer>

namespace tovr {

Stage1Foundations::Stage1Foundations(std::function<void(std::function<void()>)> onProfileRefresh,
                                     std::shared_ptr<URLOpening> urlOpener, QObject* parent)
    : AuditStage(QStringLiteral("stage_1_foundations"), std::move(urlOpener), parent),
      onProfileRefresh_(std::move(onProfileRefresh)) {}

bool Stage1Foundations::isMacOSBehind(const SystemProfile& profile) {
    return profile.architecture == Architecture::appleSilicon &&
           kReferenceMajorRelease - profile.macosVersion.majorVersion >= 2;
}

StageOutcome Stage1Foundations::evaluate(const SystemProfile& profile) const {
    const bool missing = !profile.hasHomebrew() || !profile.hasCommandLineTools();
    return missing || isMacOSBehind(profile) ? StageOutcome::rendered
                                             : StageOutcome::skippedAlreadyOk;
}

Stage1Foundations::Blocks Stage1Foundations::blocks(const SystemProfile& profile) {
    Blocks blocks;
    if (!profile.hasHomebrew())
        blocks.tool = ToolBlock::homebrew;
    else if (!profile.hasCommandLineTools())
        blocks.tool = ToolBlock::commandLineTools;
    blocks.macOSBehind = isMacOSBehind(profile);
    return blocks;
}

QString Stage1Foundations::homebrewInstallCommand() {
    return QStringLiteral("/bin/bash -c \"$(curl -fsSL ") +
           HomebrewInstaller::defaultInstallScriptURL().toString() + QStringLiteral(")\"");
}

void Stage1Foundations::installHomebrew() {
    requestRemediation(Remediation::installHomebrew());
}

void Stage1Foundations::maybeLater() {
    skipByUser(QStringLiteral("stage_1_foundations"));
}

void Stage1Foundations::continueOn() {
    if (!isBusy())
        advance();
}

void Stage1Foundations::openCommandLineToolsArticle() {
    openOutbound(QStringLiteral("Xcode CLT install guide"),
                 ProductConfig::current().urls.commandLineTools);
}

void Stage1Foundations::openMacOSUpgradeGuide() {
    openOutbound(QStringLiteral("macOS upgrade guide"), ProductConfig::current().urls.macosUpgrade);
}

void Stage1Foundations::remediationEnded(RemediationOutcome::Kind end) {
    switch (end) {
    case RemediationOutcome::Kind::canceled:
        return;
    case RemediationOutcome::Kind::failure:
        advance();
        return;
    case RemediationOutcome::Kind::success:
        break;
    }
    if (!onProfileRefresh_) {
        advance();
        return;
    }
    // Busy until the fresh profile is in: no second install, no skip racing the advance.
    setRefreshing(true);
    onProfileRefresh_([self = QPointer<Stage1Foundations>(this)] {
        if (!self)
            return;
        self->setRefreshing(false);
        self->advance();
    });
}

} // namespace tovr
