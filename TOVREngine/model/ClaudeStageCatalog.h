#pragma once

#include "model/StageCatalogProviding.h"

namespace tovr {

// The stage catalogue of every setup product.
class ClaudeStageCatalog final : public StageCatalogProviding {
public:
    QList<AgentSkill> skills(bool includeDeveloperOnly) const override;
    // Three remote servers in a fixed order.
    QList<MCPServer> mcpServers() const override;
    QList<TOVRLanguage> languages() const override;
    QList<ProjectTemplate> projectTemplates() const override;
};

} // namespace tovr
