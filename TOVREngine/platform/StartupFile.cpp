#include "platform/StartupFile.h"

#include "platform/FileChecks.h"

namespace tovr {

StartupFile StartupFile::of(const FileSystemOperating& fs, const ToolLocations& locations,
                            const QString& name) {
    StartupFile file;
    file.path = locations.startupFile(fs.homeDirectory(), name);
    if (file.path) {
        file.shown = shownFromHome(fs, *file.path);
        return file;
    }
    const QString zdotdir = locations.variables.value(QStringLiteral("ZDOTDIR"));
    file.shown = zdotdir + u'/' + name;
    file.untold =
        QStringLiteral("Nothing was changed: couldn't tell which %1 zsh reads, because ZDOTDIR "
                       "is set to \u201c%2\u201d, which is not a full path. Set ZDOTDIR to a "
                       "full path (such as \"$HOME/zsh\") or remove it, then try again.")
            .arg(name, zdotdir);
    return file;
}

QString otherLoginShellNote(const ToolLocations& locations) {
    if (locations.loginShellIsZsh())
        return {};
    return QStringLiteral("Your login shell is %1, which doesn't read zsh's start-up files, so "
                          "a new terminal won't pick this up. To use it, make zsh your login "
                          "shell (run chsh -s /bin/zsh in Terminal), then open a new terminal.")
        .arg(locations.loginShellName());
}

} // namespace tovr
