#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"
#include "platform/SystemEnvironment.h"
#include "platform/SystemProfile.h"

#include <memory>

namespace tovr {

// Takes a snapshot of the Mac. Every probe runs at once, none can fail, and nothing on the
// Mac changes: it reads the environment, tests paths and runs read-only commands.
struct SystemProfiler {
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;
    std::shared_ptr<const SystemEnvironment> environment = SystemEnvironment::live();

    SystemProfile profile() const;

    // An application bundle folder of that name in /Applications or ~/Applications.
    bool isAppInstalled(const QString& bundleName) const;

private:
    Architecture detectArchitecture() const;
    Shell detectShell() const;
    std::optional<QString> detectHomebrew() const;
    std::optional<QString> detectSDKMAN() const;
    std::optional<QString> detectMise() const;
    std::optional<QString> detectJEnv() const;
    std::optional<QString> detectAsdf() const;
    AITooling detectAITooling() const;
    Terminals detectTerminals() const;
    bool whichExecutable(const QString& command) const;
    std::optional<QString> homeFolder(const QString& name) const;
};

} // namespace tovr
