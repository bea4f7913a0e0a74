#include "services/JEnvRunner.h"
#include "services/MiseRunner.h"
#include "services/SDKMANRunner.h"

#include "ServiceTestSupport.h"
#include "platform/ShellQuote.h"
#include "support/FakeExecutables.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

// Names a folder may have that a careless script would run.
const QString kHostile = R"(it's "q" $(touch "$HOME/pwned") `touch ~/pwned` \ x)";

// The live runner with the login shell's PATH led by the fake tools and HOME in a
// temporary folder, so that no start-up file of the machine's user is read.
class ToolsOnPath final : public ProcessRunning {
public:
    ToolsOnPath(QString bin, QString home) : bin_(std::move(bin)), home_(std::move(home)) {}

    ProcessResult run(const QString& e, const QStringList& a,
                      const std::optional<ProcessEnvironment>&) override {
        return live_.run(e, a, environment());
    }
    EventStream<ProcessStreamEvent> stream(const QString& e, const QStringList& a,
                                           const std::optional<ProcessEnvironment>&,
                                           std::shared_ptr<LiveProcessCancellation> c) override {
        return live_.stream(e, a, environment(), std::move(c));
    }

private:
    ProcessEnvironment environment() const {
        return {{"PATH", bin_ + ":/usr/bin:/bin"}, {"HOME", home_}};
    }
    QString bin_, home_;
    LiveProcessRunner live_;
};

FakeProcessRunner::Answer answerOf(ProcessResult result) {
    FakeProcessRunner::Answer answer;
    answer.result = std::move(result);
    return answer;
}

class JavaVersionManagerRunnersTest : public ::testing::Test {
protected:
    void SetUp() override { fake->setDefault(answerOf({0, "done\n", ""})); }

    void zshrc(const QByteArray& text) { sandbox->createFile("/Users/dev/.zshrc", text); }
    JEnvRunner jenv() { return {"/Users/dev/.jenv", ShellRunner{fake}, sandbox}; }
    MiseRunner mise() { return {"/usr/bin/env", ShellRunner{fake}, sandbox}; }

    // The one script the shell was asked to run, as "/bin/zsh -lc" with no environment.
    QString onlyScript() {
        const auto calls = fake->calls();
        EXPECT_EQ(calls.size(), 1);
        if (calls.size() != 1)
            return {};
        EXPECT_EQ(calls[0].executable, "/bin/zsh");
        EXPECT_FALSE(calls[0].environment.has_value());
        EXPECT_EQ(calls[0].arguments.size(), 2);
        EXPECT_EQ(calls[0].arguments.value(0), "-lc");
        return calls[0].arguments.value(1);
    }

    std::shared_ptr<SandboxFileSystem> sandbox = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<FakeProcessRunner> fake = std::make_shared<FakeProcessRunner>();
};

// Runs scripts through a real login zsh with fake tools that log their arguments.
class RealShell : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(work.filePath("home")); }

    ShellRunner shell() {
        return ShellRunner{std::make_shared<ToolsOnPath>(bin.dir(), work.filePath("home"))};
    }
    // A tool that appends its arguments, one "|"-ended field each, as a line of its log.
    QString loggingTool(const QString& name, const QString& then = {}) {
        return bin.write(name, "for a in \"$@\"; do printf '%s|' \"$a\"; done >> " +
                                   shellQuote(log(name)) + "\necho >> " + shellQuote(log(name)) +
                                   "\n" + then);
    }
    QString log(const QString& name) const { return work.filePath(name + ".log"); }
    QStringList logged(const QString& name) const {
        QFile f(log(name));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    // Nothing that the hostile names hold has run.
    void expectNothingRan() const { EXPECT_FALSE(QFile::exists(work.filePath("home/pwned"))); }

    FakeExecutables bin;
    QTemporaryDir work;
};

} // namespace

TEST_F(JavaVersionManagerRunnersTest, ScriptsQuoteEveryValueAndPassTheShellsStreamOn) {
    const QString home = "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home";
    EXPECT_EQ(drain(jenv().setGlobal(home, 21)),
              QList<StreamEvent>({StreamEvent::output("done"), StreamEvent::completed(0)}));
    EXPECT_EQ(onlyScript(), "set -e\n"
                            "jenv enable-plugin export || true\n"
                            "jenv add '" +
                                home +
                                "' || true\n"
                                "jenv rehash\n"
                                "jenv global 21");

    fake = std::make_shared<FakeProcessRunner>();
    fake->setDefault(answerOf({4, "mise ERROR no such version\n", ""}));
    EXPECT_EQ(drain(mise().installJava("temurin-21")),
              QList<StreamEvent>(
                  {StreamEvent::output("mise ERROR no such version"), StreamEvent::completed(4)}));
    EXPECT_EQ(onlyScript(), "mise install java@'temurin-21' && mise use -g java@'temurin-21'");

    fake = std::make_shared<FakeProcessRunner>();
    drain(mise().useGlobalJava("temurin-17"));
    EXPECT_EQ(onlyScript(), "mise use -g java@'temurin-17'");

    fake = std::make_shared<FakeProcessRunner>();
    SDKMANRunner sdkman{"/Users/dev/my tools/.sdkman", ShellRunner{fake}, sandbox};
    EXPECT_EQ(drain(sdkman.run({"install", "java", "21.0.4-tem"})),
              QList<StreamEvent>({StreamEvent::output("Failed to start /bin/zsh: No such file or "
                                                      "directory"),
                                  StreamEvent::completed(-1)}));
    EXPECT_EQ(onlyScript(), "source '/Users/dev/my tools/.sdkman/bin/sdkman-init.sh' && sdk "
                            "'install' 'java' '21.0.4-tem'");
}

TEST_F(JavaVersionManagerRunnersTest, MissingJEnvLinesFollowTheActiveLinesOfZshrc) {
    const QString path = R"(export PATH="$HOME/.jenv/bin:$PATH")";
    const QString init = R"sh(eval "$(jenv init -)")sh";
    // No file at all.
    EXPECT_EQ(jenv().ensureShellInit(), QStringList({path, init}));

    // A commented-out init line does not count.
    zshrc("alias ll='ls -l'\n# eval \"$(jenv init -)\"\n");
    EXPECT_EQ(jenv().ensureShellInit(), QStringList({path, init}));

    zshrc("  eval \"$(jenv init -)\"\n");
    EXPECT_EQ(jenv().ensureShellInit(), QStringList({path}));

    zshrc("export PATH=\"$HOME/.jenv/bin:$PATH\"\n");
    EXPECT_EQ(jenv().ensureShellInit(), QStringList({init}));

    zshrc("export PATH=\"$HOME/.jenv/bin:$PATH\"\n\teval \"$(jenv init - zsh)\"\n");
    EXPECT_TRUE(jenv().ensureShellInit().isEmpty());

    // Text that is not UTF-8 is read as nothing, and left alone.
    zshrc("export PATH=\"$HOME/.jenv/bin:$PATH\"\n\xff\xfe\n");
    EXPECT_EQ(jenv().ensureShellInit(), QStringList({path, init}));
    EXPECT_EQ(sandbox->contents("/Users/dev/.zshrc"),
              "export PATH=\"$HOME/.jenv/bin:$PATH\"\n\xff\xfe\n");
}

TEST_F(JavaVersionManagerRunnersTest, MissingMiseLineFollowsTheActiveLinesOfZshrc) {
    const QStringList activation{R"sh(eval "$(mise activate zsh)")sh"};
    EXPECT_EQ(mise().ensureShellActivation(), activation);
    zshrc("#eval \"$(mise activate zsh)\"\n");
    EXPECT_EQ(mise().ensureShellActivation(), activation);
    zshrc("if true; then\n    eval \"$(mise activate zsh)\"\nfi\n");
    EXPECT_TRUE(mise().ensureShellActivation().isEmpty());
    EXPECT_TRUE(fake->calls().isEmpty());
}

TEST_F(RealShell, AHostileJDKPathReachesJEnvAsOneArgumentAndRunsNothing) {
    loggingTool("jenv");
    const QString home = work.filePath(kHostile + "/Contents/Home");
    JEnvRunner runner{work.filePath("home/.jenv"), shell(), nullptr};
    EXPECT_EQ(drain(runner.setGlobal(home, 21)).last(), StreamEvent::completed(0));
    EXPECT_EQ(logged("jenv"),
              QStringList({"enable-plugin|export|", "add|" + home + "|", "rehash|", "global|21|"}));
    expectNothingRan();
}

TEST_F(RealShell, JEnvStopsAtAFailingRehashButNotAtAKnownJDK) {
    loggingTool("jenv",
                "case \"$1\" in add) exit 1;; rehash) echo 'rehash failed'; exit 3;; esac\n");
    JEnvRunner runner{work.filePath("home/.jenv"), shell(), nullptr};
    EXPECT_EQ(
        drain(runner.setGlobal("/jdk", 17)),
        QList<StreamEvent>({StreamEvent::output("rehash failed"), StreamEvent::completed(3)}));
    EXPECT_EQ(logged("jenv"), QStringList({"enable-plugin|export|", "add|/jdk|", "rehash|"}));
}

TEST_F(RealShell, MiseMakesTheVersionGlobalOnlyAfterItInstalled) {
    loggingTool("mise", "[ \"$1\" = install ] && [ -f " + shellQuote(work.filePath("fail")) +
                            " ] && exit 2\nexit 0\n");
    MiseRunner runner{"/usr/bin/env", shell(), nullptr};
    const QString version = "temurin-21" + kHostile;
    EXPECT_EQ(drain(runner.installJava(version)).last(), StreamEvent::completed(0));
    EXPECT_EQ(logged("mise"),
              QStringList({"install|java@" + version + "|", "use|-g|java@" + version + "|"}));

    QFile fail(work.filePath("fail"));
    ASSERT_TRUE(fail.open(QIODevice::WriteOnly));
    QFile::remove(log("mise"));
    EXPECT_EQ(drain(runner.installJava("temurin-21")).last(), StreamEvent::completed(2));
    EXPECT_EQ(logged("mise"), QStringList({"install|java@temurin-21|"}));
    expectNothingRan();
}

TEST_F(RealShell, SDKMANIsLoadedFromAFolderWithAnyNameAndGetsEachWordWhole) {
    // The SDKMAN folder's init script defines `sdk` as a function, as the real one does.
    const QString root = work.filePath(kHostile + "/.sdkman");
    QDir().mkpath(root + "/bin");
    QFile init(root + "/bin/sdkman-init.sh");
    ASSERT_TRUE(init.open(QIODevice::WriteOnly));
    init.write("sdk() { for a in \"$@\"; do printf '%s|' \"$a\"; done; echo; }\n");
    init.close();

    SDKMANRunner runner{root, shell(), nullptr};
    const QString candidate = "21.0.4-tem; touch ~/pwned";
    EXPECT_EQ(drain(runner.run({"install", "java", candidate})),
              QList<StreamEvent>({StreamEvent::output("install|java|" + candidate + "|"),
                                  StreamEvent::completed(0)}));
    expectNothingRan();
}
