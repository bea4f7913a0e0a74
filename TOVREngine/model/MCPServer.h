#pragma once

#include <QString>

#include <optional>
#include <variant>

namespace tovr {

// A remote MCP server the user can add to the AI agents. Identified by `slug`.
struct MCPServer {
    // How the agents authenticate to the server.
    struct Connection {
        // Works without a key; an optional key goes into the template where "{key}" is.
        struct KeylessOptionalKey {
            std::optional<QString> keyURLTemplate;
            bool operator==(const KeylessOptionalKey&) const = default;
        };
        // The user signs in inside the agent after the server is added.
        struct OAuth {
            bool operator==(const OAuth&) const = default;
        };

        std::variant<KeylessOptionalKey, OAuth> value;

        static Connection keylessOptionalKey(std::optional<QString> keyURLTemplate = {}) {
            return {KeylessOptionalKey{std::move(keyURLTemplate)}};
        }
        static Connection oauth() { return {OAuth{}}; }
        template <class Case> const Case* as() const { return std::get_if<Case>(&value); }
        bool operator==(const Connection&) const = default;
    };

    QString slug;
    QString displayName;
    QString url; // the endpoint
    QString summary;
    std::optional<QString> disclosure;
    Connection connection;

    bool operator==(const MCPServer&) const = default;
};

} // namespace tovr
