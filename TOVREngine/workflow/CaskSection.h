#pragma once

#include "model/SpineRenderPolicy.h"
#include "workflow/StageScope.h"

#include <QMap>

namespace tovr {

// An app stage: one checkbox per app the product lists for it, ticked the first time the
// stage is shown for every app the stage still offers; the ticked, offered apps install as
// one install that goes on past a failure.
class CaskSection {
public:
    using Entry = SpineRenderPolicy::SpecialStageKind::CaskMultiselect;
    using Offered = QMap<QString, SetupRemediation>; // by fix id

    struct Row {
        QString remediationID;
        QString label;
        QString accessibilityID;
        bool offered = false; // not offered: already installed, unticked and disabled
        bool ticked = false;
        bool operator==(const Row&) const = default;
    };

    CaskSection(StageScope scope, Entry entry);

    const Entry& entry() const { return entry_; }

    // The stage's fixes by id; a later fix with an id already seen replaces the earlier.
    static Offered offeredByID(const QList<SetupRemediation>& fixes);

    // Ticks every fix the stage offers, once per domain for the workflow's life.
    void seed(const Offered& offered);
    QList<Row> rows(const Offered& offered) const;
    void setTicked(const QString& remediationID, bool ticked);
    // The ticked apps' fixes, in the product's order.
    QList<SetupRemediation> chosenFixes(const Offered& offered) const;
    bool canInstall(const Offered& offered) const { return !chosenFixes(offered).isEmpty(); }
    void install(const Offered& offered);

private:
    StageScope scope_;
    Entry entry_;
};

} // namespace tovr
