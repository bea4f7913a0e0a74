#pragma once

#include "platform/ProcessRunning.h"
#include "platform/SystemEnvironment.h"

#include <QMap>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tovr {

// Where the user's tools keep their files, as the user's login shell has it: the variables
// that move Codex's and Claude Code's folders, zsh's start-up files and Git's global file.
// Empty means unset, as with the tools themselves; nothing set gives the usual places.
struct ToolLocations {
    QMap<QString, QString> variables; // only the names of `names()` that are set

    // CODEX_HOME, CLAUDE_CONFIG_DIR, ZDOTDIR, GIT_CONFIG_GLOBAL, XDG_CONFIG_HOME.
    static const QStringList& names();

    // The value as a clean absolute path; absent when unset, empty or relative.
    std::optional<QString> variable(const QString& name) const;
    QString codexHome(const QString& home) const;       // $CODEX_HOME, else ~/.codex
    QString claudeConfigDir(const QString& home) const; // $CLAUDE_CONFIG_DIR, else ~/.claude
    // Claude Code's own settings file: inside $CLAUDE_CONFIG_DIR, else ~/.claude.json.
    QString claudeJson(const QString& home) const;
    QString zshStartupDir(const QString& home) const; // $ZDOTDIR, else the home folder

    // The values the process itself was given (the demo Mac, tests).
    static ToolLocations fromEnvironment(const SystemEnvironment& environment);
    // Asks "/bin/zsh -lc", the shell the tools run in. Blocks; a shell that cannot start or
    // answer gives the usual places.
    static ToolLocations fromLoginShell(ProcessRunning& runner);
    // What the login shell prints for the read above, parsed; junk its start-up files
    // print around it is skipped.
    static ToolLocations parse(const QString& output);

    bool operator==(const ToolLocations&) const = default;
};

// Reads the locations once, on the first thread that asks; every later caller gets the
// same value. A null source stands for the usual places.
class ToolLocationsSource {
public:
    explicit ToolLocationsSource(std::function<ToolLocations()> read) : read_(std::move(read)) {}

    // Blocks on the first call while the read runs: keep it off the GUI thread.
    ToolLocations get() const;
    // The value when the read has finished; never blocks.
    std::optional<ToolLocations> ifRead() const;

    static std::shared_ptr<ToolLocationsSource> loginShell(std::shared_ptr<ProcessRunning> runner);
    static std::shared_ptr<ToolLocationsSource> fixed(ToolLocations locations);

private:
    std::function<ToolLocations()> read_;
    mutable std::once_flag once_;
    mutable std::atomic<bool> ready_ = false;
    mutable ToolLocations value_;
};

// The source's value, or the usual places for none.
ToolLocations toolLocationsOf(const std::shared_ptr<ToolLocationsSource>& source);

} // namespace tovr
