#include "diagnosis/ScriptedRemediationWorkers.h"
#include "support/RecordedTelemetry.h"
#include "support/SandboxFileSystem.h"
#include "support/TestScreenContext.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "demo/DemoMac.h"
#include "diagnosis/StreamingRemediationModel.h"
#include "diagnosis/ZprofileDiffSheetModel.h"
#include "diagnosis/views/RemediationProgressDialog.h"
#include "model/ProductConfig.h"
#include "ui/views/LiveLogView.h"
#include "ui/views/MarkdownText.h"

#include <QAccessible>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QTextDocument>

#include <gmock/gmock.h>

using namespace tovr;
using namespace tovr::test;
using ::testing::ElementsAre;

namespace {

class RemediationProgressDialogTest : public ::testing::Test {
protected:
    RemediationProgressDialogTest() {
        fs->createExecutable("/opt/homebrew/bin/brew");
        window.resize(760, 720);
        window.show();
    }

    QPointer<RemediationProgressDialog> present(const Remediation& remediation) {
        QPointer<RemediationProgressDialog> dialog = RemediationProgressDialog::present(
            &window, screen.context, remediation,
            [this](const RemediationOutcome& outcome) { outcomes.append(outcome); }, workers);
        dialog->resize(640, 520);
        return dialog;
    }

    // The close box, and Esc with no Cancel on show, leave the sheet where it is.
    static void expectNotDismissable(RemediationProgressDialog* dialog) {
        QTest::keyClick(dialog, Qt::Key_Escape);
        dialog->close();
        settle();
        EXPECT_TRUE(dialog->isVisible());
    }

    RecordedTelemetry telemetry;
    std::shared_ptr<SandboxFileSystem> fs = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<ScriptedRemediationWorkers> workers =
        std::make_shared<ScriptedRemediationWorkers>();
    TestScreenContext screen{AppServices{nullptr, nullptr, fs, nullptr, true}};
    QWidget window;
    QList<RemediationOutcome> outcomes;
};

TEST_F(RemediationProgressDialogTest, ARunningInstallOffersOnlyCancelWhichEscPressesOnce) {
    workers->script("installHomebrew",
                    {{StreamEvent::output("==> Checking for `sudo` access (which may request "
                                          "your password)..."),
                      StreamEvent::output("==> This script will install:"),
                      StreamEvent::output("/opt/homebrew/bin/brew")},
                     false});
    auto dialog = present(Remediation::installHomebrewThenWarp("warp"));
    EXPECT_EQ(dialog->minimumSize(), QSize(560, 420));
    ASSERT_TRUE(spinUntil([&] { return dialog->streamingModel()->lines().size() == 4; }));
    settle();
    EXPECT_TRUE(findVisible(dialog, "remediation-cancel"));
    EXPECT_FALSE(findVisible(dialog, "remediation-continue"));
    EXPECT_TRUE(spinUntil([&] {
        return findVisible<LiveLogView>(dialog, "remediation-log")
            ->toPlainText()
            .endsWith("/opt/homebrew/bin/brew");
    }));
    saveScreenshot(dialog, "remediation-running");
    dialog->close();
    settle();
    EXPECT_TRUE(dialog->isVisible());

    QTest::keyClick(dialog, Qt::Key_Escape);
    if (dialog)
        QTest::keyClick(dialog, Qt::Key_Escape);
    ASSERT_TRUE(spinUntil([&] { return !outcomes.isEmpty() && dialog.isNull(); }));
    settle();
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::canceled()));
}

TEST_F(RemediationProgressDialogTest, AFailedInstallLinksTheArticleAndCloseReportsTheFailure) {
    workers->script("installCask",
                    {{StreamEvent::output("==> Downloading warp"),
                      StreamEvent::output("Homebrew reports warp is already installed, but "
                                          "Warp.app is gone. Retrying with `brew reinstall "
                                          "--cask warp`…"),
                      StreamEvent::output("Error: Download failed"), StreamEvent::completed(1)}});
    auto dialog = present(Remediation::installWarpViaBrew("warp"));
    ASSERT_TRUE(spinUntil([&] { return findVisible(dialog, "remediation-close") != nullptr; }));
    // The retry notice's row, and only it, carries its identifier for assistive tools.
    auto* log = findVisible<LiveLogView>(dialog, "remediation-log");
    ASSERT_TRUE(spinUntil([&] { return log->lines().endsWith("Error: Download failed"); }));
    QAccessibleInterface* rows = QAccessible::queryAccessibleInterface(log);
    QStringList identifiers;
    for (int row = 0; row < rows->childCount(); ++row)
        identifiers << rows->child(row)->text(LiveLogView::kIdentifierText);
    EXPECT_EQ(identifiers.count("remediation-retry-line"), 1);
    EXPECT_EQ(identifiers.indexOf("remediation-retry-line"),
              log->lines().indexOf(QRegularExpression(".*Retrying with.*")));
    EXPECT_EQ(identifiers.count(""), identifiers.size() - 1);
    saveScreenshot(dialog, "remediation-failed");
    expectNotDismissable(dialog);

    clickButton(dialog, "remediation-open-article");
    EXPECT_EQ(screen.urlOpener->opened, QList<QUrl>{ProductConfig::current().urls.installMethods});
    QTest::keyClick(dialog, Qt::Key_Return); // no default in this row
    EXPECT_TRUE(outcomes.isEmpty());
    clickButton(dialog, "remediation-close");
    ASSERT_EQ(outcomes.size(), 1);
    EXPECT_EQ(outcomes[0].kind, RemediationOutcome::Kind::failure);
    EXPECT_TRUE(spinUntil([&] { return dialog.isNull(); }));
}

TEST_F(RemediationProgressDialogTest, ASucceededInstallContinuesOnReturn) {
    workers->script("installCask", {{StreamEvent::output("==> Installing Cask warp"),
                                     StreamEvent::output("warp was successfully installed!"),
                                     StreamEvent::completed(0)}});
    auto dialog = present(Remediation::installWarpViaBrew("warp"));
    ASSERT_TRUE(spinUntil([&] { return findVisible(dialog, "remediation-continue") != nullptr; }));
    EXPECT_EQ(findVisible<QPushButton>(dialog, "remediation-continue")->text(), "Continue");
    saveScreenshot(dialog, "remediation-succeeded");
    expectNotDismissable(dialog);

    EXPECT_TRUE(waitOutClickGuard(dialog));
    QTest::keyClick(dialog, Qt::Key_Return);
    QTest::keyClick(dialog, Qt::Key_Return);
    ASSERT_TRUE(spinUntil([&] { return dialog.isNull(); }));
    settle();
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::success("Warp installed.")));
}

TEST_F(RemediationProgressDialogTest, TheZshrcFollowUpAppliesOnReturnBeforeContinuing) {
    fs->createFile("/Users/dev/.zshrc", "export EDITOR=vim\n");
    workers->mise = {"eval \"$(mise activate zsh)\""};
    workers->script("miseInstallJava", {{StreamEvent::output("mise java@temurin-21 ✓ installed"),
                                         StreamEvent::completed(0)}});
    auto dialog = present(Remediation::installViaMise("temurin-21"));
    ASSERT_TRUE(spinUntil([&] { return findVisible(dialog, "remediation-apply-zshrc"); }));
    EXPECT_FALSE(findVisible(dialog, "remediation-continue"));
    saveScreenshot(dialog, "remediation-zshrc-prompt");

    EXPECT_TRUE(waitOutClickGuard(dialog));
    QTest::keyClick(dialog, Qt::Key_Return);
    ASSERT_TRUE(spinUntil([&] { return findVisible(dialog, "remediation-continue"); }));
    EXPECT_TRUE(fs->contents("/Users/dev/.zshrc").endsWith("eval \"$(mise activate zsh)\"\n"));
    EXPECT_EQ(findVisible<QPushButton>(dialog, "remediation-continue")->text(),
              "Continue to verify");
    clickButton(dialog, "remediation-continue");
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::success("Installed Temurin via Mise.")));
}

TEST_F(RemediationProgressDialogTest, TheZprofileReviewShowsItsDiffAndAppliesIt) {
    fs->createFile("/Users/dev/.zprofile", "eval \"$(/opt/homebrew/bin/brew shellenv)\"\n");
    auto dialog = present(Remediation::writeJavaHomeToZprofile("/Library/Java/jdk"));
    ASSERT_EQ(dialog->streamingModel(), nullptr);
    ASSERT_TRUE(spinUntil([&] { return findVisible(dialog, "zprofile-apply") != nullptr; }));
    clickButton(dialog, "zprofile-show-full");
    auto* rows = findVisible(dialog, "zprofile-listing");
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->findChildren<QLabel*>().size(), 4);
    saveScreenshot(dialog, "zprofile-review");
    dialog->close(); // Esc here is Cancel
    settle();
    EXPECT_TRUE(dialog->isVisible());

    EXPECT_TRUE(waitOutClickGuard(dialog));
    QTest::keyClick(dialog, Qt::Key_Return); // Apply
    ASSERT_TRUE(spinUntil([&] { return findVisible(dialog, "zprofile-continue") != nullptr; }));
    EXPECT_FALSE(findVisible(dialog, "zprofile-cancel"));
    expectNotDismissable(dialog);
    clickButton(dialog, "zprofile-continue");
    EXPECT_THAT(outcomes,
                ElementsAre(RemediationOutcome::success("JAVA_HOME set in ~/.zprofile.")));
    EXPECT_EQ(fs->contents("/Users/dev/.zprofile.bak"),
              "eval \"$(/opt/homebrew/bin/brew shellenv)\"\n");
    EXPECT_TRUE(spinUntil([&] { return dialog.isNull(); }));
}

// One journey over the live installers: Homebrew, then Warp, on the simulated new Mac.
// Paths read from the Mac show as typed in the sheet's Markdown copy and in the failure it
// reports for the error page: underscores and a backtick neither style nor break the text.
TEST_F(RemediationProgressDialogTest, PathsFromTheMacShowAsTyped) {
    const QString home = "/Users/dev/_wo`rk_";
    fs = std::make_shared<SandboxFileSystem>(home);
    screen.context.services.fs = fs;
    auto shown = [](QWidget* dialog, const QString& name) {
        auto* label = findVisible<QLabel>(dialog, name);
        QTextDocument rendered;
        rendered.setHtml(label ? label->text() : QString());
        return rendered.toPlainText();
    };

    fs->createFile(home + "/.zshrc", "export EDITOR=vim\n");
    workers->mise = {"eval \"$(mise activate zsh)\""};
    workers->script("miseInstallJava", {{StreamEvent::completed(0)}});
    auto zshrc = present(Remediation::installViaMise("temurin-21"));
    ASSERT_TRUE(spinUntil([&] { return findVisible(zshrc, "remediation-apply-zshrc"); }));
    EXPECT_EQ(shown(zshrc, "zshrc-prompt"), "One more thing: we need to append to " + home +
                                                "/.zshrc so JAVA_HOME gets set in fresh shells.");
    EXPECT_EQ(shown(zshrc, "zshrc-backup"), "Backup: " + home + "/.zshrc.bak");
    clickButton(zshrc, "remediation-skip-zshrc");
    ASSERT_TRUE(spinUntil([&] { return findVisible(zshrc, "remediation-continue"); }));
    clickButton(zshrc, "remediation-continue");

    fs->createFile(home + "/.zprofile", "# mine\n");
    auto zprofile = present(Remediation::writeJavaHomeToZprofile("/Library/Java/jdk"));
    ASSERT_TRUE(spinUntil([&] { return findVisible(zprofile, "zprofile-apply") != nullptr; }));
    EXPECT_EQ(shown(zprofile, "zprofile-backup"), "Backup: " + home + "/.zprofile.bak");
    fs->createFolder(home + "/.zprofile.bak"); // the backup cannot be written
    clickButton(zprofile, "zprofile-apply");
    ASSERT_TRUE(spinUntil([&] { return findVisible(zprofile, "zprofile-close") != nullptr; }));
    clickButton(zprofile, "zprofile-close");
    ASSERT_EQ(outcomes.size(), 2);
    ASSERT_EQ(outcomes[1].kind, RemediationOutcome::Kind::failure);
    // The error page shows the message as its explainer, through the one converter.
    QTextDocument errorPage;
    errorPage.setHtml(markdownToHtml(outcomes[1].message));
    EXPECT_EQ(errorPage.toPlainText(),
              "Couldn't write backup file: " + home + "/.zprofile.bak: Is a directory");
}

TEST(RemediationProgressDialogJourney, InstallsHomebrewThenWarpOnTheDemoMac) {
    DemoMac::Options options;
    options.pace.lineDelay = std::chrono::milliseconds(0);
    DemoMac mac(options);
    TestScreenContext screen(mac.services(), mac.environment());
    QWidget window;
    window.show();
    QList<RemediationOutcome> outcomes;
    QPointer<RemediationProgressDialog> dialog = RemediationProgressDialog::present(
        &window, screen.context, Remediation::installHomebrewThenWarp("warp"),
        [&](const RemediationOutcome& outcome) { outcomes.append(outcome); });
    dialog->resize(640, 520);
    ASSERT_TRUE(spinUntil([&] { return findVisible(dialog, "remediation-continue") != nullptr; }))
        << dialog->streamingModel()->lines().join("\n").toStdString();
    EXPECT_TRUE(dialog->streamingModel()->lines().contains(
        "Homebrew installed. Now installing Warp via Homebrew…"));
    saveScreenshot(dialog, "remediation-demo-homebrew-warp");
    clickButton(dialog, "remediation-continue");
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::success("Homebrew + Warp installed.")));
}

} // namespace
