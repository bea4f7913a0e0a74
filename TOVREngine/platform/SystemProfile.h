#pragma once

#include "platform/ProbeBundle.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace tovr {

enum class Architecture { appleSilicon, intel, unknown };

// The operating system's version.
struct OperatingSystemVersion {
    qint64 majorVersion = 0;
    qint64 minorVersion = 0;
    qint64 patchVersion = 0;
    bool operator==(const OperatingSystemVersion&) const = default;
};

// The user's login shell; `other` carries the shell's name.
struct Shell {
    enum class Kind { zsh, bash, fish, other };
    Kind kind = Kind::other;
    QString name; // only for `other`

    static Shell zsh() { return {Kind::zsh, {}}; }
    static Shell bash() { return {Kind::bash, {}}; }
    static Shell fish() { return {Kind::fish, {}}; }
    static Shell other(QString name) { return {Kind::other, std::move(name)}; }
    bool operator==(const Shell& o) const {
        return kind == o.kind && (kind != Kind::other || name == o.name);
    }
};

// Which AI coding tools are installed.
struct AITooling {
    bool claudeCodeDesktop = false;
    bool cursor = false;
    bool chatgptDesktop = false;
    bool vsCode = false;
    bool windsurf = false;
    bool kiro = false;
    bool antigravity = false;
    bool zed = false;
    bool replit = false;
    bool warpApp = false;
    bool intellij = false;
    bool claudeCodeCLI = false;
    bool codexCLI = false;
    bool aider = false;

    bool any() const;
    // Identifiers of the tools found, sorted.
    QStringList detectedIDs() const;
    bool operator==(const AITooling&) const = default;
};

// Which terminal applications are installed.
struct Terminals {
    bool iterm = false;
    bool ghostty = false;
    bool warp = false;
    bool hyper = false;
    bool alacritty = false;
    bool kitty = false;
    bool wezterm = false;

    bool any() const;
    // Identifiers of the terminals found, sorted.
    QStringList detectedIDs() const;
    bool operator==(const Terminals&) const = default;
};

// A snapshot of the Mac, made only by the system profiler and never changed afterwards.
struct SystemProfile {
    Architecture architecture = Architecture::unknown;
    OperatingSystemVersion macosVersion;
    Shell shell;
    std::optional<QString> homebrewPrefix; // the `brew` executable itself
    std::optional<QString> sdkmanRoot;
    std::optional<QString> miseExecutable;
    std::optional<QString> jenvRoot;
    std::optional<QString> asdfRoot;
    std::optional<QString> xcodeCommandLineToolsPath;
    ProbeBundle javaState;
    AITooling aiTooling;
    Terminals terminals;

    // Any developer tool, AI tool or terminal found (asdf and Java alone do not count).
    bool isLikelyDeveloper() const;
    bool hasHomebrew() const { return homebrewPrefix.has_value(); }
    bool hasCommandLineTools() const { return xcodeCommandLineToolsPath.has_value(); }
    bool operator==(const SystemProfile&) const = default;
};

} // namespace tovr
