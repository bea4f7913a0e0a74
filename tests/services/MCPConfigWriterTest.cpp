#include "services/MCPConfigWriter.h"
#include "platform/Error.h"
#include "platform/LiveProcessRunner.h"
#include "platform/StackedCall.h"
#include "support/FailingFileSystem.h"
#include "support/FakeProcessRunner.h"
#include "support/ForwardingFileSystem.h"
#include "support/QtPrinting.h"
#include "support/SandboxFileSystem.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <algorithm>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

const QString kHome = "/Users/dev";
const QString kConfig = kHome + "/.codex/config.toml";

MCPServer keyed(QString slug = "search") {
    return {slug,
            "Web Search",
            "https://mcp.example.com/mcp",
            "Searches the web",
            std::nullopt,
            MCPServer::Connection::keylessOptionalKey("https://mcp.example.com/mcp?key={key}")};
}

// Parses a file as TOML with Python's own reader; the document as JSON, or the error.
QJsonObject parseToml(const QString& hostPath, QString* error) {
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty()) {
        *error = "python3 is missing";
        return {};
    }
    const ProcessResult result = LiveProcessRunner().run(
        python,
        {"-c", "import tomllib,sys,json; print(json.dumps(tomllib.load(open(sys.argv[1],'rb'))))",
         hostPath});
    if (result.exitCode != 0)
        *error = result.stderr_;
    return QJsonDocument::fromJson(result.stdout_.toUtf8()).object();
}

// Watches Codex's folder for a secret that others could read. Before a write that brings
// one in, the file must already be private: an atomic write keeps the mode of the file it
// replaces, and a new file gets the umask's. After every change, each file there that holds
// one must be private too.
class SecretWatch final : public ForwardingFileSystem {
public:
    SecretWatch(std::shared_ptr<FileSystemOperating> inner, QList<QByteArray> secrets)
        : ForwardingFileSystem(std::move(inner)), secrets_(std::move(secrets)) {}

    QStringList exposures;
    bool refuseModes = false;

    void write(const QString& text, const QString& p, bool atomically) override {
        before(p, text.toUtf8());
        inner_->write(text, p, atomically);
        after("write", p);
    }
    void writeData(const QByteArray& data, const QString& p) override {
        before(p, data);
        inner_->writeData(data, p);
        after("writeData", p);
    }
    // A mode given with the write is the one the file is created with.
    void writeDataWithMode(const QByteArray& data, const QString& p, int mode) override {
        if (refuseModes)
            throw SystemError(EPERM, "Operation not permitted");
        if (holdsSecret(data) && mode != 0600)
            exposures << "writing a secret into " + p + " at " + QString::number(mode, 8);
        inner_->writeDataWithMode(data, p, mode);
        after("writeDataWithMode", p);
    }
    QString stageData(const QByteArray& data, const QString& p, std::optional<int> m) override {
        if (refuseModes && m)
            throw SystemError(EPERM, "Operation not permitted");
        if (m && holdsSecret(data) && *m != 0600)
            exposures << "writing a secret into " + p + " at " + QString::number(*m, 8);
        else if (!m)
            before(p, data);
        return inner_->stageData(data, p, m);
    }
    void commitStaged(const QString& staged, const QString& p) override {
        inner_->commitStaged(staged, p);
        after("commitStaged", p);
    }
    void setAttributes(const FileAttributes& a, const QString& p) override {
        if (refuseModes)
            throw SystemError(EPERM, "Operation not permitted");
        inner_->setAttributes(a, p);
        after("setAttributes", p);
    }
    void moveItem(const QString& from, const QString& to) override {
        inner_->moveItem(from, to);
        after("moveItem", to);
    }

private:
    bool holdsSecret(const QByteArray& data) const {
        return std::any_of(secrets_.begin(), secrets_.end(),
                           [&](const QByteArray& s) { return data.contains(s); });
    }
    QString mode(const QString& path) const {
        if (!inner_->fileExists(path))
            return "a new file";
        return QString::number(inner_->attributesOfItem(path).posixPermissions.value_or(0), 8);
    }
    void before(const QString& path, const QByteArray& data) {
        if (holdsSecret(data) && mode(path) != "600")
            exposures << "writing a secret into " + path + " at " + mode(path);
    }
    void after(const QString& op, const QString& changed) {
        const QString dir = kHome + "/.codex";
        for (const QString& name : inner_->contentsOfDirectory(dir)) {
            const QString path = dir + '/' + name;
            bool folder = false;
            if (inner_->fileExists(path, &folder) && !folder &&
                holdsSecret(inner_->readData(path)) && mode(path) != "600")
                exposures << op + " of " + changed + " left " + path + " at " + mode(path);
        }
    }

    QList<QByteArray> secrets_;
};

} // namespace

TEST(MCPConfigWriterCodex, KeysAndTokensAreNeverInAFileOthersCanRead) {
    auto sandbox = std::make_shared<SandboxFileSystem>(kHome);
    auto fs = std::make_shared<SecretWatch>(
        sandbox, QList<QByteArray>{"ghp_user_token", "sk-one-1111", "sk-two-2222"});
    const MCPConfigWriter writer{fs};

    // A config the user keeps private, then two keyed servers in one run.
    sandbox->createFile(kConfig, "token = \"ghp_user_token\"\n", 0600);
    for (const auto& [slug, key] : {std::pair{"one", "sk-one-1111"}, {"two", "sk-two-2222"}})
        EXPECT_TRUE(
            writer.addToCodex(slug, MCPConfigWriter::effectiveAddress(keyed(slug), key)).succeeded);
    EXPECT_TRUE(sandbox->contents(kConfig + ".bak").contains("sk-one-1111"));
    EXPECT_EQ(fs->exposures, QStringList());

    // A new config is private from its first byte.
    sandbox->removeItem(kHome + "/.codex");
    sandbox->createFolder(kHome + "/.codex");
    EXPECT_TRUE(
        writer.addToCodex("one", MCPConfigWriter::effectiveAddress(keyed("one"), "sk-one-1111"))
            .succeeded);
    EXPECT_EQ(fs->exposures, QStringList());

    // A mode that cannot be set is a failed write, and leaves no config behind.
    sandbox->removeItem(kConfig);
    fs->refuseModes = true;
    const auto refused =
        writer.addToCodex("one", MCPConfigWriter::effectiveAddress(keyed("one"), "sk-one-1111"));
    EXPECT_FALSE(refused.succeeded);
    EXPECT_TRUE(refused.lines.value(0).startsWith("Couldn't write your Codex config: "));
    EXPECT_FALSE(sandbox->fileExists(kConfig));
    EXPECT_EQ(fs->exposures, QStringList());
}

TEST(MCPConfigWriterCodex, AppendsBesideTheUsersTablesAsValidTomlWhateverTheKeyHolds) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    const QByteArray theirs = "model = \"o4\"\n\n[mcp_servers.docs]\nurl = \"https://docs\"\n\n"
                              "[profiles.fast]\nmodel = \"mini\"\n";
    fs->createFile(kConfig, theirs, 0644);

    const QString key = "a\"b\\c\n[mcp_servers.evil]\r\nurl = \"x\"&#'";
    const QString address = MCPConfigWriter::effectiveAddress(keyed(), key);
    EXPECT_FALSE(address.contains('"') || address.contains('\n') || address.contains('&'));
    EXPECT_TRUE(address.startsWith("https://mcp.example.com/mcp?key=a%22b%5Cc%0A"));

    const auto result = MCPConfigWriter{fs}.addToCodex("search", address);
    EXPECT_EQ(result,
              (MCPConfigWriter::CodexResult{{"Added search to your Codex config."}, true, true}));

    const QByteArray written = fs->contents(kConfig);
    EXPECT_TRUE(written.startsWith(theirs));
    EXPECT_EQ(written.mid(theirs.size()),
              "\n[mcp_servers.search]\nurl = \"" + address.toUtf8() + "\"\n");
    EXPECT_EQ(fs->contents(kConfig + ".bak"), theirs);
    EXPECT_EQ(fs->attributesOfItem(kConfig).posixPermissions, 0600);

    QString error;
    const QJsonObject doc = parseToml(fs->hostPath(kConfig), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QJsonObject servers = doc["mcp_servers"].toObject();
    EXPECT_EQ(servers.keys(), (QStringList{"docs", "search"}));
    EXPECT_EQ(servers["search"].toObject()["url"].toString(), address);
    EXPECT_EQ(doc["profiles"].toObject()["fast"].toObject()["model"].toString(), "mini");

    // An address from a template is written whole, even with characters TOML must escape.
    const QString odd = QString("https://x/\"q\"\\\t\x01") + QChar(0x7f) + "é";
    ASSERT_TRUE(MCPConfigWriter{fs}.addToCodex("my server.v2", odd).succeeded);
    const QJsonObject again = parseToml(fs->hostPath(kConfig), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(again["mcp_servers"].toObject()["my server.v2"].toObject()["url"].toString(), odd);
}

TEST(MCPConfigWriterCodex, SeparatorBackupAndPresence) {
    const QString table = "[mcp_servers.search]\nurl = \"https://s\"\n";
    struct Case {
        std::optional<QByteArray> before;
        QByteArray after;
        bool backup;
    };
    const Case cases[] = {
        {std::nullopt, table.toUtf8(), false},
        {QByteArray(), table.toUtf8(), false},
        {"a = 1\n", "a = 1\n\n" + table.toUtf8(), true},
        {"a = 1", "a = 1\n\n" + table.toUtf8(), true},
    };
    for (const auto& c : cases) {
        auto fs = std::make_shared<SandboxFileSystem>(kHome);
        fs->createFolder(kHome + "/.codex");
        if (c.before)
            fs->createFile(kConfig, *c.before);
        MCPConfigWriter{fs}.addToCodex("search", "https://s");
        EXPECT_EQ(fs->contents(kConfig), c.after);
        EXPECT_EQ(fs->fileExists(kConfig + ".bak"), c.backup);
    }

    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    const MCPConfigWriter writer{fs};
    // Codex absent: nothing is created.
    EXPECT_EQ(writer.addToCodex("search", "https://s"),
              (MCPConfigWriter::CodexResult{{}, true, false}));
    EXPECT_FALSE(fs->fileExists(kHome + "/.codex"));

    // The Homebrew binary alone makes Codex present; the folder is created.
    fs->createExecutable("/opt/homebrew/bin/codex");
    EXPECT_TRUE(writer.addToCodex("search", "https://s").codexPresent);
    EXPECT_EQ(fs->contents(kConfig), table.toUtf8());

    for (const QByteArray header : {"[mcp_servers.search]", "[mcp_servers.\"search\"]"}) {
        fs->createFile(kConfig, "# mine\n" + header + "\nurl = \"https://old\"\n");
        EXPECT_EQ(writer.addToCodex("search", "https://s").lines,
                  QStringList{"search is already in your Codex config — left as is."});
        EXPECT_FALSE(fs->contents(kConfig).contains("https://s\""));
    }
}

TEST(MCPConfigWriterCodex, TheTableCountsInAnySpellingAndNotInAComment) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    const MCPConfigWriter writer{fs};
    fs->createFile(kHome + "/.claude.json", R"({"mcpServers": {"exa": {}}})");
    for (const QByteArray theirs :
         {"[mcp_servers]\nexa = { url = \"https://old\" }\n",
          "mcp_servers.exa.url = \"https://old\"\n", "[mcp_servers.'exa']\nurl = \"https://old\"\n",
          "[ mcp_servers . exa ] # theirs\nurl = \"https://old\"\n",
          // TOML 1.1, which Codex reads: an inline table over lines with a trailing comma,
          // and the \e and \xHH escapes (a key spelled "\x65xa" is exa).
          "[mcp_servers]\nexa = {\n  url = \"https://old\",\n}\n",
          "model = \"\\e[1m\"\n[mcp_servers.\"\\x65xa\"]\nurl = \"https://old\"\n"}) {
        fs->createFile(kConfig, theirs);
        EXPECT_EQ(writer.addToCodex("exa", "https://new").lines,
                  QStringList{"exa is already in your Codex config — left as is."})
            << theirs.constData();
        EXPECT_EQ(fs->contents(kConfig), theirs);
        EXPECT_TRUE(writer.isConfigured("exa")) << theirs.constData();
    }

    // As deep as Codex reads (80 arrays of tables, 80 tables of 80-part keys), on a small stack.
    // ThreadSanitizer records at most 65,536 calls a thread and corrupts itself past them,
    // which this parse passes.
#ifndef __SANITIZE_THREAD__
    const auto key = [](int parts) { return QByteArrayList(parts, "a").join('.'); };
    QByteArray deep;
    for (int parts = 1; parts <= 80; ++parts)
        deep += "[[" + key(parts) + "]]\n";
    deep += key(80) + " = " + ("{" + key(80) + " = ").repeated(80) + "1" + QByteArray(80, '}');
    fs->createFile(kConfig, deep + "\n[mcp_servers.exa]\nurl = \"https://old\"\n");
    bool configured = false;
    EXPECT_TRUE(stackedCall(128 * 1024, [&] { configured = writer.isConfigured("exa"); }) &&
                configured);
#endif

    // Commented out, the table is not there: it is added, and the comment stays.
    const QByteArray commented = "# [mcp_servers.exa]\n# url = \"https://old\"\n";
    fs->createFile(kConfig, commented);
    EXPECT_FALSE(writer.isConfigured("exa"));
    EXPECT_EQ(writer.addToCodex("exa", "https://new").lines,
              QStringList{"Added exa to your Codex config."});
    EXPECT_EQ(fs->contents(kConfig), commented + "\n[mcp_servers.exa]\nurl = \"https://new\"\n");
    EXPECT_TRUE(writer.isConfigured("exa"));
}

TEST(MCPConfigWriterCodex, WhatWouldNotReadBackNeverReplacesTheConfig) {
    // A value under exa's name makes ours a duplicate key; a table for exa without an
    // address is not the server (Codex refuses it), and ours would merge into it.
    const std::pair<QByteArray, QString> configs[] = {
        {"[mcp_servers]\nexa = \"https://old\"\n", "with exa added it would not be valid: "},
        {"[mcp_servers.exa.env]\nKEY = \"k\"\n", "it has a table for exa without an address."}};
    for (const auto& [theirs, message] : configs) {
        auto fs = std::make_shared<SandboxFileSystem>(kHome);
        fs->createFile(kConfig, theirs);
        EXPECT_FALSE(MCPConfigWriter{fs}.isConfigured("exa"));
        const auto result = MCPConfigWriter{fs}.addToCodex("exa", "https://new");
        EXPECT_FALSE(result.succeeded);
        ASSERT_EQ(result.lines.size(), 1);
        EXPECT_TRUE(result.lines[0].startsWith("Couldn't write your Codex config: " + message))
            << result.lines[0].toStdString();
        EXPECT_EQ(fs->contents(kConfig), theirs);
        EXPECT_FALSE(fs->fileExists(kConfig + ".bak"));
    }
}

TEST(MCPConfigWriterCodex, AConfigThatCannotBeReadIsLeftAsItIs) {
    // Not UTF-8, the duplicate table Codex refuses, a key of 40,000 parts that would
    // overflow the parser's stack, a key the parser only asserts against.
    const QByteArray deep = QByteArrayList(40000, "a").join('.');
    const std::pair<QByteArray, QString> configs[] = {
        {"model = \"caf\xe9\"\n", "utf-8 sequence (line 1, column "},
        {"[mcp_servers.search]\nurl = \"a\"\n\n[mcp_servers.search]\nurl = \"b\"\n",
         "'mcp_servers.search' (line 4, column 1)"},
        {deep + " = 1\n", "it nests more than "},
        {"[.a]\n", "(line 1, column 2)"}};
    for (const auto& [theirs, message] : configs) {
        auto fs = std::make_shared<SandboxFileSystem>(kHome);
        fs->createFile(kConfig, theirs);
        const auto result = MCPConfigWriter{fs}.addToCodex("search", "https://s");
        EXPECT_FALSE(result.succeeded);
        EXPECT_TRUE(result.codexPresent);
        ASSERT_EQ(result.lines.size(), 1);
        EXPECT_TRUE(result.lines[0].startsWith("Couldn't read your Codex config: "));
        EXPECT_TRUE(result.lines[0].contains(message)) << result.lines[0].toStdString();
        EXPECT_EQ(fs->contents(kConfig), theirs);
        EXPECT_FALSE(fs->fileExists(kConfig + ".bak"));
        EXPECT_FALSE(MCPConfigWriter{fs}.isConfigured("search"));

        // The whole fix reports the failure.
        FakeProcessRunner process;
        const auto report = MCPConfigWriter{fs}.addServer(keyed(), std::nullopt, process);
        EXPECT_FALSE(report.ok);
        EXPECT_EQ(fs->contents(kConfig), theirs);
    }
}

TEST(MCPConfigWriterCodex, AFullDiskKeepsTheConfigAndItsEarlierBackup) {
    // No room for the backup, or room for it but not for the new config.
    for (const QString full : {".bak", "/config.toml"}) {
        auto sandbox = std::make_shared<SandboxFileSystem>(kHome);
        sandbox->createFile(kConfig, "a = 1\n");
        sandbox->createFile(kConfig + ".bak", "earlier\n");
        auto fs = std::make_shared<FailingFileSystem>(sandbox, full);
        const auto result = MCPConfigWriter{fs}.addToCodex("search", "https://s");
        EXPECT_FALSE(result.succeeded);
        ASSERT_EQ(result.lines.size(), 1);
        EXPECT_TRUE(result.lines[0].startsWith("Couldn't write your Codex config: "));
        EXPECT_EQ(sandbox->contents(kConfig), "a = 1\n");
        EXPECT_EQ(sandbox->contents(kConfig + ".bak"), "earlier\n") << full.toStdString();
        EXPECT_EQ(sandbox->contentsOfDirectory(kHome + "/.codex").size(), 2);
    }
}

TEST(MCPConfigWriterProbe, EveryExistingConfigMustHoldTheServer) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    const MCPConfigWriter writer{fs};
    EXPECT_FALSE(writer.isConfigured("search")); // nothing examined

    fs->createFile(kHome + "/.claude.json", R"({"mcpServers": {"search": {"type": "http"}}})");
    EXPECT_TRUE(writer.isConfigured("search"));
    EXPECT_FALSE(writer.isConfigured("other"));

    fs->createFile(kConfig, "[mcp_servers.docs]\nurl = \"https://d\"\n");
    EXPECT_FALSE(writer.isConfigured("search"));
    fs->createFile(kConfig, "[mcp_servers.\"search\"]\nurl = \"https://s\"\n");
    EXPECT_TRUE(writer.isConfigured("search"));

    for (const QByteArray json : {"not json", "[1]", R"({"mcpServers": ["search"]})"}) {
        fs->createFile(kHome + "/.claude.json", json);
        EXPECT_FALSE(writer.isConfigured("search")) << json.constData();
    }

    // Codex has run and written no config: it does not have the server yet.
    fs->createFile(kHome + "/.claude.json", R"({"mcpServers": {"search": {}}})");
    fs->removeItem(kConfig);
    EXPECT_FALSE(writer.isConfigured("search"));
    ASSERT_TRUE(writer.addToCodex("search", "https://s").succeeded);
    EXPECT_TRUE(writer.isConfigured("search"));
}
