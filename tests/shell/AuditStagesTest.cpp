#include "shell/Stage1Foundations.h"
#include "shell/Stage2Terminal.h"

#include <gtest/gtest.h>

using namespace tovr;
using Blocks = Stage1Foundations::Blocks;
using Tool = Stage1Foundations::ToolBlock;

namespace {

SystemProfile mac(Architecture architecture, qint64 major, bool homebrew, bool tools) {
    SystemProfile p;
    p.architecture = architecture;
    p.macosVersion = {major, 0, 0};
    if (homebrew)
        p.homebrewPrefix = "/opt/homebrew/bin/brew";
    if (tools)
        p.xcodeCommandLineToolsPath = "/Library/Developer/CommandLineTools";
    return p;
}

} // namespace

TEST(Stage1Foundations, JudgesTheToolsAndOnAppleSiliconOnlyAMacOSTwoReleasesBehind) {
    const Stage1Foundations stage(nullptr, nullptr);
    constexpr auto ok = StageOutcome::skippedAlreadyOk;
    constexpr auto shown = StageOutcome::rendered;
    const auto silicon = Architecture::appleSilicon;
    EXPECT_EQ(stage.evaluate(mac(Architecture::intel, 11, true, true)), ok);
    EXPECT_EQ(stage.evaluate(mac(Architecture::unknown, 11, true, true)), ok);
    EXPECT_EQ(stage.evaluate(mac(silicon, 25, true, true)), ok);
    EXPECT_EQ(stage.evaluate(mac(silicon, 27, true, true)), ok);
    EXPECT_EQ(stage.evaluate(mac(silicon, 24, true, true)), shown);
    EXPECT_EQ(Stage1Foundations::blocks(mac(silicon, 24, true, true)), (Blocks{Tool::none, true}));
    EXPECT_EQ(stage.evaluate(mac(Architecture::intel, 15, false, true)), shown);
    // Homebrew's script brings the tools too, so only its block shows.
    EXPECT_EQ(Stage1Foundations::blocks(mac(silicon, 26, false, false)),
              (Blocks{Tool::homebrew, false}));
    EXPECT_EQ(Stage1Foundations::blocks(mac(Architecture::intel, 11, true, false)),
              (Blocks{Tool::commandLineTools, false}));
    EXPECT_EQ(Stage1Foundations::homebrewInstallCommand().size(), 95);
}

TEST(Stage2Terminal, OffersWarpUnlessInstalledOrTheNextStepRulesItOut) {
    const auto newcomer = mac(Architecture::appleSilicon, 26, false, false);
    const auto withBrew = mac(Architecture::appleSilicon, 26, true, false);
    auto withWarp = withBrew;
    withWarp.terminals.warp = true;
    const auto context = [](QString step, std::optional<QString> goal) {
        return std::optional(TOVRAuditContext{std::move(step), std::move(goal), std::nullopt});
    };
    constexpr auto shown = StageOutcome::rendered;
    constexpr auto blocked = StageOutcome::skippedMissingBlocked;

    EXPECT_EQ(Stage2Terminal::evaluate(withWarp, context("build_software", "school")),
              StageOutcome::skippedAlreadyOk);
    EXPECT_EQ(Stage2Terminal::evaluate(newcomer, std::nullopt), shown);
    EXPECT_EQ(Stage2Terminal::evaluate(newcomer, context("build_software", std::nullopt)), shown);
    EXPECT_EQ(Stage2Terminal::evaluate(newcomer, context("course", "school")), shown);
    EXPECT_EQ(Stage2Terminal::evaluate(newcomer, context("course", "School")), blocked);
    EXPECT_EQ(Stage2Terminal::evaluate(newcomer, context("course", std::nullopt)), blocked);
    EXPECT_EQ(Stage2Terminal::evaluate(withBrew, context("course", std::nullopt)), shown);

    EXPECT_EQ(Stage2Terminal::warpInstall(newcomer), Remediation::installHomebrewThenWarp("warp"));
    EXPECT_EQ(Stage2Terminal::warpInstall(withBrew), Remediation::installWarpViaBrew("warp"));
}
