#pragma once

#include "platform/FileAppendWriter.h"
#include "platform/FileSystemOperating.h"
#include "platform/StartupFile.h"
#include "platform/ToolLocations.h"

#include <QStringList>

#include <memory>

namespace tovr {

// The start-up file changes that follow a successful Homebrew install. Each reports its
// sentences only: a failure here never changes the install's exit code. Never throws.
struct InstallFollowUps {
    std::shared_ptr<FileSystemOperating> fs;
    FileAppendWriter::Clock clock = {};
    ToolLocations locations = {}; // where zsh reads ~/.zprofile

    // After the Claude Code CLI cask: lets the CLI update itself through Homebrew. Present
    // when the variable is named anywhere in ~/.zprofile, comments included.
    QString enableClaudeAutoUpdate() const;
    // After the Temurin cask: the JAVA_HOME block in ~/.zprofile, without the PATH line.
    QString setJavaHome() const;
    // After the mise formula: its login-shim and interactive lines.
    QStringList configureMise() const;

private:
    StartupFile zprofile() const;
};

} // namespace tovr
