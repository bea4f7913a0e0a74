#include "platform/ResourceLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tovr {

QString resourcesDirectory() {
    QStringList candidates;
    // The binary's folder is known only once the application object exists.
    if (QCoreApplication::instance()) {
        const QString appDir = QCoreApplication::applicationDirPath();
        candidates << QDir::cleanPath(appDir + QStringLiteral("/../Resources"))
                   << appDir + QStringLiteral("/Resources");
    }
    candidates << QStringLiteral(TOVR_SOURCE_RESOURCES_DIR);
    for (const auto& candidate : candidates)
        if (QFileInfo(candidate).isDir())
            return candidate;
    return candidates.last();
}

} // namespace tovr
