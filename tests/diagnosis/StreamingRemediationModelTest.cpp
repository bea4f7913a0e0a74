#include "diagnosis/StreamingRemediationModel.h"
#include "support/SpinUntil.h"

#include "diagnosis/ScriptedRemediationWorkers.h"
#include "model/ProductConfig.h"
#include "support/FakeDesktop.h"
#include "support/FixtureMac.h"
#include "support/RecordedTelemetry.h"
#include "support/SandboxFileSystem.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gmock/gmock.h>

#include <future>

namespace tovr::test {
namespace {

using ::testing::ElementsAre;
using Row = StreamingRemediationModel::Row;

const QString kTemurinPrompt =
    QStringLiteral("Enter Mac password to install Temurin to /Library/Java/JavaVirtualMachines/");

class StreamingRemediationModelTest : public ::testing::Test {
protected:
    StreamingRemediationModelTest() {
        fs->createExecutable(QStringLiteral("/opt/homebrew/bin/brew"));
        fs->createFile(QStringLiteral("/Users/dev/.sdkman/bin/sdkman-init.sh"));
    }

    std::unique_ptr<StreamingRemediationModel> make(const Remediation& remediation) {
        return std::make_unique<StreamingRemediationModel>(
            remediation, fs, workers, opener,
            [this](const RemediationOutcome& outcome) { outcomes.append(outcome); });
    }

    // Starts the run and waits until it has returned.
    std::unique_ptr<StreamingRemediationModel> run(const Remediation& remediation) {
        auto model = make(remediation);
        model->start();
        EXPECT_TRUE(spinUntil([&] { return model->hasRunEnded(); }));
        return model;
    }

    RecordedTelemetry telemetry;
    std::shared_ptr<SandboxFileSystem> fs = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<ScriptedRemediationWorkers> workers =
        std::make_shared<ScriptedRemediationWorkers>();
    std::shared_ptr<FakeURLOpener> opener = std::make_shared<FakeURLOpener>();
    QList<RemediationOutcome> outcomes;
};

TEST_F(StreamingRemediationModelTest, EachCaseRunsItsWorkersWithTheCaseValues) {
    const QString brew = QStringLiteral("/opt/homebrew/bin/brew");
    const QString jdk =
        QStringLiteral("/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home");
    const struct {
        Remediation remediation;
        QList<QStringList> calls;
    } cases[] = {
        {Remediation::installTemurinViaBrew("temurin"),
         {{"installCask", brew, "temurin", kTemurinPrompt}}},
        {Remediation::installViaSDKMAN("25-tem"),
         {{"runSDKMAN", "install", "java", "25-tem", "y"}}},
        {Remediation::installViaMise("temurin-21"),
         {{"miseInstallJava", "temurin-21"}, {"missingMiseActivation"}}},
        {Remediation::installViaPKG(21), {{"installPKG", "21", kTemurinPrompt}}},
        {Remediation::installViaPKGThenJEnv(21),
         {{"installPKG", "21", kTemurinPrompt},
          {"installedJDKs"},
          {"jenvSetGlobal", jdk, "21"},
          {"missingJEnvInit"}}},
        {Remediation::setJavaHomeViaSDKMAN("21-tem"), {{"runSDKMAN", "default", "java", "21-tem"}}},
        {Remediation::setJavaHomeViaMise("temurin-17"),
         {{"miseUseGlobalJava", "temurin-17"}, {"missingMiseActivation"}}},
        {Remediation::setJavaHomeViaJenv("/jdk17", 17),
         {{"jenvSetGlobal", "/jdk17", "17"}, {"missingJEnvInit"}}},
        {Remediation::installHomebrewThenTemurin("temurin"),
         {{"installHomebrew"}, {"installCask", brew, "temurin", kTemurinPrompt}}},
        {Remediation::installWarpViaBrew("warp"), {{"installCask", brew, "warp", ""}}},
        {Remediation::installHomebrewThenWarp("warp"),
         {{"installHomebrew"}, {"installCask", brew, "warp", ""}}},
        {Remediation::installHomebrew(), {{"installHomebrew"}}},
    };
    for (const auto& c : cases) {
        workers = std::make_shared<ScriptedRemediationWorkers>();
        workers->probe = [jdk](WorkerTask&) {
            return QList<JDKInfo>{{QStringLiteral("17.0.9"), {}, {}, QStringLiteral("/jdk17")},
                                  {QStringLiteral("21.0.2"), {}, {}, jdk}};
        };
        auto model = run(c.remediation);
        EXPECT_EQ(workers->calls(), c.calls) << c.remediation.id().toStdString();
        EXPECT_EQ(model->row(), Row::succeeded) << c.remediation.id().toStdString();
    }
}

TEST_F(StreamingRemediationModelTest, AnnouncesCommandsWithTheValuesUnquoted) {
    auto sdkman = run(Remediation::installViaSDKMAN(QStringLiteral("a\"b\\c")));
    EXPECT_EQ(sdkman->lines().first(), QStringLiteral("Running: sdk install java a\"b\\c y"));
    EXPECT_EQ(workers->calls().first(),
              (QStringList{"runSDKMAN", "install", "java", "a\"b\\c", "y"}));

    auto homebrew = run(Remediation::installHomebrew());
    EXPECT_TRUE(homebrew->lines().first().startsWith(
        QStringLiteral("Running: /bin/bash -c \"$(curl -fsSL ")));
    EXPECT_TRUE(
        homebrew->lines().first().endsWith(QStringLiteral("/Homebrew/install/HEAD/install.sh)\"")));
}

TEST_F(StreamingRemediationModelTest, TheLiveWorkersRunSDKMANFromTheUsersHome) {
    FixtureMac mac(FixtureMac::Kind::developerAppleSilicon);
    mac.runner()->answerWhen(
        [](const QString& executable, const QStringList&) { return executable == "/bin/zsh"; },
        {ProcessResult{0, "Done installing!\n", {}}, {}, {}, {}});
    StreamingRemediationModel model(Remediation::installViaSDKMAN("25-tem"), mac.fs(),
                                    liveRemediationWorkers(mac.services()), opener,
                                    [this](const RemediationOutcome& o) { outcomes.append(o); });
    model.start();
    ASSERT_TRUE(spinUntil([&] { return model.hasRunEnded(); }));
    EXPECT_EQ(mac.runner()->shellScripts(),
              QStringList{"source '/Users/dev/.sdkman/bin/sdkman-init.sh' && sdk 'install' 'java' "
                          "'25-tem' 'y'"});
    EXPECT_THAT(model.lines(),
                ElementsAre("Running: sdk install java 25-tem y", "Done installing!"));
    EXPECT_EQ(model.row(), Row::succeeded);
}

TEST_F(StreamingRemediationModelTest, AMissingToolEndsTheRunWithMinusOneAndStartsNothing) {
    fs->removeItem(QStringLiteral("/opt/homebrew/bin/brew"));
    fs->removeItem(QStringLiteral("/Users/dev/.sdkman/bin/sdkman-init.sh"));

    auto warp = run(Remediation::installWarpViaBrew(QStringLiteral("warp")));
    EXPECT_THAT(warp->lines(),
                ElementsAre("Homebrew not found in /opt/homebrew/bin or /usr/local/bin."));
    EXPECT_EQ(warp->exitCode(), -1);
    auto sdkman = run(Remediation::setJavaHomeViaSDKMAN(QStringLiteral("21-tem")));
    EXPECT_THAT(sdkman->lines(),
                ElementsAre("SDKMAN init script not found at ~/.sdkman/bin/sdkman-init.sh."));
    EXPECT_TRUE(workers->calls().isEmpty());

    fs->createExecutable(QStringLiteral("/usr/local/bin/brew"));
    run(Remediation::installWarpViaBrew(QStringLiteral("warp")));
    EXPECT_EQ(workers->calls().first().at(1), QStringLiteral("/usr/local/bin/brew"));
}

TEST_F(StreamingRemediationModelTest, TheEndIsReadCanceledFirstThenNoCodeThenZeroThenN) {
    workers->script("installHomebrew", {{StreamEvent::output("out"), StreamEvent::completed(2)}});
    auto failed = run(Remediation::installHomebrew());
    EXPECT_EQ(failed->row(), Row::failed);
    failed->finishSuccess(); // not drawn in this row
    failed->finishFailure();
    failed->finishFailure();
    const QString troubleshooting = ProductConfig::current().urls.troubleshooting.toString();
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::failure(
                              "Install failed (exit code 2). The article at [Lumbrook](" +
                              troubleshooting + ") may help.")));
    failed->openArticle();
    EXPECT_THAT(opener->opened, ElementsAre(ProductConfig::current().urls.installMethods));

    // A stream that ends with no code: failed with 1, and Close reports it.
    outcomes.clear();
    workers->script("installHomebrew", {{StreamEvent::output("out")}});
    auto silent = run(Remediation::installHomebrew());
    EXPECT_EQ(silent->row(), Row::failed);
    silent->finishFailure();
    ASSERT_EQ(outcomes.size(), 1);
    EXPECT_TRUE(outcomes[0].message.startsWith("Install failed (exit code 1)."));

    // The runner's own cancel (a refused password) ends as canceled, whatever came before.
    outcomes.clear();
    workers->script("installHomebrew", {{StreamEvent::completed(0), StreamEvent::canceled()}});
    run(Remediation::installHomebrew());
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::canceled()));

    outcomes.clear();
    workers->script("installHomebrew", {{StreamEvent::completed(0)}});
    auto succeeded = run(Remediation::installHomebrew());
    succeeded->finishSuccess();
    succeeded->finishSuccess();
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::success("Homebrew installed.")));

    const auto events = telemetry.events();
    ASSERT_EQ(events.size(), 4);
    EXPECT_EQ(events[0].name, "remediation_failed");
    EXPECT_EQ(events[0].properties["reason"].toString(), "exit code 2");
    EXPECT_EQ(events[1].name, "remediation_failed");
    EXPECT_EQ(events[1].properties["exit_code"].toInt(), 1);
    EXPECT_EQ(events[1].properties["reason"].toString(), "process ended without exit code");
    EXPECT_EQ(events[2].name, "remediation_canceled");
    EXPECT_EQ(events[2].properties.keys(), QStringList{"remediation_id"});
    EXPECT_EQ(events[3].name, "remediation_completed");
    EXPECT_EQ(events[3].properties["exit_code"].toInt(), 0);
}

TEST_F(StreamingRemediationModelTest, TheSecondPhaseRunsOnlyAfterASuccessfulFirst) {
    workers->script("installCask", {{StreamEvent::output("cask"), StreamEvent::completed(1)}});
    auto chain = run(Remediation::installHomebrewThenTemurin(QStringLiteral("temurin")));
    EXPECT_EQ(
        chain->lines().mid(1),
        (QStringList{"", "Homebrew installed. Now installing Temurin via Homebrew…", "cask"}));
    EXPECT_EQ(chain->row(), Row::failed);

    workers = std::make_shared<ScriptedRemediationWorkers>();
    workers->script("installHomebrew", {{StreamEvent::completed(1)}});
    auto stopped = run(Remediation::installHomebrewThenWarp(QStringLiteral("warp")));
    EXPECT_EQ(workers->callNames(), QStringList{"installHomebrew"});
    EXPECT_EQ(stopped->lines().size(), 1);

    const auto failed = telemetry.withName("remediation_failed");
    ASSERT_EQ(failed.size(), 2);
    EXPECT_EQ(failed[0]["reason"].toString(), "exit code 1");
    EXPECT_EQ(failed[1]["reason"].toString(), "exit code 1");
}

TEST_F(StreamingRemediationModelTest, NothingIsOfferedBeforeTheWholeRunHasReturned) {
    workers->script("installHomebrew", {{StreamEvent::completed(0)}});
    workers->script("installCask", {{StreamEvent::output("warp")}, false});
    auto model = make(Remediation::installHomebrewThenWarp(QStringLiteral("warp")));
    model->start();
    ASSERT_TRUE(spinUntil([&] { return model->lines().contains("warp"); }));
    EXPECT_EQ(model->row(), Row::running);
    model->finishSuccess();
    EXPECT_TRUE(outcomes.isEmpty());

    workers->openStreams().first().yield(StreamEvent::completed(0));
    workers->openStreams().first().finish();
    ASSERT_TRUE(spinUntil([&] { return model->hasRunEnded(); }));
    model->finishSuccess();
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::success("Homebrew + Warp installed.")));
}

TEST_F(StreamingRemediationModelTest, CancelStopsTheStreamDropsLateEventsAndStartsNothingNew) {
    // The Homebrew phase has reported 0 but its stream has not ended when Cancel comes.
    workers->script("installHomebrew",
                    {{StreamEvent::output("installing"), StreamEvent::completed(0)}, false});
    auto model = make(Remediation::installHomebrewThenTemurin(QStringLiteral("temurin")));
    model->start();
    ASSERT_TRUE(spinUntil([&] { return model->exitCode() == 0; }));
    const QStringList before = model->lines();
    model->cancel();
    EXPECT_EQ(model->row(), Row::canceling);
    EXPECT_EQ(model->statusText(), QStringLiteral("Canceling…"));
    workers->openStreams().first().yield(StreamEvent::output("late"));

    ASSERT_TRUE(spinUntil([&] { return !outcomes.isEmpty(); }));
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::canceled()));
    EXPECT_TRUE(workers->openStreams().first().isTerminated()); // the child is stopped
    EXPECT_EQ(workers->callNames(), QStringList{"installHomebrew"});
    EXPECT_EQ(model->lines(), before);
    model->finishSuccess();
    model->cancel();
    EXPECT_EQ(outcomes.size(), 1);
    EXPECT_EQ(telemetry.names(), QStringList{"remediation_canceled"});
}

TEST_F(StreamingRemediationModelTest, CancelBeforeAStreamExistsStillEndsAsCanceled) {
    auto early = make(Remediation::installHomebrew());
    early->cancel();
    early->start();
    ASSERT_TRUE(spinUntil([&] { return !outcomes.isEmpty(); }));
    EXPECT_TRUE(workers->calls().isEmpty());

    // Between the package install and jEnv, while the JDKs are probed.
    std::promise<void> probed, release;
    auto released = release.get_future().share();
    workers->probe = [&probed, released](WorkerTask&) {
        probed.set_value();
        released.wait();
        return QList<JDKInfo>{{QStringLiteral("21.0.2"), {}, {}, QStringLiteral("/jdk21")}};
    };
    auto chain = make(Remediation::installViaPKGThenJEnv(21));
    chain->start();
    // The probe starts once the package's end has reached the GUI thread.
    auto probing = probed.get_future();
    ASSERT_TRUE(spinUntil(
        [&] { return probing.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    chain->cancel();
    release.set_value();
    ASSERT_TRUE(spinUntil([&] { return outcomes.size() == 2; }));
    EXPECT_EQ(workers->callNames(), (QStringList{"installPKG", "installedJDKs"}));
    EXPECT_THAT(outcomes,
                ElementsAre(RemediationOutcome::canceled(), RemediationOutcome::canceled()));
}

TEST_F(StreamingRemediationModelTest, CancelEndsTheJDKProbesLoginShellAtOnce) {
    // The user's start-up files keep the probe's login shell busy.
    FixtureMac mac(FixtureMac::Kind::developerAppleSilicon);
    FakeProcessRunner::Answer slow{ProcessResult{0, "__QLM_JAVA_HOME__:\n", {}}, {}, {}, {}};
    slow.delay = std::chrono::seconds(10);
    mac.runner()->answer("/bin/zsh", {"-lc", "echo __QLM_JAVA_HOME__:$JAVA_HOME"}, slow);
    const auto live = liveRemediationWorkers(mac.services());
    workers->probe = [live](WorkerTask& task) { return live->installedJDKs(task); };

    auto chain = make(Remediation::installViaPKGThenJEnv(21));
    chain->start();
    ASSERT_TRUE(spinUntil([&] { return mac.runner()->callCount("/bin/zsh") == 1; }));
    QElapsedTimer sinceCancel;
    sinceCancel.start();
    chain->cancel();
    // Well short of the shell's 10 s, with room for a loaded, sanitized run.
    ASSERT_TRUE(spinUntil([&] { return !outcomes.isEmpty(); }, 8000));
    EXPECT_LT(sinceCancel.elapsed(), 5000);
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::canceled()));
}

TEST_F(StreamingRemediationModelTest, PackageRunsShowProgressAndPickTheJDKToRegister) {
    using E = PKGInstaller::Event;
    workers->scriptPKG({E::fetching(), E::downloading(1572864, 3145728), E::downloading(1572864, 0),
                        E::error("checksum mismatch")});
    auto failed = run(Remediation::installViaPKGThenJEnv(21));
    EXPECT_THAT(failed->lines(),
                ElementsAre("Looking up Temurin 21 on Adoptium…", "Downloaded 1.5 MB of 3.0 MB",
                            "Downloaded 1.5 MB", "Error: checksum mismatch"));
    EXPECT_EQ(failed->exitCode(), 1);
    EXPECT_EQ(workers->callNames(), QStringList{"installPKG"});

    workers->scriptPKG({E::completed()});
    auto none = run(Remediation::installViaPKGThenJEnv(21));
    EXPECT_EQ(none->exitCode(), 1);
    EXPECT_TRUE(none->lines().last().startsWith("Installed Temurin but couldn't locate"));

    const QList<JDKInfo> jdks{
        {"17.0.9", {}, {}, "/a"}, {"21.0.2", {}, {}, "/b"}, {"21", {}, {}, "/c"}};
    EXPECT_EQ(StreamingRemediationModel::jdkToRegister(jdks, 21)->path, "/b");
    EXPECT_EQ(StreamingRemediationModel::jdkToRegister(jdks.mid(0, 1), 21)->path, "/a");
    EXPECT_EQ(
        StreamingRemediationModel::jdkToRegister({{"x", {}, {}, "/temurin-21.jdk"}}, 21)->path,
        "/temurin-21.jdk");
    EXPECT_FALSE(StreamingRemediationModel::jdkToRegister({}, 21));
}

TEST_F(StreamingRemediationModelTest, TheZshrcChangeIsWrittenWithABackupOrSkipped) {
    fs->createFile(QStringLiteral("/Users/dev/.zshrc"), "export A=1\n");
    workers->mise = {QStringLiteral("eval \"$(mise activate zsh)\"")};
    auto model = run(Remediation::installViaMise(QStringLiteral("temurin-21")));
    ASSERT_EQ(model->row(), Row::awaitingZshrc);
    model->finishSuccess(); // not before the decision
    EXPECT_TRUE(outcomes.isEmpty());

    model->applyZshrcChange();
    ASSERT_TRUE(spinUntil([&] { return model->row() == Row::succeeded; }));
    EXPECT_EQ(fs->contents("/Users/dev/.zshrc.bak"), "export A=1\n");
    EXPECT_TRUE(fs->contents("/Users/dev/.zshrc").endsWith("eval \"$(mise activate zsh)\"\n"));
    EXPECT_EQ(model->lines().last(), "Updated /Users/dev/.zshrc. Backup at /Users/dev/.zshrc.bak.");
    model->finishSuccess();
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::success("Installed Temurin via Mise.")));

    // Where the user's ZDOTDIR moved zsh's start-up files, the change is offered there.
    workers->locations = ToolLocationsSource::fixed({{{"ZDOTDIR", "/Users/dev/zsh"}}});
    fs->createFolder("/Users/dev/zsh");
    auto skipped = run(Remediation::setJavaHomeViaMise(QStringLiteral("temurin-21")));
    EXPECT_EQ(skipped->subtitle(), "Running `mise use -g java@temurin-<X>` and ensuring "
                                   "`~/zsh/.zshrc` activates Mise.");
    ASSERT_EQ(skipped->row(), Row::awaitingZshrc);
    EXPECT_EQ(skipped->zshrcPreview()->path, "/Users/dev/zsh/.zshrc");
    EXPECT_EQ(skipped->applyZshrcTitle(), "Apply ~/zsh/.zshrc change");
    const QByteArray written = fs->contents("/Users/dev/.zshrc");
    skipped->skipZshrcChange();
    EXPECT_EQ(skipped->row(), Row::succeeded);
    EXPECT_EQ(fs->contents("/Users/dev/.zshrc"), written);
    EXPECT_FALSE(fs->fileExists("/Users/dev/zsh/.zshrc"));
    EXPECT_TRUE(skipped->lines().last().startsWith("Skipped ~/zsh/.zshrc edit."));
}

TEST_F(StreamingRemediationModelTest, AStaleZshrcPreviewIsMadeAgainBeforeTheNextApply) {
    fs->createFile(QStringLiteral("/Users/dev/.zshrc"), "export A=1\n");
    workers->jenv = {QStringLiteral("eval \"$(jenv init -)\"")};
    auto model = run(Remediation::setJavaHomeViaJenv(QStringLiteral("/jdk17"), 17));
    ASSERT_EQ(model->row(), Row::awaitingZshrc);

    fs->createFile(QStringLiteral("/Users/dev/.zshrc"), "export A=1\nexport B=2\n");
    model->applyZshrcChange();
    ASSERT_TRUE(spinUntil([&] { return !model->isApplyingZshrc(); }));
    ASSERT_TRUE(model->zshrcError());
    EXPECT_TRUE(model->zshrcError()->startsWith("Couldn't write file: "));
    EXPECT_EQ(fs->contents("/Users/dev/.zshrc"), "export A=1\nexport B=2\n");
    ASSERT_EQ(model->row(), Row::awaitingZshrc);
    EXPECT_EQ(model->zshrcPreview()->originalContents, "export A=1\nexport B=2\n");

    model->applyZshrcChange();
    ASSERT_TRUE(spinUntil([&] { return model->row() == Row::succeeded; }));
    EXPECT_TRUE(fs->contents("/Users/dev/.zshrc").startsWith("export A=1\nexport B=2\n"));
    EXPECT_EQ(fs->contents("/Users/dev/.zshrc.bak"), "export A=1\nexport B=2\n");
}

TEST_F(StreamingRemediationModelTest, AZshrcThatTurnsUnreadableBeforeApplyIsNotASuccess) {
    fs->createFile(QStringLiteral("/Users/dev/.zshrc"), "export A=1\n");
    workers->jenv = {QStringLiteral("eval \"$(jenv init -)\"")};
    auto model = run(Remediation::setJavaHomeViaJenv(QStringLiteral("/jdk17"), 17));
    ASSERT_EQ(model->row(), Row::awaitingZshrc);

    fs->createFile(QStringLiteral("/Users/dev/.zshrc"), QByteArray("\xff\xfe\x00"
                                                                   "bad",
                                                                   6));
    model->applyZshrcChange();
    ASSERT_TRUE(spinUntil([&] { return !model->isApplyingZshrc(); }));
    ASSERT_TRUE(model->zshrcError());
    EXPECT_EQ(model->row(), Row::awaitingZshrc); // still asks: retry or skip
    EXPECT_EQ(fs->contents("/Users/dev/.zshrc"), QByteArray("\xff\xfe\x00"
                                                            "bad",
                                                            6));
}

TEST_F(StreamingRemediationModelTest, AnUnreadableZshrcIsNeverOfferedForReplacement) {
    fs->createFile(QStringLiteral("/Users/dev/.zshrc"), QByteArray("\xff\xfe\x00"
                                                                   "bad",
                                                                   6));
    workers->mise = {QStringLiteral("eval \"$(mise activate zsh)\"")};
    auto model = run(Remediation::installViaMise(QStringLiteral("temurin-21")));
    EXPECT_EQ(model->row(), Row::succeeded);
    EXPECT_FALSE(model->zshrcPreview());
    EXPECT_TRUE(model->lines().last().startsWith("Couldn't read ~/.zshrc: "));
}

TEST_F(StreamingRemediationModelTest, AModelThatGoesAwayMidRunStopsItsWorker) {
    workers->script("installHomebrew", {{StreamEvent::output("working")}, false});
    auto model = make(Remediation::installHomebrew());
    model->start();
    // Mid-run: the installer's stream is open and its line has arrived ("Running: …" comes
    // before the stream starts).
    ASSERT_TRUE(spinUntil([&] { return model->lines().contains("working"); }));
    ASSERT_EQ(workers->openStreams().size(), 1);
    model.reset();
    EXPECT_TRUE(spinUntil([&] { return workers->openStreams().first().isTerminated(); }));
    // The worker ends; what it sent back before it did reaches no one.
    ASSERT_TRUE(spinUntil(noWorkerRunning));
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(outcomes.isEmpty());
}

} // namespace
} // namespace tovr::test
