#include "support/QtPrinting.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/TestDemoMac.h"
#include "support/TestScreenContext.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "demo/DemoMac.h"
#include "products/cli/CliProductConfig.h"
#include "ui/views/LiveLogView.h"
#include "workflow/views/SetupWorkflowView.h"
#include "workflow/views/StageBodyView.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using Kind = SetupFlowModel::Step::Kind;
using Step = SetupFlowModel::Step;

namespace {

// Presses the install sheet's "Continue" once its run is over.
bool finishSheet(QWidget* window) {
    QDialog* sheet = nullptr;
    const bool done = spinUntil([&] {
        sheet = window->findChild<QDialog*>("setup-action-sheet");
        auto* button = sheet ? findVisible<QPushButton>(sheet, "setup-action-continue") : nullptr;
        return button && button->isEnabled();
    });
    if (done)
        clickButton(sheet, "setup-action-continue");
    return done;
}

QPushButton* firstFixButton(QWidget* page) {
    for (auto* button : page->findChildren<QPushButton*>())
        if (button->isVisible() && button->objectName().startsWith("stage-fix-"))
            return button;
    return nullptr;
}

void tick(QWidget* page, const QString& name) {
    auto* box = findVisible<QCheckBox>(page, name);
    ASSERT_NE(box, nullptr) << name.toStdString();
    // After the new page's second-click guard, as a person would.
    EXPECT_TRUE(waitOutClickGuard(box));
    if (!box->isChecked())
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// A screen reader's tick: the box's own accessibility action, which sends no click.
void toggleThroughAccessibility(QWidget* page, const QString& name) {
    auto* box = findVisible<QCheckBox>(page, name);
    ASSERT_NE(box, nullptr) << name.toStdString();
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
    ASSERT_TRUE(face && face->actionInterface());
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

} // namespace

// Boxes ticked and unticked through the accessibility tree are what each section installs:
// the apps, the languages, the skills and the MCP servers (whose key field then shows).
TEST(StageSectionsJourney, ChoicesChangedThroughTheAccessibilityTreeAreWhatIsInstalled) {
    ScopedProductConfig product(cliProduct());
    RecordedTelemetry telemetry;
    const DemoMac demo(testDemoOptions(std::chrono::milliseconds(100)));
    {
        // With Homebrew, so that the sections show rather than the banner.
        auto events = SetupRemediationRunner::live(demo.services())
                          .run(SetupRemediation::installHomebrew(), QString());
        while (events.next()) {
        }
    }
    TestScreenContext ctx(demo.services(), demo.environment());
    SetupWorkflowView window(ctx.context);
    window.resize(720, 720);
    window.show();
    window.startTask();
    SetupFlowModel* model = window.model();
    ASSERT_TRUE(spinUntil([&] { return model->step().kind == Kind::diagnosisSummary; }));

    struct Section {
        QString domain;
        QStringList toggled;
        QString button;
        QStringList installs; // fix ids
    };
    const QList<Section> sections{
        {"ai-claude",
         {"install-claude-desktop"},
         "ai-claude",
         {SetupRemediation::installClaudeCLI().id()}},
        {"languages", {"lang-python"}, "install-languages", {SetupRemediation::installUv().id()}},
        {"skills",
         {"skill-avoid-ai-writing", "skill-downloads-cleanup"},
         "add-skills",
         {"skill:downloads-cleanup"}},
        {"mcp", {"mcp-exa"}, "add-mcp", {"mcp:exa"}},
    };
    for (const Section& section : sections) {
        model->setStep(Step::stage(section.domain));
        QPushButton* install = nullptr;
        ASSERT_TRUE(spinUntil([&] {
            return window.currentPage() &&
                   (install = findVisible<QPushButton>(window.currentPage(), section.button));
        })) << section.domain.toStdString();
        settle();
        for (const QString& box : section.toggled)
            toggleThroughAccessibility(window.currentPage(), box);
        if (section.domain == "mcp") {
            EXPECT_NE(findVisible(window.currentPage(), "mcp-key-exa"), nullptr);
        }
        if (!install->isEnabled()) {
            ADD_FAILURE() << section.domain.toStdString() << ": " << section.button.toStdString()
                          << " stays disabled";
            continue;
        }
        clickButton(window.currentPage(), section.button);
        ASSERT_TRUE(model->pendingInstall().has_value()) << section.domain.toStdString();
        QStringList ids;
        for (const auto& fix : model->pendingInstall()->remediations)
            ids << fix.id();
        EXPECT_EQ(ids, section.installs) << section.domain.toStdString();
        QDialog* sheet = nullptr;
        ASSERT_TRUE(spinUntil(
            [&] { return (sheet = window.findChild<QDialog*>("setup-action-sheet")) != nullptr; }));
        // Canceled while it runs, else Continue: either way the sheet goes.
        QPushButton* end = nullptr;
        ASSERT_TRUE(spinUntil([&] {
            end = findVisible<QPushButton>(sheet, "setup-action-cancel");
            if (!end)
                end = findVisible<QPushButton>(sheet, "setup-action-continue");
            return end && end->isEnabled();
        }));
        end->click();
        ASSERT_TRUE(spinUntil([&] { return !model->pendingInstall(); }));
    }
}

// The demo Mac from the first stage to the outcome through the stage bodies' own buttons:
// fix buttons, the Homebrew banner and its jump, the AI agents and a skill for them, and
// every section of the optional stages, with a screenshot of each.
TEST(StageSectionsJourney, DemoMacReachesEverySection) {
    ScopedProductConfig product(cliProduct());
    RecordedTelemetry telemetry;
    const DemoMac demo(testDemoOptions());
    const QString home = demo.fs()->homeDirectory();
    // Other version managers, so the languages show their notes.
    demo.fs()->createFolder(home + "/.pyenv/versions/3.12.4");
    demo.fs()->createFolder(home + "/.nvm/versions/node/v20.11.1");
    TestScreenContext ctx(demo.services(), demo.environment());
    SetupWorkflowView window(ctx.context);
    window.resize(720, 720);
    window.show();
    window.startTask();
    SetupFlowModel* model = window.model();
    ASSERT_TRUE(spinUntil([&] { return model->step().kind == Kind::diagnosisSummary; }));
    clickButton(&window, "diagnosis-continue");

    // Presses `button` and waits for its sheet to end with `awaited` in the log; the log.
    auto sheetLog = [&](QWidget* page, const char* button, const char* awaited) {
        clickButton(page, button);
        auto* sheet = window.findChild<QDialog*>("setup-action-sheet");
        auto* log = sheet ? sheet->findChild<LiveLogView*>("setup-action-log") : nullptr;
        const bool ended =
            log && spinUntil(
                       [&] {
                           auto* done = findVisible<QPushButton>(sheet, "setup-action-continue");
                           return done && done->isEnabled() && log->toPlainText().contains(awaited);
                       },
                       15000);
        return ended ? log : nullptr;
    };
    // At rest: no refresh or install under way and, on a stage, its body has read the disk
    // and shows.
    auto settled = [&] {
        return spinUntil([&] {
            if (model->isRefreshing() || model->pendingInstall())
                return false;
            if (model->step().kind != Kind::stage)
                return true;
            const auto bodies = window.currentPage()
                                    ? window.currentPage()->findChildren<StageBodyView*>()
                                    : QList<StageBodyView*>{};
            bool shown = false;
            for (auto* body : bodies) {
                if (!body->hasReadDisk())
                    return false;
                shown = shown || body->isVisible();
            }
            return shown;
        });
    };
    QSet<QString> shot;
    QSet<QString> installed;
    bool sawBanner = false;
    for (int guard = 0; guard < 60; ++guard) {
        ASSERT_TRUE(settled());
        // What was queued meanwhile (a stage's appearance) may re-make the body.
        settle();
        ASSERT_TRUE(settled());
        const Step step = model->step();
        if (step.kind == Kind::verifying || step.kind == Kind::interstitial ||
            step.kind == Kind::loading) {
            ASSERT_TRUE(spinUntil([&] { return model->step() != step; }));
            continue;
        }
        if (step.kind == Kind::keepGoingGate) {
            saveScreenshotsAtTwoSizes(&window, "stage-keep-going");
            model->advance(DomainPlacement::optional, Step::outcome());
            continue;
        }
        if (step.kind != Kind::stage)
            break;
        const QString domain = step.domainID;
        QWidget* page = window.currentPage();
        const auto placement = model->workflowStep(domain)->placement;

        if (findVisible<QPushButton>(page, "stage-install-homebrew-first")) {
            sawBanner = true;
            saveScreenshotsAtTwoSizes(&window, "stage-homebrew-banner");
            clickButton(page, "stage-install-homebrew-first");
            continue;
        }
        if (placement == DomainPlacement::primary && domain != "warp") {
            if (domain == "homebrew" && !sawBanner) {
                clickButton(page, "stage-skip");
                continue;
            }
            auto* fix = firstFixButton(page);
            ASSERT_NE(fix, nullptr) << domain.toStdString();
            if (!shot.contains("fixes")) {
                shot.insert("fixes");
                saveScreenshotsAtTwoSizes(&window, "stage-fixes-" + domain);
            }
            EXPECT_TRUE(waitOutClickGuard(fix));
            QTest::mouseClick(fix, Qt::LeftButton);
            settle();
            ASSERT_TRUE(finishSheet(&window)) << domain.toStdString();
            continue;
        }
        // The agents first, then the skill goes into both, though neither has run yet.
        if ((domain == "ai-claude" || domain == "codex") && !installed.contains(domain)) {
            installed.insert(domain);
            shot.insert(domain);
            saveScreenshotsAtTwoSizes(&window, "stage-" + domain);
            clickButton(page, domain);
            settle();
            ASSERT_TRUE(finishSheet(&window)) << domain.toStdString();
            continue;
        }
        if (domain == "skills" && !installed.contains(domain)) {
            installed.insert(domain);
            shot.insert(domain);
            saveScreenshotsAtTwoSizes(&window, "stage-skills");
            LiveLogView* log = sheetLog(page, "add-skills", "avoid-ai-writing");
            ASSERT_NE(log, nullptr);
            EXPECT_TRUE(
                log->toPlainText().contains("Installed avoid-ai-writing for Claude, Codex."))
                << log->toPlainText().toStdString();
            saveScreenshot(log->window(), "stage-skills-sheet");
            clickButton(log->window(), "setup-action-continue");
            continue;
        }
        if (domain == "languages")
            for (const char* name :
                 {"lang-python", "lang-node", "lang-java", "lang-ruby", "lang-rust"})
                tick(page, name);
        if (domain == "mcp" && !installed.contains(domain)) {
            installed.insert(domain);
            tick(page, "mcp-exa");
            auto* key = findVisible<QLineEdit>(page, "mcp-key-exa");
            ASSERT_NE(key, nullptr);
            QTest::keyClicks(key, "exa-secret-key-0123");
            EXPECT_EQ(key->echoMode(), QLineEdit::Password);
            shot.insert(domain);
            saveScreenshotsAtTwoSizes(&window, "stage-mcp");
            // Claude Code's tool echoes the address it was given; the log and its copy show
            // the key only masked.
            LiveLogView* log = sheetLog(page, "add-mcp", "Codex config");
            ASSERT_NE(log, nullptr);
            EXPECT_TRUE(log->toPlainText().contains("exaApiKey=exa-…"))
                << log->toPlainText().toStdString();
            log->selectAll();
            log->copySelection();
            ASSERT_EQ(ctx.clipboard->texts.size(), 1);
            for (const QString& shown : {log->toPlainText(), ctx.clipboard->texts[0]})
                EXPECT_FALSE(shown.contains("secret")) << shown.toStdString();
            clickButton(log->window(), "setup-action-continue");
            continue;
        }
        if (domain == "git") {
            auto* name = findVisible<QLineEdit>(page, "git-name");
            ASSERT_NE(name, nullptr);
            QTest::keyClicks(name, "Maximiliana Theodora Wolfeschlegelsteinhausen-Bergerdorff");
            QTest::keyClicks(findVisible<QLineEdit>(page, "git-email"),
                             "maximiliana.wolfeschlegelsteinhausen@example.com");
            EXPECT_TRUE(findVisible<QPushButton>(page, "setup-git")->isEnabled());
        }
        if (domain == "project") {
            clickButton(page, "choose-project-folder");
            ASSERT_EQ(ctx.folderPicker->requests.size(), 1);
            ctx.folderPicker->answer(std::nullopt);
        }
        shot.insert(domain);
        saveScreenshotsAtTwoSizes(&window, "stage-" + domain);
        clickButton(page, "stage-skip");
    }
    EXPECT_EQ(model->step(), Step::outcome());
    EXPECT_TRUE(sawBanner);
    for (const char* domain :
         {"ai-claude", "codex", "project", "skills", "mcp", "languages", "git"})
        EXPECT_TRUE(shot.contains(domain)) << domain;
    EXPECT_EQ(telemetry.withName("offer_action").size(), 1) << "warp's Skip";
}
