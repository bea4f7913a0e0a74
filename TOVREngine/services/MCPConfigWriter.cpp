#include "services/MCPConfigWriter.h"

#include "platform/Error.h"
#include "platform/PrivateFiles.h"
#include "platform/ShellQuote.h"
#include "services/CodexConfig.h"
#include "services/StreamedLoginShell.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

namespace tovr {

namespace {

bool anyExists(const FileSystemOperating& fs, std::initializer_list<const char*> paths) {
    for (const char* path : paths)
        if (fs.fileExists(QString::fromUtf8(path)))
            return true;
    return false;
}

bool isFolder(const FileSystemOperating& fs, const QString& path) {
    bool dir = false;
    return fs.fileExists(path, &dir) && dir;
}

// The text exactly as the bytes hold it, a leading byte order mark included, so that what is
// written back starts with the user's bytes unchanged.
QString utf8Text(const QByteArray& data) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(data);
}

QString codexConfigPath(const QString& codexDir) {
    return codexDir + QStringLiteral("/config.toml");
}

// A slug that is a TOML bare key is written as it is; anything else as a quoted key, so a
// stray character cannot open a table of its own.
QString tomlKey(const QString& key) {
    static const QRegularExpression bare(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return bare.match(key).hasMatch() ? key : MCPConfigWriter::tomlString(key);
}

WriterReport masked(WriterReport report, const std::optional<QString>& apiKey) {
    for (QString& line : report.lines)
        line = MCPConfigWriter::withKeyMasked(line, apiKey);
    return report;
}

} // namespace

QString MCPConfigWriter::tomlString(const QString& value) {
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\b':
            out += QStringLiteral("\\b");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\f':
            out += QStringLiteral("\\f");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

QString MCPConfigWriter::codexTable(const QString& slug, const QString& address) {
    return QStringLiteral("[mcp_servers.") + tomlKey(slug) + QStringLiteral("]\nurl = ") +
           tomlString(address) + u'\n';
}

QString MCPConfigWriter::claudeAddCommand(const QString& slug, const QString& address) {
    return QStringLiteral("claude mcp add --transport http ") + shellQuote(slug) + u' ' +
           shellQuote(address) + QStringLiteral(" -s user");
}

QString MCPConfigWriter::effectiveAddress(const MCPServer& server,
                                          const std::optional<QString>& apiKey) {
    const auto* keyless = server.connection.as<MCPServer::Connection::KeylessOptionalKey>();
    if (!keyless || !keyless->keyURLTemplate || !apiKey || apiKey->isEmpty())
        return server.url;
    // Encoded, a key holding "&", "#" or a line break stays one query value.
    QString address = *keyless->keyURLTemplate;
    address.replace(QStringLiteral("{key}"), QString::fromLatin1(QUrl::toPercentEncoding(*apiKey)));
    return address;
}

QString MCPConfigWriter::withKeyMasked(const QString& text, const std::optional<QString>& apiKey) {
    if (!apiKey || apiKey->isEmpty())
        return text;
    const QString shown = (apiKey->size() > 8 ? apiKey->left(4) : QString()) + u'\u2026';
    QString masked = text;
    // Where it stands on its own, as in an address: a short key inside a word of a sentence
    // leaves the word alone.
    for (const QString& form : {QString::fromLatin1(QUrl::toPercentEncoding(*apiKey)), *apiKey}) {
        const QRegularExpression alone(QStringLiteral("(?<![A-Za-z0-9])") +
                                       QRegularExpression::escape(form) +
                                       QStringLiteral("(?![A-Za-z0-9])"));
        QString out;
        qsizetype from = 0;
        for (auto it = alone.globalMatch(masked); it.hasNext();) {
            const auto match = it.next();
            out += masked.mid(from, match.capturedStart() - from) + shown;
            from = match.capturedEnd();
        }
        masked = out + masked.mid(from);
    }
    return masked;
}

QString MCPConfigWriter::claudeDesktopSupportDir() const {
    QString support;
    try {
        support = fs->applicationSupportDirectory(false);
    } catch (const Error&) {
        support = fs->homeDirectory() + QStringLiteral("/Library/Application Support");
    }
    return support + QStringLiteral("/Claude");
}

bool MCPConfigWriter::codexPresent() const {
    return fs->fileExists(locations.codexHome(fs->homeDirectory())) ||
           anyExists(*fs, {"/opt/homebrew/bin/codex", "/usr/local/bin/codex"});
}

bool MCPConfigWriter::claudeCodeHolds(const QString& slug) const {
    const QString claudeJson = locations.claudeJson(fs->homeDirectory());
    try {
        if (!fs->fileExists(claudeJson))
            return false;
        const QJsonDocument doc = QJsonDocument::fromJson(fs->readData(claudeJson));
        const QJsonValue servers = doc.object().value(QStringLiteral("mcpServers"));
        return doc.isObject() && servers.isObject() && servers.toObject().contains(slug);
    } catch (const Error&) {
        return false;
    }
}

bool MCPConfigWriter::codexConfigHolds(const QString& slug) const {
    const QString path = codexConfigPath(locations.codexHome(fs->homeDirectory()));
    try {
        return fs->fileExists(path) && CodexConfig::parse(fs->readData(path)).hasServer(slug);
    } catch (const Error&) {
        return false;
    }
}

MCPConfigWriter::CodexResult MCPConfigWriter::addToCodex(const QString& slug,
                                                         const QString& address) const {
    if (!codexPresent())
        return {{}, true, false};
    const QString dir = locations.codexHome(fs->homeDirectory());
    const QString path = codexConfigPath(dir);

    auto failure = [](const QString& prefix, const QString& description) {
        return CodexResult{{prefix + description}, false, true};
    };
    const QString unread = QStringLiteral("Couldn't read your Codex config: ");
    const QString unwritten = QStringLiteral("Couldn't write your Codex config: ");

    // Codex refuses to start on a config it cannot parse, so one we cannot read is left
    // exactly as it is.
    QByteArray data;
    try {
        if (fs->fileExists(path))
            data = fs->readData(path);
    } catch (const Error& e) {
        return failure(unread, e.description());
    }
    const CodexConfig config = CodexConfig::parse(data);
    if (!config.isValid())
        return failure(unread, config.error());
    if (config.hasServer(slug))
        return {
            {slug + QStringLiteral(" is already in your Codex config — left as is.")}, true, true};
    // A table for it with no address (only its env, say) Codex refuses already; ours would
    // merge into it and still not load, so it is left for the user to finish.
    if (config.hasTable(slug))
        return failure(unwritten, QStringLiteral("it has a table for ") + slug +
                                      QStringLiteral(" without an address."));

    // Appended, so the user's comments and layout stay as they are.
    const QString old = utf8Text(data);
    const QString separator = old.isEmpty()         ? QString()
                              : old.endsWith(u'\n') ? QStringLiteral("\n")
                                                    : QStringLiteral("\n\n");
    const QString text = old + separator + codexTable(slug, address);

    // A value already under that name (a string, an array) would make the new table a
    // duplicate key, and Codex would not start: what replaces the file must read back.
    const CodexConfig result = CodexConfig::parse(text.toUtf8());
    if (!result.isValid())
        return failure(unwritten, QStringLiteral("with ") + slug +
                                      QStringLiteral(" added it would not be valid: ") +
                                      result.error());
    if (result.serverURL(slug) != address)
        return failure(unwritten, QStringLiteral("with ") + slug +
                                      QStringLiteral(" added it would not hold its address."));

    try {
        fs->createDirectory(dir, true);
        // No config changes without its backup. The new table may carry an API key in its
        // address.
        if (data.isEmpty())
            writePrivateText(*fs, text, path);
        else
            writeWithBackup(*fs, path, text.toUtf8(), 0600, path + QStringLiteral(".bak"), data,
                            backupModeOf(*fs, path));
    } catch (const Error& e) {
        return failure(unwritten, e.description());
    }
    return {
        {QStringLiteral("Added ") + slug + QStringLiteral(" to your Codex config.")}, true, true};
}

bool MCPConfigWriter::isConfigured(const QString& slug) const {
    int examined = 0;
    int holding = 0;
    if (fs->fileExists(locations.claudeJson(fs->homeDirectory()))) {
        ++examined;
        holding += claudeCodeHolds(slug);
    }
    // Codex counts once it is there, config or not: it has the server only in its config.
    if (codexPresent()) {
        ++examined;
        holding += codexConfigHolds(slug);
    }
    return examined > 0 && holding == examined;
}

bool MCPConfigWriter::claudeToolAvailable(ProcessRunning& process,
                                          CancellableProcess* latch) const {
    if (anyExists(*fs, {"/opt/homebrew/bin/claude", "/usr/local/bin/claude"}))
        return true;
    try {
        // A login shell takes as long as the user's start-up files: a cancel ends it.
        return runUnderLatch(process, QStringLiteral("/bin/zsh"),
                             {QStringLiteral("-lc"), QStringLiteral("command -v claude")}, latch)
                   .exitCode == 0;
    } catch (const std::exception&) {
        return false;
    }
}

WriterReport MCPConfigWriter::addServer(const MCPServer& server,
                                        const std::optional<QString>& apiKey,
                                        ProcessRunning& process, const LineSink& onLine,
                                        CancellableProcess* latch) const {
    // The tool echoes the address it was given, and an error may quote it: no line shows
    // the key.
    WriterLog log([&](const QString& line) {
        if (onLine)
            onLine(withKeyMasked(line, apiKey));
    });
    const QString name = server.displayName;
    const QString address = effectiveAddress(server, apiKey);
    const bool desktop = isFolder(*fs, claudeDesktopSupportDir());

    // Claude Code's tool refuses a name it already has, and the whole fix would fail.
    const bool claudeHas = claudeCodeHolds(server.slug);
    const bool tool = !claudeHas && claudeToolAvailable(process, latch);
    qint32 toolExit = 0;
    if (claudeHas) {
        log.add(name + QStringLiteral(" is already in Claude Code — left as is."));
    } else if (tool) {
        log.add(QStringLiteral("Adding ") + name + QStringLiteral(" to Claude Code…"));
        toolExit = runStreamedLoginShell(
            process, claudeAddCommand(server.slug, address),
            [&](const QString& line) { log.add(line); }, latch);
    } else if (fs->fileExists(locations.claudeConfigDir(fs->homeDirectory()))) {
        log.add(QStringLiteral("Claude Code CLI isn't on your PATH — skipping it for ") + name +
                u'.');
    }
    const bool claudeReached = claudeHas || tool;
    const bool claudeCodeHasIt = claudeHas || (tool && toolExit == 0);

    const CodexResult codex = addToCodex(server.slug, address);
    for (const auto& line : codex.lines)
        log.add(line);

    if (!claudeReached && !codex.codexPresent && !desktop) {
        log.add(QStringLiteral("No AI agent is set up yet — nothing to configure ") + name +
                QStringLiteral(" for."));
        return masked(log.report(), apiKey);
    }
    if (desktop)
        log.add(QStringLiteral("For Claude Desktop’s Chat, add ") + name +
                QStringLiteral(" under Settings → Connectors") +
                (claudeCodeHasIt ? QStringLiteral(" — the Code tab already has it.")
                                 : QStringLiteral(".")));

    if (claudeReached || codex.codexPresent) {
        const bool failed = (tool && toolExit != 0) || (codex.codexPresent && !codex.succeeded);
        if (failed)
            log.fail();
        else if (server.connection.as<MCPServer::Connection::OAuth>())
            log.add(QStringLiteral("Sign in to ") + name +
                    QStringLiteral(" inside Claude or Codex, then restart it to finish."));
    }
    return masked(log.report(), apiKey);
}

} // namespace tovr
