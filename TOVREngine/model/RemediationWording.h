#pragma once

#include "model/Remediation.h"

#include <QString>

namespace tovr {

// What the progress screen of a remediation says: its header, and the sentences it ends
// with.
struct RemediationWording {
    static QString title(const Remediation& remediation);
    static QString subtitle(const Remediation& remediation);
    static QString successMessage(const Remediation& remediation);
    // Markdown: names the troubleshooting article.
    static QString failureMessage(qint32 exitCode);
};

} // namespace tovr
