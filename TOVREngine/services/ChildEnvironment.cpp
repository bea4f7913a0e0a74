#include "services/ChildEnvironment.h"

namespace tovr {

ProcessEnvironment childEnvironment(const ProcessRunning& runner,
                                    const ProcessEnvironment& overrides) {
    ProcessEnvironment environment = runner.baseEnvironment();
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it)
        environment.insert(it.key(), it.value());
    return environment;
}

} // namespace tovr
