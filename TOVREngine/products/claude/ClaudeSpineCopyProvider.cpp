#include "products/claude/ClaudeSpineCopyProvider.h"

#include "products/claude/ClaudeSpineCopy.h"

namespace tovr {

std::optional<SpineScreenCopy>
ClaudeSpineCopyProvider::screenCopy(const QString& domainID,
                                    const std::optional<SetupDiagnosis>&) const {
    const auto screen = ClaudeSpineCopy::screen(domainID);
    if (!screen)
        return std::nullopt;
    return SpineScreenCopy{screen->windowTitle, screen->headline, screen->body, screen->footer};
}

QString ClaudeSpineCopyProvider::statusText(const QString& domainID,
                                            const SetupDiagnosis& diagnosis) const {
    return ClaudeSpineCopy::statusText(domainID, diagnosis.classification);
}

} // namespace tovr
