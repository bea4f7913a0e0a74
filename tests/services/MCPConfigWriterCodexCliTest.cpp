#include "platform/LiveProcessRunner.h"
#include "services/MCPConfigWriter.h"
#include "support/SandboxFileSystem.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

// Codex itself loads the config the writer leaves, whichever way the user spelled the table
// before. Runs only where the Codex CLI is on the PATH; it reads the config and goes nowhere.
TEST(MCPConfigWriterCodexCli, CodexLoadsWhatTheWriterLeaves) {
    const QString codex = QStandardPaths::findExecutable("codex");
    if (codex.isEmpty())
        GTEST_SKIP() << "the Codex CLI is not installed";

    const QString home = "/Users/dev";
    const QString address = "https://mcp.exa.ai/mcp?key=a%22b%5Cc%0A";
    const std::pair<QByteArray, QString> configs[] = {
        {"", address},
        {"# [mcp_servers.exa]\nmodel = \"o4\"", address},
        {"[mcp_servers]\nexa = { url = \"https://old\" }\n", "https://old"},
        {"mcp_servers.exa.url = \"https://old\"\n", "https://old"},
        {"[mcp_servers.'exa']\nurl = \"https://old\"\n", "https://old"},
        {"[ mcp_servers.exa ]\nurl = \"https://old\"\n", "https://old"},
        {"[mcp_servers]\nexa = {\n  url = \"https://old\",\n}\n", "https://old"},
        {"model = \"\\e[1m\"\n[mcp_servers.\"\\x65xa\"]\nurl = \"https://old\"\n", "https://old"},
    };
    for (const auto& [theirs, url] : configs) {
        auto fs = std::make_shared<SandboxFileSystem>(home);
        fs->createFile(home + "/.codex/config.toml", theirs);
        ASSERT_TRUE(MCPConfigWriter{fs}.addToCodex("exa", address).succeeded);

        const ProcessResult result = LiveProcessRunner().run(
            codex, {"mcp", "get", "exa", "--json"},
            ProcessEnvironment{{"PATH", qEnvironmentVariable("PATH")},
                               {"HOME", fs->hostPath(home)},
                               {"CODEX_HOME", fs->hostPath(home + "/.codex")}});
        ASSERT_EQ(result.exitCode, 0) << theirs.constData() << result.stderr_.toStdString();
        const QJsonObject server = QJsonDocument::fromJson(result.stdout_.toUtf8()).object();
        EXPECT_EQ(server["transport"].toObject()["url"].toString(), url) << theirs.constData();
    }
}
