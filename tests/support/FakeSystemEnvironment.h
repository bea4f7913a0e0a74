#pragma once

#include "platform/SystemEnvironment.h"

#include <QMap>

namespace tovr::test {

// A process environment and operating-system version of the test's choosing.
class FakeSystemEnvironment final : public SystemEnvironment {
public:
    FakeSystemEnvironment(QMap<QString, QString> variables, OperatingSystemVersion version)
        : variables_(std::move(variables)), version_(version) {}
    std::optional<QString> variable(const QString& name) const override {
        auto it = variables_.constFind(name);
        return it == variables_.cend() ? std::nullopt : std::optional(*it);
    }
    OperatingSystemVersion operatingSystemVersion() const override { return version_; }

private:
    QMap<QString, QString> variables_;
    OperatingSystemVersion version_;
};

} // namespace tovr::test
