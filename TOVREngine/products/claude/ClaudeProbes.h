#pragma once

#include "model/SetupProbeBundle.h"
#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"

#include <QStringList>

#include <memory>
#include <optional>

namespace tovr {

// One probe run of the Claude Code product: where `claude` is and whether it runs, the
// companion and GitHub tools, Git's identity, and the shell files, agent note and example
// project. Commands run in a login shell; none of the checks fails.
struct ClaudeProbes {
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;

    // The seven command checks at once, each on a thread of its own, with the file checks on
    // the calling thread meanwhile; returns when all have ended.
    SetupProbeBundle run() const;

    // The fixed places of a `claude` install that exist, in a fixed order.
    QStringList claudeBinaryCandidates() const;
    // The example project folder in Documents exists.
    bool exampleProjectFolder() const;

    // The `claude` executables the login shell finds, in PATH order.
    QStringList claudePathEntries() const;
    // `paths` with each file once, in order, however it is spelled ("//", a trailing "/" in
    // PATH, a linked folder); a file that one of `known` names takes that spelling.
    QStringList onePerFile(const QStringList& paths, const QStringList& known = {}) const;
    // Trimmed output of `claude --version` (absent when empty) and its exit code, -1 when
    // the shell cannot start.
    std::pair<std::optional<QString>, qint32> claudeVersion() const;
    bool codexPresent() const;
    bool ghPresent() const;
    // Git has a global user name and e-mail, included files followed. Without the Command
    // Line Tools, Xcode or a Homebrew git, `git` would only ask to install them, so it is not
    // run.
    bool gitIdentitySet() const;
    bool ghAuthed() const;
    // Git's credential helper for GitHub is gh's; git is not run without it, as above.
    bool gitUsesGhCredentials() const;

private:
    // Installed by Homebrew, or else found by the login shell.
    bool toolPresent(const QString& name) const;
    // Something that provides a real `git` is there.
    bool gitAvailable() const;
};

} // namespace tovr
