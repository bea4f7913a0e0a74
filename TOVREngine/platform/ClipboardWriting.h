#pragma once

#include <QString>

namespace tovr {

// Puts text on the system clipboard.
class ClipboardWriting {
public:
    virtual ~ClipboardWriting() = default;
    virtual void setText(const QString& text) = 0;
};

} // namespace tovr
