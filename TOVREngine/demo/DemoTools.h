#pragma once

#include "platform/SandboxFileSystem.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// One line a demo program prints. `pause` counts the run's line delays before the line
// appears (0: at once), so an install takes a few seconds and a query none.
struct DemoLine {
    QString text;
    bool toStderr = false;
    int pause = 0;
};

// What a demo program does: what it prints, how it exits, and the changes to the Mac that
// take effect when it completes (a canceled install leaves nothing behind).
struct DemoReply {
    QList<DemoLine> lines;
    qint32 exitCode = 0;
    QList<std::function<void()>> effects;
    // The executable does not exist: the run cannot even start.
    std::optional<QString> launchError;

    void print(const QString& text, int pause = 0) { lines.append({text, false, pause}); }
    void printError(const QString& text) { lines.append({text, true, 0}); }
    // `text`'s lines on standard error, and `code`.
    static DemoReply failure(const QString& text, qint32 code);
};

// The developer tools of the demo Mac: what each answers, and how each installs. A tool is
// installed when its files are where a Mac keeps them (so the probes, which look at files,
// agree); a sign-in is gh's hosts file, Git's identity ~/.gitconfig.
struct DemoTools {
    std::shared_ptr<SandboxFileSystem> fs;

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

private:
    DemoReply brew(const QStringList& args) const;
    DemoReply brewInstall(const QStringList& args) const;
    DemoReply git(const QString& path, const QStringList& args) const;
    DemoReply gitConfig(const QStringList& args) const;
    DemoReply gitClone(const QStringList& args) const;
    DemoReply gitCheckout(const QString& folder, const QStringList& args) const;
    DemoReply gh(const QStringList& args) const;
    DemoReply versionedTool(const QString& name, const QStringList& args) const;
    QString home() const { return fs->homeDirectory(); }
};

} // namespace tovr
