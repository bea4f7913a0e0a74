#include "workflow/ProjectSection.h"

namespace tovr {

namespace {

const QString kTitle = QStringLiteral("Set up a project");

} // namespace

ProjectSection::ProjectSection(StageScope scope, std::shared_ptr<FolderPicking> folderPicker,
                               QString folderPrompt, QString startFolder)
    : scope_(std::move(scope)), folderPicker_(std::move(folderPicker)),
      folderPrompt_(std::move(folderPrompt)), startFolder_(std::move(startFolder)) {}

QList<ProjectTemplate> ProjectSection::templates(const QList<SetupRemediation>& fixes) {
    QList<ProjectTemplate> templates;
    for (const auto& fix : fixes)
        if (const auto* project = fix.as<SetupRemediation::CreateProject>())
            templates.append(project->template_);
    return templates;
}

void ProjectSection::installInDocuments(const QList<SetupRemediation>& fixes) {
    QList<SetupRemediation> projects;
    for (const auto projectTemplate : templates(fixes))
        projects.append(SetupRemediation::createProject(projectTemplate));
    scope_.requestInstall(QStringLiteral("project"), kTitle, projects, true);
}

void ProjectSection::chooseFolder() {
    if (!folderPicker_ || !scope_.canAct())
        return;
    // The answer comes later; by then the stage may be gone, which the model checks.
    folderPicker_->pickFolder(
        folderPrompt_, startFolder_, [scope = scope_](std::optional<QString> folder) {
            if (!folder || folder->isEmpty())
                return;
            scope.requestInstall(
                QStringLiteral("project-choose"), kTitle,
                {SetupRemediation::createProject(ProjectTemplate::simple, *folder)}, true);
        });
}

} // namespace tovr
