#include "services/GitSetup.h"
#include "LiveHome.h"
#include "ServiceTestSupport.h"
#include "support/FakeProcessRunner.h"

#include "platform/LineSplitter.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using namespace Qt::Literals::StringLiterals;

namespace {

using OpenBrowser = GitSetup::OpenBrowser;

QByteArray fixture(const QString& name) {
    QFile f(QStringLiteral(TOVR_TEST_FIXTURES_DIR "/gh/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return f.readAll();
}

QStringList fixtureLines(const QString& name) {
    return QString::fromUtf8(fixture(name)).split(u'\n', Qt::SkipEmptyParts);
}

// Asked before the sign-in, its output unshown.
const QString kSignedIn = u"gh auth status --hostname 'github.com'"_s;

// What gh 2.23 answers the sign-in command: it does not know "--skip-ssh-key".
const QString kUnknownSkipSshKey = u"login-unknown-skip-ssh-key.txt"_s;

// Every page the scanner would open for these lines, in order.
QList<OpenBrowser> pagesFor(const QStringList& lines) {
    GitSetup::DeviceFlowScanner scanner(u"github.com"_s);
    QList<OpenBrowser> pages;
    for (const QString& line : lines)
        if (auto page = scanner.scan(line))
            pages << *page;
    return pages;
}

// The one page GitHub's CLI asks the user to open, with or without a code.
QList<OpenBrowser> pageWith(std::optional<QString> code) {
    return {OpenBrowser{u"https://github.com/login/device"_s, std::move(code)}};
}

QString liveGit(const LiveHome& home, const QString& key) {
    LiveProcessRunner runner;
    return runner
        .run(u"/usr/bin/git"_s, {u"config"_s, u"--global"_s, u"--get"_s, key}, home.environment())
        .stdout_.chopped(1); // its line feed
}

} // namespace

TEST(GitConfigCommands, QuotesNameAndEmailForTheShell) {
    EXPECT_EQ(GitSetup::gitConfigCommands(u"Ann O'Hara"_s, u"ann@example.com"_s),
              u"git config --global user.name 'Ann O'\\''Hara' && "
              "git config --global user.email 'ann@example.com' && "
              "git config --global init.defaultBranch main && "
              "git config --global push.autoSetupRemote true"_s);
}

TEST(GitConfigLive, ValuesReachGitUnchanged) {
    LiveHome home;
    const GitSetup git{std::make_shared<LiveProcessRunner>(), home.fs()};
    const QString name = u"Zoë O'Brien \"Bob\"  $HOME `id` \\n; rm -rf x"_s;
    const QString email = u"o'b+$USER@example.com"_s;

    const auto events = collect(git, &GitSetup::configureGit, name, email);

    ASSERT_GE(events.size(), 3);
    EXPECT_EQ(events.front(), StreamEvent::output(u"Saving your Git name and email\u2026"_s));
    EXPECT_EQ(events[events.size() - 2], StreamEvent::output(u"Saved to ~/.gitconfig."_s));
    EXPECT_EQ(events.back(), StreamEvent::completed(0));
    EXPECT_EQ(liveGit(home, u"user.name"_s), name);
    EXPECT_EQ(liveGit(home, u"user.email"_s), email);
    EXPECT_EQ(liveGit(home, u"init.defaultBranch"_s), u"main"_s);
    EXPECT_EQ(liveGit(home, u"push.autoSetupRemote"_s), u"true"_s);
}

TEST(GitConfigLive, FailureKeepsGitsWordsAndCode) {
    LiveHome home;
    QDir(home.path()).mkdir(u".gitconfig"_s); // git cannot write its file
    const GitSetup git{std::make_shared<LiveProcessRunner>(), home.fs()};

    const auto events = collect(git, &GitSetup::configureGit, u"Ann"_s, u"ann@example.com"_s);

    ASSERT_GE(events.size(), 3); // the announcement, git's own error, the completion
    EXPECT_NE(events.back(), StreamEvent::completed(0));
    EXPECT_TRUE(events.back().as<StreamEvent::Completed>());
    EXPECT_EQ(
        std::count(events.begin(), events.end(), StreamEvent::output(u"Saved to ~/.gitconfig."_s)),
        0);
}

// git writes ~/.gitconfig unless only the XDG file is there; the sentence names the file
// that git wrote, which now holds the name. A start-up file may move it, as the login shell
// that runs git has it. An identity in an included file is one git has; the one written
// never overrides the work identity an [includeIf] gives in ~/work.
TEST(GitConfigLive, SavedToNamesTheFileGitWrote) {
    struct Home {
        QStringList present;
        QByteArray zshenv, zprofile; // what the start-up files export
        QString written;
        QByteArray config = {}; // what the written file holds before
        bool identityBefore = false;
    };
    const QString user = u".gitconfig"_s, xdg = u".config/git/config"_s;
    const QByteArray moved = "export XDG_CONFIG_HOME=$HOME/moved\n";
    const QByteArray work = "[includeIf \"gitdir:~/work/\"]\n\tpath = ~/work.inc\n";
    for (const Home& setup :
         {Home{{}, {}, {}, user}, Home{{user, xdg}, {}, {}, user}, Home{{xdg}, {}, {}, xdg},
          Home{{user}, {}, {}, user},
          Home{{xdg, u"moved/git/config"_s}, moved, {}, u"moved/git/config"_s},
          Home{{xdg}, {}, moved, user}, // the moved XDG file is the one that counts
          Home{{user}, {}, "export GIT_CONFIG_GLOBAL=~/own.cfg\n", u"own.cfg"_s},
          Home{{user}, {}, {}, user, "[include]\n\tpath = ~/own.inc\n", true},
          Home{{xdg}, {}, {}, xdg, "[core]\n\teditor = vi\n" + work},
          Home{{user},
               {},
               {},
               user,
               "[user]\n\tname = Old\n" + work + "[user]\n\tsigningkey = K\n"}}) {
        SCOPED_TRACE(
            (setup.present.join(u", "_s) + u" / "_s + setup.zshenv + setup.zprofile + setup.config)
                .toStdString());
        LiveHome home;
        for (const QString& file : setup.present) {
            QDir(home.path()).mkpath(QFileInfo(home.file(file)).path());
            home.put(file, file == setup.written ? setup.config : QByteArray());
        }
        home.put(u".zshenv"_s, setup.zshenv);
        home.put(u".zprofile"_s, setup.zprofile);
        home.put(u"own.inc"_s, "[user]\n\tname = Own\n\temail = own@example.com\n");
        home.put(u"work.inc"_s, "[user]\n\tname = Work\n\temail = work@example.com\n");
        const auto runner = std::make_shared<LiveProcessRunner>();
        const GitSetup git{runner, home.fs(), home.loginShell()};
        EXPECT_EQ(git.identitySet(), setup.identityBefore);

        const auto events = collect(git, &GitSetup::configureGit, u"Ann"_s, u"ann@example.com"_s);

        ASSERT_GE(events.size(), 2);
        EXPECT_EQ(events[events.size() - 2],
                  StreamEvent::output(u"Saved to ~/"_s + setup.written + u'.'));
        EXPECT_TRUE(home.read(setup.written).contains("name = Ann"));
        EXPECT_TRUE(git.identitySet());
        if (!setup.config.contains("includeIf"))
            continue;
        LiveProcessRunner live;
        const auto env = home.environment();
        ASSERT_EQ(
            live.run(u"/usr/bin/git"_s, {u"init"_s, u"-q"_s, home.file(u"work/r"_s)}, env).exitCode,
            0);
        const auto in = [&](const QString& folder, const QString& key) {
            return live.run(u"/usr/bin/git"_s, {u"-C"_s, folder, u"config"_s, key}, env).stdout_;
        };
        EXPECT_EQ(in(home.file(u"work/r"_s), u"user.name"_s), u"Work\n"_s);
        EXPECT_EQ(in(home.file(u"work/r"_s), u"user.email"_s), u"work@example.com\n"_s);
        EXPECT_EQ(in(home.path(), u"user.name"_s), u"Ann\n"_s);
    }
}

TEST(DeviceFlowScanner, FindsCodeAndPageInTheCliOutput) {
    EXPECT_EQ(pagesFor(fixtureLines(u"login-web.txt"_s)), pageWith(u"7A3F-B21C"_s));
    // The page came first: it opens without a code, and the later code is not sent.
    EXPECT_EQ(pagesFor(fixtureLines(u"page-before-code.txt"_s)), pageWith(std::nullopt));
    // A code-shaped text on a line that does not speak of a code is not the code.
    EXPECT_EQ(pagesFor(fixtureLines(u"no-code.txt"_s)), pageWith(std::nullopt));
    // Lower-case words are not a code; "CODE" in any case is the trigger.
    EXPECT_EQ(pagesFor({u"your CODE: abcd-efgh WXYZ-2345"_s,
                        u"visit https://github.com/login/device now"_s}),
              pageWith(u"WXYZ-2345"_s));
    // Another host's device page is not GitHub's.
    EXPECT_TRUE(pagesFor({u"https://github.company.com/login/device"_s,
                          u"https://githubxcom/login/device"_s})
                    .isEmpty());
}

class GitHubAuthTest : public ::testing::Test {
protected:
    void answerLogin(const QStringList& lines, qint32 exitCode) {
        FakeProcessRunner::Answer answer;
        answer.lines = lines;
        answer.result.exitCode = exitCode;
        runner_->answer(u"/bin/zsh"_s, {u"-lc"_s, git_.signInCommand()}, answer);
    }
    QList<StreamEvent> run() { return collect(git_, &GitSetup::githubAuth); }
    bool ranSetupGit() const { return runner_->shellScripts().contains(u"gh auth setup-git"_s); }

    std::shared_ptr<FakeProcessRunner> runner_ = std::make_shared<FakeProcessRunner>();
    GitSetup git_{runner_};
};

TEST_F(GitHubAuthTest, OpensThePageOnceAndSucceedsOnTheStatusCheck) {
    const QStringList lines = fixtureLines(u"login-web.txt"_s);
    answerLogin(lines + QStringList{u"https://github.com/login/device"_s}, 0);
    runner_->answerShell(u"gh auth status --hostname 'github.com' >/dev/null 2>&1"_s, {}, 0);
    runner_->answerShell(u"gh auth setup-git"_s, {}, 0);

    const auto events = run();

    QList<StreamEvent> expected{
        StreamEvent::output(u"Starting GitHub sign-in\u2026"_s), StreamEvent::output(lines[0]),
        StreamEvent::output(lines[1]),
        StreamEvent::openBrowser({u"https://github.com/login/device"_s, u"7A3F-B21C"_s})};
    for (qsizetype i = 2; i < lines.size(); ++i)
        expected.push_back(StreamEvent::output(lines[i]));
    expected.push_back(StreamEvent::output(u"https://github.com/login/device"_s));
    expected.push_back(StreamEvent::output(
        u"Signed in to GitHub. Git is ready \u2014 pushes won't ask for a password."_s));
    expected.push_back(StreamEvent::completed(0));
    EXPECT_EQ(events, expected);
    EXPECT_TRUE(ranSetupGit());
    EXPECT_EQ(runner_->shellScripts().mid(0, 2),
              (QStringList{kSignedIn, u"gh auth login --web --git-protocol https --hostname "
                                      "'github.com' --skip-ssh-key"_s}));
}

TEST_F(GitHubAuthTest, AnOlderGhIsAskedAgainWithoutSkipSshKeyAndOnlyThatRunShows) {
    FakeProcessRunner::Answer refusal;
    refusal.lines = LineSplitter::split(fixture(kUnknownSkipSshKey)); // as the runner splits it
    refusal.result.exitCode = 1;
    runner_->answer(u"/bin/zsh"_s, {u"-lc"_s, git_.signInCommand()}, refusal);
    const QStringList lines = fixtureLines(u"login-web.txt"_s);
    FakeProcessRunner::Answer login;
    login.lines = lines;
    runner_->answer(u"/bin/zsh"_s, {u"-lc"_s, git_.signInCommand(false)}, login);
    runner_->answerShell(u"gh auth status --hostname 'github.com' >/dev/null 2>&1"_s, {}, 0);
    runner_->answerShell(u"gh auth setup-git"_s, {}, 0);

    const auto events = run();

    QList<StreamEvent> expected{StreamEvent::output(u"Starting GitHub sign-in\u2026"_s),
                                StreamEvent::output(lines[0]), StreamEvent::output(lines[1]),
                                StreamEvent::openBrowser(pageWith(u"7A3F-B21C"_s)[0])};
    for (qsizetype i = 2; i < lines.size(); ++i)
        expected.push_back(StreamEvent::output(lines[i]));
    expected.push_back(StreamEvent::output(
        u"Signed in to GitHub. Git is ready \u2014 pushes won't ask for a password."_s));
    expected.push_back(StreamEvent::completed(0));
    EXPECT_EQ(events, expected);
    EXPECT_EQ(runner_->shellScripts().value(2),
              u"gh auth login --web --git-protocol https --hostname 'github.com'"_s);
}

// A gh that lacks "--skip-ssh-key" fails on it before it reaches the network; its answer is
// the one the sign-in looks for, and for 2.23 the very one the stand-in above gives.
TEST(GitHubCliLive, AnOlderGhRefusesSkipSshKeyInTheWordsTheSignInLooksFor) {
    const QString gh = QStandardPaths::findExecutable(u"gh"_s);
    if (gh.isEmpty())
        GTEST_SKIP() << "gh is not installed";
    LiveHome home;
    LiveProcessRunner runner;
    const auto env = home.environment(QFileInfo(gh).absolutePath());
    if (runner.run(gh, {u"auth"_s, u"login"_s, u"--help"_s}, env)
            .stdout_.contains(u"--skip-ssh-key"))
        GTEST_SKIP() << "this gh knows --skip-ssh-key";

    const ProcessResult answer =
        runner.run(u"/bin/zsh"_s, {u"-lc"_s, GitSetup{}.signInCommand()}, env);

    const QStringList lines = LineSplitter::split((answer.stdout_ + answer.stderr_).toUtf8());
    EXPECT_NE(answer.exitCode, 0);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), &GitSetup::refusesSkipSshKey))
        << answer.stderr_.toStdString();
    if (runner.run(gh, {u"--version"_s}, env).stdout_.startsWith(u"gh version 2.23.")) {
        EXPECT_EQ(answer.stderr_.toUtf8(), fixture(kUnknownSkipSshKey));
    }
}

// What gh writes is what the check takes for gh's helper, as git picks it for GitHub;
// another helper (the Keychain's) is not.
TEST(GitHubCliLive, SetupGitWritesTheHelperTheCheckRecognises) {
    const QString gh = QStandardPaths::findExecutable(u"gh"_s);
    if (gh.isEmpty())
        GTEST_SKIP() << "gh is not installed";
    LiveHome home;
    const GitSetup git{std::make_shared<LiveProcessRunner>()};
    EXPECT_FALSE(git.usesGhCredentials());
    home.put(u".gitconfig"_s, "[credential]\n\thelper = osxkeychain\n");
    EXPECT_FALSE(git.usesGhCredentials());

    auto env = home.environment(QFileInfo(gh).absolutePath());
    env.insert(u"GH_TOKEN"_s, u"gho_0000"_s); // signed in, as far as setup-git asks
    const ProcessResult setup = LiveProcessRunner().run(gh, {u"auth"_s, u"setup-git"_s}, env);
    ASSERT_EQ(setup.exitCode, 0) << setup.stderr_.toStdString();
    EXPECT_TRUE(git.usesGhCredentials()) << home.read(u".gitconfig"_s).toStdString();
}

TEST_F(GitHubAuthTest, FailedCheckMeansNotSignedInWhateverTheLoginSaid) {
    answerLogin(fixtureLines(u"login-web.txt"_s), 0);
    runner_->answerShell(u"gh auth status --hostname 'github.com' >/dev/null 2>&1"_s, {}, 1);
    // Signed in to a company's server only: gh answers 0 when no host is named.
    runner_->answerShell(u"gh auth status >/dev/null 2>&1"_s, {}, 0);

    const auto events = run();

    ASSERT_GE(events.size(), 2);
    EXPECT_EQ(events[events.size() - 2],
              StreamEvent::output(u"GitHub sign-in not completed. You can finish anytime by "
                                  "running `gh auth login` in your terminal."_s));
    EXPECT_EQ(events.back(), StreamEvent::completed(1));
    EXPECT_FALSE(ranSetupGit());
}

// Signed in earlier (or through GH_TOKEN), the user is not signed in again, which would make
// a second token: the fix only makes git use gh, and says so when that fails.
TEST_F(GitHubAuthTest, AnAlreadySignedInUserIsOnlyGivenGitsCredentials) {
    runner_->answerShell(kSignedIn, u"github.com\n  ✓ Logged in to github.com as ann"_s, 0);
    runner_->answerShell(u"gh auth setup-git"_s, u"failed to set up git credential helper"_s, 1);

    QList<StreamEvent> events = run();

    EXPECT_EQ(events, (QList<StreamEvent>{
                          StreamEvent::output(u"Starting GitHub sign-in\u2026"_s),
                          StreamEvent::output(u"You're already signed in to GitHub."_s),
                          StreamEvent::output(u"failed to set up git credential helper"_s),
                          StreamEvent::output(u"Signed in to GitHub, but Git isn't set up to use "
                                              "it yet. Run `gh auth setup-git` in your terminal "
                                              "to finish."_s),
                          StreamEvent::completed(1)}));
    EXPECT_EQ(runner_->shellScripts().filter(u"gh auth login"_s), QStringList{});

    runner_->answerShell(u"gh auth setup-git"_s, {}, 0);
    events = run();
    EXPECT_EQ(events.back(), StreamEvent::completed(0));
    EXPECT_EQ(events[events.size() - 2],
              StreamEvent::output(
                  u"Signed in to GitHub. Git is ready \u2014 pushes won't ask for a password."_s));
}

TEST_F(GitHubAuthTest, ShellThatCannotStartEndsAsNotSignedIn) {
    const auto events = run(); // nothing answers: every start fails

    ASSERT_GE(events.size(), 3);
    EXPECT_EQ(events[1], StreamEvent::output(u"Failed to start: No such file or directory"_s));
    EXPECT_EQ(events.back(), StreamEvent::completed(1));
}
