#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>

namespace tovr {

// Codex's config.toml as a TOML parser reads it, and as Codex itself will: the one place that
// knows the format. Only what the MCP writer asks of it is kept.
class CodexConfig {
public:
    // Parses UTF-8 bytes. A document that does not parse gives a config that is not valid and
    // holds no server.
    static CodexConfig parse(const QByteArray& data);

    bool isValid() const { return !error_; }
    // The parser's message with its line and column; empty for a valid document.
    QString error() const { return error_.value_or(QString()); }
    // The table mcp_servers.<slug> exists, however it is spelled.
    bool hasServer(const QString& slug) const { return servers_.count(slug) > 0; }
    // That table's url, when it is a string.
    std::optional<QString> serverURL(const QString& slug) const;

private:
    std::optional<QString> error_;
    std::map<QString, std::optional<QString>> servers_;
};

} // namespace tovr
