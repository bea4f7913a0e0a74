#include "demo/DemoTools.h"

#include "demo/DemoGitConfig.h"
#include "model/AgentSkill.h"
#include "platform/Error.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QVersionNumber>

#include <algorithm>

namespace tovr {

namespace {

const QString kCLT = QStringLiteral("/Library/Developer/CommandLineTools");
const QString kJVM = QStringLiteral("/Library/Java/JavaVirtualMachines");
const QString kBrewPrefix = QStringLiteral("/opt/homebrew");

const QString kToolsShim = QStringLiteral(
    "xcode-select: note: No developer tools were found, requesting install.\n"
    "If developer tools are located at a non-default location on disk, use `sudo xcode-select "
    "--switch path/to/Xcode.app` to specify the Xcode that you wish to use for command line "
    "developer tools, and cancel the installation dialog.");
const QString kProgressBar = QString(72, u'#') + QStringLiteral(" 100.0%");
const QString kNoJavaRuntime =
    QString::fromUtf8("The operation couldn’t be completed. Unable to locate a Java Runtime.\n"
                      "Please visit http://www.java.com for information on installing Java.");

// MARK: What the tools are

struct Cask {
    QString version;
    QString app;    // a bundle moved to /Applications
    QString binary; // or a command linked into /opt/homebrew/bin
};

const QMap<QString, Cask>& casks() {
    static const QMap<QString, Cask> table{
        {QStringLiteral("warp"),
         {QStringLiteral("0.2024.11.19.08.02"), QStringLiteral("Warp.app"), {}}},
        {QStringLiteral("claude"), {QStringLiteral("0.7.8"), QStringLiteral("Claude.app"), {}}},
        {QStringLiteral("zed"), {QStringLiteral("0.164.2"), QStringLiteral("Zed.app"), {}}},
        {QStringLiteral("visual-studio-code"),
         {QStringLiteral("1.95.3"), QStringLiteral("Visual Studio Code.app"), {}}},
        {QStringLiteral("chatgpt"),
         {QStringLiteral("1.2024.330"), QStringLiteral("ChatGPT.app"), {}}},
        {QStringLiteral("iterm2"), {QStringLiteral("3.5.10"), QStringLiteral("iTerm.app"), {}}},
        {QStringLiteral("ghostty"), {QStringLiteral("1.0.0"), QStringLiteral("Ghostty.app"), {}}},
        {QStringLiteral("codex"), {QStringLiteral("0.46.0"), {}, QStringLiteral("codex")}},
        {QStringLiteral("claude-code"), {QStringLiteral("2.0.14"), {}, QStringLiteral("claude")}},
        {QStringLiteral("temurin"), {QStringLiteral("25.0.1"), {}, {}}},
    };
    return table;
}

QString formulaVersion(const QString& formula) {
    static const QMap<QString, QString> versions{
        {QStringLiteral("gh"), QStringLiteral("2.62.0")},
        {QStringLiteral("mise"), QStringLiteral("2024.11.8")},
        {QStringLiteral("git"), QStringLiteral("2.47.1")},
        {QStringLiteral("node"), QStringLiteral("23.3.0")},
        {QStringLiteral("uv"), QStringLiteral("0.5.4")},
    };
    return versions.value(formula, QStringLiteral("1.0.0"));
}

// What `<tool> --version` prints.
QString versionLine(const QString& tool) {
    static const QMap<QString, QString> lines{
        {QStringLiteral("brew"), QStringLiteral("Homebrew 4.4.6")},
        {QStringLiteral("claude"), QStringLiteral("2.0.14 (Claude Code)")},
        {QStringLiteral("codex"), QStringLiteral("codex-cli 0.46.0")},
        {QStringLiteral("gh"), QStringLiteral("gh version 2.62.0 (2024-11-14)")},
        {QStringLiteral("mise"), QStringLiteral("2024.11.8 macos-arm64 (2024-11-20)")},
        {QStringLiteral("uv"), QStringLiteral("uv 0.5.4")},
        {QStringLiteral("uvx"), QStringLiteral("uvx 0.5.4")},
        {QStringLiteral("rustup"), QStringLiteral("rustup 1.27.1 (54dd3d00f 2024-04-24)")},
        {QStringLiteral("cargo"), QStringLiteral("cargo 1.83.0 (5ffbef321 2024-10-29)")},
        {QStringLiteral("rustc"), QStringLiteral("rustc 1.83.0 (90b35a623 2024-11-26)")},
        {QStringLiteral("node"), QStringLiteral("v22.12.0")},
        {QStringLiteral("ruby"),
         QStringLiteral("ruby 3.3.6 (2024-11-05 revision 75015d4c1f) [arm64-darwin24]")},
        {QStringLiteral("python3"), QStringLiteral("Python 3.9.6")},
        {QStringLiteral("clang"), QStringLiteral("Apple clang version 16.0.0 (clang-1600.0.26.4)")},
        {QStringLiteral("make"), QStringLiteral("GNU Make 3.81")},
    };
    return lines.value(tool, tool + QStringLiteral(" 1.0.0"));
}

// The tool `mise use` is asked for ("node@lts"): its name, the version it resolves to and
// the commands it provides.
struct MiseTool {
    QString name;
    QString version;
    QStringList commands;
};

MiseTool miseTool(const QString& request) {
    const QString name = request.section(u'@', 0, 0);
    if (name == u"node")
        return {name, QStringLiteral("22.12.0"), {QStringLiteral("node"), QStringLiteral("npm")}};
    if (name == u"ruby")
        return {name, QStringLiteral("3.3.6"), {QStringLiteral("ruby"), QStringLiteral("gem")}};
    if (name == u"rust")
        return {name, QStringLiteral("1.83.0"), {QStringLiteral("cargo"), QStringLiteral("rustc")}};
    return {name, QStringLiteral("1.0.0"), {name}};
}

// Points `link` at `target`, replacing what was there, as `brew link` does.
void linkInto(SandboxFileSystem& fs, const QString& link, const QString& target) {
    try {
        fs.removeItem(link);
    } catch (const Error&) {
        // Nothing linked yet.
    }
    fs.createSymlink(link, target);
}

} // namespace

DemoReply DemoReply::failure(const QString& text, qint32 code) {
    DemoReply reply;
    for (const auto& line : text.split(u'\n'))
        reply.printError(line);
    reply.exitCode = code;
    return reply;
}

QStringList DemoTools::operands(const QStringList& args) {
    QStringList plain;
    for (const auto& a : args)
        if (!a.startsWith(u'-'))
            plain << a;
    return plain;
}

bool DemoTools::hasCommandLineTools() const {
    return fs->fileExists(kCLT);
}

std::optional<DemoReply> DemoTools::answer(const QString& path, const QStringList& args) const {
    const QString name = QFileInfo(path).fileName();
    if (name == u"java") {
        if (javaHome({}).exitCode != 0)
            return DemoReply::failure(kNoJavaRuntime, 1);
        DemoReply reply;
        reply.printError(QStringLiteral("openjdk version \"25.0.1\" 2025-10-21 LTS"));
        return reply;
    }
    // The stubs in /usr/bin stand for the tools that come with the Command Line Tools.
    static const QStringList fromTheTools{"git", "clang", "make", "python3"};
    if (path.startsWith(QLatin1String("/usr/bin/")) && fromTheTools.contains(name) &&
        !hasCommandLineTools())
        return DemoReply::failure(kToolsShim, 1);
    if (name == u"git")
        return git(path, args);
    if (name == u"brew")
        return brew(args);
    if (name == u"gh")
        return gh(args);
    if (name == u"curl")
        return DemoReply::failure(QStringLiteral("curl: (6) Could not resolve host"), 6);
    if (name == u"python3" && path.startsWith(home())) { // uv's, not Apple's
        DemoReply reply;
        reply.print(QStringLiteral("Python 3.13.1"));
        return reply;
    }
    static const QStringList tools{"claude", "codex", "mise", "uv",      "uvx",   "rustup", "cargo",
                                   "rustc",  "node",  "ruby", "python3", "clang", "make"};
    if (tools.contains(name))
        return versionedTool(name, args);
    return std::nullopt;
}

DemoReply DemoTools::javaHome(const QStringList& args) const {
    struct JDK {
        QVersionNumber version;
        QString text, vendor, home;
    };
    QList<JDK> jdks;
    QStringList entries;
    try {
        entries = fs->contentsOfDirectory(kJVM);
    } catch (const Error&) {
        // No JVM folder: no JDK.
    }
    static const QRegularExpression field(QStringLiteral("^(\\w+)=\"?([^\"]*)\"?$"));
    for (const auto& entry : entries) {
        const QString home = kJVM + u'/' + entry + QStringLiteral("/Contents/Home");
        if (!fs->isExecutableFile(home + QStringLiteral("/bin/java")))
            continue;
        JDK jdk{{}, {}, {}, home};
        for (const auto& line : QString::fromUtf8(fs->contents(home + "/release")).split(u'\n')) {
            const auto m = field.match(line.trimmed());
            if (m.captured(1) == u"JAVA_VERSION")
                jdk.text = m.captured(2);
            else if (m.captured(1) == u"IMPLEMENTOR")
                jdk.vendor = m.captured(2);
        }
        jdk.version = QVersionNumber::fromString(jdk.text);
        jdks << jdk;
    }
    if (jdks.isEmpty())
        return DemoReply::failure(kNoJavaRuntime, 1);
    std::sort(jdks.begin(), jdks.end(),
              [](const JDK& a, const JDK& b) { return a.version > b.version; });
    DemoReply reply;
    if (args.contains(QStringLiteral("-V"))) {
        reply.printError(QStringLiteral("Matching Java Virtual Machines (%1):").arg(jdks.size()));
        for (const auto& jdk : jdks)
            reply.printError(QStringLiteral("    %1 (arm64) \"%2\" - \"OpenJDK %1\" %3")
                                 .arg(jdk.text, jdk.vendor, jdk.home));
    }
    reply.print(jdks.first().home);
    return reply;
}

DemoReply DemoTools::brew(const QStringList& args) const {
    DemoReply reply;
    const QString verb = args.value(0);
    if (verb == u"--version") {
        reply.print(versionLine(QStringLiteral("brew")));
    } else if (verb == u"--prefix") {
        reply.print(kBrewPrefix);
    } else if (verb == u"shellenv") {
        reply.print(QStringLiteral("export HOMEBREW_PREFIX=\"/opt/homebrew\";"));
        reply.print(
            QStringLiteral("export PATH=\"/opt/homebrew/bin:/opt/homebrew/sbin${PATH+:$PATH}\";"));
    } else if (verb == u"install" || verb == u"reinstall") {
        return brewInstall(args);
    } else if (verb.isEmpty()) {
        return DemoReply::failure(
            QStringLiteral(
                "Example usage:\n  brew search TEXT|/REGEX/\n  brew install FORMULA|CASK..."),
            1);
    }
    return reply;
}

DemoReply DemoTools::brewInstall(const QStringList& args) const {
    DemoReply reply;
    const bool reinstall = args.value(0) == u"reinstall";
    const bool isCask = args.contains(QStringLiteral("--cask"));
    for (const QString& requested : operands(args.mid(1))) {
        const QString name = requested.section(u'@', 0, 0);
        if (!isCask) {
            const QString version = formulaVersion(name);
            const QString cellar = kBrewPrefix + "/Cellar/" + name + u'/' + version;
            if (!reinstall && fs->fileExists(cellar)) {
                reply.printError(
                    QStringLiteral("Warning: %1 %2 is already installed and up-to-date.")
                        .arg(name, version));
                continue;
            }
            reply.print(QStringLiteral("==> Fetching %1").arg(name), 1);
            reply.print(
                QStringLiteral("==> Downloading https://ghcr.io/v2/homebrew/core/%1/manifests/%2")
                    .arg(name, version),
                1);
            reply.print(
                QStringLiteral(
                    "==> Downloading https://ghcr.io/v2/homebrew/core/%1/blobs/sha256:4c7f1e0a5b")
                    .arg(name),
                1);
            reply.print(kProgressBar, 3);
            reply.print(
                QStringLiteral("==> Pouring %1--%2.arm64_sonoma.bottle.tar.gz").arg(name, version),
                1);
            reply.print(QString::fromUtf8("🍺  %1: 214 files, 41.2MB").arg(cellar), 2);
            reply.effects << [fs = fs, cellar, name] {
                fs->createExecutable(cellar + "/bin/" + name);
                linkInto(*fs, kBrewPrefix + "/bin/" + name, cellar + "/bin/" + name);
            };
            continue;
        }
        if (!casks().contains(name)) {
            reply.printError(
                QStringLiteral("Error: Cask '%1' is unavailable: No Cask with this name exists.")
                    .arg(name));
            reply.exitCode = 1;
            continue;
        }
        const Cask cask = casks().value(name);
        const QString caskroom = kBrewPrefix + "/Caskroom/" + name + u'/' + cask.version;
        if (!reinstall && fs->fileExists(caskroom)) {
            reply.printError(
                QStringLiteral("Warning: Not upgrading %1, the latest version is already installed")
                    .arg(name));
            continue;
        }
        reply.print(QStringLiteral("==> Downloading https://formulae.brew.sh/api/cask.jws.json"),
                    1);
        reply.print(QStringLiteral("==> Downloading %1 %2").arg(name, cask.version), 1);
        reply.print(kProgressBar, 3);
        reply.print(QStringLiteral("==> Installing Cask %1").arg(name), 1);
        std::function<void()> place;
        if (!cask.app.isEmpty()) {
            reply.print(QStringLiteral("==> Moving App '%1' to '/Applications/%1'").arg(cask.app),
                        1);
            place = [fs = fs, app = cask.app] {
                fs->createFile(QStringLiteral("/Applications/") + app + "/Contents/Info.plist");
            };
        } else if (!cask.binary.isEmpty()) {
            reply.print(QStringLiteral("==> Linking Binary '%1' to '/opt/homebrew/bin/%1'")
                            .arg(cask.binary),
                        1);
            place = [fs = fs, caskroom, binary = cask.binary] {
                fs->createExecutable(caskroom + u'/' + binary);
                linkInto(*fs, kBrewPrefix + "/bin/" + binary, caskroom + u'/' + binary);
            };
        } else {
            reply.print(
                QStringLiteral(
                    "==> Running installer for %1 with sudo; the password may be necessary.")
                    .arg(name),
                1);
            reply.print(QStringLiteral("installer: Package name is Eclipse Temurin"), 2);
            reply.print(QStringLiteral("installer: The install was successful."), 2);
            place = [fs = fs, version = cask.version] {
                const QString home = kJVM + QStringLiteral("/temurin-%1.jdk/Contents/Home")
                                                .arg(version.section(u'.', 0, 0));
                fs->createExecutable(home + "/bin/java");
                fs->createFile(
                    home + "/release",
                    QStringLiteral("JAVA_VERSION=\"%1\"\nIMPLEMENTOR=\"Eclipse Adoptium\"\n")
                        .arg(version)
                        .toUtf8());
            };
        }
        reply.print(QString::fromUtf8("🍺  %1 was successfully installed!").arg(name));
        reply.effects << [fs = fs, caskroom, place] {
            fs->createFolder(caskroom);
            place();
        };
    }
    return reply;
}

DemoReply DemoTools::git(const QString& path, const QStringList& args) const {
    // git's own options come before the command; the app passes only "-C <folder>".
    QString folder;
    qsizetype at = 0;
    while (at + 1 < args.size() && args[at] == u"-C") {
        folder = args[at + 1];
        at += 2;
    }
    const QString verb = args.value(at);
    const QStringList rest = args.mid(at + 1);
    if (verb == u"--version") {
        DemoReply reply;
        reply.print(path.startsWith(kBrewPrefix)
                        ? QStringLiteral("git version 2.47.1")
                        : QStringLiteral("git version 2.39.5 (Apple Git-154)"));
        return reply;
    }
    if (verb == u"config")
        return gitConfig(rest);
    if (verb == u"clone")
        return gitClone(rest);
    if (verb == u"checkout")
        return gitCheckout(folder, rest);
    return {};
}

DemoReply DemoTools::gitConfig(const QStringList& args) const {
    // Options end at the key: what follows it is the value, even when it starts with "-".
    bool get = false;
    QStringList operands;
    for (const QString& arg : args) {
        if (operands.isEmpty() && arg.startsWith(u'-')) {
            get = get || arg == u"--get";
            continue;
        }
        operands << arg;
    }
    const QString file = home() + QStringLiteral("/.gitconfig");
    const QString key = operands.value(0);
    if (!key.contains(u'.'))
        return DemoReply::failure(QStringLiteral("error: key does not contain a section: ") + key,
                                  2);
    DemoReply reply;
    if (get || operands.size() == 1) { // a query: the value, or exit 1 when unset
        if (const auto value = DemoGitConfig::value(QString::fromUtf8(fs->contents(file)), key))
            reply.print(*value);
        else
            reply.exitCode = 1;
        return reply;
    }
    reply.effects << [fs = fs, file, key, value = operands.value(1)] {
        const QString text = QString::fromUtf8(fs->contents(file));
        fs->createFile(file, DemoGitConfig::withValue(text, key, value).toUtf8());
    };
    return reply;
}

// The repositories the demo can clone are those of the catalogue's fetched skills; a clone
// holds, at the pinned revision, each such skill's folder with its SKILL.md.
DemoReply DemoTools::gitClone(const QStringList& args) const {
    const QStringList plain = operands(args);
    const QString url = plain.value(0);
    const QString target = plain.value(1);
    const QString repo =
        QUrl(url).path().mid(1).remove(QRegularExpression(QStringLiteral("(\\.git)?/?$")));
    const auto skills = AgentSkill::catalog(true);
    const bool known = std::any_of(skills.cbegin(), skills.cend(), [&](const AgentSkill& skill) {
        const auto* fetch = skill.source.as<AgentSkill::Source::Fetch>();
        return fetch && fetch->repo == repo;
    });
    if (!known)
        return DemoReply::failure(QStringLiteral("Cloning into '%1'...\nremote: Repository not "
                                                 "found.\nfatal: repository '%2/' not found")
                                      .arg(target, url),
                                  128);
    if (!target.startsWith(u'/'))
        return DemoReply::failure(QStringLiteral("fatal: the demo Mac clones into full paths"),
                                  128);
    if (fs->fileExists(target))
        return DemoReply::failure(QStringLiteral("fatal: destination path '%1' already exists "
                                                 "and is not an empty directory.")
                                      .arg(target),
                                  128);
    DemoReply reply;
    reply.printError(QStringLiteral("Cloning into '%1'...").arg(target));
    reply.print(QStringLiteral("remote: Enumerating objects: 1204, done."), 2);
    reply.print(QStringLiteral("Receiving objects: 100% (1204/1204), 312.40 KiB, done."), 2);
    reply.effects << [fs = fs, target, url] {
        fs->createFile(
            target + QStringLiteral("/.git/config"),
            DemoGitConfig::withValue({}, QStringLiteral("remote.origin.url"), url).toUtf8());
    };
    return reply;
}

DemoReply DemoTools::gitCheckout(const QString& folder, const QStringList& args) const {
    const QString revision = operands(args).value(0);
    const auto skills = AgentSkill::catalog(true);
    // The clone is made when its command completes, so its repository is read then.
    QList<AgentSkill::Source::Fetch> pinned;
    for (const AgentSkill& skill : skills)
        if (const auto* fetch = skill.source.as<AgentSkill::Source::Fetch>();
            fetch && revision.size() >= 7 && fetch->pin.startsWith(revision))
            pinned << *fetch;
    if (pinned.isEmpty() || !folder.startsWith(u'/'))
        return DemoReply::failure(
            QStringLiteral("error: pathspec '%1' did not match any file(s) known to git")
                .arg(revision),
            1);
    DemoReply reply;
    reply.printError(QStringLiteral("HEAD is now at %1 Pinned revision").arg(revision.left(7)));
    reply.effects << [fs = fs, folder, pinned] {
        const QString url =
            DemoGitConfig::value(QString::fromUtf8(fs->contents(folder + "/.git/config")),
                                 QStringLiteral("remote.origin.url"))
                .value_or(QString());
        for (const auto& fetch : pinned) {
            if (!QUrl(url).path().startsWith(u'/' + fetch.repo))
                continue;
            const QString name = fetch.subpath.section(u'/', -1);
            fs->createFile(folder + u'/' + fetch.subpath + QStringLiteral("/SKILL.md"),
                           QStringLiteral("---\nname: %1\ndescription: The %1 skill, as the demo "
                                          "Mac fetches it at %2.\n---\n\n# %1\n")
                               .arg(name, fetch.pin)
                               .toUtf8());
        }
    };
    return reply;
}

DemoReply DemoTools::gh(const QStringList& args) const {
    DemoReply reply;
    const QString hosts = home() + QStringLiteral("/.config/gh/hosts.yml");
    if (args.value(0) == u"--version") {
        reply.print(versionLine(QStringLiteral("gh")));
    } else if (args.value(0) == u"auth" && args.value(1) == u"status") {
        if (!fs->fileExists(hosts))
            return DemoReply::failure(
                QStringLiteral("You are not logged into any GitHub hosts. To log in, "
                               "run: gh auth login"),
                1);
        reply.print(QStringLiteral("github.com"));
        reply.print(QString::fromUtf8("  ✓ Logged in to github.com account dev (keyring)"));
        reply.print(QStringLiteral("  - Active account: true"));
        reply.print(QStringLiteral("  - Git operations protocol: https"));
    } else if (args.value(0) == u"auth" && args.value(1) == u"login") {
        reply.print(QStringLiteral("! First copy your one-time code: 3F2A-9C1B"), 1);
        reply.print(QStringLiteral("Open this URL to continue in your web browser: "
                                   "https://github.com/login/device"));
        reply.print(QString::fromUtf8("✓ Authentication complete."), 8);
        reply.print(QStringLiteral("- gh config set -h github.com git_protocol https"), 1);
        reply.print(QString::fromUtf8("✓ Configured git protocol"));
        reply.print(QString::fromUtf8("✓ Logged in as dev"), 1);
        reply.effects << [fs = fs, hosts] {
            fs->createFile(hosts, "github.com:\n    user: dev\n    git_protocol: https\n", 0600);
        };
    }
    return reply;
}

DemoReply DemoTools::versionedTool(const QString& name, const QStringList& args) const {
    DemoReply reply;
    const QString verb = args.value(0);
    if (verb == u"--version" || verb == u"-V" || verb == u"version") {
        reply.print(versionLine(name));
    } else if (name == u"claude" && verb == u"mcp" && args.value(1) == u"add") {
        reply.print(QStringLiteral("Added MCP server %1 to local config")
                        .arg(operands(args.mid(2)).value(0)));
    } else if (name == u"mise" && verb == u"use") {
        for (const QString& request : operands(args.mid(1))) {
            const MiseTool tool = miseTool(request);
            const QString id = tool.name + u'@' + tool.version;
            reply.print(QStringLiteral("mise %1  download %2-%3-macos-arm64.tar.gz")
                            .arg(id, tool.name, tool.version),
                        2);
            reply.print(QStringLiteral("mise %1  extract %2-%3-macos-arm64.tar.gz")
                            .arg(id, tool.name, tool.version),
                        3);
            reply.print(QString::fromUtf8("mise %1 ✓ installed").arg(id), 2);
            reply.print(QStringLiteral("mise ~/.config/mise/config.toml tools: %1").arg(id));
            reply.effects << [fs = fs, home = home(), tool] {
                const QString data = home + QStringLiteral("/.local/share/mise");
                for (const QString& command : tool.commands) {
                    fs->createExecutable(data + "/installs/" + tool.name + u'/' + tool.version +
                                         "/bin/" + command);
                    fs->createExecutable(data + "/shims/" + command);
                }
                const QString config = home + QStringLiteral("/.config/mise/config.toml");
                QByteArray text = fs->contents(config);
                if (text.isEmpty())
                    text = "[tools]\n";
                fs->createFile(config, text + tool.name.toUtf8() + " = \"" + tool.version.toUtf8() +
                                           "\"\n");
            };
        }
    } else if (name == u"uv" && verb == u"python" && args.value(1) == u"install") {
        reply.print(QStringLiteral("Searching for Python installations"), 1);
        reply.print(QStringLiteral("Installed Python 3.13.1 in 3.12s"), 4);
        reply.print(
            QStringLiteral(" + cpython-3.13.1-macos-aarch64-none (python, python3, python3.13)"));
        reply.effects << [fs = fs, bin = home() + QStringLiteral("/.local/bin/")] {
            for (const char* command : {"python", "python3", "python3.13"})
                fs->createExecutable(bin + QLatin1String(command));
        };
    }
    return reply;
}

// `curl -sSf <installer> | sh -s -- …`: the two installers the app fetches this way.
DemoReply DemoTools::curlPipedToShell(const QStringList& curl) const {
    QString url;
    for (const auto& a : curl)
        if (a.startsWith(QLatin1String("http")))
            url = a;
    DemoReply reply;
    if (url.contains(QLatin1String("astral.sh"))) {
        const QString bin = home() + QStringLiteral("/.local/bin");
        reply.print(QStringLiteral("downloading uv 0.5.4 aarch64-apple-darwin"), 3);
        reply.print(QStringLiteral("no checksums to verify"), 1);
        reply.print(QStringLiteral("installing to ") + bin, 2);
        reply.print(QStringLiteral("  uv"));
        reply.print(QStringLiteral("  uvx"));
        reply.print(QStringLiteral("everything's installed!"), 1);
        reply.effects << [fs = fs, bin] {
            fs->createExecutable(bin + "/uv");
            fs->createExecutable(bin + "/uvx");
        };
    } else if (url.contains(QLatin1String("rustup"))) {
        reply.print(QStringLiteral("info: downloading installer"), 2);
        reply.print(QStringLiteral("info: profile set to 'default'"));
        reply.print(QStringLiteral("info: default host triple is aarch64-apple-darwin"));
        reply.print(
            QStringLiteral("info: syncing channel updates for 'stable-aarch64-apple-darwin'"), 2);
        reply.print(
            QStringLiteral(
                "info: latest update on 2024-11-28, rust version 1.83.0 (90b35a623 2024-11-26)"),
            1);
        for (const char* component :
             {"cargo", "clippy", "rust-docs", "rust-std", "rustc", "rustfmt"})
            reply.print(
                QStringLiteral("info: downloading component '%1'").arg(QLatin1String(component)),
                1);
        reply.print(QStringLiteral("info: installing components"), 3);
        reply.print(
            QStringLiteral(
                "  stable-aarch64-apple-darwin installed - rustc 1.83.0 (90b35a623 2024-11-26)"),
            2);
        reply.print(QStringLiteral("Rust is installed now. Great!"));
        reply.effects << [fs = fs, cargo = home() + QStringLiteral("/.cargo")] {
            for (const char* command : {"rustup", "cargo", "rustc", "rustfmt"})
                fs->createExecutable(cargo + "/bin/" + QLatin1String(command));
            fs->createFile(cargo + "/env", "export PATH=\"$HOME/.cargo/bin:$PATH\"\n");
        };
    } else {
        return DemoReply::failure(
            QStringLiteral("curl: (22) The requested URL returned error: 404"), 22);
    }
    return reply;
}

// MARK: Apple's and Homebrew's installers

DemoReply DemoTools::installCommandLineTools() const {
    DemoReply reply;
    reply.print(QStringLiteral("Software Update Tool"));
    reply.print(QString());
    reply.print(QStringLiteral("Finding available software"), 3);
    reply.print(QStringLiteral("Downloading Command Line Tools for Xcode"), 2);
    reply.print(QStringLiteral("Downloaded Command Line Tools for Xcode"), 6);
    reply.print(QStringLiteral("Installing Command Line Tools for Xcode"), 1);
    reply.print(QStringLiteral("Done with Command Line Tools for Xcode"), 5);
    reply.print(QStringLiteral("Done."));
    reply.effects << [fs = fs] {
        for (const char* tool : {"git", "clang", "make", "python3"})
            fs->createExecutable(kCLT + "/usr/bin/" + QLatin1String(tool));
        fs->createFolder(kCLT + "/SDKs/MacOSX.sdk");
    };
    return reply;
}

DemoReply DemoTools::installHomebrew() const {
    DemoReply reply;
    const QString user = QFileInfo(home()).fileName();
    reply.print(
        QStringLiteral("==> Checking for `sudo` access (which may request your password)..."), 1);
    reply.print(QStringLiteral("==> This script will install:"), 1);
    for (const char* path :
         {"/opt/homebrew/bin/brew", "/opt/homebrew/share/doc/homebrew",
          "/opt/homebrew/share/man/man1/brew.1", "/opt/homebrew/share/zsh/site-functions/_brew",
          "/opt/homebrew/etc/bash_completion.d/brew", "/opt/homebrew"})
        reply.print(QLatin1String(path));
    reply.print(
        QStringLiteral("==> /usr/bin/sudo /usr/sbin/chown -R %1:admin /opt/homebrew").arg(user), 1);
    if (!hasCommandLineTools()) {
        reply.print(QStringLiteral("==> Searching online for the Command Line Tools"), 2);
        reply.print(QStringLiteral("==> Installing Command Line Tools for Xcode-16.0"), 2);
        reply.print(QStringLiteral("Software Update Tool"), 1);
        reply.print(QStringLiteral("Downloading Command Line Tools for Xcode"), 4);
        reply.print(QStringLiteral("Done with Command Line Tools for Xcode"), 4);
        reply.effects += installCommandLineTools().effects;
    }
    reply.print(QStringLiteral("==> Downloading and installing Homebrew..."), 2);
    reply.print(QStringLiteral("remote: Enumerating objects: 290418, done."), 3);
    reply.print(
        QStringLiteral("HEAD is now at 1c2f8a4 Merge pull request #18853 from Homebrew/bump-ruby"),
        3);
    reply.print(QStringLiteral("==> Updating Homebrew..."), 2);
    reply.print(QStringLiteral("==> Installation successful!"), 1);
    reply.print(QString());
    reply.print(QStringLiteral("==> Next steps:"));
    reply.print(QStringLiteral("- Run brew help to get started"));
    reply.effects << [fs = fs] {
        for (const char* folder : {"Cellar", "Caskroom", "etc", "share/zsh/site-functions", "sbin"})
            fs->createFolder(kBrewPrefix + u'/' + QLatin1String(folder));
        fs->createExecutable(kBrewPrefix + "/bin/brew");
    };
    return reply;
}

} // namespace tovr
