#include "model/StageCatalog.h"

namespace tovr {

namespace {

using Kind = SetupDiagnosisClassification;

SetupDiagnosis verdict(bool ready, const char* readyHeadline, const char* readyDetail,
                       const char* fixableHeadline, const char* fixableDetail) {
    if (ready)
        return {QString::fromUtf8(readyHeadline), QString::fromUtf8(readyDetail), Kind::ready};
    return {QString::fromUtf8(fixableHeadline), QString::fromUtf8(fixableDetail), Kind::fixable};
}

SetupDiagnosis fixable(const char* headline, const char* detail) {
    return {QString::fromUtf8(headline), QString::fromUtf8(detail), Kind::fixable};
}

bool hasOpenAITools(const SystemProfile& profile, const SetupProbeBundle& probes) {
    return profile.aiTooling.codexCLI || profile.aiTooling.chatgptDesktop ||
           probes.companionToolPresent;
}

bool hasEditor(const SystemProfile& profile) {
    return profile.aiTooling.zed || profile.aiTooling.vsCode;
}

// The login shell's name when it is known and is not zsh, whose files the stage writes.
QString otherLoginShell(const Shell& shell) {
    if (shell.kind == Shell::Kind::other)
        return shell.name == u"unknown" ? QString() : shell.name;
    if (shell.kind == Shell::Kind::zsh)
        return {};
    return shell.kind == Shell::Kind::bash ? QStringLiteral("bash") : QStringLiteral("fish");
}

} // namespace

std::optional<SetupDiagnosis> stageDiagnosis(const QString& domainID, const SystemProfile& profile,
                                             const SetupProbeBundle& probes) {
    const auto& ai = profile.aiTooling;
    if (domainID == QLatin1String("ai-claude"))
        return verdict(ai.claudeCodeCLI && ai.claudeCodeDesktop, "Claude is installed",
                       "You have Claude Desktop and the Claude Code CLI.", "Install Claude",
                       "Claude Code is Anthropic's AI coding assistant — a desktop app and a "
                       "terminal CLI. Install whichever you want; already-installed ones are "
                       "grayed out.");
    if (domainID == QLatin1String("codex"))
        return verdict(hasOpenAITools(profile, probes), "You have OpenAI's coding tools",
                       "ChatGPT or the Codex CLI is already installed.", "Also install ChatGPT?",
                       "ChatGPT is OpenAI's desktop app, with the Codex coding agent built in. "
                       "Codex also runs in your terminal as a CLI.");
    if (domainID == QLatin1String("editor"))
        return verdict(hasEditor(profile), "You have an editor",
                       "A recommended editor is already installed.", "Install Zed, a better editor",
                       "Based on what you have, we recommend Zed, a native and fast editor. VS "
                       "Code is a slower alternative if you prefer it.");
    if (domainID == QLatin1String("shell-config")) {
        // zsh's files set up are not a configured shell when the login shell reads none.
        if (const QString other = otherLoginShell(profile.shell);
            probes.shellConfigured && !other.isEmpty())
            return SetupDiagnosis{
                QStringLiteral("Shell configuration"),
                QStringLiteral("Your zsh files are set up, but your login shell is %1, which "
                               "doesn't read them. To use them, make zsh your login shell "
                               "(run chsh -s /bin/zsh in Terminal), then open a new "
                               "terminal.")
                    .arg(other),
                Kind::fixable};
        return verdict(probes.shellConfigured, "Your shell is configured",
                       "Your shell files already have the PATH, mise, and ~/.env setup we add.",
                       "Shell configuration",
                       "We'll configure your shell files so a new terminal finds your tools, and "
                       "create ~/.env for your API keys.");
    }
    if (domainID == QLatin1String("languages"))
        return fixable("Install programming languages",
                       "Pick the languages you want. This app also installs a version manager "
                       "where it's advisable (uv for Python, mise for Node and Ruby and Rust).");
    if (domainID == QLatin1String("agent-docs"))
        return verdict(!probes.agentDocNeeded, "Your AI agent is set up",
                       "Your agent's instructions already describe how your tools are "
                       "configured.",
                       "Tell your AI agent how your Mac is set up",
                       "We'll add a short note to your agent's instructions (CLAUDE.md / "
                       "AGENTS.md) describing how your tools are set up.");
    if (domainID == QLatin1String("project"))
        return verdict(probes.projectExists, "Your project is set up",
                       "You already have an example project in ~/Documents.", "Set up a project",
                       "Set up an example project, with CLAUDE.md and AGENTS.md files for "
                       "guidance.");
    if (domainID == QLatin1String("skills"))
        return fixable("Add SKILLS",
                       "Skills add new capabilities to AI agents. Some skills are just "
                       "instructions; some run code. Type '/' (slash) in AI chat to see "
                       "available skills.");
    if (domainID == QLatin1String("mcp"))
        return fixable("Add MCP servers",
                       "MCP servers connect AI agents to services they can't reach on their "
                       "own, such as web searches and macOS apps (some services need a "
                       "sign-in). We set up the configuration so you don't get annoying "
                       "errors.");
    if (domainID == QLatin1String("git"))
        return verdict(probes.ghPresent && probes.gitIdentitySet && probes.ghAuthed &&
                           probes.gitUsesGhCredentials, // else an HTTPS push asks for a password
                       "Git and GitHub are set up",
                       "Your name and email are configured and you're signed in to GitHub.",
                       "Set up Git with GitHub",
                       "Git is already on your Mac. We'll set your name and email for commits, "
                       "then you can sign in to set up GitHub for use without password "
                       "re-typing.");
    return std::nullopt;
}

QList<SetupRemediation> stageRemediations(const QString& domainID, const SystemProfile& profile,
                                          const SetupProbeBundle& probes) {
    QList<SetupRemediation> fixes;
    const auto& ai = profile.aiTooling;
    if (domainID == QLatin1String("ai-claude")) {
        if (!ai.claudeCodeDesktop)
            fixes << SetupRemediation::installClaudeDesktop();
        if (!ai.claudeCodeCLI)
            fixes << SetupRemediation::installClaudeCLI();
    } else if (domainID == QLatin1String("codex")) {
        if (!hasOpenAITools(profile, probes))
            fixes << SetupRemediation::installCodexCLI()
                  << SetupRemediation::installChatGPTDesktop();
    } else if (domainID == QLatin1String("editor")) {
        if (!hasEditor(profile))
            fixes << SetupRemediation::installZed() << SetupRemediation::installVSCode();
    } else if (domainID == QLatin1String("shell-config")) {
        if (!probes.shellConfigured)
            fixes << SetupRemediation::configureShell();
    } else if (domainID == QLatin1String("agent-docs")) {
        if (probes.agentDocNeeded)
            fixes << SetupRemediation::documentEnvironment();
    } else if (domainID == QLatin1String("project")) {
        if (!probes.projectExists) {
            fixes << SetupRemediation::createProject(ProjectTemplate::simple);
            if (profile.isLikelyDeveloper())
                fixes << SetupRemediation::createProject(ProjectTemplate::coding);
        }
    }
    return fixes;
}

bool isCatalogDomain(const QString& domainID) {
    static const QStringList domains{QStringLiteral("ai-claude"), QStringLiteral("codex"),
                                     QStringLiteral("editor"),    QStringLiteral("shell-config"),
                                     QStringLiteral("languages"), QStringLiteral("agent-docs"),
                                     QStringLiteral("project"),   QStringLiteral("skills"),
                                     QStringLiteral("mcp"),       QStringLiteral("git")};
    return domains.contains(domainID, Qt::CaseSensitive);
}

} // namespace tovr
