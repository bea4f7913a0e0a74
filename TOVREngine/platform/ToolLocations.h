#pragma once

#include "platform/ProcessRunning.h"
#include "platform/SystemEnvironment.h"

#include <QMap>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tovr {

// Where the user's tools keep their files, as the user's login shell has it: the variables
// that move Codex's and Claude Code's folders, zsh's start-up files and Git's global file,
// and the whole environment the tools get from that shell. Empty means unset, as with the
// tools themselves; nothing set gives the usual places.
struct ToolLocations {
    QMap<QString, QString> variables; // only the names of `names()` that are set
    // Everything the login shell exports: what a tool started from a terminal is given.
    // Empty where the shell was not asked (the demo Mac, fixtures) or did not answer.
    ProcessEnvironment environment = {};
    // The start-up files zsh reads, by name (".zprofile", ".zshrc"), as the shell itself
    // traced them; an empty path where that could not be told. A name without an entry is
    // in $ZDOTDIR, else in the home folder.
    QMap<QString, QString> startupFiles = {};
    // The user's login shell, as a path ("/bin/bash"); empty: zsh.
    QString loginShell = {};
    // The shell was asked but did not answer in time (or could not start): the usual places.
    bool unanswered = false;

    // CODEX_HOME, CLAUDE_CONFIG_DIR, ZDOTDIR, GIT_CONFIG_GLOBAL, XDG_CONFIG_HOME.
    static const QStringList& names();

    // The value as a clean absolute path; absent when unset, empty or relative.
    std::optional<QString> variable(const QString& name) const;
    QString codexHome(const QString& home) const;       // $CODEX_HOME, else ~/.codex
    QString claudeConfigDir(const QString& home) const; // $CLAUDE_CONFIG_DIR, else ~/.claude
    // Claude Code's own settings file: inside $CLAUDE_CONFIG_DIR, else ~/.claude.json.
    QString claudeJson(const QString& home) const;
    // The start-up file of that name that zsh reads; absent where that cannot be told.
    std::optional<QString> startupFile(const QString& home, const QString& name) const;
    // The login shell's name ("zsh", "bash"), and whether it reads zsh's start-up files.
    QString loginShellName() const;
    bool loginShellIsZsh() const { return loginShellName() == u"zsh"; }

    // The values the process itself was given (the demo Mac, tests).
    static ToolLocations fromEnvironment(const SystemEnvironment& environment);

    bool operator==(const ToolLocations&) const = default;
};

class WorkerTask;

// Reads the locations once, on a worker of its own started by the first caller; every later
// caller gets the same value. A null source stands for the usual places.
class ToolLocationsSource {
public:
    // `read` blocks; a cancel of its task must end it soon.
    using Read = std::function<ToolLocations(WorkerTask&)>;
    explicit ToolLocationsSource(Read read);
    ~ToolLocationsSource(); // a read still under way is canceled
    ToolLocationsSource(const ToolLocationsSource&) = delete;
    ToolLocationsSource& operator=(const ToolLocationsSource&) = delete;

    // Starts the read unless it has started; never blocks.
    void start() const;
    // Starts the read and waits for its value: keep it off the GUI thread.
    ToolLocations get() const;
    // The value when the read has finished; never blocks.
    std::optional<ToolLocations> ifRead() const;
    // Ends a read under way at once; it counts as unanswered. Any thread.
    void cancel() const;

    static std::shared_ptr<ToolLocationsSource> fixed(ToolLocations locations);

private:
    struct State;
    std::shared_ptr<State> state_;
};

// The source's value, or the usual places for none.
ToolLocations toolLocationsOf(const std::shared_ptr<ToolLocationsSource>& source);

} // namespace tovr
