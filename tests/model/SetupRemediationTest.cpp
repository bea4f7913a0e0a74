#include "model/SetupRemediation.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace Qt::Literals::StringLiterals;

namespace {

AgentSkill sampleSkill(QString badge = u"Keeps notes tidy"_s) {
    return {u"tidy-notes"_s,
            u"Tidy notes"_s,
            std::move(badge),
            AgentSkill::Source::bundle(u"tidy-notes"_s),
            false,
            false};
}

MCPServer sampleServer(MCPServer::Connection connection) {
    return {u"search"_s, u"Web search"_s,      u"https://search.example/mcp"_s, u"Searches."_s,
            {},          std::move(connection)};
}

struct Expected {
    SetupRemediation fix;
    QString id;
    QString title;
    QString detail;
    QString analyticsKey;
    VerifyPolicy verifyPolicy;
};

// Every kind in declaration order; the payload kinds with sample payloads.
const QList<Expected>& expectedTexts() {
    static const QList<Expected> rows{
        {SetupRemediation::repairPath(u"/Users/ana/.npm-global/bin"_s),
         u"path-repair:/Users/ana/.npm-global/bin"_s, u"Fix your PATH so `claude` is found"_s,
         u"We'll add `/Users/ana/.npm-global/bin` to your PATH in `~/.zprofile` (after backing it up to `~/.zprofile.bak`) so your shell can find `claude`."_s,
         u"zprofile_write"_s, VerifyPolicy::localVerification},
        {SetupRemediation::createProject(ProjectTemplate::simple, u"/Users/ana/Work"_s),
         u"example:simple"_s, u"Create the example project"_s,
         u"We'll copy a ready-to-use sample project into ~/Documents/AI-Simple-Project — a folder to open with Claude, with notes to try and CLAUDE.md / AGENTS.md guidance."_s,
         u"template_copy"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::createProject(ProjectTemplate::coding), u"example:coding"_s,
         u"Create the coding project"_s,
         u"We'll copy a spec-driven coding project into ~/Documents/AI-Coding-Project — a worked scaffold that teaches sustainable AI-assisted development."_s,
         u"template_copy"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installSkill(sampleSkill()), u"skill:tidy-notes"_s, u"Add Tidy notes"_s,
         u"We'll add the Tidy notes skill to your AI agents — Keeps notes tidy."_s,
         u"skill_install"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::addMCPServer(sampleServer(MCPServer::Connection::keylessOptionalKey())),
         u"mcp:search"_s, u"Add Web search"_s,
         u"We'll add the Web search MCP server to your AI agents."_s, u"mcp_add"_s,
         VerifyPolicy::installCompletion},
        {SetupRemediation::addMCPServer(sampleServer(MCPServer::Connection::oauth()), u"k-123"_s),
         u"mcp:search"_s, u"Add Web search"_s,
         u"We'll add the Web search MCP server to your AI agents, then you sign in inside Claude or Codex to finish."_s,
         u"mcp_add"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::configureGit(u"Ana"_s, u"ana@example.com"_s), u"git:config"_s,
         u"Save your Git name and email"_s,
         u"We'll set your name and email with `git config --global`, and a couple of sensible defaults."_s,
         u"git_config"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installCommandLineTools(), u"clt"_s, u"Install Command Line Tools"_s,
         u""_s, u"softwareupdate"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installHomebrew(), u"homebrew"_s, u"Install Homebrew (recommended)"_s,
         u"We'll run the official Homebrew install script. macOS will prompt for your password (three times, as needed)."_s,
         u"homebrew"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installClaudeCLI(), u"brew:claude-code@latest"_s,
         u"Install Claude Code CLI (recommended)"_s,
         u"We'll run `brew install --cask claude-code@latest` so Claude Code stays updatable under Homebrew, then verify `claude --version` runs."_s,
         u"brew"_s, VerifyPolicy::localVerification},
        {SetupRemediation::repairHomebrewPath(), u"path-repair:homebrew"_s,
         u"Fix your PATH so `brew` is found"_s,
         u"We'll add Homebrew to your PATH in `~/.zprofile` (after backing it up to `~/.zprofile.bak`) so your shell can find `brew`, then re-check in a fresh shell."_s,
         u"zprofile_write"_s, VerifyPolicy::localVerification},
        {SetupRemediation::installWarp(), u"brew:warp"_s, u"Install Warp (recommended)"_s,
         u"We'll install Warp via Homebrew — the modern, AI-assisted macOS terminal we recommend."_s,
         u"brew"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installClaudeDesktop(), u"brew:claude"_s,
         u"Install Claude Desktop (recommended)"_s,
         u"We'll run `brew install --cask claude` to install the Claude desktop app, then confirm it's present."_s,
         u"brew"_s, VerifyPolicy::localVerification},
        {SetupRemediation::installZed(), u"brew:zed"_s, u"Install Zed"_s,
         u"We'll run `brew install --cask zed` to install Zed, a native and fast editor."_s,
         u"brew"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installVSCode(), u"brew:visual-studio-code"_s, u"Install VS Code"_s,
         u"We'll run `brew install --cask visual-studio-code` to install Visual Studio Code."_s,
         u"brew"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installCodexCLI(), u"brew:codex"_s, u"Install Codex CLI"_s,
         u"We'll run `brew install --cask codex` to install the Codex CLI in your terminal."_s,
         u"brew"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installChatGPTDesktop(), u"brew:chatgpt"_s, u"Install ChatGPT Desktop"_s,
         u"We'll run `brew install --cask chatgpt` to install the ChatGPT desktop app, which has OpenAI's Codex coding agent built in."_s,
         u"brew"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::configureShell(), u"shell-config"_s, u"Set up my shell"_s,
         u"We'll set up `~/.zprofile` (PATH), `~/.zshrc` (aliases and completions), and `~/.env` (API keys). Each file is backed up first, and nothing is overwritten."_s,
         u"shell_config"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installUv(), u"uv"_s, u"Install Python (uv)"_s,
         u"We'll install uv (Astral's installer), use it to install Python, and add uv's `~/.local/bin` to your PATH."_s,
         u"uv"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installMise(), u"brew:mise"_s, u"Install mise (version manager)"_s,
         u"We'll install mise with Homebrew to manage Node and Ruby versions, and activate it in your shell."_s,
         u"brew"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installNodeViaMise(), u"mise:node@lts"_s, u"Install Node (via mise)"_s,
         u"We'll run `mise use -g node@lts` to install the latest LTS Node."_s, u"mise"_s,
         VerifyPolicy::installCompletion},
        {SetupRemediation::installRubyViaMise(), u"mise:ruby@latest"_s,
         u"Install Ruby (via mise)"_s,
         u"We'll run `mise use -g ruby@latest` to install the latest Ruby."_s, u"mise"_s,
         VerifyPolicy::installCompletion},
        {SetupRemediation::installRustViaMise(), u"mise:rust"_s, u"Install Rust (via mise)"_s,
         u"We'll run `mise use -g rust` to install Rust. mise uses rustup underneath, so cargo and rustc resolve through mise."_s,
         u"mise"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installRustup(), u"rustup"_s, u"Install Rust (rustup)"_s,
         u"We'll install rustup (Rust's official installer) and the stable toolchain, and add `~/.cargo/bin` to your PATH."_s,
         u"rustup"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::installTemurin(), u"brew:temurin"_s, u"Install Java (Temurin)"_s,
         u"We'll install the Temurin JDK with Homebrew (`temurin` cask) and set JAVA_HOME."_s,
         u"brew"_s, VerifyPolicy::installCompletion},
        {SetupRemediation::documentEnvironment(), u"env-doc"_s,
         u"Document the setup for your AI agent"_s, u""_s, u"env_doc"_s,
         VerifyPolicy::installCompletion},
        {SetupRemediation::installGh(), u"brew:gh"_s, u"Install the GitHub CLI"_s,
         u"We'll run `brew install gh` to install the GitHub CLI."_s, u"brew"_s,
         VerifyPolicy::installCompletion},
        {SetupRemediation::githubAuth(), u"git:gh-auth"_s, u"Sign in to GitHub"_s,
         u"We'll open GitHub sign-in in your browser, then set up Git so pushes don't ask for a password. We never see your GitHub password."_s,
         u"gh_auth"_s, VerifyPolicy::installCompletion},
    };
    return rows;
}

} // namespace

TEST(SetupRemediation, EveryKindHasItsIdTitleDetailKeyAndPolicy) {
    for (const auto& row : expectedTexts()) {
        SCOPED_TRACE(row.id.toStdString());
        EXPECT_EQ(row.fix.id(), row.id);
        EXPECT_EQ(row.fix.title(), row.title);
        EXPECT_EQ(row.fix.detail(), row.detail);
        EXPECT_EQ(row.fix.analyticsKey(), row.analyticsKey);
        EXPECT_EQ(row.fix.setupAction(),
                  (SetupAction{row.id, row.title, row.detail, row.verifyPolicy}));
    }
}

TEST(SetupRemediation, TheTableCoversAllKindsInOrder) {
    QList<int> kinds;
    for (const auto& row : expectedTexts())
        if (kinds.isEmpty() || kinds.last() != int(row.fix.kind()))
            kinds << int(row.fix.kind());
    ASSERT_EQ(kinds.size(), 26);
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(kinds[i], i);
}

TEST(SetupRemediation, RepairPathNamesClaudeWhateverTheDirectory) {
    const auto fix = SetupRemediation::repairPath(u"/opt/tools/bin"_s);
    EXPECT_EQ(fix.id(), u"path-repair:/opt/tools/bin"_s);
    EXPECT_EQ(fix.title(), u"Fix your PATH so `claude` is found"_s);
}

TEST(SetupRemediation, EqualityIsStructuralNotById) {
    const auto withFolder = SetupRemediation::createProject(ProjectTemplate::coding, u"/x"_s);
    const auto withoutFolder = SetupRemediation::createProject(ProjectTemplate::coding);
    EXPECT_EQ(withFolder.id(), withoutFolder.id());
    EXPECT_NE(withFolder, withoutFolder);
    EXPECT_EQ(withoutFolder, SetupRemediation::createProject(ProjectTemplate::coding));

    const auto keyless = sampleServer(MCPServer::Connection::keylessOptionalKey());
    EXPECT_NE(SetupRemediation::addMCPServer(keyless),
              SetupRemediation::addMCPServer(keyless, u"key"_s));
    EXPECT_NE(SetupRemediation::addMCPServer(keyless),
              SetupRemediation::addMCPServer(
                  sampleServer(MCPServer::Connection::keylessOptionalKey(u"{key}"_s))));
    EXPECT_NE(SetupRemediation::addMCPServer(keyless),
              SetupRemediation::addMCPServer(sampleServer(MCPServer::Connection::oauth())));

    auto fetched = sampleSkill();
    fetched.source = AgentSkill::Source::fetch(u"o/r"_s, u"."_s, u"abc"_s);
    EXPECT_NE(SetupRemediation::installSkill(sampleSkill()),
              SetupRemediation::installSkill(fetched));
    EXPECT_NE(SetupRemediation::configureGit(u"A"_s, u"a@x"_s),
              SetupRemediation::configureGit(u"A"_s, u"b@x"_s));
    EXPECT_NE(SetupRemediation::installZed(), SetupRemediation::installVSCode());
}

TEST(SetupRemediation, AnEmptyBadgeKeepsTheDashAndFullStop) {
    EXPECT_EQ(SetupRemediation::installSkill(sampleSkill(QString())).detail(),
              u"We'll add the Tidy notes skill to your AI agents — ."_s);
}
