#include "diagnosis/ScriptedRemediationWorkers.h"
#include "support/ScriptedFixStarter.h"
#include "support/TestScreenContext.h"
#include "support/ui/WidgetDriver.h"

#include "diagnosis/StreamingRemediationModel.h"
#include "diagnosis/views/RemediationProgressDialog.h"
#include "model/Remediation.h"
#include "ui/views/ApplicationQuit.h"
#include "workflow/views/SetupActionProgressDialog.h"

#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

// The platform's quit (Cmd-Q, the application menu's Quit, the session's end) cancels every
// running run through its model, as the sheet's Cancel does, and ends the event loop: no
// sheet, running or finished, refuses the close that comes with it.
TEST(ApplicationQuit, ThePlatformsQuitCancelsTheRunsAndNoSheetRefusesIt) {
    using Event = SetupRemediationRunner::Event;
    TestScreenContext screen(AppServices{});
    QWidget installing, installed, remediating;
    for (QWidget* window : {&installing, &installed, &remediating}) {
        window->resize(720, 700);
        window->show();
    }
    const auto brew = SetupRemediation::installHomebrew();
    ScriptedFixStarter fixes;
    fixes.script(brew.id(), {{Event::output("==> Downloading and installing Homebrew...")}, false});
    ScriptedFixStarter finishedFixes;
    QList<SetupActionOutcome> outcomes;
    const auto record = [&](SetupActionOutcome outcome) { outcomes.append(outcome); };
    QPointer<SetupActionProgressDialog> running = SetupActionProgressDialog::present(
        &installing, screen.context, {"Install Homebrew", {brew}, false}, fixes.starter(), record);
    QPointer<SetupActionProgressDialog> finished = SetupActionProgressDialog::present(
        &installed, screen.context, {"Install Homebrew", {brew}, false}, finishedFixes.starter(),
        record);
    auto workers = std::make_shared<ScriptedRemediationWorkers>();
    workers->script("installHomebrew", {{StreamEvent::output("==> Checking")}, false});
    QPointer<RemediationProgressDialog> remediation = RemediationProgressDialog::present(
        &remediating, screen.context, Remediation::installHomebrew(),
        [](const RemediationOutcome&) {}, workers);
    ASSERT_TRUE(spinUntil([&] {
        return !fixes.startedIDs().isEmpty() && !finished->model()->isRunning() &&
               !workers->openStreams().isEmpty();
    }));
    ASSERT_TRUE(running->model()->isRunning());

    // The remediation sheet goes with its window before its canceled run returns.
    bool remediationCanceled = false;
    StreamingRemediationModel* streaming = remediation->streamingModel();
    QObject::connect(streaming, &StreamingRemediationModel::changed, [&] {
        remediationCanceled = remediationCanceled || streaming->canceledByUser();
    });

    ApplicationQuit quit;
    QTimer refused;
    refused.setSingleShot(true);
    QObject::connect(&refused, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    refused.start(10000);
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    refused.stop();

    EXPECT_EQ(outcomes, QList<SetupActionOutcome>{SetupActionOutcome::canceled});
    EXPECT_TRUE(spinUntil([&] { return fixes.canceledIDs() == QStringList{brew.id()}; }));
    EXPECT_TRUE(remediationCanceled);
    EXPECT_TRUE(spinUntil([&] { return running.isNull() && remediation.isNull(); }));
    for (QWidget* window : {&installing, &installed, &remediating})
        EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(spinUntil(noWorkerRunning));
}
