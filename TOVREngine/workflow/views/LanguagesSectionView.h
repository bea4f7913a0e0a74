#pragma once

#include "workflow/LanguagesSection.h"
#include "workflow/views/StageSectionView.h"

#include <QMap>

class QCheckBox;
class QPushButton;

namespace tovr {

// The languages to tick, each with what is already on the Mac, and "Install selected
// languages".
class LanguagesSectionView : public StageSectionView {
    Q_OBJECT

public:
    LanguagesSectionView(StageScope scope, std::shared_ptr<FileSystemOperating> fs,
                         QWidget* parent = nullptr);

    void render(const QList<SetupRemediation>& fixes, bool canAct) override;
    void readDisk() override { section_.readDisk(); }

private:
    struct RowWidgets {
        QCheckBox* box = nullptr;
        QLabel* note = nullptr;
        std::optional<bool> warns;
    };
    void renderRows();

    LanguagesSection section_;
    QMap<TOVRLanguage, RowWidgets> rows_;
    QPushButton* install_ = nullptr;
    bool canAct_ = false;
};

} // namespace tovr
