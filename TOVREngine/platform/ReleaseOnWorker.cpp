#include "platform/ReleaseOnWorker.h"

#include "platform/WorkerTask.h"

#ifdef __GLIBC__
#include <malloc.h>
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
#ifdef __GLIBC__
        // glibc keeps freed small blocks for reuse; a closed log's are not needed again.
        malloc_trim(0);
#endif
    });
}

} // namespace tovr
