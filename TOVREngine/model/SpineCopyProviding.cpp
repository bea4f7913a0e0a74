#include "model/SpineCopyProviding.h"

namespace tovr {

QString SpineCopyProviding::workspacePrompt() const {
    return QStringLiteral("Choose a folder to work in");
}

QString setupStatusWord(SetupDiagnosisClassification classification) {
    switch (classification) {
    case SetupDiagnosisClassification::ready:
        return QStringLiteral("installed");
    case SetupDiagnosisClassification::fixable:
        return QStringLiteral("not installed");
    case SetupDiagnosisClassification::blocked:
        return QStringLiteral("needs attention");
    case SetupDiagnosisClassification::unknown:
        break;
    }
    return QStringLiteral("unknown");
}

} // namespace tovr
