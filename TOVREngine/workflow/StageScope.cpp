#include "workflow/StageScope.h"

#include "workflow/SetupFlowModel.h"

namespace tovr {

bool StageScope::canAct() const {
    return model && model->step() == SetupFlowModel::Step::stage(domainID) &&
           !model->isRefreshing() && !model->pendingInstall();
}

bool StageScope::requestInstall(QString id, QString title, QList<SetupRemediation> fixes,
                                bool continuesPastFailure) const {
    if (!canAct())
        return false;
    return model->requestInstall(
        {std::move(id), std::move(title), std::move(fixes), continuesPastFailure, domainID});
}

} // namespace tovr
