#include "workflow/CaskSection.h"

#include "workflow/SetupSelections.h"

namespace tovr {

CaskSection::CaskSection(StageScope scope, Entry entry)
    : scope_(std::move(scope)), entry_(std::move(entry)) {}

CaskSection::Offered CaskSection::offeredByID(const QList<SetupRemediation>& fixes) {
    Offered offered;
    for (const auto& fix : fixes)
        offered.insert(fix.id(), fix);
    return offered;
}

void CaskSection::seed(const Offered& offered) {
    auto* selections = scope_.selections;
    if (!selections || selections->didSeedCasks.contains(scope_.domainID))
        return;
    selections->didSeedCasks.insert(scope_.domainID);
    for (auto it = offered.constBegin(); it != offered.constEnd(); ++it)
        selections->selectedCasks.insert(it.key());
}

QList<CaskSection::Row> CaskSection::rows(const Offered& offered) const {
    QList<Row> rows;
    for (const auto& item : entry_.items) {
        const bool isOffered = offered.contains(item.remediationID);
        const bool ticked = isOffered && scope_.selections &&
                            scope_.selections->selectedCasks.contains(item.remediationID);
        rows.append({item.remediationID, item.label, item.accessibilityID, isOffered, ticked});
    }
    return rows;
}

void CaskSection::setTicked(const QString& remediationID, bool ticked) {
    if (!scope_.selections)
        return;
    if (ticked)
        scope_.selections->selectedCasks.insert(remediationID);
    else
        scope_.selections->selectedCasks.remove(remediationID);
}

QList<SetupRemediation> CaskSection::chosenFixes(const Offered& offered) const {
    QList<SetupRemediation> fixes;
    if (!scope_.selections)
        return fixes;
    for (const auto& item : entry_.items) {
        const auto it = offered.constFind(item.remediationID);
        if (it != offered.constEnd() &&
            scope_.selections->selectedCasks.contains(item.remediationID))
            fixes.append(*it);
    }
    return fixes;
}

void CaskSection::install(const Offered& offered) {
    const auto fixes = chosenFixes(offered);
    if (!fixes.isEmpty())
        scope_.requestInstall(entry_.installID, entry_.title, fixes, true);
}

} // namespace tovr
