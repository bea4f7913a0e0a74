#include "model/ProjectTemplate.h"

namespace tovr {

QString toRaw(ProjectTemplate value) {
    switch (value) {
    case ProjectTemplate::simple:
        return QStringLiteral("simple");
    case ProjectTemplate::coding:
        return QStringLiteral("coding");
    }
    return {};
}

template <> std::optional<ProjectTemplate> fromRaw<ProjectTemplate>(QStringView raw) {
    return detail::matchRaw<ProjectTemplate>(raw, allProjectTemplates);
}

} // namespace tovr
