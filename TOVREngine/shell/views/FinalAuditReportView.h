#pragma once

#include "shell/FinalAuditReportModel.h"
#include "ui/ScreenContext.h"

#include <QPointer>
#include <QWidget>

class QLabel;

namespace tovr {

// "Your Mac at a glance": the audit's checklist and "Done — back to home".
class FinalAuditReportView : public QWidget {
    Q_OBJECT

public:
    FinalAuditReportView(const ScreenContext& context, FinalAuditReportModel* model,
                         QWidget* parent = nullptr);

private:
    void render();

    QPointer<FinalAuditReportModel> model_;
    QList<QPair<QLabel*, QLabel*>> rows_; // glyph, label
};

} // namespace tovr
