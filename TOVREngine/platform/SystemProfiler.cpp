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

// One thing the profiler looks for (an app bundle, a command) and the field of `Found` its
// presence sets. Two signs may set one field.
template <class Found> struct Sign {
    QStringView name;
    bool Found::*field;
};

// The fields of the signs `present` finds, all looked for at once.
template <class Found, class Present>
QList<bool Found::*> presentFields(const QList<Sign<Found>>& signs, Present present) {
    const QList<bool> seen = concurrentlyMap(
        signs, [&](const Sign<Found>& sign) { return present(sign.name.toString()); });
    QList<bool Found::*> fields;
    for (qsizetype i = 0; i < signs.size(); ++i)
        if (seen[i])
            fields << signs[i].field;
    return fields;
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
    const QList<Sign<AITooling>> apps{
        {u"Claude.app", &AITooling::claudeCodeDesktop},
        {u"Cursor.app", &AITooling::cursor},
        {u"ChatGPT.app", &AITooling::chatgptDesktop},
        {u"Visual Studio Code.app", &AITooling::vsCode},
        {u"Windsurf.app", &AITooling::windsurf},
        {u"Kiro.app", &AITooling::kiro},
        {u"Antigravity.app", &AITooling::antigravity},
        {u"Zed.app", &AITooling::zed},
        {u"Replit.app", &AITooling::replit},
        {u"Warp.app", &AITooling::warpApp},
        {u"IntelliJ IDEA.app", &AITooling::intellij},
        {u"IntelliJ IDEA CE.app", &AITooling::intellij},
    };
    const QList<Sign<AITooling>> commands{
        {u"claude", &AITooling::claudeCodeCLI},
        {u"codex", &AITooling::codexCLI},
        {u"aider", &AITooling::aider},
    };
    auto [installed, onPath] = concurrently(
        [&] { return presentFields(apps, [this](const QString& a) { return isAppInstalled(a); }); },
        [&] {
            return presentFields(commands, [this](const QString& c) { return whichExecutable(c); });
        });
    AITooling t;
    for (const auto field : installed + onPath)
        t.*field = true;
    return t;
}

Terminals SystemProfiler::detectTerminals() const {
    const QList<Sign<Terminals>> apps{
        {u"iTerm.app", &Terminals::iterm},         {u"Ghostty.app", &Terminals::ghostty},
        {u"Warp.app", &Terminals::warp},           {u"Hyper.app", &Terminals::hyper},
        {u"Alacritty.app", &Terminals::alacritty}, {u"kitty.app", &Terminals::kitty},
        {u"WezTerm.app", &Terminals::wezterm},
    };
    Terminals t;
    for (const auto field :
         presentFields(apps, [this](const QString& a) { return isAppInstalled(a); }))
        t.*field = true;
    return t;
}

} // namespace tovr
