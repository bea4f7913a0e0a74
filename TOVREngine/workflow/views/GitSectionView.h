#pragma once

#include "workflow/GitSection.h"
#include "workflow/views/StageSectionView.h"

class QLineEdit;
class QPushButton;

namespace tovr {

class URLOpening;

// The Git name and e-mail (or the note that Git has them), "Set up Git with GitHub" and
// the link to create a GitHub account.
class GitSectionView : public StageSectionView {
    Q_OBJECT

public:
    GitSectionView(StageScope scope, std::shared_ptr<URLOpening> urlOpener,
                   QWidget* parent = nullptr);

    void render(const QList<SetupRemediation>& fixes, bool canAct) override;

private:
    void renderState();

    GitSection section_;
    QWidget* fields_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* email_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* setUp_ = nullptr;
    bool canAct_ = false;
};

} // namespace tovr
