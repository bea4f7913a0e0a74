#pragma once

#include "demo/DemoReply.h"
#include "platform/SandboxFileSystem.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace tovr {

// The developer tools of the demo Mac: what each answers, and how each installs. A tool is
// installed when its files are where a Mac keeps them (so the probes, which look at files,
// agree). Homebrew, Git and GitHub, and the installers are types of their own; this one
// hands each program to its tool and answers for the small ones.
struct DemoTools {
    std::shared_ptr<SandboxFileSystem> fs;

    // Where a Mac keeps the Command Line Tools, its JDKs and Homebrew.
    inline static const QString commandLineToolsFolder =
        QStringLiteral("/Library/Developer/CommandLineTools");
    inline static const QString javaVirtualMachinesFolder =
        QStringLiteral("/Library/Java/JavaVirtualMachines");
    inline static const QString homebrewPrefix = QStringLiteral("/opt/homebrew");

    // The reply of a developer tool (or of its stub in /usr/bin); absent for other programs.
    std::optional<DemoReply> answer(const QString& path, const QStringList& args) const;
    // `/usr/libexec/java_home`: the newest JDK's home; with -V, every JDK on standard error.
    DemoReply javaHome(const QStringList& args) const;
    // `curl <installer> | sh`: the uv and rustup installers.
    DemoReply curlPipedToShell(const QStringList& curl) const;
    // Apple's software update and Homebrew's install script, which the app runs whole.
    DemoReply installCommandLineTools() const;
    DemoReply installHomebrew() const;

    bool hasCommandLineTools() const;
    // The arguments that are no options.
    static QStringList operands(const QStringList& args);
    // What `<tool> --version` prints.
    static QString versionLine(const QString& tool);

private:
    DemoReply versionedTool(const QString& name, const QStringList& args) const;
    // `claude mcp add`: in the user's scope, the server goes into ~/.claude.json.
    DemoReply claudeMCPAdd(const QStringList& args) const;
    QString home() const { return fs->homeDirectory(); }
};

} // namespace tovr
