#include "platform/AppServices.h"

#include "platform/LiveFileSystem.h"
#include "platform/LiveHTTPFetcher.h"
#include "platform/LiveKeyValueStore.h"
#include "platform/LiveProcessRunner.h"
#include "platform/LoginEnvironmentRunner.h"
#include "platform/LoginShellRead.h"

namespace tovr {

AppServices AppServices::live() {
    // A function-local static: built once, and safely, however many threads ask first.
    static const AppServices bundle = [] {
        AppServices services;
        // Read once through the user's login shell, on a runner of its own; every child
        // of the application then starts from what that shell exports.
        services.toolLocations =
            LoginShellRead::source(LoginShellRead::runner(), *SystemEnvironment::live());
        services.processRunner = std::make_shared<LoginEnvironmentRunner>(
            std::make_shared<LiveProcessRunner>(), services.toolLocations);
        services.http = std::make_shared<LiveHTTPFetcher>();
        services.fs = std::make_shared<LiveFileSystem>();
        services.store = std::make_shared<LiveKeyValueStore>();
        services.isFixtureMode = false;
        return services;
    }();
    return bundle;
}

} // namespace tovr
