#include "services/ChildEnvironment.h"

#include <QProcessEnvironment>

namespace tovr {

ProcessEnvironment childEnvironment(const ProcessEnvironment& overrides) {
    const auto system = QProcessEnvironment::systemEnvironment();
    ProcessEnvironment environment;
    for (const auto& key : system.keys())
        environment.insert(key, system.value(key));
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it)
        environment.insert(it.key(), it.value());
    return environment;
}

} // namespace tovr
