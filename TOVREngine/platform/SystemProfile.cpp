#include "platform/SystemProfile.h"

namespace tovr {

namespace {

QStringList sortedIDs(std::initializer_list<std::pair<bool, const char*>> flags) {
    QStringList ids;
    for (const auto& [set, id] : flags)
        if (set)
            ids << QString::fromLatin1(id);
    ids.sort(Qt::CaseSensitive);
    return ids;
}

} // namespace

QStringList AITooling::detectedIDs() const {
    return sortedIDs({{claudeCodeDesktop, "claude-desktop"},
                      {cursor, "cursor"},
                      {chatgptDesktop, "chatgpt-desktop"},
                      {vsCode, "vs-code"},
                      {windsurf, "windsurf"},
                      {kiro, "kiro"},
                      {antigravity, "antigravity"},
                      {zed, "zed"},
                      {replit, "replit"},
                      {warpApp, "warp"},
                      {intellij, "intellij"},
                      {claudeCodeCLI, "claude-code-cli"},
                      {codexCLI, "codex-cli"},
                      {aider, "aider"}});
}

bool AITooling::any() const {
    return !detectedIDs().isEmpty();
}

QStringList Terminals::detectedIDs() const {
    return sortedIDs({{iterm, "iterm2"},
                      {ghostty, "ghostty"},
                      {warp, "warp"},
                      {hyper, "hyper"},
                      {alacritty, "alacritty"},
                      {kitty, "kitty"},
                      {wezterm, "wezterm"}});
}

bool Terminals::any() const {
    return !detectedIDs().isEmpty();
}

bool SystemProfile::isLikelyDeveloper() const {
    return homebrewPrefix || sdkmanRoot || miseExecutable || jenvRoot || aiTooling.any() ||
           terminals.any() || xcodeCommandLineToolsPath;
}

} // namespace tovr
