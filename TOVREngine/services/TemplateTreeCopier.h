#pragma once

#include "model/ProjectTemplate.h"
#include "platform/FileSystemOperating.h"
#include "services/WriterReport.h"

#include <QSet>

#include <memory>
#include <optional>

namespace tovr {

// Copies an example project template into a new folder or merges it into one the user
// chose, never overwriting a file of the user's.
struct TemplateTreeCopier {
    std::shared_ptr<FileSystemOperating> fs;

    // Kept in a merge: the template's copy is written under its example name instead.
    static const QSet<QString>& agentFileNames();

    // The whole fix: the template's folder under "example-projects" in `resourcesDir`,
    // copied into ~/Documents/<folder>, or merged into `destination` when one is given.
    // Never throws.
    WriterReport createExample(ProjectTemplate projectTemplate,
                               const std::optional<QString>& destination,
                               const QString& resourcesDir) const;

    // Copies `templateDir` into a new `destination`, or merges it into an existing one when
    // `mergeIntoExisting`. Never throws.
    WriterReport createProject(const QString& templateDir, const QString& destination,
                               bool mergeIntoExisting) const;

    // Copies a tree, "dot.x" entries arriving as ".x". Merging leaves existing files alone and
    // writes agent files under their example name, adding their names to `kept`. Throws the
    // first file-system error; what was written before stays.
    void copyTree(const QString& source, const QString& destination, bool mergeIntoExisting,
                  QStringList& kept) const;

    // The template folder of a project, e.g. "AI-Simple-Project".
    static QString folderName(ProjectTemplate projectTemplate);
    // "CLAUDE.md" gives "CLAUDE-example.md"; a name without an extension gets "-example".
    static QString exampleName(const QString& name);
    // `path` with a leading home folder written as "~".
    QString displayPath(const QString& path) const;
};

} // namespace tovr
