#pragma once

#include <QString>

namespace tovr {

// Shows a file or folder in the file manager.
class FileRevealing {
public:
    virtual ~FileRevealing() = default;
    virtual void reveal(const QString& path) = 0;
};

} // namespace tovr
