#pragma once

#include "demo/DemoMac.h"
#include "telemetry/TelemetryService.h"
#include "ui/ScreenContext.h"

#include <memory>

class QWidget;

namespace tovr {

class DemoDesktop;
class DemoFolderPicker;
class DemoNotes;

// The application running over the demo Mac: the Mac, its desktop (notes in the window
// instead of the browser, the clipboard, the Finder and other apps; a folder panel over the
// Mac's own files) and its usage events, switched off, with their session kept among the
// Mac's settings. Nothing outside the Mac's folder is written, and that folder goes when the
// session and the screens it served are gone: whatever keeps settings through Qt's defaults
// keeps them in an INI file among the Mac's settings while the session lives.
class DemoSession {
public:
    explicit DemoSession(DemoMac::Options options = {});
    ~DemoSession();
    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    // Services, user defaults, environment and desktop of the demo Mac; no profile or
    // navigation (each window makes its own).
    const ScreenContext& context() const { return context_; }
    // The window that the notes and the folder panel appear over.
    void setWindow(QWidget* window);

    DemoMac& mac() { return *mac_; }

private:
    class QtSettingsInside;

    std::unique_ptr<DemoMac> mac_;
    std::unique_ptr<QtSettingsInside> qtSettings_;
    std::unique_ptr<DemoNotes> notes_;
    std::shared_ptr<DemoDesktop> desktop_;
    std::shared_ptr<DemoFolderPicker> picker_;
    std::unique_ptr<TelemetryService::ScopedShared> telemetry_;
    ScreenContext context_;
};

} // namespace tovr
