#include "support/ScopedProductConfig.h"
#include "support/TestDemoMac.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "demo/views/DemoFolderPicker.h"
#include "demo/views/DemoSession.h"
#include "products/cli/CliProductConfig.h"
#include "shell/RootModel.h"
#include "shell/views/TOVRRootView.h"
#include "workflow/views/SetupWorkflowView.h"

#include <QDialog>
#include <QDirIterator>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

// Everything under `folder`, with its size and time, to tell whether anything changed.
QStringList snapshot(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        entries << info.filePath() + ' ' + QString::number(info.size()) + ' ' +
                       info.lastModified().toString(Qt::ISODateWithMs);
    }
    entries.sort();
    return entries;
}

// A home folder of the test's own for as long as it lives.
class ScopedHome {
public:
    ScopedHome() : previous_(qgetenv("HOME")), config_(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("HOME", dir_.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~ScopedHome() {
        qputenv("HOME", previous_);
        if (!config_.isEmpty())
            qputenv("XDG_CONFIG_HOME", config_);
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    QByteArray config_;
};

} // namespace

// The demo Mac as the application entry starts it: consent, the first step, quitting. The
// browser is a note in the window; the home folder of whoever runs it is left as it was, and
// the Mac's folder is gone afterwards.
TEST(DemoSession, RunsAsANewMacAndLeavesNothingBehind) {
    ScopedProductConfig product(cliProduct());
    const ScopedHome home;
    const QStringList before = snapshot(home.path());
    QString macFolder;
    for (int run = 0; run < 2; ++run) {
        auto session = std::make_unique<DemoSession>(testDemoOptions());
        macFolder = session->mac().folder();
        auto window = std::make_unique<TOVRRootView>(session->context());
        session->setWindow(window.get());
        window->resize(720, 720);
        window->show();
        settle();
        // Every run starts as a new Mac, from consent on.
        ASSERT_TRUE(clickButton(window.get(), "consent-privacy-link"));
        auto* note = findVisible<QLabel>(window.get(), "demo-note-text");
        ASSERT_NE(note, nullptr);
        EXPECT_TRUE(note->text().startsWith("On a Mac this opens https://"));
        EXPECT_TRUE(note->text().endsWith(" in the web browser."));
        if (run == 0)
            saveScreenshot(window.get(), "demo-note-browser");

        ASSERT_TRUE(clickButton(window.get(), "consent-continue"));
        // The consent is kept among the Mac's settings, and so is whatever keeps settings
        // through Qt's defaults (on a Mac those would be the real home's system defaults).
        const QString preferences = session->mac().preferencesFolder();
        QStringList consented;
        for (const QFileInfo& file : QDir(preferences).entryInfoList({"*.ini"}, QDir::Files))
            if (QSettings(file.filePath(), QSettings::IniFormat).value(consentKey()).toBool())
                consented << file.fileName();
        EXPECT_EQ(consented.size(), 1);
        const QSettings qtDefaults;
        EXPECT_EQ(qtDefaults.format(), QSettings::IniFormat);
        EXPECT_TRUE(qtDefaults.fileName().startsWith(preferences + '/'))
            << qtDefaults.fileName().toStdString();
        ASSERT_TRUE(clickButton(window.get(), "welcome-diagnose-button"));
        auto* workflow = findVisible<SetupWorkflowView>(window.get(), QString());
        ASSERT_NE(workflow, nullptr);
        EXPECT_TRUE(spinUntil(
            [&] {
                return workflow->model()->step().kind ==
                       SetupFlowModel::Step::Kind::diagnosisSummary;
            },
            10000));

        window.reset();
        session.reset();
        settle();
        EXPECT_FALSE(QFileInfo::exists(macFolder));
        EXPECT_FALSE(QSettings().fileName().startsWith(macFolder));
    }
    EXPECT_EQ(snapshot(home.path()), before);
}

// The folder panel shows the demo Mac's home, starts at the folder it is given and answers
// with a Mac path.
TEST(DemoFolderPicker, ShowsTheMacsHomeAndAnswersWithAMacPath) {
    const DemoMac mac(testDemoOptions());
    QWidget window;
    window.resize(720, 720);
    window.show();
    DemoFolderPicker picker(mac.fs(), &window);
    std::optional<std::optional<QString>> answer;
    picker.pickFolder("Choose a folder to work in", "/Users/dev/Documents",
                      [&](std::optional<QString> folder) { answer = folder; });
    auto* dialog = window.findChild<QDialog*>("demo-folder-picker");
    ASSERT_TRUE(spinUntil([&] { return dialog && dialog->isVisible(); }));
    EXPECT_EQ(findVisible<QLabel>(dialog, "folder-panel-message")->text(),
              "Choose a folder to work in");
    EXPECT_EQ(findVisible<QPushButton>(dialog, "folder-panel-choose")->text(), "Choose");
    auto* tree = findVisible<QTreeWidget>(dialog, "demo-folder-tree");
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QStringList shown;
    for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i)
        shown << tree->topLevelItem(0)->child(i)->text(0);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "dev");
    EXPECT_EQ(shown, (QStringList{"Desktop", "Documents", "Downloads", "Movies", "Music",
                                  "Pictures", "Public"}));
    EXPECT_EQ(tree->currentItem()->text(0), "Documents");
    saveScreenshot(dialog, "demo-folder-picker");

    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    ASSERT_TRUE(clickButton(dialog, "folder-panel-choose"));
    EXPECT_EQ(answer, std::optional<std::optional<QString>>(QString("/Users/dev/Desktop")));
}
