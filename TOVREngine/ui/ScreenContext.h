#pragma once

#include "model/AppNavigation.h"
#include "platform/AppServices.h"
#include "platform/ClipboardWriting.h"
#include "platform/FileRevealing.h"
#include "platform/FolderPicking.h"
#include "platform/KeyValueStoring.h"
#include "platform/SystemEnvironment.h"
#include "platform/URLOpening.h"
#include "ui/SystemProfileState.h"
#include "ui/ToolLocationsState.h"

#include <QPointer>

#include <memory>

namespace tovr {

// What every screen of one window is given: the services, the window's profile and
// navigation, the user defaults, and the desktop's small services. The window's root owns
// the profile and the navigation; everything else is shared.
struct ScreenContext {
    AppServices services;
    QPointer<SystemProfileState> profile;
    // What the window knows of the login shell's locations; the root fills it after launch.
    QPointer<ToolLocationsState> locations;
    QPointer<AppNavigation> navigation;
    // The standard user defaults (consent, feedback given), not `services.store`.
    std::shared_ptr<KeyValueStoring> userDefaults;
    // What the profiler reads of the process: environment variables, the OS version.
    std::shared_ptr<const SystemEnvironment> environment;
    std::shared_ptr<URLOpening> urlOpener;
    std::shared_ptr<ClipboardWriting> clipboard;
    std::shared_ptr<FolderPicking> folderPicker;
    std::shared_ptr<FileRevealing> fileRevealer;

    // The window's profile, when it has one.
    std::optional<SystemProfile> currentProfile() const {
        return profile ? profile->value() : std::nullopt;
    }
    // The locations as the screens may name them now: the window's, once known; without a
    // window's state, the services' own when they are known at once (fixtures, the demo).
    std::optional<ToolLocations> knownLocations() const {
        if (locations)
            return locations->value();
        return services.toolLocations ? services.toolLocations->ifRead()
                                      : std::optional(ToolLocations{});
    }
};

} // namespace tovr
