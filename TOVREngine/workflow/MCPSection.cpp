#include "workflow/MCPSection.h"

#include "services/MCPConfigWriter.h"
#include "workflow/SetupFlowModel.h"
#include "workflow/SetupSelections.h"
#include "workflow/SkillsSection.h"

namespace tovr {

MCPSection::MCPSection(StageScope scope, std::shared_ptr<FileSystemOperating> fs,
                       std::shared_ptr<ToolLocationsSource> locations)
    : scope_(std::move(scope)), fs_(std::move(fs)), locations_(std::move(locations)) {}

DiskRead MCPSection::diskRead() {
    QStringList slugs;
    for (const auto& server : servers())
        slugs.append(server.slug);
    return [this, fs = fs_, locations = locations_, slugs]() -> DiskApply {
        QSet<QString> added;
        if (fs) {
            const MCPConfigWriter writer{fs, toolLocationsOf(locations)};
            for (const QString& slug : slugs)
                if (writer.isConfigured(slug))
                    added.insert(slug);
        }
        return [this, added] { added_ = added; };
    };
}

QList<MCPServer> MCPSection::servers() const {
    return scope_.model ? scope_.model->plugins().stageCatalog->mcpServers() : QList<MCPServer>{};
}

QUrl MCPSection::moreURL() {
    return SkillsSection::moreURL();
}

bool MCPSection::acceptsAPIKey(const MCPServer& server) {
    const auto* keyless = server.connection.as<MCPServer::Connection::KeylessOptionalKey>();
    return keyless && keyless->keyURLTemplate.has_value();
}

QList<MCPSection::Row> MCPSection::rows() const {
    QList<Row> rows;
    for (const auto& server : servers()) {
        const bool added = added_.contains(server.slug);
        const bool selected =
            scope_.selections && scope_.selections->selectedMCP.contains(server.slug);
        rows.append({server.slug, server.displayName,
                     added ? QStringLiteral("Already added") : server.summary,
                     added ? std::nullopt : server.disclosure, added, added || selected,
                     !added && selected && acceptsAPIKey(server)});
    }
    return rows;
}

void MCPSection::setTicked(const QString& slug, bool ticked) {
    if (!scope_.selections)
        return;
    if (ticked)
        scope_.selections->selectedMCP.insert(slug);
    else
        scope_.selections->selectedMCP.remove(slug);
}

QString MCPSection::apiKey(const QString& slug) const {
    return scope_.selections ? scope_.selections->mcpAPIKeys.value(slug) : QString();
}

void MCPSection::setAPIKey(const QString& slug, const QString& key) {
    if (scope_.selections)
        scope_.selections->mcpAPIKeys.insert(slug, key);
}

QList<MCPServer> MCPSection::toAdd() const {
    QList<MCPServer> servers;
    if (!scope_.selections)
        return servers;
    for (const auto& server : this->servers())
        if (scope_.selections->selectedMCP.contains(server.slug) && !added_.contains(server.slug))
            servers.append(server);
    return servers;
}

QList<SetupRemediation> MCPSection::fixes() const {
    QList<SetupRemediation> fixes;
    for (const auto& server : toAdd()) {
        const QString key = apiKey(server.slug);
        fixes.append(SetupRemediation::addMCPServer(
            server, key.isEmpty() ? std::nullopt : std::optional<QString>(key)));
    }
    return fixes;
}

void MCPSection::add() {
    const auto fixes = this->fixes();
    if (!fixes.isEmpty())
        scope_.requestInstall(QStringLiteral("mcp"), QStringLiteral("Add MCP servers"), fixes,
                              true);
}

} // namespace tovr
