#include "platform/SystemProfiler.h"

#include "platform/Concurrently.h"
#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/Probes.h"
#include "platform/XcodeCLTProbe.h"

#include <QFileInfo>

namespace tovr {

namespace {

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace

SystemProfile SystemProfiler::profile() const {
    auto [architecture, shellKind, homebrew, sdkman, mise, jenv, asdf, clt, java, ai, terminals] =
        concurrently([this] { return detectArchitecture(); }, [this] { return detectShell(); },
                     [this] { return detectHomebrew(); }, [this] { return detectSDKMAN(); },
                     [this] { return detectMise(); }, [this] { return detectJEnv(); },
                     [this] { return detectAsdf(); },
                     [this] { return XcodeCLTProbe{shell}.commandLineToolsPath(); },
                     [this] {
                         return Probes{shell, fs}.collect();
                     },
                     [this] { return detectAITooling(); }, [this] { return detectTerminals(); });
    SystemProfile p;
    p.architecture = architecture;
    p.macosVersion = environment->operatingSystemVersion();
    p.shell = shellKind;
    p.homebrewPrefix = homebrew;
    p.sdkmanRoot = sdkman;
    p.miseExecutable = mise;
    p.jenvRoot = jenv;
    p.asdfRoot = asdf;
    p.xcodeCommandLineToolsPath = clt;
    p.javaState = java;
    p.aiTooling = ai;
    p.terminals = terminals;
    return p;
}

Architecture SystemProfiler::detectArchitecture() const {
    QString printed;
    try {
        printed = shell.process->run(QStringLiteral("/usr/bin/uname"), {"-m"}).stdout_;
    } catch (const Error&) {
    }
    printed = printed.trimmed();
    if (printed == u"arm64")
        return Architecture::appleSilicon;
    if (printed == u"x86_64")
        return Architecture::intel;
    return Architecture::unknown;
}

Shell SystemProfiler::detectShell() const {
    const QString value = environment->variable(QStringLiteral("SHELL")).value_or(QString());
    const QString name = QFileInfo(value).fileName();
    if (name == u"zsh")
        return Shell::zsh();
    if (name == u"bash")
        return Shell::bash();
    if (name == u"fish")
        return Shell::fish();
    return Shell::other(name.isEmpty() ? QStringLiteral("unknown") : name);
}

std::optional<QString> SystemProfiler::detectHomebrew() const {
    for (const char* path : {"/opt/homebrew/bin/brew", "/usr/local/bin/brew"})
        if (fs->isExecutableFile(QString::fromLatin1(path)))
            return QString::fromLatin1(path);
    return std::nullopt;
}

std::optional<QString> SystemProfiler::detectSDKMAN() const {
    bool isDirectory = false;
    const QString home = fs->homeDirectory();
    if (fs->fileExists(joined(home, ".sdkman/bin/sdkman-init.sh"), &isDirectory) && !isDirectory)
        return joined(home, ".sdkman");
    return std::nullopt;
}

std::optional<QString> SystemProfiler::detectMise() const {
    const QString home = fs->homeDirectory();
    for (const QString& path :
         {QStringLiteral("/opt/homebrew/bin/mise"), QStringLiteral("/usr/local/bin/mise"),
          joined(home, ".local/bin/mise")})
        if (fs->isExecutableFile(path))
            return path;
    const auto path = successfulOutput(*shell.process, QStringLiteral("/usr/bin/which"), {"mise"});
    if (path && fs->isExecutableFile(*path))
        return path;
    return std::nullopt;
}

std::optional<QString> SystemProfiler::homeFolder(const QString& name) const {
    const QString path = joined(fs->homeDirectory(), name);
    return isFolder(*fs, path) ? std::optional(path) : std::nullopt;
}

std::optional<QString> SystemProfiler::detectJEnv() const {
    return homeFolder(QStringLiteral(".jenv"));
}

std::optional<QString> SystemProfiler::detectAsdf() const {
    return homeFolder(QStringLiteral(".asdf"));
}

bool SystemProfiler::isAppInstalled(const QString& bundleName) const {
    for (const QString& path : {QStringLiteral("/Applications/") + bundleName,
                                joined(fs->homeDirectory(), "Applications/" + bundleName)})
        if (isFolder(*fs, path))
            return true;
    return false;
}

bool SystemProfiler::whichExecutable(const QString& command) const {
    if (successfulOutput(*shell.process, QStringLiteral("/usr/bin/which"), {command}))
        return true;
    return fs->isExecutableFile("/opt/homebrew/bin/" + command) ||
           fs->isExecutableFile("/usr/local/bin/" + command);
}

AITooling SystemProfiler::detectAITooling() const {
    const QStringList apps{
        "Claude.app",   "Cursor.app", "ChatGPT.app",       "Visual Studio Code.app",
        "Windsurf.app", "Kiro.app",   "Antigravity.app",   "Zed.app",
        "Replit.app",   "Warp.app",   "IntelliJ IDEA.app", "IntelliJ IDEA CE.app"};
    const QStringList commands{"claude", "codex", "aider"};
    auto [installed, onPath] = concurrently(
        [&] {
            return concurrentlyMap(apps, [this](const QString& a) { return isAppInstalled(a); });
        },
        [&] {
            return concurrentlyMap(commands,
                                   [this](const QString& c) { return whichExecutable(c); });
        });
    AITooling t;
    t.claudeCodeDesktop = installed[0];
    t.cursor = installed[1];
    t.chatgptDesktop = installed[2];
    t.vsCode = installed[3];
    t.windsurf = installed[4];
    t.kiro = installed[5];
    t.antigravity = installed[6];
    t.zed = installed[7];
    t.replit = installed[8];
    t.warpApp = installed[9];
    t.intellij = installed[10] || installed[11];
    t.claudeCodeCLI = onPath[0];
    t.codexCLI = onPath[1];
    t.aider = onPath[2];
    return t;
}

Terminals SystemProfiler::detectTerminals() const {
    const QStringList apps{"iTerm.app",     "Ghostty.app", "Warp.app",   "Hyper.app",
                           "Alacritty.app", "kitty.app",   "WezTerm.app"};
    const auto installed =
        concurrentlyMap(apps, [this](const QString& a) { return isAppInstalled(a); });
    Terminals t;
    t.iterm = installed[0];
    t.ghostty = installed[1];
    t.warp = installed[2];
    t.hyper = installed[3];
    t.alacritty = installed[4];
    t.kitty = installed[5];
    t.wezterm = installed[6];
    return t;
}

} // namespace tovr
