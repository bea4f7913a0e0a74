#pragma once

#include "platform/ProcessRunning.h"
#include "platform/SystemEnvironment.h"
#include "platform/ToolLocations.h"

#include <chrono>
#include <memory>

namespace tovr {

class WorkerTask;

// Asks the user's login shell, once, what the tools it starts will see: the shell started as
// the Terminal starts it (an interactive login shell, here without a terminal), its whole
// exported environment, and which of zsh's start-up files it really reads (zsh traces each
// file it sources). A shell that is not zsh reads its own files first and then starts zsh
// as a login shell, as the engine's own commands do, so both count.
//
// What the start-up files print is never taken for the answer: it comes after a marker made
// new for each read, each record stands on its own, and only the shell's builtins print it.
struct LoginShellRead {
    // The shell to start: the user's login shell.
    QString shell = QStringLiteral("/bin/zsh");
    // After this the read is given up: the shell and all it started are ended.
    std::chrono::milliseconds limit{5000};

    // Blocks until the shell answers, the limit passes or `task` is canceled; the last two,
    // and a shell that cannot start, give the usual places marked unanswered.
    ToolLocations run(ProcessRunning& runner, WorkerTask* task = nullptr) const;

    // A runner for the read: a read changes nothing, so what it leaves running is ended at
    // once, and what ignores the end is killed without a grace.
    static std::shared_ptr<ProcessRunning> runner();
    // The read on a source of its own, with the user's login shell.
    static std::shared_ptr<ToolLocationsSource> source(std::shared_ptr<ProcessRunning> runner,
                                                       const SystemEnvironment& environment);
    // The user's login shell: $SHELL when it is a full path, else the account's, else zsh.
    static QString userLoginShell(const SystemEnvironment& environment);
};

} // namespace tovr
