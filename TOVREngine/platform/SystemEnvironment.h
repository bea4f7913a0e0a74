#pragma once

#include "platform/SystemProfile.h"

#include <QString>

#include <memory>
#include <optional>

namespace tovr {

// What the profiler reads of the running process itself: environment variables and the
// operating system's version. Tests replace it to be any Mac on any machine.
class SystemEnvironment {
public:
    virtual ~SystemEnvironment() = default;
    virtual std::optional<QString> variable(const QString& name) const = 0;
    virtual OperatingSystemVersion operatingSystemVersion() const = 0;

    // The process's own environment and version.
    static std::shared_ptr<const SystemEnvironment> live();
};

} // namespace tovr
