#include "services/AgentEnvDoc.h"

#include "platform/Error.h"

namespace tovr {

QString AgentEnvDoc::readOrEmpty(const QString& path) const {
    try {
        return fs->readText(path);
    } catch (const Error&) {
        return {};
    }
}

bool AgentEnvDoc::hasBrewBinary(const QString& name) const {
    return fs->fileExists("/opt/homebrew/bin/" + name) || fs->fileExists("/usr/local/bin/" + name);
}

bool AgentEnvDoc::zprofileContains(const QString& text) const {
    return readOrEmpty(fs->homeDirectory() + "/.zprofile").contains(text);
}

AgentEnvDoc::DetectedTools AgentEnvDoc::detectTools() const {
    const QString home = fs->homeDirectory();
    auto isFolder = [&](const QString& path) {
        bool dir = false;
        return fs->fileExists(path, &dir) && dir;
    };
    DetectedTools t;
    t.homebrewFound =
        fs->fileExists("/opt/homebrew/bin/brew") || fs->fileExists("/usr/local/bin/brew");
    t.pythonFound = hasBrewBinary("uv") || fs->fileExists(home + "/.local/bin/uv");
    t.miseFound = hasBrewBinary("mise") || fs->fileExists(home + "/.local/bin/mise");
    t.rustFound = fs->fileExists(home + "/.cargo/bin/cargo") || zprofileContains(".cargo/bin");
    t.javaFound = zprofileContains("JAVA_HOME");
    t.claudeFound = hasBrewBinary("claude") || fs->fileExists(home + "/.local/bin/claude") ||
                    isFolder(home + "/.claude") || fs->fileExists("/Applications/Claude.app");
    t.codexFound = hasBrewBinary("codex") || isFolder(home + "/.codex") ||
                   fs->fileExists("/Applications/ChatGPT.app") ||
                   fs->fileExists("/Applications/Codex.app");
    return t;
}

bool AgentEnvDoc::isNeeded() const {
    const DetectedTools tools = detectTools();
    const QString home = fs->homeDirectory();
    const QString marker = QString::fromUtf8(kMarkerPhrase);
    if (tools.claudeFound && !readOrEmpty(home + "/.claude/CLAUDE.md").contains(marker))
        return true;
    if (tools.codexFound && !readOrEmpty(home + "/.codex/AGENTS.md").contains(marker))
        return true;
    return false;
}

} // namespace tovr
