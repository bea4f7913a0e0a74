#include "products/claude/ClaudeProbes.h"

#include "platform/Concurrently.h"
#include "platform/Error.h"
#include "services/AgentEnvDoc.h"
#include "services/GitSetup.h"
#include "services/ShellConfigurator.h"

#include <QDir>

#include <algorithm>
#include <variant>

namespace tovr {

namespace {

// Exit code 0 of a login-shell command; false when the shell cannot start.
bool succeeds(const ShellRunner& shell, const QString& command) {
    try {
        return shell.runInLoginShell(command).exitCode == 0;
    } catch (const Error&) {
        return false;
    }
}

QString inHome(const FileSystemOperating& fs, const char* relative) {
    QString home = fs.homeDirectory();
    while (home.endsWith(u'/'))
        home.chop(1);
    return home + u'/' + QLatin1String(relative);
}

} // namespace

QStringList ClaudeProbes::claudeBinaryCandidates() const {
    QStringList found;
    for (const QString& path :
         {QStringLiteral("/opt/homebrew/bin/claude"), QStringLiteral("/usr/local/bin/claude"),
          inHome(*fs, ".local/bin/claude"), inHome(*fs, ".claude/local/claude")})
        if (fs->fileExists(path))
            found << path;
    return found;
}

bool ClaudeProbes::exampleProjectFolder() const {
    return fs->fileExists(inHome(*fs, "Documents/AI-Simple-Project"));
}

QStringList ClaudeProbes::claudePathEntries() const {
    return shell.pathEntries(QStringLiteral("claude"));
}

QStringList ClaudeProbes::onePerFile(const QStringList& paths, const QStringList& known) const {
    // A file that cannot be told is known by its cleaned spelling.
    using Key = std::variant<FileIdentity, QString>;
    const auto keyOf = [this](const QString& path) -> Key {
        if (const auto identity = fs->fileIdentity(path))
            return *identity;
        return QDir::cleanPath(path);
    };
    QList<std::pair<Key, QString>> seen;
    for (const QString& path : known)
        seen.append({keyOf(path), path});
    QStringList result;
    for (const QString& path : paths) {
        const Key key = keyOf(path);
        const auto same = std::find_if(seen.cbegin(), seen.cend(),
                                       [&](const auto& entry) { return entry.first == key; });
        const QString spelling = same == seen.cend() ? QDir::cleanPath(path) : same->second;
        if (!result.contains(spelling))
            result << spelling;
        if (same == seen.cend())
            seen.append({key, spelling});
    }
    return result;
}

std::pair<std::optional<QString>, qint32> ClaudeProbes::claudeVersion() const {
    try {
        const auto result = shell.runInLoginShell(QStringLiteral("claude --version 2>&1"));
        const QString output = result.stdout_.trimmed();
        return {output.isEmpty() ? std::nullopt : std::optional(output), result.exitCode};
    } catch (const Error&) {
        return {std::nullopt, -1};
    }
}

bool ClaudeProbes::toolPresent(const QString& name) const {
    for (const char* folder : {"/opt/homebrew/bin/", "/usr/local/bin/"})
        if (fs->fileExists(QLatin1String(folder) + name))
            return true;
    try {
        const auto result = shell.runInLoginShell(QStringLiteral("command -v ") + name);
        return result.exitCode == 0 && !result.stdout_.trimmed().isEmpty();
    } catch (const Error&) {
        return false;
    }
}

bool ClaudeProbes::codexPresent() const {
    return toolPresent(QStringLiteral("codex"));
}

bool ClaudeProbes::ghPresent() const {
    return toolPresent(QStringLiteral("gh"));
}

bool ClaudeProbes::gitAvailable() const {
    for (const char* path : {"/Library/Developer/CommandLineTools", "/Applications/Xcode.app",
                             "/opt/homebrew/bin/git", "/usr/local/bin/git"})
        if (fs->fileExists(QLatin1String(path)))
            return true;
    return false;
}

bool ClaudeProbes::gitIdentitySet() const {
    return gitAvailable() && GitSetup{shell.process}.identitySet();
}

bool ClaudeProbes::gitUsesGhCredentials() const {
    return gitAvailable() && GitSetup{shell.process}.usesGhCredentials();
}

bool ClaudeProbes::ghAuthed() const {
    // Signed in to another host only (a company's server) is not signed in to GitHub.
    return succeeds(shell, QStringLiteral("gh auth status --hostname github.com"));
}

SetupProbeBundle ClaudeProbes::run() const {
    struct Local {
        QStringList candidates;
        bool shellConfigured = false;
        bool agentDocNeeded = false;
        bool projectExists = false;
        QString gitConfigFile;
    };
    auto [local, onPath, version, codex, gh, identity, authed, helper] = concurrently(
        [&] {
            Local l;
            l.candidates = claudeBinaryCandidates();
            const ToolLocations locations = shell.toolLocations();
            l.shellConfigured = ShellConfigurator{fs, {}, locations}.isConfigured();
            l.agentDocNeeded = AgentEnvDoc{fs, locations}.isNeeded();
            l.projectExists = exampleProjectFolder();
            l.gitConfigFile = GitSetup{nullptr, fs, locations}.globalConfigFile();
            return l;
        },
        [&] { return claudePathEntries(); }, [&] { return claudeVersion(); },
        [&] { return codexPresent(); }, [&] { return ghPresent(); },
        [&] { return gitIdentitySet(); }, [&] { return ghAuthed(); },
        [&] { return gitUsesGhCredentials(); });

    SetupProbeBundle bundle;
    bundle.installedPrimaryToolLocations = onePerFile(local.candidates);
    bundle.pathVisiblePrimaryTools = onePerFile(onPath, bundle.installedPrimaryToolLocations);
    bundle.versionOutput = version.first;
    bundle.versionExitCode = version.second;
    bundle.companionToolPresent = codex;
    bundle.shellConfigured = local.shellConfigured;
    bundle.agentDocNeeded = local.agentDocNeeded;
    bundle.projectExists = local.projectExists;
    bundle.ghPresent = gh;
    bundle.gitIdentitySet = identity;
    bundle.ghAuthed = authed;
    bundle.gitUsesGhCredentials = helper;
    bundle.gitConfigFile = local.gitConfigFile;
    return bundle;
}

} // namespace tovr
