#include "products/brew/HomebrewInstallState.h"

namespace tovr {

HomebrewInstallState homebrewInstallState(Architecture architecture,
                                          const SetupProbeBundle& probes) {
    const bool inOptHomebrew =
        probes.installedPrimaryToolLocations.contains(QStringLiteral("/opt/homebrew/bin/brew"));
    const bool inUsrLocal =
        probes.installedPrimaryToolLocations.contains(QStringLiteral("/usr/local/bin/brew"));
    const bool usable = probes.versionExitCode == 0 && !probes.pathVisiblePrimaryTools.isEmpty();

    if (!inOptHomebrew && !inUsrLocal)
        return HomebrewInstallState::notInstalled;
    if (architecture == Architecture::appleSilicon && inUsrLocal) {
        if (!inOptHomebrew)
            return HomebrewInstallState::wrongArchitecture;
        return usable ? HomebrewInstallState::installedTwice : HomebrewInstallState::notOnPath;
    }
    if (!usable)
        return HomebrewInstallState::notOnPath;
    return inOptHomebrew && inUsrLocal ? HomebrewInstallState::installedTwice
                                       : HomebrewInstallState::ready;
}

HomebrewStatusCopy homebrewStatusCopy(const SharedDomainCopy& copy, HomebrewInstallState state) {
    switch (state) {
    case HomebrewInstallState::ready:
        return {copy.homebrewReady.headline, copy.homebrewReady.detail, false};
    case HomebrewInstallState::installedTwice:
        return {QStringLiteral("Homebrew is installed"),
                QStringLiteral("You have Homebrew in two places (/opt/homebrew and /usr/local). "
                               "We'll use the native /opt/homebrew and leave the other one "
                               "untouched."),
                false};
    case HomebrewInstallState::notOnPath:
        return {kHomebrewNotOnPathHeadline.toString(),
                QStringLiteral("brew is on your Mac but not on your PATH, so your terminal "
                               "reports \"command not found\". We'll add it to ~/.zprofile "
                               "(backed up first) and re-check in a fresh shell."),
                true};
    case HomebrewInstallState::wrongArchitecture:
        return {kHomebrewWrongChipHeadline.toString(),
                QStringLiteral("Your Mac is Apple Silicon, but Homebrew is in the Intel location "
                               "(/usr/local). We'll install the native Homebrew in /opt/homebrew "
                               "and leave the existing one untouched."),
                true};
    case HomebrewInstallState::notInstalled:
        return {copy.homebrewFixable.headline, copy.homebrewFixable.detail, true};
    }
    return {};
}

} // namespace tovr
