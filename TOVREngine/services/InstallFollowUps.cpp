#include "services/InstallFollowUps.h"

#include "model/ProductConfig.h"
#include "platform/Error.h"
#include "services/ShellConfigurator.h"
#include "services/ZprofileWriter.h"

namespace tovr {

QString InstallFollowUps::zprofile() const {
    return fs->homeDirectory() + QStringLiteral("/.zprofile");
}

QString InstallFollowUps::enableClaudeAutoUpdate() const {
    try {
        const auto preview =
            FileAppendWriter(zprofile(), fs, ProductConfig::current().shellMarker(), clock)
                .append(QStringLiteral("export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1"),
                        QStringLiteral("Claude Code auto-update"),
                        QStringLiteral("CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE"),
                        /*activeLineOnly=*/true);
        if (preview.alreadySet)
            return QStringLiteral("Claude Code auto-update is already enabled in ~/.zprofile.");
        return QStringLiteral("Enabled Claude Code auto-update in ~/.zprofile (backup at ") +
               preview.backupPath + QStringLiteral(").");
    } catch (const Error& error) {
        return QStringLiteral("Couldn't enable Claude Code auto-update: ") + error.description();
    }
}

QString InstallFollowUps::setJavaHome() const {
    try {
        const FileAppendWriter writer(zprofile(), fs, ProductConfig::current().shellMarker(),
                                      clock);
        const auto preview = ZprofileWriter{writer}.previewJavaHome(/*includePathLine=*/false);
        writer.apply(preview);
        if (preview.alreadySet)
            return QStringLiteral("JAVA_HOME is already set in ~/.zprofile.");
        return QStringLiteral("Set JAVA_HOME in ~/.zprofile (macOS finds `java` on its own; "
                              "backup at ") +
               preview.backupPath + QStringLiteral(").");
    } catch (const Error& error) {
        return QStringLiteral("Couldn't set JAVA_HOME: ") + error.description();
    }
}

QStringList InstallFollowUps::configureMise() const {
    return ShellConfigurator{fs, clock}.configureMise();
}

} // namespace tovr
