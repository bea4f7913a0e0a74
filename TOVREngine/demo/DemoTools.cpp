#include "demo/DemoTools.h"

#include "demo/DemoGit.h"
#include "demo/DemoHomebrew.h"
#include "demo/DemoInstallers.h"
#include "platform/Error.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QVersionNumber>

#include <algorithm>

namespace tovr {

namespace {

const QString kToolsShim = QStringLiteral(
    "xcode-select: note: No developer tools were found, requesting install.\n"
    "If developer tools are located at a non-default location on disk, use `sudo xcode-select "
    "--switch path/to/Xcode.app` to specify the Xcode that you wish to use for command line "
    "developer tools, and cancel the installation dialog.");
const QString kNoJavaRuntime =
    QString::fromUtf8("The operation couldn’t be completed. Unable to locate a Java Runtime.\n"
                      "Please visit http://www.java.com for information on installing Java.");

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

// `claude mcp add`'s arguments as its option parser reads them: an option that takes a value
// takes the next argument (or what follows "="), -e and -H take every argument up to the next
// option, and "--" ends the options.
struct MCPAdd {
    QString transport = QStringLiteral("stdio");
    QString scope = QStringLiteral("local");
    QStringList operands; // the name, then the URL or the command and its arguments
};

MCPAdd readMCPAdd(const QStringList& args) {
    static const QStringList valued{"-t",      "--transport",     "-s",
                                    "--scope", "--callback-port", "--client-id"};
    static const QStringList listed{"-e", "--env", "-H", "--header"};
    MCPAdd add;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const QString option = arg.section(u'=', 0, 0);
        if (arg == u"--") {
            add.operands << args.mid(i + 1);
            break;
        } else if (valued.contains(option)) {
            const QString value = option != arg ? arg.section(u'=', 1) : args.value(++i);
            if (option == u"-t" || option == u"--transport")
                add.transport = value;
            else if (option == u"-s" || option == u"--scope")
                add.scope = value;
        } else if (listed.contains(option)) {
            while (i + 1 < args.size() && !args[i + 1].startsWith(u'-'))
                ++i;
        } else if (!arg.startsWith(u'-')) {
            add.operands << arg;
        }
    }
    return add;
}

} // namespace

QStringList DemoTools::operands(const QStringList& args) {
    QStringList plain;
    for (const auto& a : args)
        if (!a.startsWith(u'-'))
            plain << a;
    return plain;
}

QString DemoTools::versionLine(const QString& tool) {
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

bool DemoTools::hasCommandLineTools() const {
    return fs->fileExists(DemoTools::commandLineToolsFolder);
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
        return DemoGit{fs}.git(path, args);
    if (name == u"brew")
        return DemoHomebrew{fs}.brew(args);
    if (name == u"gh")
        return DemoGit{fs}.gh(args);
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
        entries = fs->contentsOfDirectory(DemoTools::javaVirtualMachinesFolder);
    } catch (const Error&) {
        // No JVM folder: no JDK.
    }
    static const QRegularExpression field(QStringLiteral("^(\\w+)=\"?([^\"]*)\"?$"));
    for (const auto& entry : entries) {
        const QString home =
            DemoTools::javaVirtualMachinesFolder + u'/' + entry + QStringLiteral("/Contents/Home");
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

DemoReply DemoTools::versionedTool(const QString& name, const QStringList& args) const {
    DemoReply reply;
    const QString verb = args.value(0);
    if (verb == u"--version" || verb == u"-V" || verb == u"version") {
        reply.print(versionLine(name));
    } else if (name == u"claude" && verb == u"mcp" && args.value(1) == u"add") {
        return claudeMCPAdd(args.mid(2));
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

DemoReply DemoTools::claudeMCPAdd(const QStringList& args) const {
    const MCPAdd add = readMCPAdd(args);
    if (add.operands.size() < 2)
        return DemoReply::failure(add.operands.isEmpty()
                                      ? QStringLiteral("error: missing required argument 'name'")
                                      : QStringLiteral("error: missing required argument "
                                                       "'commandOrUrl'"),
                                  1);
    const QString name = add.operands[0];
    const bool stdio = add.transport == u"stdio";
    QJsonObject server{{QStringLiteral("type"), add.transport}};
    if (stdio) {
        server.insert(QStringLiteral("command"), add.operands[1]);
        server.insert(QStringLiteral("args"), QJsonArray::fromStringList(add.operands.mid(2)));
    } else {
        server.insert(QStringLiteral("url"), add.operands[1]);
    }
    const QString config = home() + QStringLiteral("/.claude.json");
    QJsonObject root = QJsonDocument::fromJson(fs->contents(config)).object();
    QJsonObject servers = root.value(QStringLiteral("mcpServers")).toObject();
    if (add.scope == u"user" && servers.contains(name))
        return DemoReply::failure(
            QStringLiteral("MCP server %1 already exists in user config").arg(name), 1);

    DemoReply reply;
    reply.print(QStringLiteral("Added %1 MCP server %2 with %3: %4 to %5 config")
                    .arg(stdio ? add.transport : add.transport.toUpper(), name,
                         stdio ? QStringLiteral("command") : QStringLiteral("URL"),
                         add.operands.mid(1).join(u' '), add.scope));
    if (add.scope != u"user")
        return reply; // the project's own settings play no part in the demo
    reply.print(QStringLiteral("File modified: ") + config);
    servers.insert(name, server);
    root.insert(QStringLiteral("mcpServers"), servers);
    reply.effects << [fs = fs, config, data = QJsonDocument(root).toJson()] {
        fs->createFile(config, data, 0600);
    };
    return reply;
}

DemoReply DemoTools::curlPipedToShell(const QStringList& curl) const {
    return DemoInstallers{fs}.curlPipedToShell(curl);
}

DemoReply DemoTools::installCommandLineTools() const {
    return DemoInstallers{fs}.installCommandLineTools();
}

DemoReply DemoTools::installHomebrew() const {
    return DemoInstallers{fs}.installHomebrew();
}

} // namespace tovr
