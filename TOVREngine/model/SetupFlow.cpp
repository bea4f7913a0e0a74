#include "model/SetupFlow.h"

namespace tovr {

QString toRaw(SetupFlow value) {
    switch (value) {
    case SetupFlow::diagnose:
        return QStringLiteral("diagnose");
    case SetupFlow::setupWorkflow:
        return QStringLiteral("setupWorkflow");
    }
    return {};
}

template <> std::optional<SetupFlow> fromRaw<SetupFlow>(QStringView raw) {
    return detail::matchRaw<SetupFlow>(raw, allSetupFlows);
}

} // namespace tovr
