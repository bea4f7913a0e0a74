#pragma once

#include "model/AgentSkill.h"
#include "model/MCPServer.h"
#include "model/ProjectTemplate.h"
#include "model/TOVRLanguage.h"

#include <QList>

namespace tovr {

// What the selectable stages offer: skills, MCP servers, languages and example projects.
class StageCatalogProviding {
public:
    virtual ~StageCatalogProviding() = default;
    virtual QList<AgentSkill> skills(bool includeDeveloperOnly) const = 0;
    virtual QList<MCPServer> mcpServers() const = 0;
    virtual QList<TOVRLanguage> languages() const = 0;
    virtual QList<ProjectTemplate> projectTemplates() const = 0;
};

} // namespace tovr
