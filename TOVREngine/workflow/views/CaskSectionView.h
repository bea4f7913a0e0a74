#pragma once

#include "workflow/CaskSection.h"
#include "workflow/views/StageSectionView.h"

#include <QMap>

class QCheckBox;
class QPushButton;

namespace tovr {

// The apps of an app stage to tick, those already installed marked so, and "Install
// selected".
class CaskSectionView : public StageSectionView {
    Q_OBJECT

public:
    CaskSectionView(StageScope scope, CaskSection::Entry entry, QWidget* parent = nullptr);

    void render(const QList<SetupRemediation>& fixes, bool canAct) override;
    void appeared(const QList<SetupRemediation>& fixes) override;

private:
    struct RowWidgets {
        QCheckBox* box = nullptr;
        QLabel* installed = nullptr;
    };
    void renderRows();

    CaskSection section_;
    CaskSection::Offered offered_;
    QMap<QString, RowWidgets> rows_; // by fix id
    QPushButton* install_ = nullptr;
    bool canAct_ = false;
};

} // namespace tovr
