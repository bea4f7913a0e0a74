#include "services/InstallFollowUps.h"

#include "model/ProductConfig.h"
#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/StartupFile.h"
#include "services/ShellConfigurator.h"
#include "services/ZprofileWriter.h"

namespace tovr {

StartupFile InstallFollowUps::zprofile() const {
    return StartupFile::of(*fs, locations, QStringLiteral(".zprofile"));
}

QString InstallFollowUps::enableClaudeAutoUpdate() const {
    const StartupFile zprofile = this->zprofile();
    if (!zprofile.path)
        return zprofile.untold;
    const QString& shown = zprofile.shown;
    try {
        const auto preview =
            FileAppendWriter(*zprofile.path, fs, ProductConfig::current().shellMarker(), clock)
                .append(QStringLiteral("export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1"),
                        QStringLiteral("Claude Code auto-update"),
                        QStringLiteral("CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE"),
                        /*activeLineOnly=*/true);
        if (preview.alreadySet)
            return QStringLiteral("Claude Code auto-update is already enabled in ") + shown + u'.';
        return QStringLiteral("Enabled Claude Code auto-update in ") + shown +
               QStringLiteral(" (backup at ") + preview.backupPath + QStringLiteral(").");
    } catch (const Error& error) {
        return QStringLiteral("Couldn't enable Claude Code auto-update: ") + error.description();
    }
}

QString InstallFollowUps::setJavaHome() const {
    const StartupFile zprofile = this->zprofile();
    if (!zprofile.path)
        return zprofile.untold;
    const QString& shown = zprofile.shown;
    try {
        const FileAppendWriter writer(*zprofile.path, fs, ProductConfig::current().shellMarker(),
                                      clock);
        const auto preview = ZprofileWriter{writer}.previewJavaHome(/*includePathLine=*/false);
        writer.apply(preview);
        if (preview.alreadySet)
            return QStringLiteral("JAVA_HOME is already set in ") + shown + u'.';
        return QStringLiteral("Set JAVA_HOME in ") + shown +
               QStringLiteral(" (macOS finds `java` on its own; backup at ") + preview.backupPath +
               QStringLiteral(").");
    } catch (const Error& error) {
        return QStringLiteral("Couldn't set JAVA_HOME: ") + error.description();
    }
}

QStringList InstallFollowUps::configureMise() const {
    return ShellConfigurator{fs, clock, locations}.configureMise();
}

} // namespace tovr
