#pragma once

#include <functional>

namespace tovr {

// A read of the disk, prepared on the GUI thread from what it needs: run it on any thread
// (it only reads files); what it returns applies the result, on the GUI thread.
using DiskApply = std::function<void()>;
using DiskRead = std::function<DiskApply()>;

} // namespace tovr
