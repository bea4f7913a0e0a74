#pragma once

#include "demo/DemoTools.h"

#include <QMap>

namespace tovr {

// The programs of a new Apple silicon Mac and the small part of zsh that runs them (words,
// quotes, $NAME, ; && || |, redirections, the login shell's PATH from ~/.zprofile). All
// state is in the sandbox's files. Never runs anything on the host. Safe from any thread.
class DemoShell {
public:
    explicit DemoShell(std::shared_ptr<SandboxFileSystem> fs) : fs_(fs), tools_{std::move(fs)} {}

    // The reply of `executable` with `arguments`, as the application launches it (with the
    // PATH a Mac gives an application).
    DemoReply run(const QString& executable, const QStringList& arguments) const;

    // The home folders, system programs and stubs of a new Mac.
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
    DemoReply program(const QString& path, const QStringList& args, const Context& context) const;
    DemoReply shellProgram(const QStringList& args) const;
    QStringList find(const QString& name, const QStringList& path, bool all) const;
    QString home() const { return fs_->homeDirectory(); }

    std::shared_ptr<SandboxFileSystem> fs_;
    DemoTools tools_;
};

} // namespace tovr
