#pragma once

#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/RecordedTelemetry.h"
#include "support/SpinUntil.h"
#include "support/TestScreenContext.h"

#include "model/AuditContext.h"
#include "shell/StagedAuditFlowModel.h"

#include <gtest/gtest.h>

#include <memory>

namespace tovr::test {

template <class F> [[nodiscard]] bool waitFor(F done) {
    return spinUntil(done);
}

// A likely developer without Homebrew: the Intel Mac (Command Line Tools, iTerm, VS Code)
// whose Homebrew was removed.
inline std::unique_ptr<FixtureMac> developerWithoutHomebrew() {
    auto mac = std::make_unique<FixtureMac>(FixtureMac::Kind::intelWithThreeJDKs);
    mac->fs()->removeItem("/usr/local/bin/brew");
    mac->noHomebrewOnPath();
    return mac;
}

// What a finished Homebrew install leaves on that Mac.
inline void installHomebrewOn(FixtureMac& mac) {
    mac.fs()->createExecutable("/usr/local/bin/brew");
    mac.homebrewOnPath("/usr/local/bin/brew", "Homebrew 4.4.6\n");
}

inline AuditContext heuristicEntry(BuildIntentSurface surface = BuildIntentSurface::postFix) {
    return {AuditEntry::heuristic, CompletionSurface::prompt(surface), std::nullopt};
}

inline AuditContext entryOf(AuditEntry entry, std::optional<TOVRAuditContext> tovr = {}) {
    return {entry, CompletionSurface::excluded(), std::move(tovr)};
}

// One audit screen on a fixture Mac. With `fixtureMode` false the flow profiles the Mac
// itself (through the fixture's runner and sandbox); the window's profile is the fallback.
class AuditHarness {
public:
    AuditHarness(const FixtureMac& mac, bool fixtureMode, AuditContext audit,
                 std::optional<SystemProfile> windowProfile)
        : screen(servicesOf(mac, fixtureMode), mac.environment()) {
        if (windowProfile)
            screen.profile->set(*windowProfile);
        flow = std::make_unique<StagedAuditFlowModel>(screen.context, std::move(audit));
    }

    // Appears and, outside fixture mode, waits for the fresh profile.
    void appear() {
        flow->appearTask();
        if (!screen.context.services.isFixtureMode) {
            EXPECT_TRUE(waitFor([&] { return flow->freshProfile().has_value(); }));
        }
    }

    TestScreenContext screen;
    std::unique_ptr<StagedAuditFlowModel> flow;

private:
    static AppServices servicesOf(const FixtureMac& mac, bool fixtureMode) {
        auto services = mac.services();
        services.isFixtureMode = fixtureMode;
        return services;
    }
};

} // namespace tovr::test
