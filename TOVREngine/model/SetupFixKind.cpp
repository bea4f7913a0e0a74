#include "model/SetupFixKind.h"

#include <array>
#include <cstddef>

namespace tovr {

namespace {

using K = SetupRemediation::Kind;
using R = SetupFixKind::Runs;
constexpr auto kLocal = VerifyPolicy::localVerification;
constexpr auto kCompletion = VerifyPolicy::installCompletion;

// In the order of SetupRemediation::Kind.
constexpr std::array<SetupFixKind, 26> kKinds{{
    {K::repairPath,
     "path-repair:",
     "Fix your PATH so `claude` is found",
     "",
     "zprofile_write",
     R::pathRepair,
     "",
     {},
     kLocal,
     "claude_path_repaired"},
    {K::createProject, "example:", "", "", "template_copy", R::project},
    {K::installSkill, "skill:", "", "", "skill_install", R::skill},
    {K::addMCPServer, "mcp:", "", "", "mcp_add", R::mcpServer},
    {K::configureGit, "git:config", "Save your Git name and email",
     "We'll set your name and email with `git config --global`, and a couple of sensible "
     "defaults.",
     "git_config", R::gitConfig},
    {K::installCommandLineTools, "clt", "Install Command Line Tools", "", "softwareupdate",
     R::commandLineTools},
    {K::installHomebrew, "homebrew", "Install Homebrew (recommended)",
     "We'll run the official Homebrew install script. macOS will prompt for your password "
     "(three times, as needed).",
     "homebrew", R::homebrew},
    {K::installClaudeCLI,
     "brew:claude-code@latest",
     "Install Claude Code CLI (recommended)",
     "We'll run `brew install --cask %1` so Claude Code stays updatable under Homebrew, then "
     "verify `claude --version` runs.",
     "brew",
     R::cask,
     "claude-code@latest",
     {},
     kLocal,
     "claude_cli_installed"},
    {K::repairHomebrewPath,
     "path-repair:homebrew",
     "Fix your PATH so `brew` is found",
     "We'll add Homebrew to your PATH in `~/.zprofile` (after backing it up to "
     "`~/.zprofile.bak`) so your shell can find `brew`, then re-check in a fresh shell.",
     "zprofile_write",
     R::pathRepair,
     "",
     {},
     kLocal},
    {K::installWarp, "brew:warp", "Install Warp (recommended)",
     "We'll install Warp via Homebrew — the modern, AI-assisted macOS terminal we recommend.",
     "brew", R::cask, "warp"},
    {K::installClaudeDesktop,
     "brew:claude",
     "Install Claude Desktop (recommended)",
     "We'll run `brew install --cask %1` to install the Claude desktop app, then confirm it's "
     "present.",
     "brew",
     R::cask,
     "claude",
     {},
     kLocal,
     "claude_desktop_installed"},
    {K::installZed, "brew:zed", "Install Zed",
     "We'll run `brew install --cask %1` to install Zed, a native and fast editor.", "brew",
     R::cask, "zed"},
    {K::installVSCode, "brew:visual-studio-code", "Install VS Code",
     "We'll run `brew install --cask %1` to install Visual Studio Code.", "brew", R::cask,
     "visual-studio-code"},
    {K::installCodexCLI, "brew:codex", "Install Codex CLI",
     "We'll run `brew install --cask %1` to install the Codex CLI in your terminal.", "brew",
     R::cask, "codex"},
    {K::installChatGPTDesktop, "brew:chatgpt", "Install ChatGPT Desktop",
     "We'll run `brew install --cask %1` to install the ChatGPT desktop app, which has "
     "OpenAI's Codex coding agent built in.",
     "brew", R::cask, "chatgpt"},
    {K::configureShell, "shell-config", "Set up my shell",
     "We'll set up `~/.zprofile` (PATH), `~/.zshrc` (aliases and completions), and `~/.env` "
     "(API keys). Each file is backed up first, and nothing is overwritten.",
     "shell_config", R::writer},
    {K::installUv,
     "uv",
     "Install Python (uv)",
     "We'll install uv (Astral's installer), use it to install Python, and add uv's "
     "`~/.local/bin` to your PATH.",
     "uv",
     R::script,
     "",
     {},
     kCompletion,
     "",
     TOVRLanguage::python},
    {K::installMise, "brew:mise", "Install mise (version manager)",
     "We'll install mise with Homebrew to manage Node and Ruby versions, and activate it in "
     "your shell.",
     "brew", R::formula, "mise"},
    {K::installNodeViaMise, "mise:node@lts", "Install Node (via mise)",
     "We'll run `mise use -g %1` to install the latest LTS Node.", "mise", R::miseTool, "node@lts",
     K::installMise, kCompletion, "", TOVRLanguage::node, true},
    {K::installRubyViaMise, "mise:ruby@latest", "Install Ruby (via mise)",
     "We'll run `mise use -g %1` to install the latest Ruby.", "mise", R::miseTool, "ruby@latest",
     K::installMise, kCompletion, "", TOVRLanguage::ruby, true},
    {K::installRustViaMise, "mise:rust", "Install Rust (via mise)",
     "We'll run `mise use -g %1` to install Rust. mise uses rustup underneath, so cargo and "
     "rustc resolve through mise.",
     "mise", R::miseTool, "rust", K::installMise, kCompletion, "", TOVRLanguage::rust, true},
    {K::installRustup,
     "rustup",
     "Install Rust (rustup)",
     "We'll install rustup (Rust's official installer) and the stable toolchain, and add "
     "`~/.cargo/bin` to your PATH.",
     "rustup",
     R::script,
     "",
     {},
     kCompletion,
     "",
     TOVRLanguage::rust},
    {K::installTemurin,
     "brew:temurin",
     "Install Java (Temurin)",
     "We'll install the Temurin JDK with Homebrew (`%1` cask) and set JAVA_HOME.",
     "brew",
     R::cask,
     "temurin",
     {},
     kCompletion,
     "",
     TOVRLanguage::java},
    {K::documentEnvironment, "env-doc", "Document the setup for your AI agent", "", "env_doc",
     R::writer},
    {K::installGh, "brew:gh", "Install the GitHub CLI",
     "We'll run `brew install %1` to install the GitHub CLI.", "brew", R::formula, "gh"},
    {K::githubAuth, "git:gh-auth", "Sign in to GitHub",
     "We'll open GitHub sign-in in your browser, then set up Git so pushes don't ask for a "
     "password. We never see your GitHub password.",
     "gh_auth", R::signIn},
}};

constexpr bool inKindOrder() {
    for (std::size_t i = 0; i < kKinds.size(); ++i)
        if (static_cast<std::size_t>(kKinds[i].kind) != i)
            return false;
    return true;
}
static_assert(inKindOrder(), "one row per kind, in the order of SetupRemediation::Kind");

} // namespace

const SetupFixKind& SetupFixKind::of(SetupRemediation::Kind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

SetupRemediation::Kind SetupFixKind::installing(TOVRLanguage language, bool viaMise) {
    const SetupFixKind* found = nullptr;
    for (const SetupFixKind& row : kKinds) {
        if (row.language != language)
            continue;
        // A language with one way of installing takes it either way.
        if (!found || row.viaMise == viaMise)
            found = &row;
    }
    return found->kind;
}

} // namespace tovr
