#include "diagnosis/ScriptedRemediationWorkers.h"
#include "support/FakeDesktop.h"
#include "support/FakeExecutables.h"
#include "support/QtPrinting.h"
#include "support/ScopedProductConfig.h"
#include "support/ScriptedFixStarter.h"
#include "support/TestScreenContext.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "diagnosis/StreamingRemediationModel.h"
#include "diagnosis/views/RemediationProgressDialog.h"
#include "model/Remediation.h"
#include "products/cli/CliProductConfig.h"
#include "telemetry/TelemetryConfiguration.h"
#include "ui/views/ApplicationMenu.h"
#include "ui/views/ApplicationQuit.h"
#include "ui/views/LiveDesktopServices.h"
#include "ui/views/LiveLogView.h"
#include "ui/views/Typography.h"
#include "workflow/views/SetupActionProgressDialog.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

// The platform's quit (Cmd-Q, the session's end) or the Quit of the application's menu.
enum class QuitBy { platform, menu };

class ApplicationQuitBy : public ::testing::TestWithParam<QuitBy> {};

} // namespace

// A quit cancels every running run through its model, as the sheet's Cancel does, and ends
// the event loop: no sheet, running or finished, refuses the close that comes with it.
TEST_P(ApplicationQuitBy, CancelsTheRunsAndNoSheetRefusesIt) {
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
    auto* menu = new ApplicationMenu(&installing, [&quit] { quit.quit(); });
    QTimer refused;
    refused.setSingleShot(true);
    QObject::connect(&refused, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    refused.start(10000);
    if (GetParam() == QuitBy::menu)
        QTimer::singleShot(0, menu->action(ApplicationMenu::Command::quit), &QAction::trigger);
    else
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    refused.stop();

    EXPECT_EQ(outcomes, QList<SetupActionOutcome>{SetupActionOutcome::canceled});
    EXPECT_TRUE(spinUntil([&] { return fixes.canceledIDs() == QStringList{brew.id()}; }));
    EXPECT_TRUE(remediationCanceled);
    EXPECT_TRUE(spinUntil([&] { return running.isNull() && remediation.isNull(); }));
    // The platform closes the windows as it quits; otherwise they go once exec() returns.
    for (QWidget* window : {&installing, &installed, &remediating})
        EXPECT_EQ(window->isVisible(), GetParam() == QuitBy::menu);
    EXPECT_TRUE(spinUntil(noWorkerRunning));
}

INSTANTIATE_TEST_SUITE_P(PlatformAndMenu, ApplicationQuitBy,
                         ::testing::Values(QuitBy::platform, QuitBy::menu));

// The menus' keys and actions on a window: Edit reaches the focused field, the log and a label's
// selection; Window closes and minimises; About says which version runs; Quit is the quit given.
TEST(ApplicationMenu, ItsKeysAndActionsReachTheWindowAndWhatHasTheFocus) {
    using Command = ApplicationMenu::Command;
    ScopedProductConfig product(cliProduct());
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit(&window);
    field->setAccessibleName("Command");
    auto* label = makePlainLabel("Homebrew is installed.", TextStyle::body, &window);
    auto* button = new QPushButton("Continue", &window);
    const auto logClipboard = std::make_shared<FakeClipboard>();
    auto* log = new LiveLogView("Output", logClipboard, &window);
    const QStringList lines{"==> Downloading", "==> Pouring"};
    log->setSource(&window, [&lines]() -> const QStringList& { return lines; });
    for (QWidget* widget : std::initializer_list<QWidget*>{field, label, button, log})
        layout->addWidget(widget);
    int quits = 0;
    auto* menu = new ApplicationMenu(&window, [&quits] { ++quits; });
    window.resize(720, 700);
    window.show();
    ASSERT_TRUE(spinUntil([&] { return window.isActiveWindow() && log->lines() == lines; }));
    const auto trigger = [&](Command command) { menu->action(command)->trigger(); };

    field->setFocus();
    QGuiApplication::clipboard()->setText("brew doctor");
    trigger(Command::paste);
    EXPECT_EQ(field->text(), "brew doctor");
    trigger(Command::selectAll);
    trigger(Command::cut);
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "brew doctor");

    // The log keeps Ctrl+C and Ctrl+A for its own lines, by key and from the menu alike.
    log->setFocus();
    QTest::keyClick(log, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(log, Qt::Key_C, Qt::ControlModifier);
    log->clearSelection();
    trigger(Command::selectAll);
    trigger(Command::copy);
    EXPECT_EQ(logClipboard->texts, QStringList(2, lines.join('\n')));
    log->hide(); // logs are in sheets, never behind the panel

    // A label takes no focus: Copy takes its selection wherever the focus is.
    button->setFocus();
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(label, &enter); // a pointer makes it selectable
    label->setSelection(0, 8);
    QTest::keyClick(button, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Homebrew");

    trigger(Command::about);
    QWidget* about = menu->aboutPanel();
    ASSERT_TRUE(about && spinUntil([&] { return about->isVisible(); }));
    QStringList said;
    for (auto* text : about->findChildren<QLabel*>())
        said << text->text();
    EXPECT_EQ(said, (QStringList{cliProduct().displayName,
                                 "Version " + TelemetryConfiguration::bundleAppVersion()}));
    saveScreenshot(about, "about-panel");
    ASSERT_TRUE(clickButton(about, "about-ok"));
    ASSERT_TRUE(spinUntil([&] { return !menu->aboutPanel(); }));
    window.activateWindow();
    ASSERT_TRUE(spinUntil([&] { return window.isActiveWindow(); }));

    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits, 1);
    QTest::keyClick(&window, Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(spinUntil([&] { return window.isMinimized(); }));
    window.showNormal();
    window.activateWindow();
    ASSERT_TRUE(spinUntil([&] { return window.isActiveWindow(); }));
    QTest::keyClick(&window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(spinUntil([&] { return !window.isVisible(); }));
}

// The folder panel shows its message above the folders on every system (a Mac's native panel
// would show none), and the Finder is asked to select what it reveals, without waiting for it.
TEST(LiveDesktopServices, TheFolderPanelShowsItsMessageAndTheFinderSelectsWhatItReveals) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath("Documents/AI-Simple-Project"));
    QWidget window;
    window.resize(720, 700);
    window.show();
    LiveFolderPicker picker(&window);
    std::optional<std::optional<QString>> answer;
    picker.pickFolder("Choose a folder to work in", home.filePath("Documents"),
                      [&](std::optional<QString> folder) { answer = folder; });
    auto* panel = window.findChild<QFileDialog*>();
    ASSERT_TRUE(panel && spinUntil([&] { return panel->isVisible(); }));
    EXPECT_TRUE(panel->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(findVisible<QLabel>(panel, "folder-panel-message")->text(),
              "Choose a folder to work in");
    QPushButton* choose = nullptr;
    for (auto* candidate : panel->findChildren<QPushButton*>())
        if (candidate->text() == "Choose")
            choose = candidate;
    ASSERT_NE(choose, nullptr);
    choose->click();
    EXPECT_EQ(answer, std::optional<std::optional<QString>>(home.filePath("Documents")));

    FakeExecutables programs;
    const QString finder = programs.write(
        "open", "printf '%s\\n' \"$@\" > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"");
    LiveFileRevealer(finder).reveal(
        {home.filePath("Documents/AI-Simple-Project"), home.filePath("Documents")});
    QFile said(finder + ".args");
    ASSERT_TRUE(spinUntil([&] { return said.exists(); }));
    ASSERT_TRUE(said.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(said.readAll()), "-R\n" +
                                                     home.filePath("Documents/AI-Simple-Project") +
                                                     '\n' + home.filePath("Documents") + '\n');
}
