#include "services/CodexConfig.h"

#include <toml++/toml.h>

#include <string_view>

namespace tovr {

namespace {

QString fromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

CodexConfig CodexConfig::parse(const QByteArray& data) {
    CodexConfig config;
    toml::table document;
    try {
        document = toml::parse(std::string_view(data.constData(), size_t(data.size())));
    } catch (const toml::parse_error& e) {
        config.error_ = fromStd(e.description()) + QStringLiteral(" (line %1, column %2)")
                                                       .arg(e.source().begin.line)
                                                       .arg(e.source().begin.column);
        return config;
    }
    if (const toml::table* servers = document["mcp_servers"].as_table()) {
        for (const auto& [key, node] : *servers) {
            const toml::table* server = node.as_table();
            if (!server)
                continue;
            std::optional<QString> url;
            if (const auto value = (*server)["url"].value<std::string_view>())
                url = fromStd(*value);
            config.servers_.emplace(fromStd(key.str()), url);
        }
    }
    return config;
}

std::optional<QString> CodexConfig::serverURL(const QString& slug) const {
    const auto found = servers_.find(slug);
    return found == servers_.end() ? std::nullopt : found->second;
}

} // namespace tovr
