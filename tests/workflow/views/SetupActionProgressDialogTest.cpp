#include "support/ScriptedFixStarter.h"
#include "support/TestScreenContext.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "ui/views/BuildIntentPromptView.h"
#include "ui/views/LiveLogView.h"
#include "ui/views/NPSFeedbackCard.h"
#include "workflow/views/SetupActionProgressDialog.h"

#include <QAccessible>
#include <QPointer>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

using Event = SetupRemediationRunner::Event;

// What a Homebrew install prints, system-log noise and the closing block included.
QList<Event> homebrewOutput(int extraLines) {
    QList<Event> events;
    for (const char* line :
         {"==> Checking for `sudo` access (which may request your password)...",
          "==> This script will install:", "/opt/homebrew/bin/brew",
          "/opt/homebrew/share/doc/homebrew", "==> Downloading and installing Homebrew...",
          "2024-05-01 10:11:12.345 softwareupdate[123:4567] Finding updates",
          "HEAD is now at 5f3b2c1 Merge pull request #17000",
          "Warning: We do not provide support for this old version.",
          "==> Installation successful!",
          "==> Next steps:", "- Run these commands:", "    https://docs.brew.sh"})
        events.append(Event::output(QString::fromUtf8(line)));
    for (int i = 0; i < extraLines; ++i)
        events.append(
            Event::output(QString("==> Pouring package %1 of %2").arg(i + 1).arg(extraLines)));
    return events;
}

struct Window {
    Window() : context(AppServices{}) {
        window.resize(720, 700);
        window.show();
    }
    SetupActionProgressDialog* present(QList<SetupRemediation> fixes) {
        return SetupActionProgressDialog::present(
            &window, context.context, {"Install Homebrew", std::move(fixes), false},
            fixes_.starter(), [this](SetupActionOutcome outcome) { outcomes.append(outcome); });
    }
    QWidget window;
    TestScreenContext context;
    ScriptedFixStarter fixes_;
    QList<SetupActionOutcome> outcomes;
};

} // namespace

TEST(SetupActionProgressDialog, TheCloseBoxAndEscWithoutCancelDoNothingAndReturnContinuesOnce) {
    Window w;
    const auto brew = SetupRemediation::installHomebrew();
    auto events = homebrewOutput(60);
    events.prepend(Event::output("Installing Apple's Command Line Tools… macOS will ask for your "
                                 "password once. The download can take several minutes — please "
                                 "keep this window open."));
    w.fixes_.script(brew.id(), {events, false});
    QPointer<SetupActionProgressDialog> sheet = w.present({brew});
    ASSERT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_GE(sheet->minimumWidth(), 560);
    EXPECT_GE(sheet->minimumHeight(), 420);
    auto* log = sheet->findChild<LiveLogView*>("setup-action-log");
    ASSERT_NE(log, nullptr);
    // The script's 13 lines less the system-log line and the three of the block, plus the note.
    ASSERT_TRUE(spinUntil([&] { return log->lines().size() == 10 + 60; }));
    EXPECT_EQ(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
    // The long first line wraps: all of it is read at the top, nothing to scroll to sideways.
    log->scrollToTop();
    EXPECT_GE(log->visualRect(log->model()->index(0, 0)).height(), 2 * log->fontMetrics().height());
    EXPECT_EQ(log->horizontalScrollBar()->maximum(), 0);
    EXPECT_NE(findVisible<QPushButton>(sheet, "setup-action-cancel"), nullptr);
    EXPECT_EQ(findVisible<QPushButton>(sheet, "setup-action-continue"), nullptr);
    saveScreenshot(sheet, "install-sheet-running");
    // The busy indicator stands in the row of the caption and Cancel.
    auto* bar = sheet->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->parentWidget(),
              sheet->findChild<QPushButton*>("setup-action-cancel")->parentWidget());
    const QPoint logAt = log->mapTo(sheet, QPoint(0, 0));

    sheet->close();
    settle();
    ASSERT_TRUE(sheet && sheet->isVisible());
    EXPECT_TRUE(w.outcomes.isEmpty());

    auto producer = w.fixes_.openStream(brew.id());
    producer->yield(Event::output("==> Homebrew is ready."));
    producer->yield(Event::completed(0));
    producer->finish();
    ASSERT_TRUE(spinUntil([&] { return !sheet->model()->isRunning(); }));
    ASSERT_TRUE(
        spinUntil([&] { return findVisible<QPushButton>(sheet, "setup-action-continue"); }));
    EXPECT_TRUE(spinUntil([&] { return log->lines().last() == "==> Homebrew is ready."; }));
    EXPECT_EQ(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
    saveScreenshot(sheet, "install-sheet-finished");
    EXPECT_EQ(log->mapTo(sheet, QPoint(0, 0)), logAt);

    QTest::keyClick(sheet, Qt::Key_Escape);
    sheet->close();
    settle();
    ASSERT_TRUE(sheet && sheet->isVisible());
    QTest::keyClick(sheet, Qt::Key_Return);
    QTest::keyClick(sheet, Qt::Key_Return);
    ASSERT_TRUE(spinUntil([&] { return sheet.isNull(); }));
    settle();
    EXPECT_EQ(w.outcomes, QList<SetupActionOutcome>{SetupActionOutcome::success});
    EXPECT_TRUE(sheet.isNull());
}

TEST(SetupActionProgressDialog, CancelReportsCanceledAndClosesTheSheet) {
    Window w;
    const auto gh = SetupRemediation::installGh();
    w.fixes_.script(gh.id(), {{Event::output("==> Fetching gh")}, false});
    QPointer<SetupActionProgressDialog> sheet = w.present({gh, SetupRemediation::githubAuth()});
    ASSERT_TRUE(spinUntil([&] { return sheet->model()->lines().size() == 1; }));
    clickButton(sheet, "setup-action-cancel");
    ASSERT_TRUE(spinUntil([&] { return sheet.isNull() && !w.fixes_.canceledIDs().isEmpty(); }));
    EXPECT_EQ(w.outcomes, QList<SetupActionOutcome>{SetupActionOutcome::canceled});
    EXPECT_TRUE(sheet.isNull());
    EXPECT_EQ(w.fixes_.canceledIDs(), QStringList{gh.id()});
}

TEST(SetupActionProgressDialog, EscPressesCancelOnce) {
    Window w;
    const auto gh = SetupRemediation::installGh();
    w.fixes_.script(gh.id(), {{Event::output("==> Fetching gh")}, false});
    QPointer<SetupActionProgressDialog> sheet = w.present({gh});
    ASSERT_TRUE(spinUntil([&] { return sheet->model()->lines().size() == 1; }));
    QTest::keyClick(sheet, Qt::Key_Escape);
    if (sheet)
        QTest::keyClick(sheet, Qt::Key_Escape);
    // The fix's stream is let go on its worker thread.
    EXPECT_TRUE(spinUntil([&] { return !w.fixes_.canceledIDs().isEmpty(); }));
    settle();
    EXPECT_EQ(w.outcomes, QList<SetupActionOutcome>{SetupActionOutcome::canceled});
    EXPECT_TRUE(sheet.isNull());
    EXPECT_EQ(w.fixes_.canceledIDs(), QStringList{gh.id()});
}

TEST(SetupCards, ScoreDismissAndRecommendationsButtonsReachTheirModels) {
    TestScreenContext context{AppServices{}};
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    auto* card = new NPSFeedbackCard(context.context, &host);
    auto* prompt = new BuildIntentPromptView(&host);
    layout->addWidget(card);
    layout->addWidget(prompt);
    host.resize(640, 520);
    host.show();
    EXPECT_EQ(findVisible<QPushButton>(card, "nps-submit"), nullptr);
    // A screen reader's toggle, which sends no click, chooses as a click does; its untoggling
    // the chosen score leaves it chosen.
    const auto toggle = [&](const char* name) {
        QAccessible::queryAccessibleInterface(findVisible<QPushButton>(card, name))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
    };
    toggle("nps-score-3");
    EXPECT_EQ(card->model()->score(), 3);
    EXPECT_NE(findVisible<QPushButton>(card, "nps-submit"), nullptr);
    clickButton(card, "nps-score-8");
    EXPECT_EQ(card->model()->score(), 8);
    EXPECT_FALSE(findVisible<QPushButton>(card, "nps-score-3")->isChecked());
    toggle("nps-score-8");
    EXPECT_EQ(card->model()->score(), 8);
    EXPECT_TRUE(findVisible<QPushButton>(card, "nps-score-8")->isChecked());
    saveScreenshot(&host, "score-and-build-intent-cards");

    int dismissed = 0, opted = 0;
    QObject::connect(card, &NPSFeedbackCard::dismissed, [&] { ++dismissed; });
    QObject::connect(prompt, &BuildIntentPromptView::seeRecommendations, [&] { ++opted; });
    clickButton(card, "nps-dismiss");
    EXPECT_EQ(dismissed, 1);
    EXPECT_FALSE(card->isVisible());
    clickButton(prompt, "completion-build-intent-optin");
    clickButton(prompt, "completion-build-intent-optin");
    EXPECT_EQ(opted, 2);
}
