#pragma once

#include "platform/SandboxFileSystem.h"

#include <QList>
#include <QMap>
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
// take effect when it completes (a cancelled install leaves nothing behind).
struct DemoReply {
    QList<DemoLine> lines;
    qint32 exitCode = 0;
    QList<std::function<void()>> effects;
    // The executable does not exist: the run cannot even start.
    std::optional<QString> launchError;

    void print(const QString& text, int pause = 0) { lines.append({text, false, pause}); }
    void printError(const QString& text) { lines.append({text, true, 0}); }
};

// The programs of a new Apple silicon Mac and the small part of zsh that runs them. State
// lives in the sandbox's files only (an installed tool is an executable where it belongs,
// a sign-in is gh's hosts file), so the probes, which look at files, and the commands, which
// this answers, always agree. Never runs anything on the host. Safe from any thread.
class DemoShell {
public:
    explicit DemoShell(std::shared_ptr<SandboxFileSystem> fs) : fs_(std::move(fs)) {}

    // The reply of `executable` with `arguments`, as the application launches it (its PATH
    // is the one a Mac gives an application).
    DemoReply run(const QString& executable, const QStringList& arguments) const;

    // The executables of a new Mac's system folders and its home, for the sandbox.
    static void buildNewMac(SandboxFileSystem& fs);

    static constexpr const char* kApplicationPath = "/usr/bin:/bin:/usr/sbin:/sbin";

private:
    struct Context {
        QStringList path;
        QMap<QString, QString> variables;
    };
    Context applicationContext() const;
    Context loginContext() const;

    DemoReply script(const QString& text, const Context& context) const;
    DemoReply command(QStringList argv, const Context& context) const;
    DemoReply program(const QString& path, const QStringList& args,
                      const Context& context) const;
    QStringList find(const QString& name, const QStringList& path, bool all) const;

    DemoReply shellProgram(const QStringList& args) const;
    DemoReply brew(const QStringList& args) const;
    DemoReply brewInstall(const QStringList& args) const;
    DemoReply git(const QString& path, const QStringList& args) const;
    DemoReply gh(const QStringList& args) const;
    DemoReply versionedTool(const QString& name, const QStringList& args) const;
    DemoReply javaHome(const QStringList& args) const;
    DemoReply curlPipedToShell(const QStringList& curl) const;
    DemoReply installCommandLineTools() const;
    DemoReply installHomebrew() const;

    bool hasCommandLineTools() const;
    QString home() const { return fs_->homeDirectory(); }

    std::shared_ptr<SandboxFileSystem> fs_;
};

} // namespace tovr
