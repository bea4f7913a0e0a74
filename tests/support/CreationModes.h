#pragma once

#include "platform/SandboxFileSystem.h"

#include <QFile>
#include <QList>

#include <mutex>

#include <sys/stat.h>

namespace tovr::test {

// Records the mode of every file and folder a sandbox creates, taken at the moment it is
// created, before anything could change it: what another user watching the folder could
// open then. The umask is 000 meanwhile, so a mode seen is the one the creating call gave.
class CreationModes {
public:
    explicit CreationModes(SandboxFileSystem& fs) : fs_(fs), previousUmask_(::umask(0)) {
        fs_.observeCreations([this](const QString& path) {
            struct stat st {};
            const int mode = ::lstat(QFile::encodeName(fs_.hostPath(path)).constData(), &st) == 0
                                 ? static_cast<int>(st.st_mode & 07777)
                                 : -1;
            std::lock_guard guard(lock_);
            seen_.append({path, mode});
        });
    }
    ~CreationModes() {
        fs_.observeCreations({});
        ::umask(previousUmask_);
    }
    CreationModes(const CreationModes&) = delete;
    CreationModes& operator=(const CreationModes&) = delete;

    // The modes `path` was created with, in order: the item itself, or the temporary files
    // an atomic write put beside it ("." + its name + "." + a suffix).
    QList<int> of(const QString& path) const {
        const qsizetype slash = path.lastIndexOf(u'/');
        const QString temporary =
            path.left(slash) + QStringLiteral("/.") + path.mid(slash + 1) + u'.';
        std::lock_guard guard(lock_);
        QList<int> modes;
        for (const auto& [created, mode] : seen_)
            if (created == path || created.startsWith(temporary))
                modes << mode;
        return modes;
    }

private:
    SandboxFileSystem& fs_;
    mode_t previousUmask_;
    mutable std::mutex lock_;
    QList<std::pair<QString, int>> seen_;
};

} // namespace tovr::test
