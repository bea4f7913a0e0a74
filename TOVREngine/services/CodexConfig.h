#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <string_view>

namespace tovr {

// Codex's config.toml as a TOML parser reads it, and as Codex itself will: the one place that
// knows the format. Only what the MCP writer asks of it is kept.
class CodexConfig {
public:
    // Parses UTF-8 bytes as TOML 1.1, which Codex reads. A document that does not parse, or
    // nests too deep to parse safely, gives a config that is not valid and holds no server.
    static CodexConfig parse(const QByteArray& data);

    bool isValid() const { return !error_; }
    // The parser's message with its line and column; empty for a valid document.
    QString error() const { return error_.value_or(QString()); }
    // The table mcp_servers.<slug> exists, however it is spelled, and gives Codex a way to
    // reach the server (`url` or `command`); without one Codex refuses the table.
    bool hasServer(const QString& slug) const;
    // That table's url, when it is a string.
    std::optional<QString> serverURL(const QString& slug) const;
    // The table mcp_servers.<slug> exists, whatever it holds.
    bool hasTable(const QString& slug) const { return servers_.count(slug) > 0; }

private:
    // The parse itself, on a stack that holds the document's depth.
    static CodexConfig read(std::string_view text);

    struct Server {
        std::optional<QString> url;
        bool reachable = false;
    };
    std::optional<QString> error_;
    std::map<QString, Server> servers_;
};

} // namespace tovr
