#include "TovrinCliApp.h"

#include "demo/DemoMac.h"
#include "platform/AppServices.h"
#include "platform/ChildProcessRegistry.h"
#include "platform/LiveKeyValueStore.h"
#include "telemetry/TelemetryService.h"
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

ScreenContext desktopContext(const std::shared_ptr<LiveFolderPicker>& picker,
                             const std::unique_ptr<DemoMac>& demo) {
    ScreenContext context;
    if (demo) {
        context.services = demo->services();
        context.userDefaults = demo->userDefaults();
        context.environment = demo->environment();
    } else {
        context.services = AppServices::live();
        context.userDefaults = std::make_shared<LiveKeyValueStore>();
        context.environment = SystemEnvironment::live();
    }
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
    const bool demoMode = runsOverDemoMac();
    // The demo sends nothing anywhere: its usage events are switched off before the
    // telemetry service first reads the environment.
    if (demoMode)
        qputenv("TOVR_TELEMETRY_DISABLED", "1");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tovrin"));
    QApplication::setApplicationName(QStringLiteral("Tovrin for the Command Line"));
    const TovrinCliApp application;
    // Every setting the demo keeps (its user defaults, the usage-event session) stays in
    // its own scope, apart from the real application's.
    if (demoMode)
        QApplication::setApplicationName(DemoMac::settingsApplicationName());
    QApplication::setApplicationVersion(QStringLiteral(TOVR_VERSION));

    const auto picker = std::make_shared<LiveFolderPicker>();
    std::unique_ptr<DemoMac> demo;
    if (demoMode)
        demo = std::make_unique<DemoMac>();
    const ScreenContext base = desktopContext(picker, demo);
    std::unique_ptr<QWidget> window(
        application.makeWindow(base, demoMode ? QStringLiteral(" — Demo Mac") : QString()));
    picker->setWindow(window.get());
    window->show();

    const int rc = app.exec();
    window.reset();
    // Nothing outlives the window: children are ended, workers joined, events persisted.
    ChildProcessRegistry::shared().shutdown();
    TelemetryService::shutdownShared();
    return rc;
}
