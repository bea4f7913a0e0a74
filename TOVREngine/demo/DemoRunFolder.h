#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tovr {

// The folder one run of the demo lives in, made before the application object so that what
// Qt keeps for a desktop session goes in it too: the demo Mac's files, and a runtime folder
// for a session that has none. It goes, with all it holds, when this goes; a run killed
// outright leaves it to the next start's DemoMac::removeLeftovers.
class DemoRunFolder {
public:
    // In the temporary folder, under the demo's name for this process.
    DemoRunFolder();

    // False when the folder or its runtime folder could not be made; errorString() says why.
    bool isValid() const { return valid_; }
    QString errorString() const;
    QString path() const { return dir_.path(); }
    // The private folder (0700) handed to Qt as XDG_RUNTIME_DIR when the session has none.
    QString runtimeFolder() const { return dir_.filePath(QStringLiteral("runtime")); }

    // Gives Qt what it looks for in a desktop session, so that it neither writes beside this
    // folder nor starts anything: XDG_RUNTIME_DIR when unset, and when there is no session
    // bus to talk to, a bus address that leads nowhere: without one, the accessibility
    // bridge has libdbus autolaunch a bus (dbus-launch), which outlives the application and
    // writes into the home folder. Call before the application object and any thread exist.
    void provideSessionEnvironment() const;

private:
    QTemporaryDir dir_;
    bool valid_ = false;
    int runtimeError_ = 0;
};

} // namespace tovr
