#include "platform/TemporaryFolder.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace tovr {

namespace {

bool canHoldFolders(const QFileInfo& folder) {
    return folder.isDir() &&
           ::access(QFile::encodeName(folder.absoluteFilePath()).constData(), W_OK | X_OK) == 0;
}

} // namespace

QString TemporaryFolder::systemFolder() {
    return QStringLiteral("/tmp");
}

TemporaryFolder TemporaryFolder::choose(const QString& tmpdir) {
    // Qt's own temporary path is empty for a folder that does not exist, and an empty path
    // means the working folder to QDir: never use it unchecked.
    const QFileInfo named(tmpdir);
    if (!tmpdir.isEmpty() && named.exists()) {
        if (canHoldFolders(named))
            return {QDir::cleanPath(named.absoluteFilePath()), {}};
        return {{},
                QStringLiteral("TMPDIR is set to ") + tmpdir +
                    (named.isDir() ? QStringLiteral(", a folder that cannot hold new folders")
                                   : QStringLiteral(", which is not a folder")) +
                    QStringLiteral(". Point it at a folder you can write to, or unset it.")};
    }
    const QFileInfo system(systemFolder());
    if (canHoldFolders(system))
        return {systemFolder(), {}};
    return {{},
            QStringLiteral("There is no temporary folder to use: ") +
                (tmpdir.isEmpty() ? QStringLiteral("TMPDIR is not set")
                                  : QStringLiteral("TMPDIR names ") + tmpdir +
                                        QStringLiteral(", which does not exist")) +
                QStringLiteral(", and ") + systemFolder() +
                QStringLiteral(" cannot hold new folders. Point TMPDIR at a folder you can "
                               "write to.")};
}

TemporaryFolder TemporaryFolder::settle() {
    const QString tmpdir = qEnvironmentVariable("TMPDIR");
    TemporaryFolder chosen = choose(tmpdir);
    if (!chosen.path.isEmpty() && QDir::cleanPath(tmpdir) != chosen.path)
        qputenv("TMPDIR", QFile::encodeName(chosen.path));
    return chosen;
}

} // namespace tovr
