#pragma once

#include "platform/CancellableProcess.h"
#include "platform/FileSystemOperating.h"
#include "platform/ProcessRunning.h"
#include "platform/StreamEvent.h"
#include "platform/ToolLocations.h"

#include <QRegularExpression>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// Prepares Git for a newcomer: their name and e-mail with two defaults in the global Git
// configuration, and a GitHub sign-in through the GitHub CLI's browser flow that also makes
// Git use the CLI for credentials. Both run in the login shell, blocking on the caller's
// task: a cancel of `latch` stops the running command.
struct GitSetup {
    // The device sign-in page to open, with the one-time code when one was seen first.
    using OpenBrowser = StreamEvent::OpenBrowser;

    // Finds the one-time code and the device page in the CLI's lines, in the order they
    // come: a code counts only on a line that mentions "code" and before the page is
    // opened; the page is opened once.
    class DeviceFlowScanner {
    public:
        explicit DeviceFlowScanner(const QString& host);
        // The page to open, the first time a line shows its address.
        std::optional<OpenBrowser> scan(const QString& line);
        // The line shows the flow under way: a code or the device page.
        bool showsFlow(const QString& line) const;

    private:
        QRegularExpression codePattern_;
        QRegularExpression pagePattern_;
        std::optional<QString> code_;
        bool opened_ = false;
    };

    std::shared_ptr<ProcessRunning> process; // starts "/bin/zsh -lc" for each command
    // Where `configureGit` finds (and, to place the identity, edits) the global Git file, and
    // the variables that move it as the login shell, where git runs, has them.
    std::shared_ptr<FileSystemOperating> fs = nullptr;
    ToolLocations locations = {};
    QString githubHost = QStringLiteral("github.com");

    // The four `git config --global` commands joined by " && ", name and e-mail single-quoted
    // so that any character reaches Git literally.
    static QString gitConfigCommands(const QString& name, const QString& email);
    // Without `skipSshKey` for a gh too old to know "--skip-ssh-key" (it changes nothing
    // with HTTPS and no terminal).
    QString signInCommand(bool skipSshKey = true) const;
    // The file `git config --global` writes, chosen as git chooses it: $GIT_CONFIG_GLOBAL
    // when set; else ~/.gitconfig, unless it is missing and the XDG one is there
    // ($XDG_CONFIG_HOME/git/config, ~/.config/git/config when that is unset or empty).
    QString globalConfigFile() const;
    // gh's answer when it does not know "--skip-ssh-key".
    static bool refusesSkipSshKey(const QString& line);
    // A credential helper value that `gh auth setup-git` writes: "!/path/to/gh auth
    // git-credential", the path as gh was started.
    static bool isGhCredentialHelper(const QString& value);

    // Git has a user name and e-mail in its global file or the files it includes, as git
    // reads them for a commit. False when the shell cannot start.
    bool identitySet() const;
    // An HTTPS push to the GitHub host signs in through gh: the credential helper git picks
    // for it is gh's. False when the shell cannot start.
    bool usesGhCredentials() const;

    using Sink = std::function<void(const StreamEvent&)>;

    void configureGit(const QString& name, const QString& email, const Sink& sink,
                      CancellableProcess& latch) const;
    // Success is decided by `gh auth status` after the login ends, never by the login's
    // own exit code: an abandoned browser flow shows there. A user already signed in is not
    // signed in again (gh would make a second token); both end by making git use gh for
    // the host, and fail when that fails. A gh that refuses "--skip-ssh-key" is asked once
    // more without it; only the second run's lines are shown. Lines, at most one page to
    // open, then `completed`.
    void githubAuth(const Sink& sink, CancellableProcess& latch) const;

private:
    // The browser sign-in and its check; false when it ended the fix (completed or canceled).
    bool signIn(const Sink& sink, CancellableProcess& latch) const;
};

} // namespace tovr
