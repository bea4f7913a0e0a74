#include "services/AgentEnvDoc.h"
#include "support/CreationModes.h"
#include "support/FailingFileSystem.h"
#include "support/SandboxFileSystem.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

const QString kHome = "/Users/dev";
const QString kClaudeMd = kHome + "/.claude/CLAUDE.md";
const QString kAgentsMd = kHome + "/.codex/AGENTS.md";
const QString kClaudeLabel = "Claude (~/.claude/CLAUDE.md)";

} // namespace

TEST(AgentEnvDocWriter, AppendsOnceAfterABackupAndLeavesTheNoteAloneAfterwards) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    fs->createFolder(kHome + "/.claude");
    fs->createExecutable("/opt/homebrew/bin/brew");
    const AgentEnvDoc doc{fs};
    const QString section = AgentEnvDoc::render(doc.detectTools());

    EXPECT_EQ(doc.document(),
              (WriterReport{{"Documented your setup for " + kClaudeLabel + "."}, true}));
    EXPECT_EQ(fs->contents(kClaudeMd), (section + "\n").toUtf8());
    EXPECT_FALSE(fs->fileExists(kClaudeMd + ".bak"));
    EXPECT_FALSE(doc.isNeeded());

    // The user edits below the marker: the note still counts as there.
    fs->createFile(kClaudeMd, fs->contents(kClaudeMd) + "- my own line\n");
    const QByteArray edited = fs->contents(kClaudeMd);
    EXPECT_EQ(
        doc.document(),
        (WriterReport{{kClaudeLabel + " already documents the setup — nothing to do."}, true}));
    EXPECT_EQ(fs->contents(kClaudeMd), edited);
}

TEST(AgentEnvDocWriter, KeepsTheUsersLinesWhateverTheirEnding) {
    for (const QByteArray& mine : {QByteArray("# Mine\nline"), QByteArray("# Mine\nline\n")}) {
        auto fs = std::make_shared<SandboxFileSystem>(kHome);
        fs->createFile(kClaudeMd, mine);
        const AgentEnvDoc doc{fs};
        ASSERT_TRUE(doc.document().ok);
        const QByteArray separator = mine.endsWith('\n') ? "\n" : "\n\n";
        EXPECT_EQ(fs->contents(kClaudeMd),
                  mine + separator + AgentEnvDoc::render(doc.detectTools()).toUtf8() + "\n");
        EXPECT_EQ(fs->contents(kClaudeMd + ".bak"), mine);
    }
}

// An agent loads its note as instructions: what we create is writable by its owner alone,
// whatever the umask (000 here); a note the user has keeps the mode they gave it.
TEST(AgentEnvDocWriter, NotesAndBackupsAreBornWritableByTheOwnerAlone) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    fs->createFile(kClaudeMd, "# Mine: token ghp_mine\n", 0660);
    fs->createFile("/Applications/ChatGPT.app/Contents/Info.plist");
    CreationModes modes(*fs);
    ASSERT_TRUE(AgentEnvDoc{fs}.document().ok);
    EXPECT_EQ(modes.of(kClaudeMd + ".bak"), QList<int>{0640});
    EXPECT_EQ(fs->attributesOfItem(kClaudeMd + ".bak").posixPermissions, 0640);
    EXPECT_EQ(fs->attributesOfItem(kClaudeMd).posixPermissions, 0660);
    EXPECT_EQ(modes.of(kHome + "/.codex"), QList<int>{0755});
    EXPECT_EQ(modes.of(kAgentsMd), QList<int>{0644});
}

TEST(AgentEnvDocWriter, AFileThatCannotBeReadIsNeverReplaced) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    const QByteArray latin1 = "# Notes for caf\xe9 work\n";
    fs->createFile(kClaudeMd, latin1);
    fs->createFile("/Applications/ChatGPT.app/Contents/Info.plist");
    const AgentEnvDoc doc{fs};
    EXPECT_TRUE(doc.isNeeded()); // read as empty, so the note counts as missing

    const auto report = doc.document();
    EXPECT_FALSE(report.ok);
    ASSERT_EQ(report.lines.size(), 2);
    EXPECT_TRUE(report.lines[0].startsWith("Couldn't write " + kClaudeLabel + ": "));
    EXPECT_EQ(report.lines[1], "Documented your setup for Codex (~/.codex/AGENTS.md).");
    EXPECT_EQ(fs->contents(kClaudeMd), latin1);
    EXPECT_FALSE(fs->fileExists(kClaudeMd + ".bak"));
    EXPECT_TRUE(fs->contents(kAgentsMd).startsWith("<!-- Tovrin — development environment"));
}

TEST(AgentEnvDocWriter, AFailedWriteIsReportedAndTheOtherAgentStillTried) {
    // No room for the backup, or room for it but not for the note.
    for (const QString full : {"/CLAUDE.md.bak", "/CLAUDE.md"}) {
        auto sandbox = std::make_shared<SandboxFileSystem>(kHome);
        sandbox->createFile(kClaudeMd, "mine\n");
        sandbox->createFile(kClaudeMd + ".bak", "earlier\n");
        sandbox->createFolder(kHome + "/.codex");
        auto fs = std::make_shared<FailingFileSystem>(sandbox, full);
        const auto report = AgentEnvDoc{fs}.document();
        EXPECT_FALSE(report.ok);
        EXPECT_EQ(report.lines,
                  (QStringList{"Couldn't write " + kClaudeLabel + ": No space left on device",
                               "Documented your setup for Codex (~/.codex/AGENTS.md)."}));
        EXPECT_EQ(sandbox->contents(kClaudeMd), "mine\n");
        EXPECT_EQ(sandbox->contents(kClaudeMd + ".bak"), "earlier\n") << full.toStdString();
        EXPECT_EQ(sandbox->contentsOfDirectory(kHome + "/.claude").size(), 2);
    }

    auto none = std::make_shared<SandboxFileSystem>(kHome);
    EXPECT_EQ(AgentEnvDoc{none}.document(),
              (WriterReport{{"No AI agent (Claude or Codex) detected — skipping the agent setup "
                             "note."},
                            true}));
    EXPECT_FALSE(none->fileExists(kHome + "/.claude"));
}

TEST(AgentEnvDocWriter, TheNoteNamesOnlyWhatIsInstalled) {
    const QString bare = AgentEnvDoc::render({});
    EXPECT_TRUE(bare.startsWith("<!-- Tovrin — development environment (managed; you can edit the "
                                "lines below) -->\n## Development environment (Tovrin)\n\n"));
    EXPECT_TRUE(bare.contains("owns the language:\n\n\nPATH and tool activation"));
    EXPECT_TRUE(bare.endsWith("never hardcode a key.\n"));

    AgentEnvDoc::DetectedTools all{true, true, true, true, true, true, true};
    const QStringList lines = AgentEnvDoc::render(all).split('\n');
    ASSERT_EQ(lines.size(), 13);
    for (int i = 5; i < 10; ++i)
        EXPECT_TRUE(lines[i].startsWith("- ")) << i;
    EXPECT_TRUE(lines[8].startsWith("- Rust: rustup owns toolchains."));
}
