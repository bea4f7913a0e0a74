#pragma once

#include "model/SetupProbeBundle.h"
#include "model/SharedDomainCopy.h"
#include "platform/SystemProfile.h"

namespace tovr {

// Where Homebrew stands on the Mac.
enum class HomebrewInstallState {
    ready,
    installedTwice,
    notOnPath,
    wrongArchitecture,
    notInstalled
};

HomebrewInstallState homebrewInstallState(Architecture architecture,
                                          const SetupProbeBundle& probes);

// What the user reads about a Homebrew state, and whether it needs a fix.
struct HomebrewStatusCopy {
    QString headline;
    QString detail;
    bool needsAction = false;
    bool operator==(const HomebrewStatusCopy&) const = default;
};

HomebrewStatusCopy homebrewStatusCopy(const SharedDomainCopy& copy, HomebrewInstallState state);

// Fixed headlines: the Homebrew screens recognise these states by them.
inline constexpr QStringView kHomebrewNotOnPathHeadline =
    u"Homebrew is installed, but your shell can't find it";
inline constexpr QStringView kHomebrewWrongChipHeadline =
    u"Homebrew is installed for the wrong chip";

} // namespace tovr
