#pragma once

#include <QStringList>

namespace tovr {

// Lets go of `lines` on a worker thread when they are many: the last hold on a long log frees
// tens of thousands of strings, which would keep the GUI thread for a frame or more as its
// sheet closes. The freed pages then go back to the system. A short list goes at once.
void releaseOnWorker(QStringList&& lines);

// Hands the blocks the allocator keeps for reuse back to the system, where it keeps any.
void returnFreedMemory();

} // namespace tovr
