#pragma once

#include "ui/DiskRead.h"

#include "model/MCPServer.h"
#include "platform/FileSystemOperating.h"
#include "platform/ToolLocations.h"
#include "workflow/StageScope.h"

#include <QSet>
#include <QUrl>

#include <memory>

namespace tovr {

// The MCP-server stage: the catalogue's servers, those already registered ticked and
// disabled, an optional API key for the ticked servers that take one, and one install for
// the ticked ones. The key goes to the server's fix as typed and nowhere else.
class MCPSection {
public:
    struct Row {
        QString slug;
        QString label;
        QString caption;
        std::optional<QString> disclosure; // only while not added
        bool added = false;                // ticked and disabled
        bool ticked = false;
        bool showsKeyField = false;
        bool operator==(const Row&) const = default;
    };

    // `locations`: where the agents keep their files; null: the usual places.
    MCPSection(StageScope scope, std::shared_ptr<FileSystemOperating> fs,
               std::shared_ptr<ToolLocationsSource> locations = nullptr);

    // Reads the agents' configuration files; when the section is built and after each
    // re-probe, never on a redraw.
    DiskRead diskRead();
    void readDisk() { diskRead()()(); }

    QList<MCPServer> servers() const;
    QList<Row> rows() const;
    void setTicked(const QString& slug, bool ticked);
    QString apiKey(const QString& slug) const;
    void setAPIKey(const QString& slug, const QString& key);
    // The ticked servers not added yet, in catalogue order.
    QList<MCPServer> toAdd() const;
    bool canAdd() const { return !toAdd().isEmpty(); }
    // Each server to add with its key, when one was typed.
    QList<SetupRemediation> fixes() const;
    // "Add selected": one install that goes on past a failed server.
    void add();

    // "Browse curated lists of more MCP servers →".
    static QUrl moreURL();
    static bool acceptsAPIKey(const MCPServer& server);

private:
    StageScope scope_;
    std::shared_ptr<FileSystemOperating> fs_;
    std::shared_ptr<ToolLocationsSource> locations_;
    QSet<QString> added_;
};

} // namespace tovr
