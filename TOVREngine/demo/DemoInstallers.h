#pragma once

#include "demo/DemoReply.h"
#include "platform/SandboxFileSystem.h"

#include <QStringList>

#include <memory>

namespace tovr {

// The installers the app runs whole on the demo Mac: Apple's software update, Homebrew's
// install script, and the uv and rustup scripts piped from curl into sh.
struct DemoInstallers {
    std::shared_ptr<SandboxFileSystem> fs;

    // `curl <installer> | sh`: the uv and rustup installers.
    DemoReply curlPipedToShell(const QStringList& curl) const;
    DemoReply installCommandLineTools() const;
    // Installs the Command Line Tools first when they are missing, as Homebrew's script does.
    DemoReply installHomebrew() const;
};

} // namespace tovr
