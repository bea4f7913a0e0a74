#include "services/GitSetup.h"

#include "platform/FileChecks.h"
#include "platform/ShellQuote.h"
#include "services/StreamedLoginShell.h"

#include <utility>

namespace tovr {

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

void GitSetup::configureGit(const QString& name, const QString& email, const Sink& sink,
                            CancellableProcess& latch) const {
    const auto emit = [&sink](const QString& line) { sink(StreamEvent::output(line)); };
    emit(QStringLiteral("Saving your Git name and email\u2026"));
    const QString file = globalConfigFile(); // before git creates ~/.gitconfig
    const qint32 code =
        runStreamedLoginShell(*process, gitConfigCommands(name, email), emit, &latch);
    if (code == 0)
        emit(QStringLiteral("Saved to ") + shownFromHome(*fs, file) + u'.');
    sink(StreamEvent::completed(code));
}

void GitSetup::githubAuth(const Sink& sink, CancellableProcess& latch) const {
    const auto emit = [&sink](const QString& line) { sink(StreamEvent::output(line)); };
    emit(QStringLiteral("Starting GitHub sign-in\u2026"));

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
        return;
    if (refused) {
        runStreamedLoginShell(*process, signInCommand(false), show, &latch);
        if (latch.isCanceled())
            return;
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
        return;
    }
    runStreamedLoginShell(*process, QStringLiteral("gh auth setup-git"), emit, &latch);
    emit(QStringLiteral("Signed in to GitHub. Git is ready \u2014 pushes won't ask for a "
                        "password."));
    sink(StreamEvent::completed(0));
}

} // namespace tovr
