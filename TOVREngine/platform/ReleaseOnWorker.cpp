#include "platform/ReleaseOnWorker.h"

#include "platform/WorkerTask.h"

#if defined(__GLIBC__)
#include <malloc.h>
#elif defined(__APPLE__)
#include <malloc/malloc.h>
#endif

namespace tovr {

void releaseOnWorker(QStringList&& lines) {
    constexpr qsizetype kManyLines = 10000;
    if (lines.size() < kManyLines) {
        lines = {};
        return;
    }
    WorkerTask::launch(WorkerTask::make(), [held = std::move(lines)](WorkerTask&) mutable {
        held = {};
        // A closed log's blocks are not needed again.
        returnFreedMemory();
    });
}

void returnFreedMemory() {
#if defined(__GLIBC__)
    // glibc keeps freed small blocks for reuse.
    malloc_trim(0);
#elif defined(__APPLE__)
    // So do a Mac's malloc zones; null relieves them all.
    malloc_zone_pressure_relief(nullptr, 0);
#endif
}

} // namespace tovr
