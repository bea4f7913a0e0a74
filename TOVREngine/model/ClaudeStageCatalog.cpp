#include "model/ClaudeStageCatalog.h"

namespace tovr {

namespace {

// Remote servers only, so nothing has to run on the Mac. Each kind of connection is
// represented: two work without an account, one needs a sign-in inside the agent.
const QList<MCPServer>& remoteMCPServers() {
    static const QList<MCPServer> servers{
        {QStringLiteral("exa"), QStringLiteral("Exa Web Search"),
         QStringLiteral("https://mcp.exa.ai/mcp"),
         QStringLiteral("Lets your agent search the web and read pages, so its answers can cite "
                        "current sources."),
         QStringLiteral("Your agent's searches are sent to Exa. It works without a key at a "
                        "limited free rate; a free key from dashboard.exa.ai raises the limit."),
         MCPServer::Connection::keylessOptionalKey(
             QStringLiteral("https://mcp.exa.ai/mcp?exaApiKey={key}"))},
        // Context7 takes its key in a request header, not in the address, so there is no
        // template for one.
        {QStringLiteral("context7"), QStringLiteral("Context7"),
         QStringLiteral("https://mcp.context7.com/mcp"),
         QStringLiteral("Gives your agent up-to-date documentation and code examples for the "
                        "libraries you use, instead of what it remembers from training."),
         QStringLiteral("Library names and your agent's questions about them are sent to "
                        "Context7, run by Upstash. Use without an account is rate-limited."),
         MCPServer::Connection::keylessOptionalKey()},
        {QStringLiteral("notion"), QStringLiteral("Notion"),
         QStringLiteral("https://mcp.notion.com/mcp"),
         QStringLiteral("Lets your agent search, read and update pages and databases in your "
                        "Notion workspace."),
         QStringLiteral("Needs a Notion account. After signing in, your agent can read and change "
                        "every page that account can reach."),
         MCPServer::Connection::oauth()},
    };
    return servers;
}

} // namespace

QList<AgentSkill> ClaudeStageCatalog::skills(bool includeDeveloperOnly) const {
    return AgentSkill::catalog(includeDeveloperOnly);
}

QList<MCPServer> ClaudeStageCatalog::mcpServers() const {
    return remoteMCPServers();
}

QList<TOVRLanguage> ClaudeStageCatalog::languages() const {
    return {allTOVRLanguages.begin(), allTOVRLanguages.end()};
}

QList<ProjectTemplate> ClaudeStageCatalog::projectTemplates() const {
    return {allProjectTemplates.begin(), allProjectTemplates.end()};
}

} // namespace tovr
