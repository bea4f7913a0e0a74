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
// profiles, probes and installs as on a Mac, only against this one. Its user defaults live
// inside that folder too (the Mac's ~/Library/Preferences), so every demo Mac starts as a
// new Mac and the user's own settings never change. The folder goes when the last user of
// its services lets go of them.
class DemoMac {
public:
    struct Options {
        DemoProcessRunner::Pace pace;
        // The folder the Mac's folder is made in (a DemoRunFolder's); empty: a folder of its
        // own in the temporary folder, named as folderTemplate() says.
        QString parentFolder;
    };

    DemoMac();
    explicit DemoMac(Options options);

    AppServices services() const;
    std::shared_ptr<const SystemEnvironment> environment() const { return environment_; }
    std::shared_ptr<KeyValueStoring> userDefaults() const { return defaults_; }
    const std::shared_ptr<SandboxFileSystem>& fs() const { return fs_; }

    // The host folder that holds the whole Mac while it runs.
    QString folder() const { return fs_->root(); }
    // The host folder behind the Mac's ~/Library/Preferences, where its settings live.
    QString preferencesFolder() const;

    // Removes the folders that demo Macs left in the temporary folder when their process
    // was killed outright: only this user's demo folders, only when the process that made
    // them is gone, and only there: nothing when there is no temporary folder to look in.
    // Returns how many it removed.
    static int removeLeftovers();
    // The QTemporaryDir template of a demo folder in the temporary folder: the process id
    // in the name tells a later start whether the folder's maker still runs. Empty when
    // there is no temporary folder.
    static QString folderTemplate();

private:
    std::shared_ptr<SandboxFileSystem> fs_;
    std::shared_ptr<DemoProcessRunner> runner_;
    std::shared_ptr<HTTPFetching> http_;
    std::shared_ptr<const SystemEnvironment> environment_;
    std::shared_ptr<KeyValueStoring> defaults_;
};

} // namespace tovr
