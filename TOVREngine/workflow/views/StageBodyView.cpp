#include "workflow/views/StageBodyView.h"

#include "workflow/SetupFlowModel.h"
#include "workflow/SetupSelections.h"

namespace tovr {

StageBodyView::StageBodyView(const ScreenContext& context, SetupFlowModel* model,
                             SetupSelections* selections, QString domainID, QWidget* parent)
    : QWidget(parent), context_(context), model_(model), selections_(selections),
      domainID_(std::move(domainID)) {}

} // namespace tovr
