#pragma once

#include "platform/RawValue.h"

#include <array>

namespace tovr {

// The kind of flow a product runs.
enum class SetupFlow { diagnose, setupWorkflow };

inline constexpr std::array allSetupFlows{SetupFlow::diagnose, SetupFlow::setupWorkflow};

QString toRaw(SetupFlow value);
template <> std::optional<SetupFlow> fromRaw<SetupFlow>(QStringView raw);

} // namespace tovr
