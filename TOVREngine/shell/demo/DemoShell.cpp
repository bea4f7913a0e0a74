#include "shell/demo/DemoShell.h"

#include "platform/Error.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QVersionNumber>

#include <algorithm>

namespace tovr {

namespace {

const QString kCLT = QStringLiteral("/Library/Developer/CommandLineTools");
const QString kJVM = QStringLiteral("/Library/Java/JavaVirtualMachines");
const QString kBrewPrefix = QStringLiteral("/opt/homebrew");

const QString kNoDeveloperDirectory = QStringLiteral(
    "xcode-select: error: unable to get active developer directory, use `sudo xcode-select "
    "--switch path/to/Xcode.app` to toggle between command line tools and Xcode.");
const QString kToolsShim = QStringLiteral(
    "xcode-select: note: No developer tools were found, requesting install.\n"
    "If developer tools are located at a non-default location on disk, use `sudo xcode-select "
    "--switch path/to/Xcode.app` to specify the Xcode that you wish to use for command line "
    "developer tools, and cancel the installation dialog.");
const QString kNoJavaRuntime =
    QString::fromUtf8("The operation couldn’t be completed. Unable to locate a Java Runtime.\n"
                      "Please visit http://www.java.com for information on installing Java.");

// MARK: The shell's words

struct Token {
    QString text;
    bool isOperator = false;
};

// Splits a command line into words and the operators ; && || |, with quotes, escapes and
// $NAME expansion as zsh does them. Command substitution is left as written.
QList<Token> tokenize(const QString& s, const QMap<QString, QString>& variables) {
    QList<Token> tokens;
    QString word;
    bool inWord = false;
    auto flush = [&] {
        if (inWord)
            tokens.append({word, false});
        word.clear();
        inWord = false;
    };
    auto expand = [&](qsizetype& i) {
        qsizetype j = i + 1;
        const bool braced = j < s.size() && s[j] == u'{';
        if (braced)
            ++j;
        const qsizetype start = j;
        while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == u'_'))
            ++j;
        if (j == start) {
            word += u'$';
            return;
        }
        word += variables.value(s.mid(start, j - start));
        if (braced && j < s.size() && s[j] == u'}')
            ++j;
        i = j - 1;
    };
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        const QChar next = i + 1 < s.size() ? s[i + 1] : QChar();
        if (c == u'\'') {
            inWord = true;
            qsizetype end = s.indexOf(u'\'', i + 1);
            if (end < 0)
                end = s.size();
            word += s.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == u'"') {
            inWord = true;
            for (++i; i < s.size() && s[i] != u'"'; ++i) {
                if (s[i] == u'\\' && i + 1 < s.size() && QStringView(u"\\\"$`").contains(s[i + 1]))
                    word += s[++i];
                else if (s[i] == u'$')
                    expand(i);
                else
                    word += s[i];
            }
        } else if (c == u'\\' && i + 1 < s.size()) {
            inWord = true;
            word += s[++i];
        } else if (c == u'$') {
            inWord = true;
            expand(i);
        } else if (c == u' ' || c == u'\t') {
            flush();
        } else if (c == u'\n' || c == u';') {
            flush();
            tokens.append({QStringLiteral(";"), true});
        } else if (c == u'#' && !inWord) {
            const qsizetype end = s.indexOf(u'\n', i);
            i = end < 0 ? s.size() : end - 1;
        } else if (c == u'&' && next == u'&') {
            flush();
            tokens.append({QStringLiteral("&&"), true});
            ++i;
        } else if (c == u'|') {
            flush();
            tokens.append({next == u'|' ? QStringLiteral("||") : QStringLiteral("|"), true});
            if (next == u'|')
                ++i;
        } else {
            inWord = true;
            word += c;
        }
    }
    flush();
    return tokens;
}

struct Redirect {
    QString fd; // "", "1", "2" or "&" (both)
    QString target;
};
struct SimpleCommand {
    QStringList argv;
    QList<Redirect> redirects;
};
struct Step {
    QString connector; // how it follows the step before: ";", "&&" or "||"
    QList<SimpleCommand> pipeline;
};

QList<Step> parse(const QList<Token>& tokens) {
    static const QRegularExpression redirect(QStringLiteral("^(\\d?|&)>>?(.*)$"));
    QList<Step> steps{Step{QStringLiteral(";"), {SimpleCommand{}}}};
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (token.isOperator) {
            if (token.text == u"|")
                steps.last().pipeline.append(SimpleCommand{});
            else
                steps.append(Step{token.text, {SimpleCommand{}}});
            continue;
        }
        const auto match = redirect.match(token.text);
        if (!match.hasMatch()) {
            steps.last().pipeline.last().argv << token.text;
            continue;
        }
        QString target = match.captured(2);
        if (target.isEmpty() && i + 1 < tokens.size() && !tokens[i + 1].isOperator)
            target = tokens[++i].text;
        steps.last().pipeline.last().redirects.append({match.captured(1), target});
    }
    return steps;
}

// Sends each line where the redirections say: on, over to the other stream, or nowhere.
void redirectLines(DemoReply& reply, const QList<Redirect>& redirects) {
    enum class To { out, err, null };
    To out = To::out, err = To::err;
    for (const auto& r : redirects) {
        const To to = r.target == u"&1"   ? out
                      : r.target == u"&2" ? err
                                          : To::null; // /dev/null or a file: not shown
        if (r.fd == u"2")
            err = to;
        else if (r.fd == u"&")
            out = err = to;
        else
            out = to;
    }
    QList<DemoLine> kept;
    for (DemoLine line : reply.lines) {
        const To to = line.toStderr ? err : out;
        if (to == To::null)
            continue;
        line.toStderr = to == To::err;
        kept.append(line);
    }
    reply.lines = kept;
}

DemoReply failed(const QString& text, qint32 code) {
    DemoReply reply;
    for (const auto& line : text.split(u'\n'))
        reply.printError(line);
    reply.exitCode = code;
    return reply;
}

// MARK: What the tools are

struct Cask {
    QString version;
    QString app;    // a bundle moved to /Applications
    QString binary; // or a command linked into /opt/homebrew/bin
};

const QMap<QString, Cask>& casks() {
    static const QMap<QString, Cask> table{
        {QStringLiteral("warp"), {QStringLiteral("0.2024.11.19.08.02"), QStringLiteral("Warp.app"), {}}},
        {QStringLiteral("claude"), {QStringLiteral("0.7.8"), QStringLiteral("Claude.app"), {}}},
        {QStringLiteral("zed"), {QStringLiteral("0.164.2"), QStringLiteral("Zed.app"), {}}},
        {QStringLiteral("visual-studio-code"),
         {QStringLiteral("1.95.3"), QStringLiteral("Visual Studio Code.app"), {}}},
        {QStringLiteral("chatgpt"), {QStringLiteral("1.2024.330"), QStringLiteral("ChatGPT.app"), {}}},
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
        {QStringLiteral("ruby"), QStringLiteral("ruby 3.3.6 (2024-11-05 revision 75015d4c1f) [arm64-darwin24]")},
        {QStringLiteral("python3"), QStringLiteral("Python 3.9.6")},
        {QStringLiteral("clang"), QStringLiteral("Apple clang version 16.0.0 (clang-1600.0.26.4)")},
        {QStringLiteral("make"), QStringLiteral("GNU Make 3.81")},
    };
    return lines.value(tool, tool + QStringLiteral(" 1.0.0"));
}

// A mise tool spec's name, the version it resolves to and the commands it provides.
struct MiseTool {
    QString name;
    QString version;
    QStringList commands;
};

MiseTool miseTool(const QString& spec) {
    const QString name = spec.section(u'@', 0, 0);
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

QStringList withoutFlags(const QStringList& args) {
    QStringList plain;
    for (const auto& a : args)
        if (!a.startsWith(u'-'))
            plain << a;
    return plain;
}

} // namespace

// MARK: Entry points and contexts

DemoReply DemoShell::run(const QString& executable, const QStringList& arguments) const {
    if (!executable.startsWith(u'/') || find(executable, {}, false).isEmpty()) {
        DemoReply reply;
        reply.launchError = QStringLiteral("No such file or directory");
        return reply;
    }
    return program(executable, arguments, applicationContext());
}

DemoShell::Context DemoShell::applicationContext() const {
    Context context;
    context.path = QString::fromLatin1(kApplicationPath).split(u':');
    context.variables = {{QStringLiteral("HOME"), home()},
                         {QStringLiteral("SHELL"), QStringLiteral("/bin/zsh")},
                         {QStringLiteral("PATH"), QString::fromLatin1(kApplicationPath)}};
    return context;
}

// The PATH and variables of `zsh -l`: path_helper's folders, then what ~/.zprofile adds.
DemoShell::Context DemoShell::loginContext() const {
    Context context = applicationContext();
    QStringList path{QStringLiteral("/usr/local/bin"), QStringLiteral("/System/Cryptexes/App/usr/bin"),
                     QStringLiteral("/usr/bin"),       QStringLiteral("/bin"),
                     QStringLiteral("/usr/sbin"),      QStringLiteral("/sbin")};
    auto prepend = [&](const QStringList& folders) {
        for (auto it = folders.crbegin(); it != folders.crend(); ++it) {
            path.removeAll(*it);
            path.prepend(*it);
        }
    };
    static const QRegularExpression javaHomeLine(
        QStringLiteral("^export JAVA_HOME=[\"']?([^\"']*)"));
    const QString startup = QString::fromUtf8(fs_->contents(home() + QStringLiteral("/.zshenv")) +
                                              '\n' + fs_->contents(home() + QStringLiteral("/.zprofile")));
    for (const QString& raw : startup.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'#'))
            continue;
        if (line.contains(QLatin1String("brew shellenv")) && !find(kBrewPrefix + "/bin/brew", {}, false).isEmpty())
            prepend({kBrewPrefix + "/bin", kBrewPrefix + "/sbin"});
        if (line.contains(QLatin1String(".local/bin")) && line.contains(QLatin1String("PATH")))
            prepend({home() + "/.local/bin"});
        if (line.contains(QLatin1String(".cargo/bin")) || line.contains(QLatin1String(".cargo/env")))
            prepend({home() + "/.cargo/bin"});
        if (line.contains(QLatin1String("mise activate")))
            prepend({home() + "/.local/share/mise/shims"});
        if (const auto m = javaHomeLine.match(line); m.hasMatch()) {
            QString value = m.captured(1);
            if (value.contains(QLatin1String("java_home"))) {
                const auto listing = javaHome(QStringList{}).lines;
                value = listing.isEmpty() || listing.first().toStderr ? QString()
                                                                      : listing.first().text;
            }
            context.variables.insert(QStringLiteral("JAVA_HOME"), value);
        }
    }
    context.path = path;
    context.variables.insert(QStringLiteral("PATH"), path.join(u':'));
    return context;
}

QStringList DemoShell::find(const QString& name, const QStringList& path, bool all) const {
    QStringList found;
    const QStringList candidates = name.contains(u'/') ? QStringList{name} : [&] {
        QStringList list;
        for (const auto& folder : path)
            list << folder + u'/' + name;
        return list;
    }();
    for (const auto& candidate : candidates) {
        try {
            if (candidate.startsWith(u'/') && fs_->isExecutableFile(candidate)) {
                found << candidate;
                if (!all)
                    break;
            }
        } catch (const Error&) {
            // A path that leaves the sandbox is no executable of this Mac.
        }
    }
    return found;
}

bool DemoShell::hasCommandLineTools() const {
    return fs_->fileExists(kCLT);
}

// MARK: zsh

DemoReply DemoShell::script(const QString& text, const Context& context) const {
    DemoReply all;
    qint32 status = 0;
    for (const Step& step : parse(tokenize(text, context.variables))) {
        if ((step.connector == u"&&" && status != 0) || (step.connector == u"||" && status == 0))
            continue;
        const auto& pipeline = step.pipeline;
        DemoReply reply;
        const QString first = pipeline.first().argv.value(0);
        const QString last = QFileInfo(pipeline.last().argv.value(0)).fileName();
        if (pipeline.size() > 1 && QFileInfo(first).fileName() == u"curl" &&
            (last == u"sh" || last == u"bash" || last == u"zsh")) {
            reply = curlPipedToShell(pipeline.first().argv);
        } else {
            reply = command(pipeline.last().argv, context);
        }
        redirectLines(reply, pipeline.last().redirects);
        all.lines += reply.lines;
        all.effects += reply.effects;
        status = reply.exitCode;
        if (pipeline.last().argv.value(0) == u"exit")
            break;
    }
    all.exitCode = status;
    return all;
}

DemoReply DemoShell::command(QStringList argv, const Context& context) const {
    static const QRegularExpression assignment(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*="));
    while (!argv.isEmpty() && assignment.match(argv.first()).hasMatch())
        argv.removeFirst();
    DemoReply reply;
    if (argv.isEmpty())
        return reply;
    const QString name = argv.takeFirst();
    static const QStringList quiet{"set",      "export", "cd",    "source", ".",  "eval",
                                   "typeset",  "true",   ":",     "autoload", "compinit"};
    if (quiet.contains(name))
        return reply;
    if (name == u"false" || name == u"exit") {
        reply.exitCode = name == u"false" ? 1 : argv.value(0).toInt();
        return reply;
    }
    if (name == u"echo") {
        reply.print(argv.join(u' '));
        return reply;
    }
    if (name == u"command" && argv.value(0) == u"-v") {
        const auto found = find(argv.value(1), context.path, false);
        if (found.isEmpty())
            reply.exitCode = 1;
        else
            reply.print(found.first());
        return reply;
    }
    const auto found = find(name, context.path, false);
    if (found.isEmpty())
        return failed(QStringLiteral("zsh:1: ") +
                          (name.contains(u'/') ? QStringLiteral("no such file or directory: ")
                                               : QStringLiteral("command not found: ")) +
                          name,
                      127);
    return program(found.first(), argv, context);
}

DemoReply DemoShell::shellProgram(const QStringList& args) const {
    const bool login = args.contains(QStringLiteral("-l")) ||
                       std::any_of(args.cbegin(), args.cend(), [](const QString& a) {
                           return a.startsWith(u'-') && !a.startsWith(QLatin1String("--")) &&
                                  a.contains(u'l');
                       });
    qsizetype at = -1;
    for (qsizetype i = 0; i < args.size(); ++i)
        if (args[i].startsWith(u'-') && !args[i].startsWith(QLatin1String("--")) &&
            args[i].contains(u'c')) {
            at = i + 1;
            break;
        }
    if (at < 0 || at >= args.size())
        return {}; // no script and no terminal: reads nothing and exits
    const QString text = args[at];
    // The two installers the app downloads or writes itself are recognised whole.
    if (text.contains(QLatin1String("softwareupdate")) &&
        text.contains(QLatin1String("CommandLineTools")))
        return installCommandLineTools();
    if (text.contains(QLatin1String("HOMEBREW_PREFIX")))
        return installHomebrew();
    return script(text, login ? loginContext() : applicationContext());
}

// MARK: Programs

DemoReply DemoShell::program(const QString& path, const QStringList& args,
                             const Context& context) const {
    const QString name = QFileInfo(path).fileName();
    DemoReply reply;
    if (name == u"zsh" || name == u"bash" || name == u"sh")
        return shellProgram(args);
    if (name == u"sudo") {
        QStringList rest = args;
        while (!rest.isEmpty() && rest.first().startsWith(u'-'))
            rest.removeFirst();
        return command(rest, context);
    }
    if (name == u"uname") {
        reply.print(args.contains(QStringLiteral("-m")) ? QStringLiteral("arm64")
                                                        : QStringLiteral("Darwin"));
        return reply;
    }
    if (name == u"sw_vers") {
        reply.print(QStringLiteral("ProductName:\t\tmacOS"));
        reply.print(QStringLiteral("ProductVersion:\t\t14.6.1"));
        reply.print(QStringLiteral("BuildVersion:\t\t23G93"));
        return reply;
    }
    if (name == u"which") {
        const bool all = args.contains(QStringLiteral("-a"));
        for (const auto& tool : withoutFlags(args)) {
            const auto found = find(tool, context.path, all);
            for (const auto& f : found)
                reply.print(f);
            if (found.isEmpty())
                reply.exitCode = 1;
        }
        return reply;
    }
    if (name == u"xcode-select") {
        if (args.contains(QStringLiteral("-p")) || args.contains(QStringLiteral("--print-path"))) {
            if (!hasCommandLineTools())
                return failed(kNoDeveloperDirectory, 2);
            reply.print(kCLT);
        } else if (args.contains(QStringLiteral("--install"))) {
            reply.print(QStringLiteral(
                "xcode-select: note: install requested for command line developer tools"));
        }
        return reply;
    }
    if (name == u"java_home")
        return javaHome(args);
    // The stubs in /usr/bin stand for tools that come with the Command Line Tools or a JDK.
    const bool stub = path.startsWith(QLatin1String("/usr/bin/"));
    if (name == u"java") {
        const auto homes = javaHome({});
        if (homes.exitCode != 0)
            return failed(kNoJavaRuntime, 1);
        reply.printError(QStringLiteral("openjdk version \"25.0.1\" 2025-10-21 LTS"));
        return reply;
    }
    if (stub && !hasCommandLineTools() &&
        QStringList{"git", "clang", "make", "python3"}.contains(name))
        return failed(kToolsShim, 1);
    if (name == u"git")
        return git(path, args);
    if (name == u"brew")
        return brew(args);
    if (name == u"gh")
        return gh(args);
    if (name == u"curl")
        return failed(QStringLiteral("curl: (6) Could not resolve host"), 6);
    static const QStringList tools{"claude", "codex", "mise",  "uv",   "uvx",     "rustup",
                                   "cargo",  "rustc", "node",  "ruby", "python3", "clang",
                                   "make"};
    if (tools.contains(name))
        return versionedTool(name, args);
    return reply; // a program this Mac has but the app never asks anything of
}

DemoReply DemoShell::javaHome(const QStringList& args) const {
    struct JDK {
        QVersionNumber version;
        QString text, vendor, home;
    };
    QList<JDK> jdks;
    QStringList entries;
    try {
        entries = fs_->contentsOfDirectory(kJVM);
    } catch (const Error&) {
    }
    static const QRegularExpression field(QStringLiteral("^(\\w+)=\"?([^\"]*)\"?$"));
    for (const auto& entry : entries) {
        const QString home = kJVM + u'/' + entry + QStringLiteral("/Contents/Home");
        if (find(home + QStringLiteral("/bin/java"), {}, false).isEmpty())
            continue;
        JDK jdk{{}, {}, {}, home};
        for (const auto& line : QString::fromUtf8(fs_->contents(home + "/release")).split(u'\n')) {
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
        return failed(kNoJavaRuntime, 1);
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

DemoReply DemoShell::brew(const QStringList& args) const {
    DemoReply reply;
    const QString verb = args.value(0);
    if (verb == u"--version") {
        reply.print(versionLine(QStringLiteral("brew")));
    } else if (verb == u"--prefix") {
        reply.print(kBrewPrefix);
    } else if (verb == u"shellenv") {
        reply.print(QStringLiteral("export HOMEBREW_PREFIX=\"/opt/homebrew\";"));
        reply.print(QStringLiteral("export PATH=\"/opt/homebrew/bin:/opt/homebrew/sbin${PATH+:$PATH}\";"));
    } else if (verb == u"install" || verb == u"reinstall") {
        return brewInstall(args);
    } else if (verb.isEmpty()) {
        return failed(QStringLiteral("Example usage:\n  brew search TEXT|/REGEX/\n  brew install FORMULA|CASK..."), 1);
    }
    return reply;
}

DemoReply DemoShell::brewInstall(const QStringList& args) const {
    DemoReply reply;
    const bool reinstall = args.value(0) == u"reinstall";
    const bool isCask = args.contains(QStringLiteral("--cask"));
    for (const QString& requested : withoutFlags(args.mid(1))) {
        const QString name = requested.section(u'@', 0, 0);
        if (!isCask) {
            const QString version = formulaVersion(name);
            const QString cellar = kBrewPrefix + "/Cellar/" + name + u'/' + version;
            if (!reinstall && fs_->fileExists(cellar)) {
                reply.printError(QStringLiteral("Warning: %1 %2 is already installed and up-to-date.").arg(name, version));
                continue;
            }
            reply.print(QStringLiteral("==> Fetching %1").arg(name), 1);
            reply.print(QStringLiteral("==> Downloading https://ghcr.io/v2/homebrew/core/%1/manifests/%2").arg(name, version), 1);
            reply.print(QStringLiteral("==> Downloading https://ghcr.io/v2/homebrew/core/%1/blobs/sha256:4c7f1e0a5b").arg(name), 1);
            reply.print(QStringLiteral("######################################################################### 100.0%"), 3);
            reply.print(QStringLiteral("==> Pouring %1--%2.arm64_sonoma.bottle.tar.gz").arg(name, version), 1);
            reply.print(QString::fromUtf8("🍺  %1: 214 files, 41.2MB").arg(cellar), 2);
            reply.effects << [fs = fs_, cellar, name] {
                fs->createExecutable(cellar + "/bin/" + name);
                linkInto(*fs, kBrewPrefix + "/bin/" + name, cellar + "/bin/" + name);
            };
            continue;
        }
        if (!casks().contains(name)) {
            reply.printError(QStringLiteral("Error: Cask '%1' is unavailable: No Cask with this name exists.").arg(name));
            reply.exitCode = 1;
            continue;
        }
        const Cask cask = casks().value(name);
        const QString caskroom = kBrewPrefix + "/Caskroom/" + name + u'/' + cask.version;
        if (!reinstall && fs_->fileExists(caskroom)) {
            reply.printError(QStringLiteral("Warning: Not upgrading %1, the latest version is already installed").arg(name));
            continue;
        }
        reply.print(QStringLiteral("==> Downloading https://formulae.brew.sh/api/cask.jws.json"), 1);
        reply.print(QStringLiteral("==> Downloading %1 %2").arg(name, cask.version), 1);
        reply.print(QStringLiteral("######################################################################### 100.0%"), 3);
        reply.print(QStringLiteral("==> Installing Cask %1").arg(name), 1);
        std::function<void()> place;
        if (!cask.app.isEmpty()) {
            reply.print(QStringLiteral("==> Moving App '%1' to '/Applications/%1'").arg(cask.app), 1);
            place = [fs = fs_, app = cask.app] {
                fs->createFile(QStringLiteral("/Applications/") + app + "/Contents/Info.plist");
            };
        } else if (!cask.binary.isEmpty()) {
            reply.print(QStringLiteral("==> Linking Binary '%1' to '/opt/homebrew/bin/%1'").arg(cask.binary), 1);
            place = [fs = fs_, caskroom, binary = cask.binary] {
                fs->createExecutable(caskroom + u'/' + binary);
                linkInto(*fs, kBrewPrefix + "/bin/" + binary, caskroom + u'/' + binary);
            };
        } else {
            reply.print(QStringLiteral("==> Running installer for %1 with sudo; the password may be necessary.").arg(name), 1);
            reply.print(QStringLiteral("installer: Package name is Eclipse Temurin"), 2);
            reply.print(QStringLiteral("installer: The install was successful."), 2);
            place = [fs = fs_, version = cask.version] {
                const QString home = kJVM + QStringLiteral("/temurin-%1.jdk/Contents/Home").arg(version.section(u'.', 0, 0));
                fs->createExecutable(home + "/bin/java");
                fs->createFile(home + "/release", QStringLiteral("JAVA_VERSION=\"%1\"\nIMPLEMENTOR=\"Eclipse Adoptium\"\n").arg(version).toUtf8());
            };
        }
        reply.print(QString::fromUtf8("🍺  %1 was successfully installed!").arg(name));
        reply.effects << [fs = fs_, caskroom, place] {
            fs->createFolder(caskroom);
            place();
        };
    }
    return reply;
}

DemoReply DemoShell::git(const QString& path, const QStringList& args) const {
    DemoReply reply;
    const QString verb = args.value(0);
    if (verb == u"--version") {
        reply.print(path.startsWith(kBrewPrefix) ? QStringLiteral("git version 2.47.1")
                                                 : QStringLiteral("git version 2.39.5 (Apple Git-154)"));
        return reply;
    }
    if (verb == u"config") {
        const QString file = home() + QStringLiteral("/.gitconfig");
        const QStringList rest = withoutFlags(args.mid(1));
        const QString key = rest.value(0);
        if (rest.size() == 1) { // a query: the value, or exit 1 when unset
            static const QRegularExpression section(QStringLiteral("^\\[(\\S+)\\]$"));
            QString current;
            std::optional<QString> value; // the last one set wins, as in git
            for (const QString& raw : QString::fromUtf8(fs_->contents(file)).split(u'\n')) {
                const QString line = raw.trimmed();
                if (const auto m = section.match(line); m.hasMatch())
                    current = m.captured(1);
                else if (current + u'.' + line.section(u'=', 0, 0).trimmed() == key)
                    value = line.section(u'=', 1).trimmed();
            }
            if (value)
                reply.print(*value);
            else
                reply.exitCode = 1;
            return reply;
        }
        reply.effects << [fs = fs_, file, key, value = rest.value(1)] {
            // One section per key: plain, and what `git config` reads back above.
            const QByteArray added = "[" + key.section(u'.', 0, -2).toUtf8() + "]\n\t" +
                                     key.section(u'.', -1).toUtf8() + " = " + value.toUtf8() + "\n";
            fs->createFile(file, fs->contents(file) + added);
        };
        return reply;
    }
    if (verb == u"clone") {
        const QString target = withoutFlags(args).value(2);
        reply.print(QStringLiteral("Cloning into '%1'...").arg(target), 2);
        if (target.startsWith(u'/'))
            reply.effects << [fs = fs_, target] { fs->createFolder(target); };
    }
    return reply;
}

DemoReply DemoShell::gh(const QStringList& args) const {
    DemoReply reply;
    const QString hosts = home() + QStringLiteral("/.config/gh/hosts.yml");
    if (args.value(0) == u"--version") {
        reply.print(versionLine(QStringLiteral("gh")));
    } else if (args.value(0) == u"auth" && args.value(1) == u"status") {
        if (!fs_->fileExists(hosts))
            return failed(QStringLiteral("You are not logged into any GitHub hosts. To log in, "
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
        reply.effects << [fs = fs_, hosts] {
            fs->createFile(hosts, "github.com:\n    user: dev\n    git_protocol: https\n", 0600);
        };
    }
    return reply;
}

DemoReply DemoShell::versionedTool(const QString& name, const QStringList& args) const {
    DemoReply reply;
    const QString verb = args.value(0);
    if (verb == u"--version" || verb == u"-V" || verb == u"version") {
        reply.print(versionLine(name));
    } else if (name == u"claude" && verb == u"mcp" && args.value(1) == u"add") {
        reply.print(QStringLiteral("Added MCP server %1 to local config")
                        .arg(withoutFlags(args.mid(2)).value(0)));
    } else if (name == u"mise" && verb == u"use") {
        for (const QString& spec : withoutFlags(args.mid(1))) {
            const MiseTool tool = miseTool(spec);
            const QString id = tool.name + u'@' + tool.version;
            reply.print(QStringLiteral("mise %1  download %2-%3-macos-arm64.tar.gz").arg(id, tool.name, tool.version), 2);
            reply.print(QStringLiteral("mise %1  extract %2-%3-macos-arm64.tar.gz").arg(id, tool.name, tool.version), 3);
            reply.print(QString::fromUtf8("mise %1 ✓ installed").arg(id), 2);
            reply.print(QStringLiteral("mise ~/.config/mise/config.toml tools: %1").arg(id));
            reply.effects << [fs = fs_, home = home(), tool] {
                const QString data = home + QStringLiteral("/.local/share/mise");
                for (const QString& command : tool.commands) {
                    fs->createExecutable(data + "/installs/" + tool.name + u'/' + tool.version + "/bin/" + command);
                    fs->createExecutable(data + "/shims/" + command);
                }
                const QString config = home + QStringLiteral("/.config/mise/config.toml");
                QByteArray text = fs->contents(config);
                if (text.isEmpty())
                    text = "[tools]\n";
                fs->createFile(config, text + tool.name.toUtf8() + " = \"" + tool.version.toUtf8() + "\"\n");
            };
        }
    } else if (name == u"uv" && verb == u"python" && args.value(1) == u"install") {
        reply.print(QStringLiteral("Searching for Python installations"), 1);
        reply.print(QStringLiteral("Installed Python 3.13.1 in 3.12s"), 4);
        reply.print(QStringLiteral(" + cpython-3.13.1-macos-aarch64-none (python, python3, python3.13)"));
        reply.effects << [fs = fs_, bin = home() + QStringLiteral("/.local/bin/")] {
            for (const char* command : {"python", "python3", "python3.13"})
                fs->createExecutable(bin + QLatin1String(command));
        };
    }
    return reply;
}

// `curl -sSf <installer> | sh -s -- …`: the two installers the app fetches this way.
DemoReply DemoShell::curlPipedToShell(const QStringList& curl) const {
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
        reply.effects << [fs = fs_, bin] {
            fs->createExecutable(bin + "/uv");
            fs->createExecutable(bin + "/uvx");
        };
    } else if (url.contains(QLatin1String("rustup"))) {
        reply.print(QStringLiteral("info: downloading installer"), 2);
        reply.print(QStringLiteral("info: profile set to 'default'"));
        reply.print(QStringLiteral("info: default host triple is aarch64-apple-darwin"));
        reply.print(QStringLiteral("info: syncing channel updates for 'stable-aarch64-apple-darwin'"), 2);
        reply.print(QStringLiteral("info: latest update on 2024-11-28, rust version 1.83.0 (90b35a623 2024-11-26)"), 1);
        for (const char* component : {"cargo", "clippy", "rust-docs", "rust-std", "rustc", "rustfmt"})
            reply.print(QStringLiteral("info: downloading component '%1'").arg(QLatin1String(component)), 1);
        reply.print(QStringLiteral("info: installing components"), 3);
        reply.print(QStringLiteral("  stable-aarch64-apple-darwin installed - rustc 1.83.0 (90b35a623 2024-11-26)"), 2);
        reply.print(QStringLiteral("Rust is installed now. Great!"));
        reply.effects << [fs = fs_, cargo = home() + QStringLiteral("/.cargo")] {
            for (const char* command : {"rustup", "cargo", "rustc", "rustfmt"})
                fs->createExecutable(cargo + "/bin/" + QLatin1String(command));
            fs->createFile(cargo + "/env", "export PATH=\"$HOME/.cargo/bin:$PATH\"\n");
        };
    } else {
        return failed(QStringLiteral("curl: (22) The requested URL returned error: 404"), 22);
    }
    return reply;
}

// MARK: The two installers of Apple's and Homebrew's

DemoReply DemoShell::installCommandLineTools() const {
    DemoReply reply;
    reply.print(QStringLiteral("Software Update Tool"));
    reply.print(QString());
    reply.print(QStringLiteral("Finding available software"), 3);
    reply.print(QStringLiteral("Downloading Command Line Tools for Xcode"), 2);
    reply.print(QStringLiteral("Downloaded Command Line Tools for Xcode"), 6);
    reply.print(QStringLiteral("Installing Command Line Tools for Xcode"), 1);
    reply.print(QStringLiteral("Done with Command Line Tools for Xcode"), 5);
    reply.print(QStringLiteral("Done."));
    reply.effects << [fs = fs_] {
        for (const char* tool : {"git", "clang", "make", "python3"})
            fs->createExecutable(kCLT + "/usr/bin/" + QLatin1String(tool));
        fs->createFolder(kCLT + "/SDKs/MacOSX.sdk");
    };
    return reply;
}

DemoReply DemoShell::installHomebrew() const {
    DemoReply reply;
    const QString user = QFileInfo(home()).fileName();
    reply.print(QStringLiteral("==> Checking for `sudo` access (which may request your password)..."), 1);
    reply.print(QStringLiteral("==> This script will install:"), 1);
    for (const char* path : {"/opt/homebrew/bin/brew", "/opt/homebrew/share/doc/homebrew",
                             "/opt/homebrew/share/man/man1/brew.1",
                             "/opt/homebrew/share/zsh/site-functions/_brew",
                             "/opt/homebrew/etc/bash_completion.d/brew", "/opt/homebrew"})
        reply.print(QLatin1String(path));
    reply.print(QStringLiteral("==> /usr/bin/sudo /usr/sbin/chown -R %1:admin /opt/homebrew").arg(user), 1);
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
    reply.print(QStringLiteral("HEAD is now at 1c2f8a4 Merge pull request #18853 from Homebrew/bump-ruby"), 3);
    reply.print(QStringLiteral("==> Updating Homebrew..."), 2);
    reply.print(QStringLiteral("==> Installation successful!"), 1);
    reply.print(QString());
    reply.print(QStringLiteral("==> Next steps:"));
    reply.print(QStringLiteral("- Run brew help to get started"));
    reply.effects << [fs = fs_] {
        for (const char* folder : {"Cellar", "Caskroom", "etc", "share/zsh/site-functions", "sbin"})
            fs->createFolder(kBrewPrefix + u'/' + QLatin1String(folder));
        fs->createExecutable(kBrewPrefix + "/bin/brew");
    };
    return reply;
}

// MARK: The new Mac

void DemoShell::buildNewMac(SandboxFileSystem& fs) {
    for (const char* folder : {"Desktop", "Documents", "Downloads", "Library/Preferences", "Movies",
                               "Music", "Pictures", "Public"})
        fs.createFolder(fs.homeDirectory() + u'/' + QLatin1String(folder));
    fs.createFolder(QStringLiteral("/Applications/Safari.app/Contents"));
    fs.createFolder(QStringLiteral("/System/Applications/Utilities/Terminal.app/Contents"));
    const QString body = QStringLiteral("# Answered by the demo Mac; never run.");
    for (const char* program :
         {"/bin/zsh", "/bin/bash", "/bin/sh", "/bin/echo", "/bin/rm", "/bin/mkdir", "/bin/cat",
          "/usr/bin/git", "/usr/bin/java", "/usr/bin/python3", "/usr/bin/clang", "/usr/bin/make",
          "/usr/bin/xcode-select", "/usr/bin/uname", "/usr/bin/which", "/usr/bin/sudo",
          "/usr/bin/curl", "/usr/bin/sw_vers", "/usr/bin/osascript", "/usr/bin/touch",
          "/usr/bin/grep", "/usr/bin/sed", "/usr/bin/sort", "/usr/bin/tail", "/usr/bin/open",
          "/usr/sbin/softwareupdate", "/usr/sbin/installer", "/usr/libexec/java_home"})
        fs.createExecutable(QLatin1String(program), body);
}

} // namespace tovr
