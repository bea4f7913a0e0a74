#pragma once

#include "platform/LiveFileSystem.h"
#include "platform/LiveProcessRunner.h"
#include "platform/LoginShellRead.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace tovr::test {

// A temporary home folder on the real file system. HOME points at it for the test's
// lifetime, so LiveFileSystem and every child that inherits the environment use it; the
// variables that move the tools' files elsewhere are unset meanwhile.
class LiveHome {
public:
    LiveHome() : savedHome_(qgetenv("HOME")), savedPath_(qgetenv("PATH")) {
        EXPECT_TRUE(dir_.isValid());
        qputenv("HOME", QFile::encodeName(path()));
        for (const char* name : kMoved) {
            if (qEnvironmentVariableIsSet(name))
                savedMoved_.emplace_back(name, qgetenv(name));
            qunsetenv(name);
        }
    }
    ~LiveHome() {
        qputenv("HOME", savedHome_);
        qputenv("PATH", savedPath_);
        for (const char* name : kMoved)
            qunsetenv(name);
        for (const auto& [name, value] : savedMoved_)
            qputenv(name, value);
    }
    LiveHome(const LiveHome&) = delete;
    LiveHome& operator=(const LiveHome&) = delete;

    QString path() const { return QDir(dir_.path()).canonicalPath(); }
    QString file(const QString& name) const { return path() + u'/' + name; }
    std::shared_ptr<LiveFileSystem> fs() const { return std::make_shared<LiveFileSystem>(); }

    QByteArray read(const QString& name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void put(const QString& name, const QByteArray& bytes) const {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // A small, fixed environment for children: this home, `extraPath` before the system's
    // own folders, nothing inherited.
    ProcessEnvironment environment(const QString& extraPath = {}) const {
        const QString system = QStringLiteral("/usr/bin:/bin");
        return {{QStringLiteral("HOME"), path()},
                {QStringLiteral("PATH"), extraPath.isEmpty() ? system : extraPath + u':' + system},
                {QStringLiteral("LANG"), QStringLiteral("C.UTF-8")}};
    }

    // Inherited PATH for the test's lifetime: `extraPath` before the system's own folders.
    void usePath(const QString& extraPath) const {
        qputenv("PATH", QFile::encodeName(environment(extraPath).value(QStringLiteral("PATH"))));
    }

    // Runs `script` in a fresh zsh ("-lc", or "-ilc" when the ~/.zshrc lines matter) with
    // standard input from /dev/null; returns what it printed.
    ProcessResult zsh(const QString& script, bool interactive,
                      const QString& extraPath = {}) const {
        LiveProcessRunner runner;
        return runner.run(QStringLiteral("/bin/zsh"),
                          {interactive ? QStringLiteral("-ilc") : QStringLiteral("-lc"), script},
                          environment(extraPath));
    }

    // What the engine reads through the user's login shell, started from this home.
    ToolLocations loginShell(const QString& shell = QStringLiteral("/bin/zsh")) const {
        return LoginShellRead{shell}.run(*LoginShellRead::runner());
    }

private:
    static constexpr const char* kMoved[] = {"XDG_CONFIG_HOME", "GIT_CONFIG_GLOBAL", "CODEX_HOME",
                                             "CLAUDE_CONFIG_DIR", "ZDOTDIR"};

    QTemporaryDir dir_;
    QByteArray savedHome_;
    QByteArray savedPath_;
    std::vector<std::pair<const char*, QByteArray>> savedMoved_;
};

} // namespace tovr::test
