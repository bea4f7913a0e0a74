#pragma once

#include <QString>

namespace tovr {

// How a remediation screen ended, as its host learns it: success or failure with the
// sentence to show next (inline Markdown, text from the Mac escaped), or canceled. Equal by
// kind and message.
struct RemediationOutcome {
    enum class Kind { success, failure, canceled };

    Kind kind = Kind::canceled;
    QString message; // empty for canceled

    static RemediationOutcome success(QString message) {
        return {Kind::success, std::move(message)};
    }
    static RemediationOutcome failure(QString message) {
        return {Kind::failure, std::move(message)};
    }
    static RemediationOutcome canceled() { return {Kind::canceled, {}}; }

    bool operator==(const RemediationOutcome&) const = default;
};

} // namespace tovr
