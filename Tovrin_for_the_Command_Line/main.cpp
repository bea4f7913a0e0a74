#include "TovrinCliApp.h"

#include "QuitOnSignals.h"
#include "demo/DemoRunFolder.h"
#include "demo/views/DemoSession.h"
#include "platform/AppServices.h"
#include "platform/ChildProcessRegistry.h"
#include "platform/LiveKeyValueStore.h"
#include "platform/TemporaryFolder.h"
#include "telemetry/TelemetryService.h"
#include "ui/views/ApplicationMenu.h"
#include "ui/views/ApplicationQuit.h"
#include "ui/views/LiveDesktopServices.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <memory>

using namespace tovr;

namespace {

// Without a display Qt aborts with a message few people understand; say it plainly.
bool hasDisplay() {
#if defined(Q_OS_MACOS) || defined(Q_OS_WIN)
    return true;
#else
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#endif
}

// On a Mac the application sets up the Mac itself; elsewhere, or when asked, it runs over the
// demo Mac.
bool runsOverDemoMac() {
#if defined(Q_OS_MACOS)
    return qEnvironmentVariable("TOVR_DEMO") == QLatin1String("1");
#else
    return true;
#endif
}

ScreenContext liveContext(const std::shared_ptr<LiveFolderPicker>& picker) {
    ScreenContext context;
    context.services = AppServices::live();
    context.userDefaults = std::make_shared<LiveKeyValueStore>();
    context.environment = SystemEnvironment::live();
    context.urlOpener = std::make_shared<LiveURLOpener>();
    context.clipboard = std::make_shared<LiveClipboard>();
    context.folderPicker = picker;
    context.fileRevealer = std::make_shared<LiveFileRevealer>();
    return context;
}

} // namespace

int main(int argc, char** argv) {
    if (!hasDisplay()) {
        std::fprintf(stderr,
                     "No display to open the window on. Run it on a desktop session, or under a "
                     "virtual display: xvfb-run make run\n");
        return 2;
    }
    // Before anything is made that must be cleaned up: a signal ends the event loop, and
    // everything below is undone in order.
    QuitOnSignals quitOnSignals;
    // Qt, the demo Mac and every child take temporary files from one folder that exists.
    const TemporaryFolder temporary = TemporaryFolder::settle();
    if (!temporary.problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(temporary.problem));
        return 1;
    }
    const bool demoMode = runsOverDemoMac();
    std::unique_ptr<DemoRunFolder> runFolder;
    if (demoMode) {
        // The demo sends nothing anywhere: its usage events are switched off before the
        // telemetry service first reads the environment.
        qputenv("TOVR_TELEMETRY_DISABLED", "1");
        DemoMac::removeLeftovers();
        runFolder = std::make_unique<DemoRunFolder>();
        if (!runFolder->isValid()) {
            std::fprintf(stderr, "Couldn't make the demo Mac's folder in %s: %s\n",
                         qPrintable(temporary.path), qPrintable(runFolder->errorString()));
            return 1;
        }
        runFolder->provideSessionEnvironment();
    }
    QApplication app(argc, argv);
    ApplicationQuit quit;
    quitOnSignals.onSignal(&quit, [&quit] { quit.quit(); });
    QApplication::setOrganizationName(QStringLiteral("Tovrin"));
    QApplication::setApplicationName(QStringLiteral("Tovrin for the Command Line"));
    QApplication::setApplicationVersion(QStringLiteral(TOVR_VERSION));
    const TovrinCliApp application;

    std::unique_ptr<DemoSession> demo;
    const auto picker = std::make_shared<LiveFolderPicker>();
    if (demoMode) {
        DemoMac::Options options;
        options.parentFolder = runFolder->path();
        try {
            demo = std::make_unique<DemoSession>(options);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "Couldn't set up the demo Mac in %s: %s\n",
                         qPrintable(runFolder->path()), error.what());
            return 1;
        }
    }
    std::unique_ptr<QWidget> window(
        application.makeWindow(demo ? demo->context() : liveContext(picker),
                               demo ? QStringLiteral(" — Demo Mac") : QString()));
    // The application's menus and their keys; their Quit ends it as every other quit does.
    new ApplicationMenu(window.get(), [&quit] { quit.quit(); }); // the window owns it
    if (demo)
        demo->setWindow(window.get());
    else
        picker->setWindow(window.get());
    window->show();

    const int rc = app.exec();
    window.reset();
    // Nothing outlives the window: children are ended, workers joined, events persisted,
    // and then the demo Mac's folder goes.
    ChildProcessRegistry::shared().shutdown();
    demo.reset();
    TelemetryService::shutdownShared();
    return rc;
}
