#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/ProcessRunning.h"
#include "platform/StreamEvent.h"
#include "platform/SystemEnvironment.h"

#include <functional>
#include <memory>

namespace tovr {

// Lets one child run `sudo` without a terminal: a private folder holds an askpass program
// that shows the system's own password dialog and a `sudo` wrapper that always asks through
// it. The password never passes through this application. Keeps no state between calls.
struct PrivilegedExecutor {
    std::shared_ptr<FileSystemOperating> fs;
    // Where the inherited PATH is read; null reads the process's own.
    std::shared_ptr<const SystemEnvironment> environment;

    struct Prepared {
        // Exactly "PATH" (the folder first) and "SUDO_ASKPASS"; merged over the child's own.
        ProcessEnvironment environment;
        // Removes the folder; errors are dropped. Valid after the executor is gone.
        std::function<void()> cleanup;
    };

    // Makes a fresh "qlm-priv-<UUID>" folder in the temporary folder with "askpass.sh" and
    // "sudo" (folder and files mode 0700). Throws the file system's error; no clean-up is
    // returned then. The dialog's title is the running product's display name.
    Prepared prepare(const QString& prompt) const;

    // The askpass program for a prompt and a dialog title.
    static QString askpassScript(const QString& prompt, const QString& title);
    // The wrapper: the real sudo in askpass mode, all arguments passed on.
    static QString sudoWrapperScript();
    // A value for an AppleScript string literal: backslashes doubled, then quotes escaped.
    static QString appleScriptEscaped(const QString& value);

    // Runs `body` with the folder in place, removes the folder once (also when `body`
    // throws), and only then hands on the body's ending: whoever sees the run end finds the
    // folder gone. Lines go to `sink` as they come.
    static void
    runThenCleanUp(const Prepared& prepared, const std::function<void(StreamEvent)>& sink,
                   const std::function<void(const std::function<void(StreamEvent)>&)>& body);

    static constexpr const char* kFolderPrefix = "qlm-priv-";
    static constexpr const char* kDefaultPath = "/usr/bin:/bin:/usr/sbin:/sbin";
};

} // namespace tovr
