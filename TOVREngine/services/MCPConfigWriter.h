#pragma once

#include "model/MCPServer.h"
#include "platform/CancellableProcess.h"
#include "platform/FileSystemOperating.h"
#include "platform/ProcessRunning.h"
#include "platform/ToolLocations.h"
#include "services/WriterReport.h"

#include <memory>
#include <optional>

namespace tovr {

// Registers remote MCP servers with the AI agents on the Mac: Claude Code through its own
// command-line tool, Codex by appending a table to its config.toml, which is read and checked
// with a TOML parser. Keeps no state; every call reads the configuration files afresh.
struct MCPConfigWriter {
    std::shared_ptr<FileSystemOperating> fs;
    ToolLocations locations = {}; // where Codex's and Claude Code's files are

    struct CodexResult {
        QStringList lines; // none or one
        bool succeeded = true;
        bool codexPresent = false;
        bool operator==(const CodexResult&) const = default;
    };

    // The whole fix for one server: Claude Code, Codex, then the Claude Desktop note. Each
    // line goes to `onLine` as it comes (the report holds them too); `ok` is the exit code
    // 0 case. Cancelling `latch` terminates the search for the Claude Code tool and the tool.
    // Blocks; never throws.
    WriterReport addServer(const MCPServer& server, const std::optional<QString>& apiKey,
                           ProcessRunning& process, const LineSink& onLine = {},
                           CancellableProcess* latch = nullptr) const;

    // Registered in every agent configuration that exists, and at least one exists.
    bool isConfigured(const QString& slug) const;
    // Appends the server's table to the Codex configuration when Codex is present; a config
    // that does not parse, or would not parse with the table, is left as it is.
    CodexResult addToCodex(const QString& slug, const QString& address) const;
    // Claude Desktop's support folder; only its existence is read.
    QString claudeDesktopSupportDir() const;

    // The shell command that registers the server with Claude Code, every value quoted.
    static QString claudeAddCommand(const QString& slug, const QString& address);
    // The server's address with the user's key, percent-encoded, put into its template;
    // the plain address without a template or a key.
    static QString effectiveAddress(const MCPServer& server, const std::optional<QString>& apiKey);
    // `text` with the user's key, as typed and as it stands in the address, shown as its
    // first four characters and "…" (only "…" for a short key): the field that took it hides
    // it, and so does every line the fix shows.
    static QString withKeyMasked(const QString& text, const std::optional<QString>& apiKey);
    // The Codex table for a server: header and url line, each ended by a line feed.
    static QString codexTable(const QString& slug, const QString& address);
    // `value` as a TOML basic string, quotes included.
    static QString tomlString(const QString& value);

private:
    // Codex's folder or its program exists.
    bool codexPresent() const;
    // Claude Code's .claude.json registers the server.
    bool claudeCodeHolds(const QString& slug) const;
    // Codex's config.toml parses and has the server's table.
    bool codexConfigHolds(const QString& slug) const;
    bool claudeToolAvailable(ProcessRunning& process, CancellableProcess* latch) const;
};

} // namespace tovr
