#pragma once

#include "demo/DemoProcessRunner.h"
#include "platform/AppServices.h"
#include "platform/SandboxFileSystem.h"
#include "platform/SystemEnvironment.h"

#include <memory>

namespace tovr {

// A new Apple silicon Mac on macOS 14, simulated end to end for `make run` where there is
// no Mac to set up: its files in a temporary folder, its programs and network answered in
// process, zsh as the login shell. The services are live ones (not fixture mode): the app
// profiles, probes and installs as on a Mac, only against this one. Its user defaults keep
// to a scope of their own, so the real application's settings never change. The temporary
// folders go when the last user of its services lets go of them.
class DemoMac {
public:
    struct Options {
        DemoProcessRunner::Pace pace;
        // Keep the user defaults in a temporary folder of their own (every run a first
        // launch, nothing written to the user's settings), not in the demo's scope.
        bool privateDefaults = false;
    };

    DemoMac();
    explicit DemoMac(Options options);

    AppServices services() const;
    std::shared_ptr<const SystemEnvironment> environment() const { return environment_; }
    std::shared_ptr<KeyValueStoring> userDefaults() const { return defaults_; }
    const std::shared_ptr<SandboxFileSystem>& fs() const { return fs_; }

    // The application name of the demo's settings scope; the organisation is the
    // application's, so set it before building a DemoMac.
    static QString settingsApplicationName();

private:
    std::shared_ptr<SandboxFileSystem> fs_;
    std::shared_ptr<DemoProcessRunner> runner_;
    std::shared_ptr<HTTPFetching> http_;
    std::shared_ptr<const SystemEnvironment> environment_;
    std::shared_ptr<KeyValueStoring> defaults_;
};

} // namespace tovr
