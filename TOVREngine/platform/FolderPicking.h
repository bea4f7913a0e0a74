#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tovr {

// Asks the user for a folder without blocking the caller: `done` runs later on the GUI
// thread with the chosen folder's path, or absent when the user canceled. It never runs
// after the picker itself is gone.
class FolderPicking {
public:
    virtual ~FolderPicking() = default;
    virtual void pickFolder(const QString& message, const QString& startPath,
                            std::function<void(std::optional<QString>)> done) = 0;
};

} // namespace tovr
