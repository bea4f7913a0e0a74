#pragma once

#include "platform/CancellableProcess.h"
#include "platform/FileSystemOperating.h"
#include "platform/ProcessRunning.h"
#include "platform/StreamEvent.h"
#include "services/PrivilegedExecutor.h"

#include <functional>
#include <memory>

namespace tovr {

// Installs Apple's Command Line Tools without the system's own install dialog: one script
// run as administrator finds the newest tools in softwareupdate's catalogue, installs and
// selects them. Completes at once when the tools are present.
struct CommandLineToolsInstaller {
    using Sink = std::function<void(StreamEvent)>;

    std::shared_ptr<ProcessRunning> process;
    std::shared_ptr<FileSystemOperating> fs;
    PrivilegedExecutor executor;

    // Blocks on the caller's task; hands `sink` its lines and one `completed`. The child
    // registers with `latch`, so a cancel terminates it.
    void install(const Sink& sink, CancellableProcess& latch) const;

    static QString installScript();
    static constexpr const char* kPrompt =
        "Enter your Mac password to install Apple's Command Line Tools.";
};

} // namespace tovr
