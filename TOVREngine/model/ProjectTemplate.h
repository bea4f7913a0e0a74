#pragma once

#include "platform/RawValue.h"

#include <array>

namespace tovr {

// The example projects the app can copy into Documents.
enum class ProjectTemplate { simple, coding };

inline constexpr std::array allProjectTemplates{ProjectTemplate::simple, ProjectTemplate::coding};

QString toRaw(ProjectTemplate value);
template <> std::optional<ProjectTemplate> fromRaw<ProjectTemplate>(QStringView raw);

} // namespace tovr
