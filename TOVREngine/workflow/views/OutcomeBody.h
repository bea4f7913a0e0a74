#pragma once

#include "model/OutcomeAuditSection.h"
#include "model/SpineRenderPolicy.h"
#include "ui/ScreenContext.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace tovr {

class SetupFlowModel;

// The outcome: the checklist of what is in place (after a passed verification) or the
// verifier's own output (after a failed one), buttons that open the suggested apps and show
// the example projects, and the question with its two answers. Updates in place when the
// model changes; the first answer is the only one.
class OutcomeBody : public QWidget {
    Q_OBJECT
public:
    OutcomeBody(const ScreenContext& context, SetupFlowModel* model, QWidget* parent = nullptr);
    // The frame calls it when the verification result or the profile changes.
    void setVerification(bool passed, QList<SpineRenderPolicy::OpenableApp> apps);

private:
    void render();
    void renderSections(const QList<OutcomeAuditSection>& audit);
    void renderApps();
    QStringList exampleFolders() const;
    void openApp(const QString& appName);
    void showExampleProjects();
    void answer(const QString& answer);

    ScreenContext context_;
    QPointer<SetupFlowModel> model_;
    bool passed_ = false;
    QList<SpineRenderPolicy::OpenableApp> apps_;
    bool answered_ = false;

    QWidget* checklist_ = nullptr;
    QVBoxLayout* sections_ = nullptr;
    QList<OutcomeAuditSection> shownAudit_;
    QLabel* output_ = nullptr;
    QWidget* openRow_ = nullptr;
    QHBoxLayout* openLayout_ = nullptr;
    QList<QPushButton*> appButtons_;
    QList<SpineRenderPolicy::OpenableApp> shownApps_;
    QPushButton* showProjects_ = nullptr;
    QPushButton* resolved_ = nullptr;
    QPushButton* blocked_ = nullptr;
};

} // namespace tovr
