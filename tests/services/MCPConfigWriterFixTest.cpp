#include "platform/LiveProcessRunner.h"
#include "services/MCPConfigWriter.h"
#include "support/FakeProcessRunner.h"
#include "support/QtPrinting.h"
#include "support/SandboxFileSystem.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

const QString kHome = "/Users/dev";

MCPServer keyed() {
    return {"search",
            "Web Search",
            "https://mcp.example.com/mcp",
            "Searches the web",
            std::nullopt,
            MCPServer::Connection::keylessOptionalKey("https://mcp.example.com/mcp?key={key}")};
}

MCPServer oauth() {
    return {"notes",      "Notes",      "https://notes.example.com/mcp",
            "Your notes", std::nullopt, MCPServer::Connection::oauth()};
}

} // namespace

TEST(MCPConfigWriterCommand, EveryValueReachesTheToolIntact) {
    const QString slug = "it's";
    const QString address = "https://x/?a='; rm -rf ~ #&b=$(id)`id`";
    QString command = MCPConfigWriter::claudeAddCommand(slug, address);
    ASSERT_TRUE(command.startsWith("claude mcp add --transport http "));
    command.replace(0, QString("claude").size(), "printf '%s\\n'");
    const ProcessResult result = LiveProcessRunner().run("/bin/sh", {"-c", command});
    EXPECT_EQ(result.stdout_,
              "mcp\nadd\n--transport\nhttp\n" + slug + "\n" + address + "\n-s\nuser\n");
}

TEST(MCPConfigWriterFix, ReportsEachAgentAndFailsOnlyWhereItWasHandedTheServer) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    fs->createExecutable("/opt/homebrew/bin/claude");
    fs->createFolder(kHome + "/Library/Application Support/Claude");
    FakeProcessRunner process;
    const MCPServer server = oauth();
    process.answerShell(MCPConfigWriter::claudeAddCommand(server.slug, server.url),
                        "Added HTTP MCP server notes");

    QStringList streamed;
    const auto report = MCPConfigWriter{fs}.addServer(
        server, "ignored", process, [&](const QString& line) { streamed << line; });
    EXPECT_TRUE(report.ok);
    EXPECT_EQ(report.lines,
              (QStringList{"Adding Notes to Claude Code…", "Added HTTP MCP server notes",
                           "For Claude Desktop’s Chat, add Notes under Settings → Connectors — "
                           "the Code tab already has it.",
                           "Sign in to Notes inside Claude or Codex, then restart it to finish."}));
    EXPECT_EQ(streamed, report.lines);

    // The tool refuses: the fix fails and the sign-in note is left out.
    process.answerShell(MCPConfigWriter::claudeAddCommand(server.slug, server.url), "boom", 1);
    const auto refused = MCPConfigWriter{fs}.addServer(server, std::nullopt, process);
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.lines.last().startsWith("Sign in"));

    // The key the user typed, echoed by the tool in its address (encoded) or its own words,
    // is shown masked, streamed and reported alike.
    const QString key = "sk live/0123456789";
    const QString address = MCPConfigWriter::effectiveAddress(keyed(), key);
    process.answerShell(MCPConfigWriter::claudeAddCommand("search", address),
                        "Added HTTP MCP server search with URL: " + address +
                            "\nwarning: key sk live/0123456789 is not verified",
                        1);
    streamed.clear();
    const auto echoed = MCPConfigWriter{fs}.addServer(
        keyed(), key, process, [&](const QString& line) { streamed << line; });
    EXPECT_EQ(echoed.lines.mid(1, 2), (QStringList{"Added HTTP MCP server search with URL: "
                                                   "https://mcp.example.com/mcp?key=sk l…",
                                                   "warning: key sk l… is not verified"}));
    EXPECT_EQ(streamed, echoed.lines);

    // A tool that cannot start is a failure too.
    FakeProcessRunner broken;
    const auto unstarted = MCPConfigWriter{fs}.addServer(server, std::nullopt, broken);
    EXPECT_FALSE(unstarted.ok);
    EXPECT_TRUE(unstarted.lines[1].startsWith("Failed to start: "));
}

TEST(MCPConfigWriterFix, WithoutTheToolOnlyNotesAreShown) {
    FakeProcessRunner process; // "command -v claude" cannot run: the tool is not there
    const MCPServer server = keyed();

    auto desktopOnly = std::make_shared<SandboxFileSystem>(kHome);
    desktopOnly->createFolder(kHome + "/Library/Application Support/Claude");
    const auto desktop = MCPConfigWriter{desktopOnly}.addServer(server, "k", process);
    EXPECT_EQ(
        desktop,
        (WriterReport{{"For Claude Desktop’s Chat, add Web Search under Settings → Connectors."},
                      true}));

    auto claudeFolder = std::make_shared<SandboxFileSystem>(kHome);
    claudeFolder->createFolder(kHome + "/.claude");
    const auto none = MCPConfigWriter{claudeFolder}.addServer(server, "k", process);
    EXPECT_EQ(none,
              (WriterReport{{"Claude Code CLI isn't on your PATH — skipping it for Web Search.",
                             "No AI agent is set up yet — nothing to configure Web Search for."},
                            true}));

    // Found through the login shell; a template with an empty key gives the plain address.
    auto shellOnly = std::make_shared<SandboxFileSystem>(kHome);
    process.answerShell("command -v claude", "/Users/dev/.local/bin/claude");
    process.answerShell(MCPConfigWriter::claudeAddCommand("search", server.url), "");
    EXPECT_TRUE(MCPConfigWriter{shellOnly}.addServer(server, QString(""), process).ok);
    EXPECT_EQ(process.shellScripts().last(),
              MCPConfigWriter::claudeAddCommand("search", "https://mcp.example.com/mcp"));
}

TEST(MCPConfigWriterFix, AServerClaudeCodeAlreadyHasIsNotHandedToItAgain) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    fs->createExecutable("/opt/homebrew/bin/claude");
    fs->createFile(kHome + "/.claude.json", R"({"mcpServers": {"search": {"type": "http"}}})");
    fs->createFolder(kHome + "/.codex");
    FakeProcessRunner process; // what the real tool answers
    process.answerShell(MCPConfigWriter::claudeAddCommand("search", keyed().url),
                        "MCP server search already exists in user config", 1);

    const auto report = MCPConfigWriter{fs}.addServer(keyed(), std::nullopt, process);
    EXPECT_EQ(report, (WriterReport{{"Web Search is already in Claude Code — left as is.",
                                     "Added search to your Codex config."},
                                    true}));
    EXPECT_EQ(process.calls().size(), 0);
}

TEST(MCPConfigWriterFix, TheDesktopNoteSaysTheCodeTabHasItOnlyWhenItDoes) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    fs->createExecutable("/opt/homebrew/bin/claude");
    fs->createFolder(kHome + "/Library/Application Support/Claude");
    FakeProcessRunner process;
    process.answerShell(MCPConfigWriter::claudeAddCommand("search", keyed().url), "boom", 1);

    const auto failed = MCPConfigWriter{fs}.addServer(keyed(), std::nullopt, process);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.lines.last(),
              "For Claude Desktop’s Chat, add Web Search under Settings → Connectors.");

    fs->createFile(kHome + "/.claude.json", R"({"mcpServers": {"search": {}}})");
    const auto already = MCPConfigWriter{fs}.addServer(keyed(), std::nullopt, process);
    EXPECT_TRUE(already.ok);
    EXPECT_EQ(already.lines.last(), "For Claude Desktop’s Chat, add Web Search under Settings → "
                                    "Connectors — the Code tab already has it.");
}

TEST(MCPConfigWriterFix, ACancelEndsTheLoginShellThatLooksForTheTool) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    FakeProcessRunner process; // the user's start-up files take their time
    FakeProcessRunner::Answer slow{
        ProcessResult{0, "/Users/dev/.local/bin/claude\n", {}}, {}, {}, {}};
    slow.delay = std::chrono::seconds(10);
    process.answer("/bin/zsh", {"-lc", "command -v claude"}, slow);
    CancellableProcess latch;
    latch.cancel();

    QElapsedTimer clock;
    clock.start();
    MCPConfigWriter{fs}.addServer(keyed(), std::nullopt, process, {}, &latch);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(process.shellScripts(), QStringList{"command -v claude"}) << "the tool never runs";
}
