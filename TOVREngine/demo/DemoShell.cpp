#include "demo/DemoShell.h"

#include "demo/DemoHTTPFetcher.h"
#include "platform/Error.h"
#include "services/CommandLineToolsInstaller.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace tovr {

namespace {

const QString kCLT = QStringLiteral("/Library/Developer/CommandLineTools");

const QString kNoDeveloperDirectory = QStringLiteral(
    "xcode-select: error: unable to get active developer directory, use `sudo xcode-select "
    "--switch path/to/Xcode.app` to toggle between command line tools and Xcode.");

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

} // namespace

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
    QStringList path{
        QStringLiteral("/usr/local/bin"), QStringLiteral("/System/Cryptexes/App/usr/bin"),
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
    const QString startup =
        QString::fromUtf8(fs_->contents(home() + QStringLiteral("/.zshenv")) + '\n' +
                          fs_->contents(home() + QStringLiteral("/.zprofile")));
    for (const QString& raw : startup.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'#'))
            continue;
        if (line.contains(QLatin1String("brew shellenv")) &&
            !find(QStringLiteral("/opt/homebrew/bin/brew"), {}, false).isEmpty())
            prepend({QStringLiteral("/opt/homebrew/bin"), QStringLiteral("/opt/homebrew/sbin")});
        if (line.contains(QLatin1String(".local/bin")) && line.contains(QLatin1String("PATH")))
            prepend({home() + "/.local/bin"});
        if (line.contains(QLatin1String(".cargo/bin")) ||
            line.contains(QLatin1String(".cargo/env")))
            prepend({home() + "/.cargo/bin"});
        if (line.contains(QLatin1String("mise activate")))
            prepend({home() + "/.local/share/mise/shims"});
        if (const auto m = javaHomeLine.match(line); m.hasMatch()) {
            QString value = m.captured(1);
            if (value.contains(QLatin1String("java_home"))) {
                const auto listing = tools_.javaHome(QStringList{}).lines;
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
            reply = tools_.curlPipedToShell(pipeline.first().argv);
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
    static const QStringList quiet{"set",     "export", "cd", "source",   ".",       "eval",
                                   "typeset", "true",   ":",  "autoload", "compinit"};
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
        return DemoReply::failure(QStringLiteral("zsh:1: ") +
                                      (name.contains(u'/')
                                           ? QStringLiteral("no such file or directory: ")
                                           : QStringLiteral("command not found: ")) +
                                      name,
                                  127);
    return program(found.first(), argv, context);
}

DemoReply DemoShell::shellProgram(const QStringList& args) const {
    const bool login =
        args.contains(QStringLiteral("-l")) ||
        std::any_of(args.cbegin(), args.cend(), [](const QString& a) {
            return a.startsWith(u'-') && !a.startsWith(QLatin1String("--")) && a.contains(u'l');
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
    // The two installers the app downloads or writes itself are recognised whole: exactly
    // the script the engine builds, or the one the demo's network serves.
    if (text == CommandLineToolsInstaller::installScript())
        return tools_.installCommandLineTools();
    if (text == DemoHTTPFetcher::homebrewInstallScript())
        return tools_.installHomebrew();
    return script(text, login ? loginContext() : applicationContext());
}

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
        for (const auto& tool : DemoTools::operands(args)) {
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
            if (!tools_.hasCommandLineTools())
                return DemoReply::failure(kNoDeveloperDirectory, 2);
            reply.print(kCLT);
        } else if (args.contains(QStringLiteral("--install"))) {
            reply.print(QStringLiteral(
                "xcode-select: note: install requested for command line developer tools"));
        }
        return reply;
    }
    if (name == u"java_home")
        return tools_.javaHome(args);
    if (auto answer = tools_.answer(path, args))
        return *answer;
    return reply; // a program this Mac has but the app never asks anything of
}

void DemoShell::buildNewMac(SandboxFileSystem& fs) {
    for (const char* folder : {"Desktop", "Documents", "Downloads", "Library/Preferences", "Movies",
                               "Music", "Pictures", "Public"})
        fs.createFolder(fs.homeDirectory() + u'/' + QLatin1String(folder));
    fs.createFolder(QStringLiteral("/Applications/Safari.app/Contents"));
    fs.createFolder(QStringLiteral("/System/Applications/Utilities/Terminal.app/Contents"));
    const QString body = QStringLiteral("# Answered by the demo Mac; never run.");
    for (const char* program : {"/bin/zsh",
                                "/bin/bash",
                                "/bin/sh",
                                "/bin/echo",
                                "/bin/rm",
                                "/bin/mkdir",
                                "/bin/cat",
                                "/usr/bin/git",
                                "/usr/bin/java",
                                "/usr/bin/python3",
                                "/usr/bin/clang",
                                "/usr/bin/make",
                                "/usr/bin/xcode-select",
                                "/usr/bin/uname",
                                "/usr/bin/which",
                                "/usr/bin/sudo",
                                "/usr/bin/curl",
                                "/usr/bin/sw_vers",
                                "/usr/bin/osascript",
                                "/usr/bin/touch",
                                "/usr/bin/grep",
                                "/usr/bin/sed",
                                "/usr/bin/sort",
                                "/usr/bin/tail",
                                "/usr/bin/open",
                                "/usr/sbin/softwareupdate",
                                "/usr/sbin/installer",
                                "/usr/libexec/java_home"})
        fs.createExecutable(QLatin1String(program), body);
}

} // namespace tovr
