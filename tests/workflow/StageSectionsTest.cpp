#include "support/QtPrinting.h"
#include "support/SetupStageFixture.h"

#include "products/cli/CliProductConfig.h"
#include "workflow/CaskSection.h"
#include "workflow/GitSection.h"
#include "workflow/LanguagesSection.h"
#include "workflow/MCPSection.h"
#include "workflow/ProjectSection.h"
#include "workflow/SkillsSection.h"
#include "workflow/StageBodyPresenter.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using Kind = FixtureMac::Kind;
using Pending = SetupFlowModel::PendingInstall;
using Step = SetupFlowModel::Step;

namespace {

QStringList ids(const QList<SetupRemediation>& fixes) {
    QStringList out;
    for (const auto& fix : fixes)
        out << fix.id();
    return out;
}

QStringList ids(const std::optional<Pending>& pending) {
    return pending ? ids(pending->remediations) : QStringList{"<no install>"};
}

} // namespace

// The banner while Homebrew is missing, the fixes once it is found, the offer counted once
// for a fix button and never for Skip after it.
TEST(StageBodyPresenter, BannerUntilHomebrewThenFixButtonsAndOneOfferEvent) {
    SetupStageFixture f(Kind::newAppleSilicon);
    f.show("warp");
    StageBodyPresenter body(f.scope("warp"), f.mac.fs());
    body.readDisk();
    EXPECT_TRUE(body.showsBanner());
    EXPECT_TRUE(body.hasHomebrewStage());
    EXPECT_TRUE(body.fixes().isEmpty());

    StageBodyPresenter git(f.scope("git"), f.mac.fs());
    git.readDisk();
    EXPECT_FALSE(git.showsBanner()) << "Git does not install with Homebrew";

    f.mac.fs()->createExecutable("/usr/local/bin/brew");
    EXPECT_TRUE(body.showsBanner()) << "the disk is read when built and after a re-probe";
    body.readDisk();
    EXPECT_FALSE(body.showsBanner());
    const auto fixes = body.fixes();
    ASSERT_EQ(ids(fixes), QStringList{"brew:warp"});

    body.installFix("brew:warp");
    EXPECT_EQ(f.model->pendingInstall(),
              (Pending{"brew:warp", fixes[0].title(), fixes, false, "warp"}));
    f.model->finishStageAfterInstall(SetupActionOutcome::canceled);
    body.installFix("brew:warp");
    f.model->finishStageAfterInstall(SetupActionOutcome::canceled);
    body.installFix("brew:gone");
    EXPECT_FALSE(f.model->pendingInstall()) << "a fix no longer offered installs nothing";

    body.skip();
    EXPECT_NE(f.model->step(), Step::stage("warp"));
    const auto offers = f.telemetry.withName("offer_action");
    ASSERT_EQ(offers.size(), 1);
    EXPECT_EQ(offers[0].value("action").toString(), "selected");
}

TEST(StageBodyPresenter, HomebrewFirstJumpsWithoutRecordingAndGroupTakesEveryFix) {
    ProductConfig grouped = cliProduct();
    grouped.spinePolicy.specialStages.insert(
        "warp", SpineRenderPolicy::SpecialStageKind::groupedInstall("Install all", "all-warp",
                                                                    "install-all"));
    SetupStageFixture f(Kind::newAppleSilicon, grouped);
    f.show("warp");
    StageBodyPresenter body(f.scope("warp"), f.mac.fs());
    body.readDisk();
    body.installHomebrewFirst();
    EXPECT_EQ(f.model->step(), Step::stage("homebrew"));

    f.mac.fs()->createExecutable("/opt/homebrew/bin/brew");
    f.show("warp");
    body.readDisk();
    body.installGroup();
    EXPECT_EQ(f.model->pendingInstall(),
              (Pending{"all-warp", "Install all", body.fixes(), false, "warp"}));
    EXPECT_EQ(f.telemetry.count("offer_action"), 0);
}

TEST(StageBodyPresenter, CaptionIsThePolicysEvenWhenEmptyElseTheFixDetail) {
    SpineRenderPolicy policy;
    policy.remediationCaptions = {{"brew:warp", "Ours"}, {"brew:gh", ""}};
    EXPECT_EQ(StageBodyPresenter::caption(policy, SetupRemediation::installWarp()), "Ours");
    EXPECT_EQ(StageBodyPresenter::caption(policy, SetupRemediation::installGh()), "");
    EXPECT_EQ(StageBodyPresenter::caption(policy, SetupRemediation::installZed()),
              SetupRemediation::installZed().detail());

    // The files named are those the user's login shell moved elsewhere.
    SetupStageFixture f(Kind::newAppleSilicon, cliProduct(),
                        ToolLocationsSource::fixed({{{"ZDOTDIR", "/Users/dev/zsh"},
                                                     {"GIT_CONFIG_GLOBAL", "/Users/dev/d/git"}}}));
    f.show("shell-config");
    const StageBodyPresenter shell(f.scope("shell-config"), f.mac.fs());
    const auto rows = shell.fixRows({SetupRemediation::configureShell()});
    ASSERT_EQ(rows.size(), 1);
    EXPECT_TRUE(rows[0].caption.startsWith("We'll set up `~/zsh/.zprofile` (PATH), "
                                           "`~/zsh/.zshrc` (aliases and completions)"))
        << rows[0].caption.toStdString();
    EXPECT_EQ(f.model->namingUsersFiles("saved to ~/.gitconfig; backed up to ~/.zprofile.bak"),
              "saved to ~/d/git; backed up to ~/zsh/.zprofile.bak");

    // A login shell that did not answer: the usual file, and a sentence that says why.
    ToolLocations unanswered;
    unanswered.unanswered = true;
    SetupStageFixture silent(Kind::newAppleSilicon, cliProduct(),
                             ToolLocationsSource::fixed(unanswered));
    EXPECT_EQ(silent.model->namingUsersFiles("backed up to ~/.zprofile.bak."),
              "backed up to ~/.zprofile.bak. Your login shell didn't answer in time, so this "
              "names the usual file; your shell may read another.");
    EXPECT_EQ(silent.model->namingUsersFiles("Install Zed."), "Install Zed.");
}

// A language set up since the user ticked it is neither ticked, nor installed, nor counted
// for mise.
TEST(LanguagesSection, LanguagesAlreadySetUpLeaveTheChoiceAndTheMiseRule) {
    SetupStageFixture f(Kind::newAppleSilicon);
    f.mac.fs()->createFolder(f.home() + "/.local/share/uv/python/cpython-3.12");
    f.mac.fs()->createFolder(f.home() + "/.nvm/versions/node/v20.1.0");
    f.show("languages");
    LanguagesSection section(f.scope("languages"), f.mac.fs());
    section.readDisk();
    f.selections.selectedLanguages = {TOVRLanguage::python, TOVRLanguage::rust};

    const auto rows = section.rows();
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0].note, QString("already set up (uv)"));
    EXPECT_FALSE(rows[0].enabled);
    EXPECT_FALSE(rows[0].ticked);
    EXPECT_TRUE(rows[1].noteWarns && rows[1].enabled);
    EXPECT_TRUE(rows[4].ticked);
    EXPECT_EQ(ids(section.fixes()), QStringList{SetupRemediation::installRustup().id()});

    section.setTicked(TOVRLanguage::rust, false);
    EXPECT_FALSE(section.canInstall()) << "only Python is ticked, and it is set up";
    section.setTicked(TOVRLanguage::node, true);
    section.setTicked(TOVRLanguage::rust, true);
    const auto fixes = section.fixes();
    EXPECT_EQ(ids(fixes),
              ids({SetupRemediation::installMise(), SetupRemediation::installNodeViaMise(),
                   SetupRemediation::installRustViaMise()}));
    section.install();
    EXPECT_EQ(f.model->pendingInstall(),
              (Pending{"languages", "Install languages", fixes, true, "languages"}));
}

TEST(CaskSection, SeedsOnceLaterFixReplacesAndOnlyTickedOfferedAppsInstall) {
    const auto atHome = SetupRemediation::createProject(ProjectTemplate::simple);
    const auto there = SetupRemediation::createProject(ProjectTemplate::simple, QString("/x"));
    const auto byID = CaskSection::offeredByID({atHome, there});
    ASSERT_EQ(byID.size(), 1);
    EXPECT_EQ(byID.first(), there);

    SetupStageFixture f;
    f.show("ai-claude");
    const auto desktop = SetupRemediation::installClaudeDesktop();
    const auto cli = SetupRemediation::installClaudeCLI();
    const CaskSection::Entry entry{"Install Claude",
                                   "ai-claude",
                                   {{"Claude Desktop", desktop.id(), "install-claude-desktop"},
                                    {"Claude Code CLI", cli.id(), "install-claude-cli"}}};
    const auto offered = CaskSection::offeredByID({desktop, cli, SetupRemediation::installZed()});
    CaskSection section(f.scope("ai-claude"), entry);
    section.seed(offered);
    EXPECT_EQ(f.selections.selectedCasks, (QSet<QString>{desktop.id(), cli.id(), "brew:zed"}));

    section.setTicked(desktop.id(), false);
    CaskSection returned(f.scope("ai-claude"), entry);
    returned.seed(offered);
    EXPECT_FALSE(returned.rows(offered)[0].ticked) << "an untick survives a return";

    returned.setTicked(cli.id(), false);
    EXPECT_FALSE(returned.canInstall(offered))
        << "a seeded fix outside the list must not enable a button that installs nothing";

    returned.setTicked(desktop.id(), true);
    returned.setTicked(cli.id(), true);
    const auto withoutCli = CaskSection::offeredByID({desktop});
    const auto rows = returned.rows(withoutCli);
    EXPECT_FALSE(rows[1].offered || rows[1].ticked) << "an installed app is unticked";
    EXPECT_EQ(ids(returned.chosenFixes(withoutCli)), QStringList{desktop.id()});

    returned.install(offered);
    EXPECT_EQ(f.model->pendingInstall(),
              (Pending{"ai-claude", "Install Claude", {desktop, cli}, true, "ai-claude"}));
}

TEST(ProjectSection, DocumentsTakesEveryTemplateAndAChosenFolderTheSimpleOne) {
    SetupStageFixture f;
    f.show("project");
    ProjectSection section(f.scope("project"), f.ctx.folderPicker, "Choose a folder to work in",
                           f.home() + "/Documents");
    const QList<SetupRemediation> fixes{SetupRemediation::installGh(),
                                        SetupRemediation::createProject(ProjectTemplate::coding)};

    section.chooseFolder();
    ASSERT_EQ(f.ctx.folderPicker->requests.size(), 1);
    EXPECT_EQ(f.ctx.folderPicker->requests[0].message, "Choose a folder to work in");
    f.ctx.folderPicker->answer(std::nullopt);
    EXPECT_FALSE(f.model->pendingInstall());

    section.chooseFolder();
    f.ctx.folderPicker->answer(QString("/Users/dev/Work"));
    EXPECT_EQ(f.model->pendingInstall(),
              (Pending{"project-choose",
                       "Set up a project",
                       {SetupRemediation::createProject(ProjectTemplate::simple,
                                                        QString("/Users/dev/Work"))},
                       true,
                       "project"}));
    f.model->finishStageAfterInstall(SetupActionOutcome::canceled);

    section.chooseFolder();
    f.show("skills");
    f.ctx.folderPicker->answer(QString("/Users/dev/Late"));
    EXPECT_FALSE(f.model->pendingInstall()) << "an answer after the stage was left";

    f.show("project");
    section.installInDocuments(
        {SetupRemediation::createProject(ProjectTemplate::simple), fixes[0], fixes[1]});
    EXPECT_EQ(ids(f.model->pendingInstall()), (QStringList{"example:simple", "example:coding"}));
    EXPECT_TRUE(f.model->pendingInstall()->continuesPastFailure);
}

TEST(SkillsSection, RecommendedTickedOnceInstalledOnesNeverAdded) {
    SetupStageFixture f;
    for (const char* agent : {".claude", ".codex", ".agents"})
        f.mac.fs()->createFile(f.home() + "/" + agent + "/skills/downloads-cleanup/SKILL.md");
    f.show("skills");
    SkillsSection section(f.scope("skills"), f.mac.fs());
    section.readDisk();
    section.seed();
    EXPECT_EQ(f.selections.selectedSkills, QSet<QString>{"avoid-ai-writing"});
    section.setTicked("avoid-ai-writing", false);

    SkillsSection returned(f.scope("skills"), f.mac.fs());
    returned.readDisk();
    returned.seed();
    const auto rows = returned.rows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_FALSE(rows[0].ticked) << "an untick survives a return";
    EXPECT_TRUE(rows[1].installed && rows[1].ticked);
    EXPECT_EQ(rows[1].caption, "Already installed");
    returned.setTicked("downloads-cleanup", true);
    EXPECT_FALSE(returned.canAdd());

    returned.setTicked("skill-creator", true);
    returned.setTicked("avoid-ai-writing", true);
    returned.add();
    EXPECT_EQ(ids(f.model->pendingInstall()),
              (QStringList{"skill:avoid-ai-writing", "skill:skill-creator"}));
    EXPECT_TRUE(f.model->pendingInstall()->continuesPastFailure);

    SetupStageFixture newMac(Kind::newAppleSilicon);
    SkillsSection beginner(newMac.scope("skills"), newMac.mac.fs());
    EXPECT_EQ(beginner.listed().size(), 2) << "no developer-only skill on a beginner's Mac";
}

TEST(MCPSection, AddedServersLockedKeysOnlyForTickedKeyServersReadOnlyWhenAsked) {
    SetupStageFixture f;
    // This Mac has Codex too: a server is added when both agents have it.
    f.mac.fs()->createFile(f.home() + "/.claude.json", R"({"mcpServers":{"context7":{}}})");
    f.mac.fs()->createFile(f.home() + "/.codex/config.toml",
                           "[mcp_servers.context7]\nurl = \"u\"\n");
    f.show("mcp");
    MCPSection section(f.scope("mcp"), f.mac.fs());
    section.readDisk();

    auto rows = section.rows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].slug, "context7");
    EXPECT_TRUE(rows[1].added && rows[1].ticked);
    EXPECT_EQ(rows[1].caption, "Already added");
    EXPECT_FALSE(rows[1].disclosure);
    EXPECT_FALSE(rows[0].showsKeyField);

    section.setTicked("exa", true);
    section.setTicked("notion", true);
    rows = section.rows();
    EXPECT_TRUE(rows[0].showsKeyField);
    EXPECT_FALSE(rows[2].showsKeyField) << "a server that signs in takes no key";

    section.setAPIKey("exa", " key with spaces ");
    auto fixes = section.fixes();
    ASSERT_EQ(fixes.size(), 2);
    EXPECT_EQ(fixes[0].as<SetupRemediation::AddMCPServer>()->apiKey, QString(" key with spaces "));
    EXPECT_FALSE(fixes[1].as<SetupRemediation::AddMCPServer>()->apiKey);
    section.setAPIKey("exa", "");
    EXPECT_FALSE(section.fixes()[0].as<SetupRemediation::AddMCPServer>()->apiKey);
    section.setAPIKey("exa", "k");
    section.setTicked("exa", false);
    EXPECT_EQ(ids(section.fixes()), QStringList{"mcp:notion"});

    f.mac.fs()->createFile(f.home() + "/.claude.json",
                           R"({"mcpServers":{"context7":{},"notion":{}}})");
    f.mac.fs()->createFile(f.home() + "/.codex/config.toml",
                           "mcp_servers.context7.url = \"u\"\nmcp_servers.notion.url = \"u\"\n");
    EXPECT_TRUE(section.canAdd()) << "the configuration is read when asked, not per redraw";
    section.add();
    EXPECT_EQ(f.model->pendingInstall(),
              (Pending{"mcp", "Add MCP servers", section.fixes(), true, "mcp"}));
    section.readDisk();
    EXPECT_FALSE(section.canAdd());
}

TEST(GitSection, TrimsSpacesAndTabsOnlyAndAsksOnlyForWhatIsMissing) {
    EXPECT_EQ(GitSection::trimmed(" \tAda Lovelace\t "), "Ada Lovelace");
    EXPECT_EQ(GitSection::trimmed("Ada\n"), "Ada\n");

    const SetupProbeBundle nothing;
    EXPECT_FALSE(GitSection::canSetUp(nothing, " \t ", "ada@example.com"));
    EXPECT_EQ(GitSection::fixes(nothing, "  Ada ", " ada@example.com"),
              (QList<SetupRemediation>{SetupRemediation::installGh(),
                                       SetupRemediation::configureGit("Ada", "ada@example.com"),
                                       SetupRemediation::githubAuth()}));
    SetupProbeBundle identity;
    identity.gitIdentitySet = true;
    identity.ghPresent = true;
    EXPECT_TRUE(GitSection::canSetUp(identity, "", ""));
    EXPECT_EQ(GitSection::fixes(identity, "", ""),
              QList<SetupRemediation>{SetupRemediation::githubAuth()});
    // Signed in, yet an HTTPS push would ask for a password: the sign-in step sets git up.
    identity.ghAuthed = true;
    EXPECT_EQ(GitSection::fixes(identity, "", ""),
              QList<SetupRemediation>{SetupRemediation::githubAuth()});
    identity.gitUsesGhCredentials = true;
    EXPECT_TRUE(GitSection::fixes(identity, "", "").isEmpty());

    SetupStageFixture f(Kind::newAppleSilicon);
    f.show("git");
    GitSection section(f.scope("git"));
    section.setName(" Ada\t");
    section.setUp();
    EXPECT_FALSE(f.model->pendingInstall()) << "no e-mail yet";
    section.setEmail("ada@example.com ");
    section.setUp();
    EXPECT_EQ(
        f.model->pendingInstall(),
        (Pending{"git", "Set up Git with GitHub",
                 GitSection::fixes(*f.model->probes(), "Ada", "ada@example.com"), false, "git"}));
    EXPECT_EQ(f.selections.gitName, " Ada\t") << "the typed text is kept as typed";
}
