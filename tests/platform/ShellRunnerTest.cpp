#include "platform/ShellRunner.h"
#include "platform/CancellableProcess.h"
#include "platform/LiveProcessRunner.h"
#include "platform/LoginShellRead.h"
#include "platform/StreamedChild.h"
#include "platform/WorkerTask.h"
#include "services/LiveHome.h"
#include "support/FakeProcessRunner.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <thread>

using namespace tovr;

namespace {

QList<StreamEvent> drain(EventStream<StreamEvent> stream) {
    QList<StreamEvent> events;
    while (auto e = stream.next())
        events << *e;
    return events;
}

// Counts the cancels it receives.
class CountingHandle : public ProcessCancellation {
public:
    void cancel() override { ++cancels; }
    std::atomic<int> cancels{0};
};

} // namespace

TEST(ShellRunner, LinesThenCompletedThenTheEnd) {
    ShellRunner shell{std::make_shared<LiveProcessRunner>()};
    EXPECT_EQ(drain(shell.stream("/bin/zsh", {"-c", "echo first; echo second"})),
              (QList<StreamEvent>{StreamEvent::output("first"), StreamEvent::output("second"),
                                  StreamEvent::completed(0)}));
    EXPECT_EQ(drain(shell.stream("/bin/sh", {"-c", "echo oops >&2; exit 7"})),
              (QList<StreamEvent>{StreamEvent::output("oops"), StreamEvent::completed(7)}));
}

TEST(ShellRunner, AProgramThatCannotStartIsOneLineAndMinusOne) {
    ShellRunner shell{std::make_shared<LiveProcessRunner>()};
    EXPECT_EQ(drain(shell.stream("/no/zsh", {"-lc", "true"})),
              (QList<StreamEvent>{
                  StreamEvent::output("Failed to start /no/zsh: No such file or directory"),
                  StreamEvent::completed(-1)}));
}

TEST(ShellRunner, AConsumerThatStopsListeningEndsTheChildAndGetsNoCompletion) {
    ShellRunner shell{std::make_shared<LiveProcessRunner>()};
    auto stream = shell.stream("/bin/sh", {"-c", "echo $$; exec sleep 30"});
    auto first = stream.next();
    ASSERT_TRUE(first && first->as<StreamEvent::Output>());
    const pid_t pid = first->as<StreamEvent::Output>()->text.toInt();
    stream.cancel();
    for (int i = 0; i < 500 && ::kill(pid, 0) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_NE(::kill(pid, 0), 0);
    EXPECT_FALSE(stream.next().has_value());
}

TEST(ShellRunner, RunsThroughTheInjectedRunnerAndAddsNothing) {
    auto fake = std::make_shared<test::FakeProcessRunner>();
    fake->answerShell("brew --version", "Homebrew 4.3.1\n");
    ShellRunner shell{fake};
    EXPECT_EQ(
        drain(shell.stream("/bin/zsh", {"-lc", "brew --version"})),
        (QList<StreamEvent>{StreamEvent::output("Homebrew 4.3.1"), StreamEvent::completed(0)}));
    ASSERT_EQ(fake->calls().size(), 1);
    EXPECT_FALSE(fake->calls()[0].environment.has_value());
    EXPECT_TRUE(fake->calls()[0].streamed);
}

TEST(StreamedChild, ACanceledLatchStartsNothingAndACancelEndsTheRunningChild) {
    LiveProcessRunner runner;
    QTemporaryDir dir;
    const QString marker = dir.filePath("started");
    QStringList lines;
    const auto collect = [&](const QString& line) { lines << line; };

    CancellableProcess canceled;
    canceled.cancel();
    const auto none = StreamedChild::run(runner, "/bin/sh", {"-c", "touch '" + marker + "'"},
                                         std::nullopt, &canceled, collect);
    EXPECT_EQ(none.exitCode, -1);
    EXPECT_FALSE(none.startFailure);
    EXPECT_FALSE(QFile::exists(marker));

    CancellableProcess latch;
    std::thread canceler([&] {
        while (!QFile::exists(marker))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        latch.cancel();
    });
    const auto ended = StreamedChild::run(runner, "/bin/sh",
                                          {"-c", "echo up; touch '" + marker + "'; exec sleep 30"},
                                          std::nullopt, &latch, collect);
    canceler.join();
    EXPECT_EQ(ended.exitCode, SIGTERM);
    EXPECT_EQ(lines, QStringList{"up"});

    const auto missing =
        StreamedChild::run(runner, "/no/such/program", {}, std::nullopt, nullptr, collect);
    EXPECT_EQ(missing.exitCode, -1);
    EXPECT_TRUE(missing.startFailure);
}

TEST(CancellableProcess, CancelBeforeRegisterCancelsTheNextHandleAtOnce) {
    CancellableProcess latch;
    EXPECT_FALSE(latch.isCanceled());
    latch.cancel();
    latch.cancel();
    EXPECT_TRUE(latch.isCanceled());
    auto handle = std::make_shared<CountingHandle>();
    latch.registerHandle(handle);
    EXPECT_EQ(handle->cancels.load(), 1);
}

TEST(CancellableProcess, CancelReachesTheCurrentChildOnly) {
    CancellableProcess latch;
    auto first = std::make_shared<CountingHandle>();
    auto second = std::make_shared<CountingHandle>();
    latch.registerHandle(first);
    latch.registerHandle(second);
    EXPECT_EQ(second->cancels.load(), 0);
    latch.cancel();
    EXPECT_EQ(first->cancels.load(), 0);
    EXPECT_EQ(second->cancels.load(), 1);
}

TEST(CancellableProcess, RacingCancelAndRegisterNeverLoseTheCancel) {
    for (int round = 0; round < 200; ++round) {
        CancellableProcess latch;
        auto handle = std::make_shared<LiveProcessCancellation>();
        std::thread canceller([&] { latch.cancel(); });
        latch.registerHandle(handle);
        canceller.join();
        EXPECT_TRUE(handle->isCanceled()) << "round " << round;
    }
}

namespace {

using namespace Qt::Literals::StringLiterals;
using std::chrono::milliseconds;

// Ended, or a zombie that nobody reaps (a container's first process may not).
bool processGone(const QByteArray& pidText) {
    const qint64 pid = pidText.trimmed().toLongLong();
    const QString state =
        LiveProcessRunner()
            .run(u"/bin/ps"_s, {u"-o"_s, u"stat="_s, u"-p"_s, QString::number(pid)})
            .stdout_.trimmed();
    return pid > 0 && (state.isEmpty() || state.startsWith(u'Z'));
}

// A home's start-up files, the read of its login shell, and what must hold of the answer.
struct ReadCase {
    const char* name;
    std::map<QString, QByteArray> files;
    std::function<void(const ToolLocations&, const test::LiveHome&)> check;
    QString shell = u"/bin/zsh"_s;
    milliseconds limit{5000};
    bool cancel = false; // canceled once the start-up files wrote "pid"
};

std::function<void(const ToolLocations&, const test::LiveHome&)> codexIn(const QString& folder) {
    return [folder](const ToolLocations& l, const test::LiveHome& h) {
        EXPECT_FALSE(l.unanswered);
        EXPECT_EQ(l.codexHome(h.path()), h.file(folder));
    };
}

// Where zsh reads ~/.zprofile and ~/.zshrc, as paths in the home, or "<untold>".
std::function<void(const ToolLocations&, const test::LiveHome&)> reads(const QString& zprofile,
                                                                       const QString& zshrc) {
    return [=](const ToolLocations& l, const test::LiveHome& h) {
        for (const auto& [name, expected] :
             {std::pair{u".zprofile"_s, zprofile}, {u".zshrc"_s, zshrc}})
            EXPECT_EQ(l.startupFile(h.path(), name).value_or(u"<untold>"_s),
                      expected.startsWith(u'<') ? expected : h.file(expected));
    };
}

// What the start-up files print never passes for the answer.
QList<ReadCase> whatFilesPrint() {
    return {
        {"an odd byte beside the export",
         {{u".zshenv"_s, "printf 'Gr\\374\\337 Gott\\n'; printf '\\374\\n' >&2\n"
                         "export CODEX_HOME=$HOME/cx\n"}},
         codexIn(u"cx"_s)},
        {"a marker and a record printed by a start-up file",
         {{u".zshenv"_s, "printf '\\0tovr-tool-locations\\0CODEX_HOME=/evil\\0"
                         "tovr-tool-locations\\0'\nprint -rN -- tovr-tool-locations "
                         "CODEX_HOME=/evil\n"}},
         codexIn(u".codex"_s)},
        {"print, builtin and the options redefined",
         {{u".zshrc"_s, "print() { echo hijacked; }\nalias builtin=true for=true\n"
                        "setopt kshArrays shwordsplit\nexport CODEX_HOME=\"$HOME/c x\"\n"}},
         codexIn(u"c x"_s)},
        {"exports in ~/.zshrc count, as in the Terminal",
         {{u".zshrc"_s, "export GH_CONFIG_DIR=$HOME/gh CLAUDE_CONFIG_DIR=$HOME/cl\n"
                        "export PATH=$HOME/tools:$PATH\n"}},
         [](const ToolLocations& l, const test::LiveHome& h) {
             EXPECT_EQ(l.environment.value(u"GH_CONFIG_DIR"_s), h.file(u"gh"_s));
             EXPECT_EQ(l.claudeConfigDir(h.path()), h.file(u"cl"_s));
             EXPECT_TRUE(l.environment.value(u"PATH"_s).startsWith(h.file(u"tools:"_s)));
         }},
        {"ZDOTDIR exported in ~/.zprofile moves only what zsh reads after it",
         {{u".zprofile"_s, "export ZDOTDIR=$HOME/zd\n"}, {u"zd/.zshrc"_s, ""}},
         reads(u".zprofile"_s, u"zd/.zshrc"_s)},
        {"a ZDOTDIR quoted with its ~ after ~/.zprofile",
         {{u".zprofile"_s, "export ZDOTDIR=\"~/zsh\"\n"}},
         reads(u".zprofile"_s, u"<untold>"_s)},
        {"a relative ZDOTDIR in ~/.zshenv",
         {{u".zshenv"_s, "export ZDOTDIR=zsh\n"}},
         reads(u"<untold>"_s, u"<untold>"_s)},
        {"a .zshrc that ~/.zprofile sources is not the one zsh reads",
         {{u".zprofile"_s, "source $HOME/elsewhere/.zshrc\n"},
          {u"elsewhere/.zshrc"_s, ""},
          {u"zd/.zlogin"_s, ""},
          {u".zshrc"_s, "export ZDOTDIR=$HOME/zd\n"}},
         reads(u".zprofile"_s, u".zshrc"_s)},
        {"a bash login shell reads ~/.bash_profile",
         {{u".bash_profile"_s, "export CODEX_HOME=$HOME/cx\n"}},
         [](const ToolLocations& l, const test::LiveHome& h) {
             EXPECT_EQ(l.codexHome(h.path()), h.file(u"cx"_s));
             EXPECT_EQ(l.loginShellName(), u"bash"_s);
             EXPECT_FALSE(l.loginShellIsZsh());
         },
         u"/bin/bash"_s},
        {"a login shell whose syntax the read does not speak is stood in for by zsh",
         {{u".zshrc"_s, "export CODEX_HOME=$HOME/cx\n"}},
         [](const ToolLocations& l, const test::LiveHome& h) {
             EXPECT_EQ(l.codexHome(h.path()), h.file(u"cx"_s));
             EXPECT_EQ(l.loginShellName(), u"fish"_s);
         },
         u"/nowhere/bin/fish"_s},
    };
}

// A shell that does not answer in time is ended with all it started.
QList<ReadCase> howLongFilesTake() {
    const auto unanswered = [](const ToolLocations& l, const test::LiveHome& h) {
        EXPECT_TRUE(l.unanswered);
        EXPECT_EQ(l.codexHome(h.path()), h.file(u".codex"_s));
        EXPECT_TRUE(processGone(h.read(u"pid"_s))) << "what the start-up file started lives on";
    };
    const QByteArray sleeps = "sleep 20 & print $! > $HOME/pid; wait\n";
    return {
        {"a start-up file that sleeps",
         {{u".zshenv"_s, sleeps}},
         unanswered,
         u"/bin/zsh"_s,
         milliseconds(300)},
        {"one that never ends and ignores the end",
         {{u".zshrc"_s, "trap '' TERM HUP; print $$ > $HOME/pid; while :; do :; done\n"}},
         unanswered,
         u"/bin/zsh"_s,
         milliseconds(300)},
        {"a read canceled",
         {{u".zshenv"_s, sleeps}},
         unanswered,
         u"/bin/zsh"_s,
         milliseconds(20000),
         true},
        {"a background child holding the output of a shell that answered",
         {{u".zshrc"_s, "sleep 30 & print $! > $HOME/pid\nexport CODEX_HOME=$HOME/cx\n"}},
         [](const ToolLocations& l, const test::LiveHome& h) {
             EXPECT_EQ(l.codexHome(h.path()), h.file(u"cx"_s));
             EXPECT_TRUE(processGone(h.read(u"pid"_s)));
         }},
    };
}

} // namespace

// The login shell's answer, read from real zsh and bash: only what it exports after the
// read's own marker counts, and it comes within the read's time limit or not at all.
TEST(LoginShellRead, TakesWhatTheShellExportsAndNothingItsFilesPrintOrHold) {
    if (!QFile::exists(u"/bin/zsh"_s) || !QFile::exists(u"/bin/bash"_s))
        GTEST_SKIP() << "zsh or bash is not installed";
    for (const ReadCase& c : whatFilesPrint() + howLongFilesTake()) {
        SCOPED_TRACE(c.name);
        test::LiveHome home;
        for (const auto& [name, text] : c.files) {
            QDir(home.path()).mkpath(QFileInfo(home.file(name)).path());
            home.put(name, text);
        }
        const auto started = std::chrono::steady_clock::now();
        const LoginShellRead read{c.shell, c.limit};
        ToolLocations locations;
        if (c.cancel) {
            const ToolLocationsSource source(
                [&](WorkerTask& task) { return read.run(*LoginShellRead::runner(), &task); });
            source.start();
            while (home.read(u"pid"_s) == "<missing>")
                std::this_thread::sleep_for(milliseconds(10));
            source.cancel();
            locations = source.get();
        } else {
            locations = read.run(*LoginShellRead::runner());
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
        c.check(locations, home);
    }
}
