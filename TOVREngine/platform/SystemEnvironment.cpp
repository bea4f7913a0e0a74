#include "platform/SystemEnvironment.h"

#include <QOperatingSystemVersion>

namespace tovr {

namespace {

class LiveSystemEnvironment final : public SystemEnvironment {
public:
    std::optional<QString> variable(const QString& name) const override {
        const QByteArray key = name.toLocal8Bit();
        if (!qEnvironmentVariableIsSet(key.constData()))
            return std::nullopt;
        return qEnvironmentVariable(key.constData());
    }
    OperatingSystemVersion operatingSystemVersion() const override {
        const auto v = QOperatingSystemVersion::current();
        return {qMax(0, v.majorVersion()), qMax(0, v.minorVersion()), qMax(0, v.microVersion())};
    }
};

} // namespace

std::shared_ptr<const SystemEnvironment> SystemEnvironment::live() {
    static const auto environment = std::make_shared<const LiveSystemEnvironment>();
    return environment;
}

} // namespace tovr
