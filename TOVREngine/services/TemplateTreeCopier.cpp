#include "services/TemplateTreeCopier.h"

#include "platform/Error.h"
#include "platform/FileChecks.h"

#include <algorithm>

namespace tovr {

namespace {

QString targetName(const QString& name) {
    return name.startsWith(QLatin1String("dot.")) ? name.mid(3) : name;
}

} // namespace

const QSet<QString>& TemplateTreeCopier::agentFileNames() {
    static const QSet<QString> names{QStringLiteral("CLAUDE.md"), QStringLiteral("AGENTS.md")};
    return names;
}

QString TemplateTreeCopier::folderName(ProjectTemplate projectTemplate) {
    switch (projectTemplate) {
    case ProjectTemplate::simple:
        return QStringLiteral("AI-Simple-Project");
    case ProjectTemplate::coding:
        return QStringLiteral("AI-Coding-Project");
    }
    return {};
}

QString TemplateTreeCopier::exampleName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return name + QStringLiteral("-example");
    return name.left(dot) + QStringLiteral("-example") + name.mid(dot);
}

QString TemplateTreeCopier::displayPath(const QString& path) const {
    return shownFromHome(*fs, path);
}

void TemplateTreeCopier::copyTree(const QString& source, const QString& destination,
                                  bool mergeIntoExisting, QStringList& kept) const {
    QStringList names = fs->contentsOfDirectory(source);
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        const QString from = source + u'/' + name;
        const QString target = targetName(name);
        const QString to = destination + u'/' + target;
        if (isFolder(*fs, from)) {
            if (!fs->fileExists(to))
                fs->createDirectory(to, true);
            copyTree(from, to, mergeIntoExisting, kept);
            continue;
        }
        const QByteArray data = fs->readData(from);
        if (!mergeIntoExisting || !entryExists(*fs, to)) {
            fs->writeData(data, to);
        } else if (agentFileNames().contains(target)) {
            const QString example = destination + u'/' + exampleName(target);
            if (!entryExists(*fs, example))
                fs->writeData(data, example);
            if (!kept.contains(target))
                kept << target;
        }
    }
}

WriterReport TemplateTreeCopier::createProject(const QString& templateDir,
                                               const QString& destination,
                                               bool mergeIntoExisting) const {
    if (!isFolder(*fs, templateDir))
        return {
            {QStringLiteral("Couldn't find the bundled project template at ") + templateDir + u'.'},
            false};
    const QString shown = displayPath(destination);
    QStringList kept;

    if (!mergeIntoExisting) {
        if (entryExists(*fs, destination))
            return {{QStringLiteral("A project already exists at ") + shown +
                     QStringLiteral(" — leaving it as is.")},
                    true};
        try {
            fs->createDirectory(destination, true);
            copyTree(templateDir, destination, false, kept);
        } catch (const Error& e) {
            // The folder is this run's own; left half-filled, the next run would take it
            // for a finished project and never retry.
            try {
                if (entryExists(*fs, destination))
                    fs->removeItem(destination);
            } catch (const Error&) {
            }
            return {{QStringLiteral("Couldn't create the project at ") + shown +
                     QStringLiteral(": ") + e.description()},
                    false};
        }
        return {{QStringLiteral("Created your project at ") + shown + u'.'}, true};
    }

    try {
        fs->createDirectory(destination, true);
        copyTree(templateDir, destination, true, kept);
    } catch (const Error& e) {
        return {{QStringLiteral("Couldn't add the example files to ") + shown +
                 QStringLiteral(": ") + e.description()},
                false};
    }
    WriterReport report{{QStringLiteral("Added the example files to ") + shown + u'.'}, true};
    if (!kept.isEmpty()) {
        QStringList examples;
        for (const auto& name : kept)
            examples << exampleName(name);
        report.lines << QStringLiteral("You already had ") + kept.join(QStringLiteral(" and ")) +
                            QStringLiteral(" — wrote ") + examples.join(QStringLiteral(" and ")) +
                            QStringLiteral(" instead (your files are untouched).");
    }
    return report;
}

WriterReport TemplateTreeCopier::createExample(ProjectTemplate projectTemplate,
                                               const std::optional<QString>& destination,
                                               const QString& resourcesDir) const {
    const QString folder = folderName(projectTemplate);
    const QString templateDir = resourcesDir + QStringLiteral("/example-projects/") + folder;
    if (!isFolder(*fs, templateDir))
        return {{QStringLiteral("Couldn't find the bundled ") + folder +
                 QStringLiteral(" template in the app — this build may be missing its project "
                                "resources.")},
                false};
    if (destination)
        return createProject(templateDir, *destination, true);
    return createProject(templateDir, fs->homeDirectory() + QStringLiteral("/Documents/") + folder,
                         false);
}

} // namespace tovr
