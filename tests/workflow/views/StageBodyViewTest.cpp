#include "support/QtPrinting.h"
#include "support/SetupStageFixture.h"
#include "support/ui/WidgetDriver.h"

#include "workflow/views/StageBodyView.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using Kind = FixtureMac::Kind;

namespace {

struct Body {
    Body(SetupStageFixture& f, const QString& domainID)
        : view(f.ctx.context, f.model.get(), &f.selections, domainID) {
        f.show(domainID);
        view.resize(720, 600);
        view.show();
        view.activateWindow();
        QApplication::setActiveWindow(&view);
        // The stage's probes and the body's disk read are done and shown.
        EXPECT_TRUE(spinUntil(
            [&] { return view.hasReadDisk() && !f.model->isRefreshing() && noWorkerRunning(); }));
        settle();
    }
    StageBodyView view;
};

} // namespace

// Typing goes to the workflow's selections; a model change on the way neither clears the
// fields nor takes the focus from them.
TEST(StageBodyView, GitFieldsKeepTextAndFocusAcrossModelChanges) {
    SetupStageFixture f(Kind::newAppleSilicon);
    f.selections.gitEmail = "ada@example.com";
    Body body(f, "git");
    auto* name = findVisible<QLineEdit>(&body.view, "git-name");
    auto* email = findVisible<QLineEdit>(&body.view, "git-email");
    ASSERT_TRUE(name && email);
    EXPECT_EQ(email->text(), "ada@example.com") << "a return shows what was typed before";
    EXPECT_EQ(email->cursorPosition(), 0) << "a filled field shows its start";
    EXPECT_FALSE(findVisible<QPushButton>(&body.view, "setup-git")->isEnabled());

    name->setFocus();
    QTest::keyClicks(name, "Ada");
    EXPECT_EQ(f.selections.gitName, "Ada");
    ASSERT_TRUE(f.model->requestInstall({"other", "Other", {}, false, "git"}));
    f.model->finishStageAfterInstall(SetupActionOutcome::canceled);
    ASSERT_TRUE(spinUntil([&] { return !f.model->isRefreshing() && noWorkerRunning(); }));
    settle();
    QTest::keyClicks(name, " L");
    EXPECT_EQ(name->text(), "Ada L");
    EXPECT_EQ(QApplication::focusWidget(), name);

    clickButton(&body.view, "setup-git");
    ASSERT_TRUE(f.model->pendingInstall());
    EXPECT_EQ(f.model->pendingInstall()->id, "git");
    EXPECT_TRUE(f.model->pendingInstall()->remediations.contains(
        SetupRemediation::configureGit("Ada L", "ada@example.com")));
}

TEST(StageBodyView, TickingALanguageReachesTheInstall) {
    SetupStageFixture f;
    Body body(f, "languages");
    auto* install = findVisible<QPushButton>(&body.view, "install-languages");
    ASSERT_NE(install, nullptr);
    EXPECT_FALSE(install->isEnabled());
    auto* rust = findVisible<QCheckBox>(&body.view, "lang-rust");
    ASSERT_NE(rust, nullptr);
    QTest::mouseClick(rust, Qt::LeftButton, {}, QPoint(8, rust->height() / 2));
    EXPECT_EQ(f.selections.selectedLanguages, QSet<TOVRLanguage>{TOVRLanguage::rust});
    EXPECT_TRUE(install->isEnabled());
    clickButton(&body.view, "install-languages");
    ASSERT_TRUE(f.model->pendingInstall());
    EXPECT_EQ(f.model->pendingInstall()->remediations,
              QList<SetupRemediation>{SetupRemediation::installRustup()});
    EXPECT_FALSE(install->isEnabled()) << "no second install while one is pending";
}

// A plain stage: one button per fix with its caption, and "Skip" that leaves the stage.
TEST(StageBodyView, FixButtonsInstallTheirFixAndSkipLeaves) {
    SetupStageFixture f(Kind::newAppleSilicon);
    Body body(f, "clt");
    auto* fix = findVisible<QPushButton>(&body.view, "stage-fix-clt");
    ASSERT_NE(fix, nullptr);
    EXPECT_EQ(fix->text(), SetupRemediation::installCommandLineTools().title());
    clickButton(&body.view, "stage-fix-clt");
    ASSERT_TRUE(f.model->pendingInstall());
    EXPECT_EQ(f.model->pendingInstall()->id, "clt");
    f.model->finishStageAfterInstall(SetupActionOutcome::canceled);
    ASSERT_TRUE(spinUntil([&] { return !f.model->isRefreshing() && noWorkerRunning(); }));
    settle();
    clickButton(&body.view, "stage-skip");
    EXPECT_NE(f.model->step(), SetupFlowModel::Step::stage("clt"));
}

// After an install the stage is checked again; its busy indicator shows for exactly as long.
TEST(StageBodyView, TheBusyIndicatorShowsWhileTheStageIsCheckedAgain) {
    SetupStageFixture f(Kind::newAppleSilicon);
    Body body(f, "clt");
    auto* busy = body.view.findChild<QWidget*>("stage-busy");
    ASSERT_NE(busy, nullptr);
    EXPECT_FALSE(busy->isVisibleTo(&body.view));
    ASSERT_TRUE(f.model->requestInstall(
        {"clt", "Install", {SetupRemediation::installCommandLineTools()}, false, "clt"}));
    f.model->finishStageAfterInstall(SetupActionOutcome::success);
    ASSERT_TRUE(f.model->isRefreshing());
    EXPECT_TRUE(busy->isVisibleTo(&body.view));
    ASSERT_TRUE(spinUntil([&] { return !f.model->isRefreshing(); }));
    EXPECT_FALSE(busy->isVisibleTo(&body.view));
}
