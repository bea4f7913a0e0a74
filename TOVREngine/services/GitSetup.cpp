#include "services/GitSetup.h"

#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/ShellQuote.h"
#include "platform/ShellRunner.h"
#include "services/StreamedLoginShell.h"

#include <QSet>

#include <cctype>
#include <utility>

namespace tovr {

namespace {

// What the lines of a Git config file hold for the identity: the first [includeIf] section,
// the last [user] section and the identity keys that are there.
struct IdentityLayout {
    qsizetype firstIncludeIf = -1; // line index
    qsizetype lastUser = -1;
    QSet<QByteArray> keys; // "name", "email"
};

// A section header's name, lower-cased, with "" for a subsection ([user "x"] is not [user]).
QByteArray sectionName(const QByteArray& header) {
    qsizetype end = 1;
    while (end < header.size() && header[end] != ']' && header[end] != ' ' && header[end] != '\t' &&
           header[end] != '"')
        ++end;
    const QByteArray name = header.mid(1, end - 1).toLower();
    const qsizetype close = header.indexOf(']');
    const bool subsection = header.indexOf('"') >= 0 && header.indexOf('"') < close;
    return subsection && name != "includeif" ? QByteArray() : name;
}

IdentityLayout identityLayout(const QList<QByteArray>& lines) {
    IdentityLayout layout;
    QByteArray section;
    bool continued = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i].trimmed();
        const bool wasContinued = std::exchange(continued, false);
        if (wasContinued || line.isEmpty() || line.startsWith('#') || line.startsWith(';')) {
            continued = wasContinued && line.endsWith('\\');
            continue;
        }
        if (line.startsWith('[')) {
            section = sectionName(line);
            if (layout.firstIncludeIf < 0 && section == "includeif")
                layout.firstIncludeIf = i;
            if (section == "user")
                layout.lastUser = i;
            line = line.mid(line.indexOf(']') + 1).trimmed(); // "[user] name = x" is allowed
        }
        qsizetype end = 0;
        while (end < line.size() &&
               (std::isalnum(static_cast<unsigned char>(line[end])) || line[end] == '-'))
            ++end;
        const QByteArray key = line.left(end).toLower();
        if (section == "user" && (key == "name" || key == "email"))
            layout.keys.insert(key);
        qsizetype backslashes = 0;
        while (backslashes < line.size() && line[line.size() - 1 - backslashes] == '\\')
            ++backslashes;
        continued = backslashes % 2 == 1;
    }
    return layout;
}

// The file with an identity git will set before its conditional includes, or absent when git
// would already: git sets a key where the file has it, else at the end of the last [user]
// section, else in a new one at the end, after an [includeIf] whose identity (at work, say)
// it would then override. Empty entries before the first one give git the place to set.
std::optional<QByteArray> identityBeforeIncludes(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    const IdentityLayout layout = identityLayout(lines);
    if (layout.firstIncludeIf < 0 || layout.keys.size() == 2 ||
        (layout.lastUser >= 0 && layout.lastUser < layout.firstIncludeIf))
        return std::nullopt;
    QByteArray section = "[user]";
    for (const char* key : {"name", "email"})
        if (!layout.keys.contains(key))
            section += QByteArray("\n\t") + key + " =";
    lines.insert(layout.firstIncludeIf, section);
    return lines.join('\n');
}

} // namespace

GitSetup::DeviceFlowScanner::DeviceFlowScanner(const QString& host)
    : codePattern_(QStringLiteral("[A-Z0-9]{4}-[A-Z0-9]{4}")),
      pagePattern_(QStringLiteral("https://") + QRegularExpression::escape(host) +
                   QStringLiteral("/login/device")) {}

std::optional<GitSetup::OpenBrowser> GitSetup::DeviceFlowScanner::scan(const QString& line) {
    if (!code_ && line.contains(u"code", Qt::CaseInsensitive)) {
        if (const auto match = codePattern_.match(line); match.hasMatch())
            code_ = match.captured();
    }
    if (opened_)
        return std::nullopt;
    const auto page = pagePattern_.match(line);
    if (!page.hasMatch())
        return std::nullopt;
    opened_ = true;
    return OpenBrowser{page.captured(), code_};
}

bool GitSetup::DeviceFlowScanner::showsFlow(const QString& line) const {
    return (line.contains(u"code", Qt::CaseInsensitive) && codePattern_.match(line).hasMatch()) ||
           pagePattern_.match(line).hasMatch();
}

QString GitSetup::gitConfigCommands(const QString& name, const QString& email) {
    return QStringList{
        QStringLiteral("git config --global user.name ") + shellQuote(name),
        QStringLiteral("git config --global user.email ") + shellQuote(email),
        QStringLiteral("git config --global init.defaultBranch main"),
        QStringLiteral("git config --global push.autoSetupRemote true"),
    }
        .join(QStringLiteral(" && "));
}

QString GitSetup::signInCommand(bool skipSshKey) const {
    return QStringLiteral("gh auth login --web --git-protocol https --hostname ") +
           shellQuote(githubHost) + (skipSshKey ? QStringLiteral(" --skip-ssh-key") : QString());
}

QString GitSetup::globalConfigFile() const {
    if (const auto global = locations.variable(QStringLiteral("GIT_CONFIG_GLOBAL")))
        return *global;
    const QString home = fs->homeDirectory();
    const QString user = home + QStringLiteral("/.gitconfig");
    const QString xdgHome =
        locations.variable(QStringLiteral("XDG_CONFIG_HOME")).value_or(QString());
    const QString xdg = (xdgHome.isEmpty() ? home + QStringLiteral("/.config") : xdgHome) +
                        QStringLiteral("/git/config");
    return !fs->fileExists(user) && fs->fileExists(xdg) ? xdg : user;
}

bool GitSetup::refusesSkipSshKey(const QString& line) {
    return line.contains(u"unknown flag: --skip-ssh-key");
}

bool GitSetup::isGhCredentialHelper(const QString& value) {
    static const QRegularExpression helper(
        QStringLiteral("^!\\s*['\"]?(?:[^'\"]*/)?gh['\"]?\\s+auth\\s+git-credential\\s*$"));
    return helper.match(value.trimmed()).hasMatch();
}

bool GitSetup::identitySet() const {
    // Without --includes, `--global` reads the one file and misses an [include]d identity.
    const QString command =
        QStringLiteral("git config --global --includes --get user.name >/dev/null && "
                       "git config --global --includes --get user.email >/dev/null");
    try {
        return ShellRunner{process}.runInLoginShell(command).exitCode == 0;
    } catch (const Error&) {
        return false;
    }
}

bool GitSetup::usesGhCredentials() const {
    const QString command = QStringLiteral("git config --get-urlmatch credential.helper ") +
                            shellQuote(QStringLiteral("https://") + githubHost);
    try {
        const ProcessResult result = ShellRunner{process}.runInLoginShell(command);
        return result.exitCode == 0 && isGhCredentialHelper(result.stdout_);
    } catch (const Error&) {
        return false;
    }
}

void GitSetup::configureGit(const QString& name, const QString& email, const Sink& sink,
                            CancellableProcess& latch) const {
    const auto emit = [&sink](const QString& line) { sink(StreamEvent::output(line)); };
    emit(QStringLiteral("Saving your Git name and email\u2026"));
    const QString file = globalConfigFile(); // before git creates ~/.gitconfig
    // Where the file includes others on a condition (a work identity under [includeIf]), the
    // identity goes before them, so that theirs still wins where they apply.
    std::optional<QByteArray> original;
    try {
        if (isFile(*fs, file)) {
            const QByteArray data = fs->readData(file);
            if (const auto placed = identityBeforeIncludes(data)) {
                fs->writeData(*placed, file);
                original = data;
            }
        }
    } catch (const Error& e) {
        emit(QStringLiteral("Couldn't update ") + shownFromHome(*fs, file) + QStringLiteral(": ") +
             e.description());
        sink(StreamEvent::completed(1));
        return;
    }
    const qint32 code =
        runStreamedLoginShell(*process, gitConfigCommands(name, email), emit, &latch);
    if (code == 0) {
        emit(QStringLiteral("Saved to ") + shownFromHome(*fs, file) + u'.');
    } else if (original) {
        try { // the empty entries would read as a name and e-mail that are set
            fs->writeData(*original, file);
        } catch (const Error&) {
        }
    }
    sink(StreamEvent::completed(code));
}

void GitSetup::githubAuth(const Sink& sink, CancellableProcess& latch) const {
    const auto emit = [&sink](const QString& line) { sink(StreamEvent::output(line)); };
    emit(QStringLiteral("Starting GitHub sign-in\u2026"));
    bool signedIn = false;
    try {
        signedIn =
            ShellRunner{process}
                .runInLoginShell(
                    QStringLiteral("gh auth status --hostname ") + shellQuote(githubHost), &latch)
                .exitCode == 0;
    } catch (const Error&) {
    }
    if (latch.isCanceled())
        return;
    if (signedIn)
        emit(QStringLiteral("You're already signed in to GitHub."));
    else if (!signIn(sink, latch))
        return;
    if (runStreamedLoginShell(*process, QStringLiteral("gh auth setup-git"), emit, &latch) != 0) {
        if (latch.isCanceled())
            return;
        emit(QStringLiteral("Signed in to GitHub, but Git isn't set up to use it yet. Run "
                            "`gh auth setup-git` in your terminal to finish."));
        sink(StreamEvent::completed(1));
        return;
    }
    emit(QStringLiteral("Signed in to GitHub. Git is ready \u2014 pushes won't ask for a "
                        "password."));
    sink(StreamEvent::completed(0));
}

bool GitSetup::signIn(const Sink& sink, CancellableProcess& latch) const {
    const auto emit = [&sink](const QString& line) { sink(StreamEvent::output(line)); };

    DeviceFlowScanner scanner(githubHost);
    const auto show = [&](const QString& line) {
        emit(line);
        if (auto page = scanner.scan(line))
            sink(StreamEvent::openBrowser(std::move(*page)));
    };
    // The first run's lines wait until gh has shown whether it takes "--skip-ssh-key": a
    // line of the flow says it does (the page must open while gh waits), its refusal says
    // it does not; with neither, the lines go out when gh ends.
    QStringList held;
    bool accepted = false;
    bool refused = false;
    const auto release = [&] {
        accepted = true;
        for (const QString& line : std::exchange(held, {}))
            show(line);
    };
    runStreamedLoginShell(
        *process, signInCommand(),
        [&](const QString& line) {
            if (accepted) {
                show(line);
            } else if (!refused) {
                refused = refusesSkipSshKey(line);
                held << line;
                if (scanner.showsFlow(line))
                    release();
            }
        },
        &latch);
    if (latch.isCanceled())
        return false;
    if (refused) {
        runStreamedLoginShell(*process, signInCommand(false), show, &latch);
        if (latch.isCanceled())
            return false;
    } else {
        release();
    }

    // Asked about our host alone: without --hostname gh answers 0 for a sign-in to any host.
    const QString check = QStringLiteral("gh auth status --hostname ") + shellQuote(githubHost) +
                          QStringLiteral(" >/dev/null 2>&1");
    if (runStreamedLoginShell(*process, check, emit, &latch) != 0) {
        emit(QStringLiteral("GitHub sign-in not completed. You can finish anytime by running "
                            "`gh auth login` in your terminal."));
        sink(StreamEvent::completed(1));
        return false;
    }
    return !latch.isCanceled();
}

} // namespace tovr
