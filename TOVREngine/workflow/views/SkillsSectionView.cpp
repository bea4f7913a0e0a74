#include "workflow/views/SkillsSectionView.h"

#include "platform/URLOpening.h"
#include "ui/views/Typography.h"
#include "workflow/SetupFlowModel.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

SkillsSectionView::SkillsSectionView(StageScope scope, std::shared_ptr<FileSystemOperating> fs,
                                     std::shared_ptr<ToolLocationsSource> locations,
                                     std::shared_ptr<URLOpening> urlOpener, QWidget* parent)
    : StageSectionView(parent), section_(scope, std::move(fs), std::move(locations)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    // A row for every skill the catalogue has; those the Mac does not list stay hidden.
    const auto catalogue =
        scope.model ? scope.model->plugins().stageCatalog->skills(true) : QList<AgentSkill>{};
    for (const auto& skill : catalogue) {
        RowWidgets widgets;
        widgets.row = new QWidget(this);
        auto* rowLayout = new QVBoxLayout(widgets.row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(1);
        widgets.box = makeCheckBox(skill.displayName, widgets.row);
        widgets.box->setObjectName(QStringLiteral("skill-") + skill.slug);
        widgets.caption = stagerows::makeCaption(skill.badge, widgets.row);
        rowLayout->addWidget(widgets.box);
        rowLayout->addWidget(widgets.caption);
        layout->addWidget(widgets.row);
        const QString slug = skill.slug;
        connect(widgets.box, &QCheckBox::toggled, this, [this, slug](bool ticked) {
            section_.setTicked(slug, ticked);
            renderRows();
        });
        rows_.insert(skill.slug, widgets);
    }
    layout->addSpacing(2);
    auto* more = makeButton(QString::fromUtf8("Browse curated lists of more skills →"),
                            ButtonRole::link, QStringLiteral("skills-more"), this);
    applyTextStyle(more, TextStyle::footnote);
    layout->addWidget(more);
    connect(more, &QPushButton::clicked, this, [urlOpener] {
        if (urlOpener)
            urlOpener->open(SkillsSection::moreURL());
    });
    layout->addSpacing(4);
    add_ = makeButton(QStringLiteral("Add selected"), ButtonRole::prominent,
                      QStringLiteral("add-skills"), this);
    layout->addWidget(add_);
    connect(add_, &QPushButton::clicked, this, [this] { section_.add(); });
}

void SkillsSectionView::render(const QList<SetupRemediation>&, bool canAct) {
    canAct_ = canAct;
    renderRows();
}

void SkillsSectionView::renderRows() {
    QSet<QString> shown;
    for (const auto& row : section_.rows()) {
        const auto it = rows_.constFind(row.slug);
        if (it == rows_.constEnd())
            continue;
        shown.insert(row.slug);
        stagerows::setCheckedQuietly(it->box, row.ticked);
        it->box->setEnabled(!row.installed);
        stagerows::setTextQuietly(it->caption, row.caption);
        stagerows::describe(it->box, {row.caption});
    }
    for (auto it = rows_.cbegin(); it != rows_.cend(); ++it)
        it->row->setVisible(shown.contains(it.key()));
    add_->setEnabled(canAct_ && section_.canAdd());
}

} // namespace tovr
