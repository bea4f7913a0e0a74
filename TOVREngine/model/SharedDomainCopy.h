#pragma once

#include "model/SetupDiagnosis.h"
#include "platform/SystemProfile.h"

#include <QString>

namespace tovr {

// The ready and fixable texts of the domains every product has: Command Line Tools,
// Homebrew and Warp.
struct SharedDomainCopy {
    struct State {
        QString headline;
        QString detail;
        bool operator==(const State&) const = default;
    };

    State cltReady;
    State cltFixable;
    State homebrewReady;
    State homebrewFixable;
    State warpReady;
    State warpFixable;

    // The copy most products use; made once, on first use.
    static const SharedDomainCopy& standard();

    // Fixable while no active developer folder is known.
    SetupDiagnosis cltDiagnosis(const SystemProfile& profile) const;
    // Fixable while no `brew` was found.
    SetupDiagnosis homebrewDiagnosis(const SystemProfile& profile) const;

    bool operator==(const SharedDomainCopy&) const = default;
};

} // namespace tovr
