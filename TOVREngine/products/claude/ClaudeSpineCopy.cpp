#include "products/claude/ClaudeSpineCopy.h"

#include "model/SpineCopyProviding.h"

#include <QHash>

namespace tovr {

namespace {

using Screen = ClaudeSpineCopy::DomainScreen;

Screen screen(const char* windowTitle, const char* headline, const char* body,
              const char* footer = nullptr) {
    return {QString::fromUtf8(windowTitle), QString::fromUtf8(headline), QString::fromUtf8(body),
            footer ? std::optional(QString::fromUtf8(footer)) : std::nullopt};
}

const QHash<QString, Screen>& screens() {
    static const QHash<QString, Screen> table{
        {"clt", screen("Apple's Command Line Tools", "Install the Command Line Tools",
                       "Homebrew and Git need Apple's Command Line Tools. We'll download and "
                       "install them for you — it can take several minutes, and macOS will ask "
                       "for your password once.")},
        {"homebrew", screen("The Homebrew package manager", "Install Homebrew?",
                            "Homebrew provides important developer tools and we use it to install "
                            "Claude.")},
        {"claude-cli", screen("AI coding tools", "Install Claude Code CLI",
                              "Claude Code CLI runs in your terminal for AI-assisted coding. This "
                              "app installs it with Homebrew and checks that it runs.")},
        {"warp", screen("The terminal for the command line", "Install Warp, a better terminal",
                        "You'll need a terminal to run Claude Code CLI. We suggest Warp, a fast "
                        "terminal with AI to help learn and remember commands. Lumbrook "
                        "recommends it.")},
        {"claude-desktop", screen("AI desktop", "Add Claude Desktop",
                                  "The GUI app is a useful companion for the Claude Code CLI. Try "
                                  "both. This app installs it with Homebrew.")},
        {"codex", screen("AI coding tools (continued)", "Also install ChatGPT?",
                         "ChatGPT is OpenAI's desktop app, with the Codex coding agent built in. "
                         "Codex also runs in your terminal as a CLI. It's helpful to have both.",
                         "We're not affiliated with OpenAI. We just like using both.")},
        {"editor", screen("File editor", "Install Zed, a better editor",
                          "Based on what you have, we recommend Zed, a native and fast editor. VS "
                          "Code is a slower alternative if you prefer it.")},
        {"shell-config", screen("Configure the shell for terminal use", "Shell configuration",
                                "The shell is a terminal program that controls the command line "
                                "interface (CLI). We'll correctly configure your shell files.")},
        {"languages", screen("Programming languages", "Install programming languages",
                             "Pick from Python, JavaScript (Node), Java, Ruby, or Rust. Choose "
                             "more than one and this app sets up mise to manage versions.")},
        {"agent-docs", screen("AI agent setup notes", "Document your setup for your AI agent",
                              "We'll add a short note to your AI agent's instructions (CLAUDE.md "
                              "/ AGENTS.md) describing how your tools are set up. Your existing "
                              "instructions are kept and backed up.")},
        {"project", screen("A project for Claude", "Set up a project",
                           "Give Claude a folder to work in, with CLAUDE.md and AGENTS.md files "
                           "for guidance. Start with our sample project or choose your own.",
                           "This app never overwrites an existing CLAUDE.md or AGENTS.md.")},
        {"skills", screen("Skills", "Add SKILLS",
                          "Skills add new capabilities to AI agents. Some skills are just "
                          "instructions; some run code. Type '/' (slash) in AI chat to see "
                          "available skills.")},
        {"mcp", screen("MCP servers", "Add MCP servers",
                       "MCP servers connect AI agents to services they can't reach on their "
                       "own, such as web searches and macOS apps (some services need a "
                       "sign-in). We set up the configuration so you don't get annoying errors.",
                       "Connection keys are saved to your agent config file. Restart Claude or "
                       "Codex to load new servers.")},
        {"git", screen("Version control with Git and GitHub", "Set up Git with GitHub",
                       "Git is already on your Mac. We'll set your name and email for commits, "
                       "then sign you in to GitHub so you can save and back up your work — no "
                       "password re-typing.",
                       "We never see your GitHub password — sign-in happens in your browser. "
                       "Your name and email are saved to ~/.gitconfig; your login is stored "
                       "securely by the GitHub CLI.")},
    };
    return table;
}

} // namespace

std::optional<ClaudeSpineCopy::DomainScreen> ClaudeSpineCopy::screen(const QString& domainID) {
    const auto& table = screens();
    const auto it = table.find(domainID);
    if (it == table.end())
        return std::nullopt;
    return *it;
}

QString ClaudeSpineCopy::statusText(const QString& domainID,
                                    SetupDiagnosisClassification classification) {
    static const QHash<QString, QString> names{{"clt", "Command Line Tools"},
                                               {"homebrew", "Homebrew"},
                                               {"claude-cli", "Claude Code"},
                                               {"warp", "Warp"},
                                               {"claude-desktop", "Claude Desktop"}};
    return names.value(domainID, domainID) + QStringLiteral(": ") + setupStatusWord(classification);
}

} // namespace tovr
