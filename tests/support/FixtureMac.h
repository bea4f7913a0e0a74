#pragma once

#include "platform/AppServices.h"
#include "platform/SystemProfile.h"
#include "platform/SystemProfiler.h"
#include "support/FakeProcessRunner.h"
#include "support/FakeSystemEnvironment.h"
#include "support/SandboxFileSystem.h"

#include <memory>

namespace tovr::test {

// A whole Mac for tests: its files as a sandbox folder tree, the answers of the commands
// the system runs on it, and its environment. Each kind is built fresh, so a test may
// change it freely.
class FixtureMac {
public:
    enum class Kind {
        // Apple silicon, nothing installed, zsh, no Command Line Tools.
        newAppleSilicon,
        // Intel, Homebrew in /usr/local, JDKs 8, 17 and 21, JAVA_HOME set in ~/.zprofile.
        intelWithThreeJDKs,
        // Apple silicon developer Mac: Homebrew in /opt/homebrew, Command Line Tools,
        // SDKMAN, jEnv and mise, several terminals and AI tools.
        developerAppleSilicon,
        // Apple silicon with Homebrew only in /usr/local, a JDK folder holding only
        // .DS_Store and a link loop, JAVA_HOME of a deleted JDK, damaged start-up files.
        broken,
    };
    static QList<Kind> allKinds();
    static const char* name(Kind kind);

    explicit FixtureMac(Kind kind);

    Kind kind() const { return kind_; }
    const std::shared_ptr<SandboxFileSystem>& fs() const { return fs_; }
    const std::shared_ptr<FakeProcessRunner>& runner() const { return runner_; }
    const std::shared_ptr<FakeSystemEnvironment>& environment() const { return environment_; }

    SystemProfiler profiler() const {
        return SystemProfiler{ShellRunner{runner_}, fs_, environment_};
    }
    // Fixture services: the fake runner and the sandbox; HTTP and settings are the caller's.
    AppServices services() const;
    // What a person reading the Mac's description expects the profiler to find.
    SystemProfile expectedProfile() const;

    // Copies a JDK bundle of tests/fixtures/jdks into the system JVM folder.
    void installJDK(const QString& bundle, bool withRelease = true);

private:
    void buildNewAppleSilicon();
    void buildIntelWithThreeJDKs();
    void buildDeveloperAppleSilicon();
    void buildBroken();
    void commonCommands(const QString& arch);

public:
    // Login-shell answers about Homebrew and the Command Line Tools; tests may re-script.
    void noHomebrewOnPath();
    void homebrewOnPath(const QString& brew, const QString& version);
    void commandLineToolsWork();
    // Login-shell answers about the `claude` command: where PATH finds it and what
    // `claude --version` prints.
    void noClaudeOnPath();
    void claudeOnPath(const QStringList& paths, const QString& version, qint32 exitCode = 0);
    // The GitHub CLI is installed by Homebrew and signed in; Git's identity is set.
    void gitHubReady();

private:
    Kind kind_;
    std::shared_ptr<SandboxFileSystem> fs_;
    std::shared_ptr<FakeProcessRunner> runner_;
    std::shared_ptr<FakeSystemEnvironment> environment_;
};

} // namespace tovr::test
