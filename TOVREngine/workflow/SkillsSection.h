#pragma once

#include "ui/DiskRead.h"

#include "model/AgentSkill.h"
#include "platform/FileSystemOperating.h"
#include "platform/ToolLocations.h"
#include "workflow/StageScope.h"

#include <QSet>
#include <QUrl>

#include <memory>

namespace tovr {

// The agent-skills stage: the catalogue's skills (the developer-only ones only on a Mac
// that looks like a developer's), those already in the agents' folders ticked and disabled,
// the recommended ones ticked once per workflow, and one install for the ticked ones.
class SkillsSection {
public:
    struct Row {
        QString slug;
        QString label;
        QString caption;
        bool installed = false; // ticked and disabled
        bool ticked = false;
        bool operator==(const Row&) const = default;
    };

    // `locations`: where the agents keep their files; null: the usual places.
    SkillsSection(StageScope scope, std::shared_ptr<FileSystemOperating> fs,
                  std::shared_ptr<ToolLocationsSource> locations = nullptr);

    // Looks in the agents' skill folders; when the section is built and after each re-probe.
    DiskRead diskRead();
    void readDisk() { diskRead()()(); }

    QList<AgentSkill> listed() const;
    // Ticks the recommended skills not installed yet, once for the workflow's life.
    void seed();
    QList<Row> rows() const;
    void setTicked(const QString& slug, bool ticked);
    // The ticked skills not installed yet, in catalogue order.
    QList<AgentSkill> toAdd() const;
    bool canAdd() const { return !toAdd().isEmpty(); }
    // "Add selected": one install that goes on past a failed skill.
    void add();

    // "Browse curated lists of more skills →" and its MCP twin.
    static QUrl moreURL();

private:
    StageScope scope_;
    std::shared_ptr<FileSystemOperating> fs_;
    std::shared_ptr<ToolLocationsSource> locations_;
    QSet<QString> installed_;
};

} // namespace tovr
