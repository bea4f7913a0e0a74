#include "workflow/SkillsSection.h"

#include "model/ProductConfig.h"
#include "services/SkillFolderInstaller.h"
#include "workflow/SetupFlowModel.h"
#include "workflow/SetupSelections.h"

namespace tovr {

SkillsSection::SkillsSection(StageScope scope, std::shared_ptr<FileSystemOperating> fs,
                             std::shared_ptr<ToolLocationsSource> locations)
    : scope_(std::move(scope)), fs_(std::move(fs)), locations_(std::move(locations)) {}

DiskRead SkillsSection::diskRead() {
    QStringList slugs;
    if (scope_.model)
        for (const auto& skill : scope_.model->plugins().stageCatalog->skills(true))
            slugs.append(skill.slug);
    return [this, fs = fs_, locations = locations_, slugs]() -> DiskApply {
        QSet<QString> installed;
        if (fs) {
            SkillFolderInstaller installer{fs};
            installer.locations = toolLocationsOf(locations);
            for (const QString& slug : slugs)
                if (installer.isInstalled(slug))
                    installed.insert(slug);
        }
        return [this, installed] { installed_ = installed; };
    };
}

QList<AgentSkill> SkillsSection::listed() const {
    if (!scope_.model)
        return {};
    const auto& profile = scope_.model->profile();
    return scope_.model->plugins().stageCatalog->skills(profile && profile->isLikelyDeveloper());
}

void SkillsSection::seed() {
    auto* selections = scope_.selections;
    if (!selections || selections->didSeedSkills)
        return;
    selections->didSeedSkills = true;
    for (const auto& skill : listed())
        if (skill.preselected && !installed_.contains(skill.slug))
            selections->selectedSkills.insert(skill.slug);
}

QList<SkillsSection::Row> SkillsSection::rows() const {
    QList<Row> rows;
    for (const auto& skill : listed()) {
        const bool installed = installed_.contains(skill.slug);
        const bool ticked = installed || (scope_.selections &&
                                          scope_.selections->selectedSkills.contains(skill.slug));
        rows.append({skill.slug, skill.displayName,
                     installed ? QStringLiteral("Already installed") : skill.badge, installed,
                     ticked});
    }
    return rows;
}

void SkillsSection::setTicked(const QString& slug, bool ticked) {
    if (!scope_.selections)
        return;
    if (ticked)
        scope_.selections->selectedSkills.insert(slug);
    else
        scope_.selections->selectedSkills.remove(slug);
}

QList<AgentSkill> SkillsSection::toAdd() const {
    QList<AgentSkill> skills;
    if (!scope_.selections)
        return skills;
    for (const auto& skill : listed())
        if (scope_.selections->selectedSkills.contains(skill.slug) &&
            !installed_.contains(skill.slug))
            skills.append(skill);
    return skills;
}

void SkillsSection::add() {
    QList<SetupRemediation> fixes;
    for (const auto& skill : toAdd())
        fixes.append(SetupRemediation::installSkill(skill));
    if (!fixes.isEmpty())
        scope_.requestInstall(QStringLiteral("skills"), QStringLiteral("Add skills"), fixes, true);
}

QUrl SkillsSection::moreURL() {
    return articleSiteURL(u"/tovrin/coming-soon");
}

} // namespace tovr
