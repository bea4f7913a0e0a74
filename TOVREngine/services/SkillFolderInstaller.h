#pragma once

#include "model/AgentSkill.h"
#include "platform/CancellableProcess.h"
#include "platform/FileSystemOperating.h"
#include "platform/ProcessRunning.h"
#include "platform/ToolLocations.h"
#include "services/WriterReport.h"

#include <QList>
#include <QStringList>

#include <memory>

namespace tovr {

// Copies an agent skill folder into the skills folder of every AI agent set up on the Mac,
// never over a copy that is already there.
struct SkillFolderInstaller {
    // One agent that loads skills from <its folder>/skills. It is present when that
    // folder exists or its tool is installed at one of `toolPaths`: a tool installed a moment
    // ago has not made its folder yet.
    struct Agent {
        QString label;
        QString configDir; // relative to the home folder, unless the user moved it
        QStringList toolPaths;
        bool operator==(const Agent&) const = default;
    };

    // Where fetched skills are cloned from: this base followed by "owner/repo".
    static constexpr const char* kDefaultCloneBase = "https://github.com/";

    std::shared_ptr<FileSystemOperating> fs;
    QString cloneBase = QString::fromLatin1(kDefaultCloneBase);
    ToolLocations locations = {}; // where Claude Code and Codex keep their folders

    // Claude, Codex, Zed, in that order.
    static const QList<Agent>& agents();

    // The whole fix for one skill: from "skills/<name>" under `resourcesDir`, or cloned at
    // its pinned revision into a temporary folder that is removed afterwards. Each line goes
    // to `onLine` as it comes (the report holds them too). A fetched skill runs git and
    // blocks until it ends; cancelling `latch` terminates it. Never throws.
    WriterReport installSkill(const AgentSkill& skill, const QString& resourcesDir,
                              ProcessRunning& process, const LineSink& onLine = {},
                              CancellableProcess* latch = nullptr) const;

    // Copies `source` into every present agent that lacks `name`: built in a hidden folder
    // inside the agent's skills folder, then renamed into place on that folder's own file
    // system, so a copy that fails or is cut short part-way never stands where the skill
    // belongs (what a crash left is removed on the next run). Files keep their execute bits;
    // nothing is writable by group or others. A skill is there only with a SKILL.md file; anything
    // else in its place (a half folder, a dangling link) is reported and left alone. Never throws.
    WriterReport install(const QString& source, const QString& name) const;
    // Copies a folder tree, hidden entries included, replacing files of the same name.
    // Symbolic links are skipped, so a link in a fetched skill never reaches outside it.
    // Throws the first file-system error.
    void copyFolder(const QString& source, const QString& destination) const;
    // At least one agent is present and each present agent has a skill `slug` with its
    // SKILL.md file.
    bool isInstalled(const QString& slug) const;

    // The shell command that clones `repoURL` without file contents and checks out `pin`.
    static QString cloneCommand(const QString& repoURL, const QString& folder, const QString& pin);

private:
    // What stands where a skill belongs.
    enum class CopyState { missing, complete, danglingLink, incomplete };
    // A copy being built is held in a folder named "." + the skill + this + a UUID, in the
    // skills folder (in the agent's folder, before).
    static constexpr const char* kUnfinishedInfix = ".tovr-partial-";

    QList<Agent> presentAgents() const;
    QString folderOf(const Agent& agent) const;
    CopyState stateOf(const QString& destination) const;
    void removeUnfinishedCopies(const QString& agentFolder, const QString& name) const;
    WriterReport installFetched(const AgentSkill& skill, const AgentSkill::Source::Fetch& fetch,
                                ProcessRunning& process, const LineSink& onLine,
                                CancellableProcess* latch) const;
};

} // namespace tovr
