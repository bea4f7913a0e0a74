#include "workflow/views/VerifyingBody.h"

#include "ui/views/Typography.h"
#include "workflow/SetupFlowModel.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tovr {

VerifyingBody::VerifyingBody(const ScreenContext&, SetupFlowModel* model, QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->setAlignment(Qt::AlignCenter);

    auto* spinner = new QProgressBar(this);
    spinner->setObjectName(QStringLiteral("verifying-progress"));
    spinner->setRange(0, 0); // indeterminate
    spinner->setTextVisible(false);
    spinner->setAccessibleName(model ? model->plugins().spineCopy->verifyingTitle() : QString());
    spinner->setFixedWidth(160);
    layout->addWidget(spinner, 0, Qt::AlignHCenter);

    auto* message =
        makePlainLabel(model ? model->plugins().spineCopy->verifyingTitle() : QString());
    message->setObjectName(QStringLiteral("verifying-message"));
    message->setAlignment(Qt::AlignHCenter);
    applySecondaryStyle(message);
    layout->addWidget(message, 0, Qt::AlignHCenter);
}

} // namespace tovr
