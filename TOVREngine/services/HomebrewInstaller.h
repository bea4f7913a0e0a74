#pragma once

#include "platform/CancellableProcess.h"
#include "platform/EventStream.h"
#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/ProcessRunning.h"
#include "platform/StreamEvent.h"
#include "platform/ToolLocations.h"
#include "platform/WorkerTask.h"
#include "services/PrivilegedExecutor.h"

#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// Installs Homebrew with its official script, unattended, asking for the password through
// the system's dialog; then makes `brew` available in new login shells through
// ~/.zprofile. Reports `output` lines, then exactly one `completed` or `canceled`.
struct HomebrewInstaller {
    using Event = StreamEvent;
    using Sink = std::function<void(Event)>;

    std::shared_ptr<ProcessRunning> process;
    std::shared_ptr<FileSystemOperating> fs;
    PrivilegedExecutor executor;
    std::shared_ptr<HTTPFetching> http;
    // Where the install script is downloaded from.
    QUrl installScriptURL = defaultInstallScriptURL();
    ToolLocations locations = {}; // where zsh's start-up files are

    EventStream<Event> install() const;
    // The same on the caller's task.
    void install(const Sink& sink, WorkerTask& task) const;

    static QUrl defaultInstallScriptURL();
    static constexpr const char* kPrompt = "Enter Mac password to install Homebrew.";

private:
    // The install script; nothing when the run already ended (failed or canceled).
    std::optional<QString> fetchScript(const Sink& sink, const CancellableProcess& latch,
                                       std::shared_ptr<HTTPCancellation> transfer) const;
    // The script in bash with the password dialog's environment; hands `held` the ending.
    void runScript(const QString& script, const ProcessEnvironment& privileged, const Sink& held,
                   CancellableProcess& latch) const;
    void appendShellenv(const Sink& sink) const;
};

} // namespace tovr
