#include "model/StageCatalog.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace Qt::Literals::StringLiterals;
using Fix = SetupRemediation;
using C = SetupDiagnosisClassification;

namespace {

// A Mac fresh out of the box: nothing found.
SystemProfile newMac() {
    return {};
}

// A developer's Mac with Homebrew, VS Code and Claude Desktop.
SystemProfile developerMac() {
    SystemProfile profile;
    profile.homebrewPrefix = u"/opt/homebrew/bin/brew"_s;
    profile.xcodeCommandLineToolsPath = u"/Library/Developer/CommandLineTools"_s;
    profile.aiTooling.vsCode = true;
    profile.aiTooling.claudeCodeDesktop = true;
    return profile;
}

const QStringList catalogDomains{u"ai-claude"_s, u"codex"_s,      u"editor"_s,  u"shell-config"_s,
                                 u"languages"_s, u"agent-docs"_s, u"project"_s, u"skills"_s,
                                 u"mcp"_s,       u"git"_s};

struct Case {
    QString domain;
    SystemProfile profile;
    SetupProbeBundle probes;
    QString headline;
    C classification;
    QList<Fix> fixes;
};

} // namespace

TEST(StageCatalog, EachDomainJudgesAndOffersFixes) {
    SetupProbeBundle configured;
    configured.shellConfigured = true;
    configured.projectExists = true;
    configured.companionToolPresent = true;
    SetupProbeBundle docNeeded;
    docNeeded.agentDocNeeded = true;
    SetupProbeBundle gitDone;
    gitDone.ghPresent = gitDone.gitIdentitySet = gitDone.ghAuthed = true;
    gitDone.gitUsesGhCredentials = true;
    SetupProbeBundle noIdentity = gitDone;
    noIdentity.gitIdentitySet = false;
    SetupProbeBundle pushAsksForPassword = gitDone; // signed in, git's helper is not gh's
    pushAsksForPassword.gitUsesGhCredentials = false;
    SystemProfile both = developerMac();
    both.aiTooling.claudeCodeCLI = true;
    SystemProfile chatgpt;
    chatgpt.aiTooling.chatgptDesktop = true;
    SystemProfile bashLogin = newMac();
    bashLogin.shell = Shell::bash();

    const QList<Case> cases{
        {u"ai-claude"_s,
         newMac(),
         {},
         u"Install Claude"_s,
         C::fixable,
         {Fix::installClaudeDesktop(), Fix::installClaudeCLI()}},
        {u"ai-claude"_s,
         developerMac(),
         {},
         u"Install Claude"_s,
         C::fixable,
         {Fix::installClaudeCLI()}},
        {u"ai-claude"_s, both, {}, u"Claude is installed"_s, C::ready, {}},
        {u"codex"_s,
         newMac(),
         {},
         u"Also install ChatGPT?"_s,
         C::fixable,
         {Fix::installCodexCLI(), Fix::installChatGPTDesktop()}},
        {u"codex"_s, newMac(), configured, u"You have OpenAI's coding tools"_s, C::ready, {}},
        {u"codex"_s, chatgpt, {}, u"You have OpenAI's coding tools"_s, C::ready, {}},
        {u"editor"_s,
         newMac(),
         {},
         u"Install Zed, a better editor"_s,
         C::fixable,
         {Fix::installZed(), Fix::installVSCode()}},
        {u"editor"_s, developerMac(), {}, u"You have an editor"_s, C::ready, {}},
        {u"shell-config"_s,
         newMac(),
         {},
         u"Shell configuration"_s,
         C::fixable,
         {Fix::configureShell()}},
        {u"shell-config"_s, newMac(), configured, u"Your shell is configured"_s, C::ready, {}},
        // zsh's files, configured, are not a configured shell for a bash login shell: what
        // is left is the user's to do.
        {u"shell-config"_s, bashLogin, configured, u"Shell configuration"_s, C::fixable, {}},
        {u"languages"_s,
         developerMac(),
         configured,
         u"Install programming languages"_s,
         C::fixable,
         {}},
        {u"agent-docs"_s, newMac(), {}, u"Your AI agent is set up"_s, C::ready, {}},
        {u"agent-docs"_s,
         newMac(),
         docNeeded,
         u"Tell your AI agent how your Mac is set up"_s,
         C::fixable,
         {Fix::documentEnvironment()}},
        {u"project"_s,
         newMac(),
         {},
         u"Set up a project"_s,
         C::fixable,
         {Fix::createProject(ProjectTemplate::simple)}},
        {u"project"_s,
         developerMac(),
         {},
         u"Set up a project"_s,
         C::fixable,
         {Fix::createProject(ProjectTemplate::simple),
          Fix::createProject(ProjectTemplate::coding)}},
        {u"project"_s, developerMac(), configured, u"Your project is set up"_s, C::ready, {}},
        {u"skills"_s, developerMac(), configured, u"Add SKILLS"_s, C::fixable, {}},
        {u"mcp"_s, developerMac(), configured, u"Add MCP servers"_s, C::fixable, {}},
        {u"git"_s, newMac(), {}, u"Set up Git with GitHub"_s, C::fixable, {}},
        {u"git"_s, newMac(), noIdentity, u"Set up Git with GitHub"_s, C::fixable, {}},
        {u"git"_s, newMac(), pushAsksForPassword, u"Set up Git with GitHub"_s, C::fixable, {}},
        {u"git"_s, newMac(), gitDone, u"Git and GitHub are set up"_s, C::ready, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.domain + u' ' + c.headline).toStdString());
        const auto diagnosis = stageDiagnosis(c.domain, c.profile, c.probes);
        ASSERT_TRUE(diagnosis.has_value());
        EXPECT_EQ(diagnosis->headline, c.headline);
        EXPECT_EQ(diagnosis->classification, c.classification);
        EXPECT_FALSE(diagnosis->detail.isEmpty());
        EXPECT_EQ(stageRemediations(c.domain, c.profile, c.probes), c.fixes);
    }
}

namespace {

struct Verdicts {
    QString domain;
    std::pair<QString, QString> ready; // empty: never ready
    std::pair<QString, QString> fixable;
};

const QList<Verdicts>& verdictTexts() {
    static const QList<Verdicts> rows{
        {u"ai-claude"_s,
         {u"Claude is installed"_s, u"You have Claude Desktop and the Claude Code CLI."_s},
         {u"Install Claude"_s,
          u"Claude Code is Anthropic's AI coding assistant — a desktop app and a terminal CLI. Install whichever you want; already-installed ones are grayed out."_s}},
        {u"codex"_s,
         {u"You have OpenAI's coding tools"_s, u"ChatGPT or the Codex CLI is already installed."_s},
         {u"Also install ChatGPT?"_s,
          u"ChatGPT is OpenAI's desktop app, with the Codex coding agent built in. Codex also runs in your terminal as a CLI."_s}},
        {u"editor"_s,
         {u"You have an editor"_s, u"A recommended editor is already installed."_s},
         {u"Install Zed, a better editor"_s,
          u"Based on what you have, we recommend Zed, a native and fast editor. VS Code is a slower alternative if you prefer it."_s}},
        {u"shell-config"_s,
         {u"Your shell is configured"_s,
          u"Your shell files already have the PATH, mise, and ~/.env setup we add."_s},
         {u"Shell configuration"_s,
          u"We'll configure your shell files so a new terminal finds your tools, and create ~/.env for your API keys."_s}},
        {u"languages"_s,
         {},
         {u"Install programming languages"_s,
          u"Pick the languages you want. This app also installs a version manager where it's advisable (uv for Python, mise for Node and Ruby and Rust)."_s}},
        {u"agent-docs"_s,
         {u"Your AI agent is set up"_s,
          u"Your agent's instructions already describe how your tools are configured."_s},
         {u"Tell your AI agent how your Mac is set up"_s,
          u"We'll add a short note to your agent's instructions (CLAUDE.md / AGENTS.md) describing how your tools are set up."_s}},
        {u"project"_s,
         {u"Your project is set up"_s, u"You already have an example project in ~/Documents."_s},
         {u"Set up a project"_s,
          u"Set up an example project, with CLAUDE.md and AGENTS.md files for guidance."_s}},
        {u"skills"_s,
         {},
         {u"Add SKILLS"_s,
          u"Skills add new capabilities to AI agents. Some skills are just instructions; some run code. Type '/' (slash) in AI chat to see available skills."_s}},
        {u"mcp"_s,
         {},
         {u"Add MCP servers"_s,
          u"MCP servers connect AI agents to services they can't reach on their own, such as web searches and macOS apps (some services need a sign-in). We set up the configuration so you don't get annoying errors."_s}},
        {u"git"_s,
         {u"Git and GitHub are set up"_s,
          u"Your name and email are configured and you're signed in to GitHub."_s},
         {u"Set up Git with GitHub"_s,
          u"Git is already on your Mac. We'll set your name and email for commits, then you can sign in to set up GitHub for use without password re-typing."_s}},
    };
    return rows;
}

} // namespace

TEST(StageCatalog, EveryVerdictReadsAsWritten) {
    SystemProfile everything = developerMac();
    everything.aiTooling.claudeCodeCLI = everything.aiTooling.codexCLI = true;
    everything.aiTooling.zed = everything.aiTooling.chatgptDesktop = true;
    SetupProbeBundle allDone;
    allDone.companionToolPresent = allDone.shellConfigured = allDone.projectExists = true;
    allDone.ghPresent = allDone.gitIdentitySet = allDone.ghAuthed = true;
    allDone.gitUsesGhCredentials = true;
    SetupProbeBundle nothingDone;
    nothingDone.agentDocNeeded = true;

    ASSERT_EQ(verdictTexts().size(), catalogDomains.size());
    for (qsizetype i = 0; i < catalogDomains.size(); ++i) {
        const auto& row = verdictTexts()[i];
        SCOPED_TRACE(row.domain.toStdString());
        EXPECT_EQ(row.domain, catalogDomains[i]);
        const auto best = stageDiagnosis(row.domain, everything, allDone);
        const auto worst = stageDiagnosis(row.domain, newMac(), nothingDone);
        if (!row.ready.first.isEmpty())
            EXPECT_EQ(best, (SetupDiagnosis{row.ready.first, row.ready.second, C::ready}));
        else
            EXPECT_EQ(best, worst); // never ready
        EXPECT_EQ(worst, (SetupDiagnosis{row.fixable.first, row.fixable.second, C::fixable}));
    }
}

TEST(StageCatalog, OnlyTheTenSharedDomainsBelong) {
    for (const auto& domain : catalogDomains) {
        EXPECT_TRUE(isCatalogDomain(domain)) << domain.toStdString();
        EXPECT_TRUE(stageDiagnosis(domain, newMac(), {}).has_value());
    }
    for (const auto& domain :
         {u"Git"_s, u"clt"_s, u"homebrew"_s, u"warp"_s, u"claude-cli"_s, u"git "_s, QString()}) {
        EXPECT_FALSE(isCatalogDomain(domain)) << domain.toStdString();
        EXPECT_EQ(stageDiagnosis(domain, newMac(), {}), std::nullopt);
        EXPECT_TRUE(stageRemediations(domain, newMac(), {}).isEmpty());
    }
}
