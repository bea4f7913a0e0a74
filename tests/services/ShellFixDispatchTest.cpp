// The shell, Git and language fixes as the remediation runner dispatches them.

#include "ServiceTestSupport.h"
#include "model/ProductConfig.h"
#include "services/GitSetup.h"
#include "services/SetupRemediationRunner.h"
#include "services/ShellConfigurator.h"
#include "support/ScopedProductConfig.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using namespace Qt::Literals::StringLiterals;
using Event = SetupRemediationRunner::Event;

namespace {

const QString kBrew = u"/opt/homebrew/bin/brew"_s;

ProductConfig plainMarker() {
    ProductConfig product = ProductConfig::javaDiagnosis();
    product.shellConfigMarker = u"Tovrin"_s;
    product.datedShellMarker = false;
    return product;
}

class ShellFixDispatchTest : public ::testing::Test {
protected:
    QList<Event> run(const SetupRemediation& fix) {
        SetupRemediationRunner runner;
        runner.brewPath = kBrew;
        runner.process = fake_;
        runner.fs = sandbox_;
        runner.sleeper = [](std::chrono::nanoseconds, WorkerTask&) {};
        runner.toolLocations = locations_;
        return drain(runner.run(fix, u"unused"_s));
    }
    QByteArray file(const QString& name) const {
        return sandbox_->contents(u"/Users/dev/"_s + name);
    }

    std::shared_ptr<SandboxFileSystem> sandbox_ = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<FakeProcessRunner> fake_ = std::make_shared<FakeProcessRunner>();
    std::shared_ptr<ToolLocationsSource> locations_;
    ScopedProductConfig product_{plainMarker()};
};

} // namespace

TEST_F(ShellFixDispatchTest, WritersReportTheirSentencesAndCode) {
    const auto shell = run(SetupRemediation::configureShell());
    EXPECT_EQ(shell.size(), 5);
    EXPECT_EQ(shell.last(), Event::completed(0));
    EXPECT_TRUE(ShellConfigurator{sandbox_}.isConfigured());

    EXPECT_EQ(run(SetupRemediation::repairPath(u"/Users/dev/.local/bin"_s)).last(),
              Event::completed(0));
    EXPECT_TRUE(file(u".zprofile"_s).contains("export PATH=\"/Users/dev/.local/bin:$PATH\""));

    EXPECT_EQ(
        run(SetupRemediation::repairHomebrewPath()),
        QList<Event>({Event::output(u"Homebrew isn't installed yet \u2014 nothing to repair."_s),
                      Event::completed(1)}));

    // Where the login shell's ZDOTDIR moved zsh's start-up files.
    locations_ = ToolLocationsSource::fixed({{{u"ZDOTDIR"_s, u"/Users/dev/zsh"_s}}});
    sandbox_->createFolder(u"/Users/dev/zsh"_s);
    EXPECT_EQ(run(SetupRemediation::configureShell()).last(), Event::completed(0));
    EXPECT_TRUE((ShellConfigurator{sandbox_, {}, locations_->get()}.isConfigured()));
    EXPECT_EQ(run(SetupRemediation::repairPath(u"/opt/x"_s)).first(),
              Event::output(u"Added `/opt/x` to your PATH in ~/zsh/.zprofile (backup at "
                            "/Users/dev/zsh/.zprofile.bak)."_s));

    // A ZDOTDIR exported in ~/.zprofile as "~/zsh": zsh reads ~/.zprofile, and no .zshrc
    // anyone can name. What can be told is written; the rest is said, not "Configured".
    ToolLocations quoted;
    quoted.variables = {{u"ZDOTDIR"_s, u"~/zsh"_s}};
    quoted.startupFiles = {{u".zprofile"_s, u"/Users/dev/.zprofile"_s}, {u".zshrc"_s, QString()}};
    locations_ = ToolLocationsSource::fixed(quoted);
    const QByteArray zshrcBefore = file(u".zshrc"_s);
    const auto told = run(SetupRemediation::configureShell());
    EXPECT_TRUE(told.contains(Event::output(
        u"Nothing was changed: couldn't tell which .zshrc zsh reads, because ZDOTDIR is set to "
        "“~/zsh”, which is not a full path. Set ZDOTDIR to a full path (such as "
        "\"$HOME/zsh\") or remove it, then try again."_s)));
    EXPECT_EQ(told.last(), Event::completed(1));
    EXPECT_TRUE(file(u".zprofile"_s).contains("typeset -U path PATH"));
    EXPECT_EQ(file(u".zshrc"_s), zshrcBefore);
}

TEST_F(ShellFixDispatchTest, SuccessfulInstallsAddTheirStartUpLines) {
    fake_->answerWhen([](const QString& exe, const QStringList&) { return exe == kBrew; },
                      {ProcessResult{0, "==> Done\n", ""}, {}, {}, {}});

    const auto mise = run(SetupRemediation::installMise());
    EXPECT_EQ(mise.mid(mise.size() - 3),
              QList<Event>({Event::output(u"Configured mise shims (~/.zprofile)."_s),
                            Event::output(u"Configured mise activate (~/.zshrc)."_s),
                            Event::completed(0)}));

    const auto temurin = run(SetupRemediation::installTemurin());
    EXPECT_EQ(
        temurin.mid(temurin.size() - 2),
        QList<Event>({Event::output(u"Set JAVA_HOME in ~/.zprofile (macOS finds `java` on its "
                                    "own; backup at /Users/dev/.zprofile.bak)."_s),
                      Event::completed(0)}));
    EXPECT_TRUE(file(u".zprofile"_s).endsWith("export JAVA_HOME=$(/usr/libexec/java_home)\n"));
}

TEST_F(ShellFixDispatchTest, SignInHandsThePageAndCodeToTheSheet) {
    FakeProcessRunner::Answer login;
    login.lines = QStringList{u"! First copy your one-time code: 7A3F-B21C"_s,
                              u"Open this URL to continue in your web browser: "
                              "https://github.com/login/device"_s};
    fake_->answer(u"/bin/zsh"_s, {u"-lc"_s, GitSetup{}.signInCommand()}, login);
    fake_->answerShell(u"gh auth status --hostname 'github.com' >/dev/null 2>&1"_s, {}, 0);
    fake_->answerShell(u"gh auth setup-git"_s, {}, 0);

    const auto events = run(SetupRemediation::githubAuth());

    EXPECT_EQ(
        events.count(Event::openBrowser(u"https://github.com/login/device"_s, u"7A3F-B21C"_s)), 1);
    EXPECT_EQ(events.last(), Event::completed(0));
}

TEST_F(ShellFixDispatchTest, LanguageAndGitFixesRunInTheLoginShell) {
    fake_->answerShell(u"mise settings ruby.compile=false && mise use -g ruby@latest"_s, u"ok"_s,
                       0);
    EXPECT_EQ(run(SetupRemediation::installRubyViaMise()),
              QList<Event>({Event::output(u"Running mise use -g ruby@latest\u2026"_s),
                            Event::output(u"ok"_s), Event::completed(0)}));

    fake_->answerShell(GitSetup::gitConfigCommands(u"Ada"_s, u"ada@example.com"_s), {}, 0);
    EXPECT_EQ(run(SetupRemediation::configureGit(u"Ada"_s, u"ada@example.com"_s)).last(),
              Event::completed(0));
}
