#pragma once

#include <QStringList>

namespace tovr {

// Shows files and folders in the file manager: one window with all of them selected.
class FileRevealing {
public:
    virtual ~FileRevealing() = default;
    virtual void reveal(const QStringList& paths) = 0;
};

} // namespace tovr
