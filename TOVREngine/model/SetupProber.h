#pragma once

#include <memory>

#include "model/SetupProbeBundle.h"
#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"

namespace tovr {

// Gathers a product's facts about the Mac. Never fails: what cannot be found is absent,
// false or empty. Blocks; safe to call from any thread.
class SetupProber {
public:
    virtual ~SetupProber() = default;
    virtual SetupProbeBundle probe(const ShellRunner& shell,
                                   const std::shared_ptr<FileSystemOperating>& fs) const = 0;
};

} // namespace tovr
