#include "support/FakeDesktop.h"
#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/ScriptedFixStarter.h"
#include "support/SpinUntil.h"

#include "model/ProductConfig.h"
#include "products/cli/CliProductConfig.h"
#include "telemetry/TelemetryText.h"
#include "workflow/SetupActionProgressModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

using Event = SetupRemediationRunner::Event;

// A clipboard that notes how many log lines the sheet had when the code arrived.
class LineCountingClipboard final : public ClipboardWriting {
public:
    void setText(const QString& text) override {
        texts.append(text);
        linesWhenSet.append(model ? model->lines().size() : -1);
    }
    SetupActionProgressModel* model = nullptr;
    QStringList texts;
    QList<qsizetype> linesWhenSet;
};

// One sheet's run over scripted fixes, with the outcomes it reported.
struct Sheet {
    Sheet(QList<SetupRemediation> fixes, bool continuesPastFailure)
        : model({"Install", std::move(fixes), continuesPastFailure}, fixes_.starter(), clipboard,
                opener) {
        clipboard->model = &model;
        QObject::connect(&model, &SetupActionProgressModel::finished,
                         [this](SetupActionOutcome outcome) { outcomes.append(outcome); });
    }
    bool runToEnd() {
        model.start();
        return spinUntil([&] { return !model.isRunning(); });
    }

    ScriptedFixStarter fixes_;
    std::shared_ptr<LineCountingClipboard> clipboard = std::make_shared<LineCountingClipboard>();
    std::shared_ptr<FakeURLOpener> opener = std::make_shared<FakeURLOpener>();
    SetupActionProgressModel model;
    QList<SetupActionOutcome> outcomes;
};

QList<qint64> failedCodes(RecordedTelemetry& telemetry) {
    QList<qint64> codes;
    for (const auto& event : telemetry.withName("remediation_failed")) {
        EXPECT_EQ(event["reason"].toString(), "nonzero_exit");
        codes.append(event["exit_code"].toInteger());
    }
    return codes;
}

const SetupRemediation kGh = SetupRemediation::installGh();
const SetupRemediation kUv = SetupRemediation::installUv();
const SetupRemediation kRustup = SetupRemediation::installRustup();

} // namespace

TEST(SetupActionProgress, TheFirstFailureDecidesAndStopsTheRunUnlessItContinuesPastFailures) {
    {
        RecordedTelemetry telemetry;
        Sheet sheet({kGh, kUv, kRustup}, true);
        sheet.fixes_.exits(kGh.id(), 2, {"gh failed"});
        sheet.fixes_.exits(kUv.id(), 5);
        ASSERT_TRUE(sheet.runToEnd());
        EXPECT_EQ(sheet.fixes_.startedIDs(), QStringList({kGh.id(), kUv.id(), kRustup.id()}));
        for (const auto& call : sheet.fixes_.calls())
            EXPECT_FALSE(call.onGuiThread) << "a fix was started on the GUI thread";
        EXPECT_EQ(sheet.model.exitCode(), 2);
        EXPECT_EQ(sheet.model.failedIDs(), QSet<QString>({kGh.id(), kUv.id()}));
        EXPECT_EQ(telemetry.count("remediation_applied"), 3);
        EXPECT_EQ(failedCodes(telemetry), QList<qint64>({2, 5}));
        EXPECT_EQ(telemetry.count("remediation_completed"), 1);
        sheet.model.continueOn();
        EXPECT_EQ(sheet.outcomes, QList<SetupActionOutcome>{SetupActionOutcome::failure});
    }
    {
        RecordedTelemetry telemetry;
        Sheet sheet({kGh, kUv, kRustup}, false);
        sheet.fixes_.exits(kGh.id(), 2);
        ASSERT_TRUE(sheet.runToEnd());
        EXPECT_EQ(sheet.fixes_.startedIDs(), QStringList{kGh.id()});
        EXPECT_EQ(sheet.model.exitCode(), 2);
        EXPECT_EQ(telemetry.names(), QStringList({"remediation_applied", "remediation_failed"}));
    }
    {
        // An empty list is a success at once; a stream that ends without a completion is -1.
        Sheet empty({}, false);
        ASSERT_TRUE(empty.runToEnd());
        EXPECT_EQ(empty.model.exitCode(), 0);
        RecordedTelemetry telemetry;
        Sheet silent({kGh}, false);
        silent.fixes_.script(kGh.id(), {{Event::output("no code")}, true});
        ASSERT_TRUE(silent.runToEnd());
        EXPECT_EQ(silent.model.exitCode(), -1);
        EXPECT_EQ(failedCodes(telemetry), QList<qint64>{-1});
        empty.model.continueOn();
        EXPECT_EQ(empty.outcomes, QList<SetupActionOutcome>{SetupActionOutcome::success});
    }
}

TEST(SetupActionProgress, TheMiseLanguagesAreSkippedAfterMiseFailed) {
    RecordedTelemetry telemetry;
    const auto mise = SetupRemediation::installMise();
    const auto node = SetupRemediation::installNodeViaMise();
    Sheet sheet({mise, node, kUv}, true);
    sheet.fixes_.exits(mise.id(), 1);
    ASSERT_TRUE(sheet.runToEnd());
    EXPECT_EQ(sheet.fixes_.startedIDs(), QStringList({mise.id(), kUv.id()}));
    EXPECT_TRUE(sheet.model.lines().contains("Skipping " + node.title() +
                                             " — it needs a step that didn't finish."));
    EXPECT_EQ(telemetry.count("remediation_applied"), 2);
    EXPECT_EQ(sheet.model.failedIDs(), QSet<QString>{mise.id()});
    EXPECT_EQ(sheet.model.exitCode(), 1);
}

TEST(SetupActionProgress, SignInPutsTheCodeOnTheClipboardBeforeItsLineThenOpensThePage) {
    const auto auth = SetupRemediation::githubAuth();
    Sheet sheet({auth}, false);
    sheet.fixes_.script(auth.id(),
                        {{Event::output("! First copy your one-time code: AB12-CD34"),
                          Event::openBrowser("https://github.com/login/device", "AB12-CD34"),
                          Event::openBrowser("not a url at all"), Event::completed(0)},
                         true});
    ASSERT_TRUE(sheet.runToEnd());
    EXPECT_EQ(sheet.clipboard->texts, QStringList{"AB12-CD34"});
    EXPECT_EQ(sheet.clipboard->linesWhenSet, QList<qsizetype>{1});
    EXPECT_EQ(sheet.model.lines().mid(1),
              QStringList({"Opened your browser. Your one-time code is AB12-CD34 (copied to the "
                           "clipboard) — paste it and authorize.",
                           "Opened your browser — follow the GitHub sign-in there."}));
    EXPECT_EQ(sheet.opener->opened, QList<QUrl>{QUrl("https://github.com/login/device")});
}

TEST(SetupActionProgress, CancelReportsAtOnceAndTheLeftFixCanNeitherCountNorContinue) {
    RecordedTelemetry telemetry;
    Sheet sheet({kGh, kUv}, true);
    sheet.fixes_.script(kGh.id(), {{Event::output("Downloading…")}, false});
    sheet.model.start();
    ASSERT_TRUE(spinUntil([&] { return sheet.model.lines().size() == 1; }));

    sheet.model.cancel();
    // Reported before the child has stopped; the stream is canceled, which stops it.
    EXPECT_EQ(sheet.outcomes, QList<SetupActionOutcome>{SetupActionOutcome::canceled});
    EXPECT_TRUE(sheet.model.isCanceled());
    EXPECT_TRUE(spinUntil([&] { return sheet.fixes_.canceledIDs() == QStringList{kGh.id()}; }));

    // The canceled child's last words, and its end without a completion, change nothing.
    auto producer = sheet.fixes_.openStream(kGh.id());
    ASSERT_TRUE(producer);
    producer->yield(Event::output("late line"));
    producer->yield(Event::completed(130));
    producer->finish();
    QCoreApplication::sendPostedEvents(); // whatever they set off, were it anything
    sheet.model.continueOn();
    sheet.model.cancel();
    EXPECT_EQ(sheet.outcomes, QList<SetupActionOutcome>{SetupActionOutcome::canceled});
    EXPECT_EQ(sheet.fixes_.startedIDs(), QStringList{kGh.id()});
    EXPECT_EQ(sheet.model.lines(), QStringList{"Downloading…"});
    EXPECT_FALSE(sheet.model.exitCode());
    EXPECT_EQ(telemetry.names(), QStringList{"remediation_applied"});
}

TEST(SetupActionProgress, EachEndIsReportedOnceAndARunnerCancelIsNoFailure) {
    {
        Sheet sheet({kGh}, false);
        ASSERT_TRUE(sheet.runToEnd());
        sheet.model.continueOn();
        sheet.model.continueOn();
        sheet.model.cancel();
        EXPECT_EQ(sheet.outcomes, QList<SetupActionOutcome>{SetupActionOutcome::success});
    }
    {
        // A refused password: the runner cancels; nothing fails, nothing more runs.
        RecordedTelemetry telemetry;
        Sheet sheet({kGh, kUv}, true);
        sheet.fixes_.script(kGh.id(), {{Event::canceled()}, true});
        ASSERT_TRUE(sheet.runToEnd());
        EXPECT_TRUE(sheet.model.isCanceled());
        EXPECT_TRUE(sheet.outcomes.isEmpty());
        EXPECT_EQ(telemetry.names(), QStringList{"remediation_applied"});
        sheet.model.continueOn();
        EXPECT_EQ(sheet.outcomes, QList<SetupActionOutcome>{SetupActionOutcome::canceled});
    }
    {
        // The sheet going away mid-fix stops the fix's stream.
        ScriptedFixStarter fixes;
        fixes.script(kGh.id(), {{}, false});
        auto model = std::make_unique<SetupActionProgressModel>(
            SetupActionProgressModel::Request{"Install", {kGh}, false}, fixes.starter(), nullptr,
            nullptr);
        model->start();
        ASSERT_TRUE(spinUntil([&] { return fixes.openStream(kGh.id()).has_value(); }));
        model.reset();
        // The worker may hand over the stream's cancel only after the model has gone.
        EXPECT_TRUE(spinUntil([&] { return fixes.canceledIDs() == QStringList{kGh.id()}; }));
        fixes.openStream(kGh.id())->yield(Event::completed(0));
        ASSERT_TRUE(spinUntil(noWorkerRunning));
        QCoreApplication::sendPostedEvents();
    }
}

TEST(SetupActionProgress, PasswordReasonAndAgentEventsFollowTheProduct) {
    ProductConfig config = cliProduct();
    config.spinePolicy.privilegedActionReason = std::nullopt;
    config.spinePolicy.privilegedReasons = {{kUv.id(), "Install uv"}};
    ScopedProductConfig product(config);
    RecordedTelemetry telemetry;
    const auto repair = SetupRemediation::repairPath("/Users/" + currentUserName() + "/.local/bin");
    const auto claude = SetupRemediation::installClaudeCLI();
    Sheet sheet({kUv, repair, claude}, false);
    ASSERT_TRUE(sheet.runToEnd());
    const auto calls = sheet.fixes_.calls();
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0].reason, "Install uv");
    EXPECT_EQ(calls[1].reason, config.displayName);
    EXPECT_EQ(telemetry.withName("claude_path_repaired").value(0)["directory"].toString(),
              currentUserName().isEmpty() ? repair.as<SetupRemediation::RepairPath>()->directory
                                          : "/Users/~/.local/bin");
    EXPECT_EQ(telemetry.withName("claude_cli_installed").value(0)["method"].toString(), "brew");
}

TEST(SetupActionProgress, AFloodOfLinesArrivesWholeInOrderAndFiltered) {
    constexpr int kLines = 20000;
    QList<Event> events;
    events.append(Event::output("==> Next steps:"));
    events.append(Event::output("- Run these commands"));
    for (int i = 0; i < kLines; ++i)
        events.append(Event::output(QString::number(i)));
    events.append(Event::completed(0));
    Sheet sheet({kGh}, false);
    sheet.fixes_.script(kGh.id(), {events, true});
    int signals_ = 0;
    QObject::connect(&sheet.model, &SetupActionProgressModel::linesAdded, [&] { ++signals_; });
    ASSERT_TRUE(sheet.runToEnd());
    ASSERT_EQ(sheet.model.lines().size(), kLines + 2);
    ASSERT_EQ(sheet.model.shownLines().size(), kLines);
    for (int i = 0; i < kLines; i += 997)
        ASSERT_EQ(sheet.model.shownLines().at(i), QString::number(i));
    EXPECT_LT(signals_, kLines / 100) << "lines should arrive in batches";
}

TEST(SetupActionProgress, TheLiveRunnerReachesTheLogAndTheFailedSet) {
    // The runner itself, on a Mac without Homebrew: its guard line and -1 arrive like any fix's.
    FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    RecordedTelemetry telemetry;
    SetupActionProgressModel model(
        {"Install", {kGh}, false},
        SetupActionProgressModel::starterFor(SetupRemediationRunner::live(mac.services())), nullptr,
        nullptr);
    model.start();
    ASSERT_TRUE(spinUntil([&] { return !model.isRunning(); }));
    EXPECT_EQ(model.lines(), QStringList{SetupRemediationRunner::kNoHomebrew});
    EXPECT_EQ(model.exitCode(), -1);
    EXPECT_EQ(model.failedIDs(), QSet<QString>{kGh.id()});
    EXPECT_EQ(failedCodes(telemetry), QList<qint64>{-1});
}
