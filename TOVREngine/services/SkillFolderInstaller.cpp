#include "services/SkillFolderInstaller.h"

#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/ShellQuote.h"
#include "services/StreamedLoginShell.h"

#include <QUuid>

#include <algorithm>

namespace tovr {

namespace {

std::optional<FileType> typeOf(const FileSystemOperating& fs, const QString& path) {
    return fs.attributesOfItem(path).type;
}

// The skill's folder inside the clone, or nothing when the subpath could lead out of it:
// an absolute path, a ".." step, or a step through a symbolic link.
std::optional<QString> folderInsideClone(const FileSystemOperating& fs, const QString& clone,
                                         const QString& subpath) {
    if (subpath == QLatin1String("."))
        return clone;
    if (subpath.isEmpty() || subpath.startsWith(u'/'))
        return std::nullopt;
    QString path = clone;
    for (const auto& step : subpath.split(u'/', Qt::SkipEmptyParts)) {
        if (step == QLatin1String(".."))
            return std::nullopt;
        if (step == QLatin1String("."))
            continue;
        path += u'/' + step;
        try {
            if (typeOf(fs, path) == FileType::symbolicLink)
                return std::nullopt;
        } catch (const Error&) {
            return path; // missing: install reports the skill files as not found
        }
    }
    return path;
}

} // namespace

const QList<SkillFolderInstaller::Agent>& SkillFolderInstaller::agents() {
    static const QList<Agent> list{
        {QStringLiteral("Claude"),
         QStringLiteral(".claude"),
         {QStringLiteral("/opt/homebrew/bin/claude"), QStringLiteral("/usr/local/bin/claude")}},
        {QStringLiteral("Codex"),
         QStringLiteral(".codex"),
         {QStringLiteral("/opt/homebrew/bin/codex"), QStringLiteral("/usr/local/bin/codex")}},
        {QStringLiteral("Zed"), QStringLiteral(".agents"), {}},
    };
    return list;
}

QString SkillFolderInstaller::folderOf(const Agent& agent) const {
    const QString home = fs->homeDirectory();
    if (agent.label == QLatin1String("Claude"))
        return locations.claudeConfigDir(home);
    if (agent.label == QLatin1String("Codex"))
        return locations.codexHome(home);
    return home + u'/' + agent.configDir;
}

QList<SkillFolderInstaller::Agent> SkillFolderInstaller::presentAgents() const {
    QList<Agent> present;
    for (const auto& agent : agents())
        if (fs->fileExists(folderOf(agent)) ||
            std::any_of(agent.toolPaths.begin(), agent.toolPaths.end(),
                        [&](const QString& tool) { return fs->fileExists(tool); }))
            present << agent;
    return present;
}

void SkillFolderInstaller::copyFolder(const QString& source, const QString& destination) const {
    QStringList names = fs->contentsOfDirectory(source);
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        const QString from = source + u'/' + name;
        const QString to = destination + u'/' + name;
        const FileAttributes attributes = fs->attributesOfItem(from);
        const auto type = attributes.type;
        if (type == FileType::symbolicLink || type == FileType::other)
            continue;
        if (type == FileType::directory || (!type && isFolder(*fs, from))) {
            fs->createDirectory(to, true);
            copyFolder(from, to);
        } else {
            // A script keeps its execute bits; an agent's file is writable by its owner alone.
            fs->writeDataWithMode(fs->readData(from), to,
                                  attributes.posixPermissions.value_or(0644) & 0755);
        }
    }
}

WriterReport SkillFolderInstaller::install(const QString& source, const QString& name) const {
    if (source.isEmpty() || !isFolder(*fs, source))
        return {{QStringLiteral("Couldn't find the skill files for ") + name + u'.'}, false};
    const QList<Agent> present = presentAgents();
    if (present.isEmpty())
        return {{QStringLiteral("No AI agent is set up yet — nothing to install ") + name +
                 QStringLiteral(" into.")},
                true};

    QStringList installed;
    QStringList alreadyHad;
    QStringList broken;
    for (const auto& agent : present) {
        const QString agentFolder = folderOf(agent);
        const QString skills = agentFolder + QStringLiteral("/skills");
        const QString destination = skills + u'/' + name;
        removeUnfinishedCopies(agentFolder, name);
        removeUnfinishedCopies(skills, name);
        const CopyState state = stateOf(destination);
        if (state == CopyState::complete) {
            alreadyHad << agent.label;
            continue;
        }
        if (state != CopyState::missing) {
            // Not ours to delete: it may be the user's own work or link.
            const QString shown = shownFromHome(*fs, destination);
            broken << shown +
                          (state == CopyState::danglingLink
                               ? QStringLiteral(" is a link to something that is missing")
                               : QStringLiteral(" is there but has no SKILL.md")) +
                          QStringLiteral(" — left as is. Remove it and run this again to "
                                         "install ") +
                          name + QStringLiteral(" for ") + agent.label + u'.';
            continue;
        }
        const bool createdSkills = !entryExists(*fs, skills);
        // Built inside the skills folder, where the path leads (on another volume, perhaps),
        // so one rename on that file system puts it in place whole: neither a failure nor a
        // crash part-way leaves half a skill where a whole one belongs. The holder is hidden
        // and has no SKILL.md of its own, so no agent loads what is in it.
        const QString staging = skills + QStringLiteral("/.") + name +
                                QLatin1String(kUnfinishedInfix) +
                                QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        try {
            fs->createDirectory(skills, true);
            fs->createDirectory(staging + u'/' + name, true);
            copyFolder(source, staging + u'/' + name);
            fs->moveItem(staging + u'/' + name, destination);
            installed << agent.label;
            removeQuietly(*fs, staging); // empty now; the next run tries again
        } catch (const Error& e) {
            // Undo only this run's work.
            try {
                if (entryExists(*fs, staging))
                    fs->removeItem(staging);
                if (createdSkills && fs->contentsOfDirectory(skills).isEmpty())
                    fs->removeItem(skills);
            } catch (const Error&) {
            }
            return {{QStringLiteral("Couldn't install ") + name + QStringLiteral(": ") +
                     e.description()},
                    false};
        }
    }

    WriterReport report;
    if (!installed.isEmpty())
        report.lines << QStringLiteral("Installed ") + name + QStringLiteral(" for ") +
                            installed.join(QStringLiteral(", ")) + u'.';
    if (!alreadyHad.isEmpty())
        report.lines << alreadyHad.join(QStringLiteral(", ")) + QStringLiteral(" already had ") +
                            name + QStringLiteral(" — left as is.");
    report.lines << broken;
    report.ok = broken.isEmpty();
    return report;
}

SkillFolderInstaller::CopyState SkillFolderInstaller::stateOf(const QString& destination) const {
    if (!entryExists(*fs, destination))
        return CopyState::missing;
    if (!fs->fileExists(destination))
        return CopyState::danglingLink;
    return isFile(*fs, destination + QStringLiteral("/SKILL.md")) ? CopyState::complete
                                                                  : CopyState::incomplete;
}

void SkillFolderInstaller::removeUnfinishedCopies(const QString& agentFolder,
                                                  const QString& name) const {
    const QString prefix = u'.' + name + QLatin1String(kUnfinishedInfix);
    QStringList entries;
    try {
        entries = fs->contentsOfDirectory(agentFolder);
    } catch (const Error&) {
        return; // no folder yet, so nothing of ours in it
    }
    for (const auto& entry : entries) {
        // Only a name this installer makes: the prefix and a whole UUID.
        if (!entry.startsWith(prefix) ||
            QUuid::fromString(QStringView(entry).mid(prefix.size())).isNull() ||
            entry.size() != prefix.size() + 36)
            continue;
        try {
            fs->removeItem(agentFolder + u'/' + entry);
        } catch (const Error&) {
            // Tried again next time; it is out of the agents' sight meanwhile.
        }
    }
}

bool SkillFolderInstaller::isInstalled(const QString& slug) const {
    const QList<Agent> present = presentAgents();
    if (present.isEmpty())
        return false;
    return std::all_of(present.begin(), present.end(), [&](const Agent& agent) {
        return stateOf(folderOf(agent) + QStringLiteral("/skills/") + slug) == CopyState::complete;
    });
}

QString SkillFolderInstaller::cloneCommand(const QString& repoURL, const QString& folder,
                                           const QString& pin) {
    return QStringLiteral("git clone --filter=blob:none --no-checkout ") + shellQuote(repoURL) +
           u' ' + shellQuote(folder) + QStringLiteral(" && git -C ") + shellQuote(folder) +
           QStringLiteral(" checkout ") + shellQuote(pin);
}

WriterReport SkillFolderInstaller::installFetched(const AgentSkill& skill,
                                                  const AgentSkill::Source::Fetch& fetch,
                                                  ProcessRunning& process, const LineSink& onLine,
                                                  CancellableProcess* latch) const {
    WriterLog log(onLine);
    const QString clone = fs->temporaryDirectory() + QStringLiteral("/tovr-skill-") + skill.slug +
                          u'-' + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    auto removeClone = [&] {
        try {
            if (entryExists(*fs, clone))
                fs->removeItem(clone);
        } catch (const Error&) {
        }
    };

    log.add(QStringLiteral("Fetching the ") + skill.displayName + QStringLiteral(" skill from ") +
            fetch.repo + QStringLiteral("…"));
    const qint32 code = runStreamedLoginShell(
        process, cloneCommand(cloneBase + fetch.repo, clone, fetch.pin),
        [&](const QString& line) { log.add(line); }, latch);
    if (code != 0) {
        log.add(QStringLiteral("Couldn't fetch ") + skill.slug + QStringLiteral(" from ") +
                fetch.repo + u'.');
        log.fail();
        removeClone();
        return log.report();
    }

    const WriterReport copied =
        install(folderInsideClone(*fs, clone, fetch.subpath).value_or(QString()), skill.slug);
    for (const auto& line : copied.lines)
        log.add(line);
    if (!copied.ok)
        log.fail();
    removeClone();
    return log.report();
}

WriterReport SkillFolderInstaller::installSkill(const AgentSkill& skill,
                                                const QString& resourcesDir,
                                                ProcessRunning& process, const LineSink& onLine,
                                                CancellableProcess* latch) const {
    if (const auto* fetch = skill.source.as<AgentSkill::Source::Fetch>())
        return installFetched(skill, *fetch, process, onLine, latch);

    WriterLog log(onLine);
    const QString folder = resourcesDir + QStringLiteral("/skills/") +
                           skill.source.as<AgentSkill::Source::Bundle>()->name;
    if (!isFolder(*fs, folder)) {
        log.add(QStringLiteral("Couldn't find the bundled ") + skill.slug +
                QStringLiteral(" skill in the app — this build may be missing its skill "
                               "resources."));
        log.fail();
        return log.report();
    }
    const WriterReport copied = install(folder, skill.slug);
    for (const auto& line : copied.lines)
        log.add(line);
    if (!copied.ok)
        log.fail();
    return log.report();
}

} // namespace tovr
