#pragma once

#include "model/ProjectTemplate.h"
#include "platform/FolderPicking.h"
#include "workflow/StageScope.h"

#include <memory>

namespace tovr {

// The example-project stage: the stage's projects into Documents, or the simple project
// into a folder the user picks. Both go on past a failed project.
class ProjectSection {
public:
    ProjectSection(StageScope scope, std::shared_ptr<FolderPicking> folderPicker,
                   QString folderPrompt, QString startFolder);

    // The template of each project fix of the stage, in order.
    static QList<ProjectTemplate> templates(const QList<SetupRemediation>& fixes);

    // "Install in Documents".
    void installInDocuments(const QList<SetupRemediation>& fixes);
    // "Choose my folder…": asks for a folder and installs there when one is chosen and the
    // stage is still on screen; a canceled choice changes nothing.
    void chooseFolder();

private:
    StageScope scope_;
    std::shared_ptr<FolderPicking> folderPicker_;
    QString folderPrompt_;
    QString startFolder_;
};

} // namespace tovr
