#include "diagnosis/ZprofileDiffSheetModel.h"
#include "support/SpinUntil.h"

#include "support/RecordedTelemetry.h"
#include "support/SandboxFileSystem.h"
#include "telemetry/TelemetryText.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gmock/gmock.h>

namespace tovr::test {
namespace {

using ::testing::ElementsAre;
using State = ZprofileDiffSheetModel::State;
using Row = ZprofileDiffSheetModel::ListingRow;

const QByteArray kZprofile = "/Users/dev/.zprofile";
const QString kJavaHome = QStringLiteral("export JAVA_HOME=$(/usr/libexec/java_home)");
const QString kPath = QStringLiteral("export PATH=\"$JAVA_HOME/bin:$PATH\"");

class ZprofileDiffSheetModelTest : public ::testing::Test {
protected:
    std::unique_ptr<ZprofileDiffSheetModel> loaded() {
        auto model = std::make_unique<ZprofileDiffSheetModel>(
            Remediation::writeJavaHomeToZprofile("/Users/" + currentUserName() + "/jdk"), fs,
            [this](const RemediationOutcome& outcome) { outcomes.append(outcome); }, nullptr,
            locations);
        model->loadPreview();
        EXPECT_TRUE(spinUntil([&] { return model->state() != State::loading; }));
        return model;
    }

    void applied(ZprofileDiffSheetModel& model) {
        model.apply();
        EXPECT_TRUE(spinUntil([&] { return !model.isApplying(); }));
    }

    RecordedTelemetry telemetry;
    std::shared_ptr<SandboxFileSystem> fs = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<ToolLocationsSource> locations;
    QList<RemediationOutcome> outcomes;
};

TEST_F(ZprofileDiffSheetModelTest, AMissingFileIsCreatedWithTheBlockAndAnEmptyBackup) {
    // In the home folder, and where the user's ZDOTDIR moved zsh's start-up files.
    for (const QString& zdotdir : {QString(), QString("/Users/dev/zsh")}) {
        SCOPED_TRACE(zdotdir.toStdString());
        fs = std::make_shared<SandboxFileSystem>();
        if (!zdotdir.isEmpty()) {
            fs->createFolder(zdotdir);
            locations = ToolLocationsSource::fixed({{{"ZDOTDIR", zdotdir}}});
        }
        const QByteArray file = zdotdir.isEmpty() ? kZprofile : (zdotdir + "/.zprofile").toUtf8();
        const QString shown = zdotdir.isEmpty() ? "~/.zprofile" : "~/zsh/.zprofile";
        outcomes.clear();
        auto model = loaded();
        ASSERT_EQ(model->state(), State::review);
        EXPECT_TRUE(model->preview()->wasCreated);
        EXPECT_EQ(model->titleText(), "Set `JAVA_HOME` in `" + shown + "`");
        EXPECT_EQ(model->windowTitle(), "Set JAVA_HOME in " + shown);
        EXPECT_EQ(model->createdText(), "Creating `" + shown + "` (didn't exist before).");
        const auto rows = model->listing();
        ASSERT_EQ(rows.size(), 3);
        EXPECT_TRUE(rows[0].added && rows[0].text.startsWith("+ # "));
        EXPECT_EQ(rows[1], (Row{"+ " + kJavaHome, true}));
        EXPECT_EQ(rows[2], (Row{"+ " + kPath, true}));

        applied(*model);
        EXPECT_EQ(model->state(), State::applied);
        EXPECT_EQ(fs->contents(file + ".bak"), QByteArray());
        EXPECT_TRUE(fs->contents(file).endsWith((kJavaHome + "\n" + kPath + "\n").toUtf8()));
        model->finishApplied();
        model->cancel();
        EXPECT_THAT(outcomes,
                    ElementsAre(RemediationOutcome::success("JAVA_HOME set in " + shown + ".")));
    }
    EXPECT_EQ(telemetry.names(), QStringList(2, "remediation_completed"));
}

TEST_F(ZprofileDiffSheetModelTest, TheFullFileMarksOnlyNewTextAsAdded) {
    fs->createFile(kZprofile, ("export A=1\n\n" + kPath).toUtf8());
    auto model = loaded();
    EXPECT_EQ(model->listing().size(), 3); // the added lines, the copy of the PATH line too
    model->setShowFullFile(true);
    const auto rows = model->listing();
    ASSERT_EQ(rows.size(), 5); // no blank line is listed
    EXPECT_EQ(rows[0], (Row{"  export A=1", false}));
    EXPECT_EQ(rows[1], (Row{"  " + kPath, false}));
    EXPECT_TRUE(rows[2].added);
    EXPECT_EQ(rows[3], (Row{"+ " + kJavaHome, true}));
    EXPECT_EQ(rows[4], (Row{"  " + kPath, false}));

    applied(*model);
    EXPECT_EQ(fs->contents(kZprofile + ".bak"), ("export A=1\n\n" + kPath).toUtf8());
}

TEST_F(ZprofileDiffSheetModelTest, AStalePreviewFailsToApplyAndLeavesTheFileAsTheUserLeftIt) {
    fs->createFile(kZprofile, "export A=1\n");
    auto model = loaded();
    fs->createFile(kZprofile, "export A=2\n");
    applied(*model);
    ASSERT_EQ(model->state(), State::applyFailed);
    EXPECT_TRUE(model->applyError()->startsWith("Couldn't write file: "));
    EXPECT_EQ(fs->contents(kZprofile), "export A=2\n");
    EXPECT_FALSE(fs->fileExists("/Users/dev/.zprofile.bak"));

    model->apply(); // once per sheet
    model->cancel();
    model->finishApplyFailed();
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::failure(*model->applyError())));
    const auto failed = telemetry.withName("remediation_failed");
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0]["exit_code"].toInt(), 1);
    EXPECT_EQ(telemetry.names(), QStringList{"remediation_failed"});
}

TEST_F(ZprofileDiffSheetModelTest, AnUnreadableFileIsNeverOverwritten) {
    const QByteArray bytes("\xff\xfe\x00 not text", 11);
    fs->createFile(kZprofile, bytes);
    auto model = loaded();
    ASSERT_EQ(model->state(), State::loadFailed);
    EXPECT_TRUE(model->loadError()->startsWith("Couldn't read ~/.zprofile: "));
    model->apply();
    model->cancel();
    model->cancel();
    EXPECT_EQ(fs->contents(kZprofile), bytes);
    EXPECT_THAT(outcomes, ElementsAre(RemediationOutcome::canceled()));
    const auto canceled = telemetry.withName("remediation_canceled");
    ASSERT_EQ(canceled.size(), 1);
    EXPECT_EQ(canceled[0]["remediation_id"].toString(), "zprofile:/Users/~/jdk");
}

TEST_F(ZprofileDiffSheetModelTest, AnExportAlreadyThereNeedsNoChange) {
    fs->createFile(kZprofile, "  export JAVA_HOME=/opt/jdk\n");
    auto model = loaded();
    ASSERT_EQ(model->state(), State::alreadySet);
    model->apply();
    model->finishAlreadySet();
    EXPECT_THAT(outcomes,
                ElementsAre(RemediationOutcome::success("JAVA_HOME already set in ~/.zprofile.")));
    EXPECT_FALSE(fs->fileExists("/Users/dev/.zprofile.bak"));
    EXPECT_EQ(telemetry.names(), QStringList{"remediation_completed"});
}

} // namespace
} // namespace tovr::test
