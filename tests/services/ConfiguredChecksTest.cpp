#include "services/AgentEnvDoc.h"
#include "services/ShellConfigurator.h"
#include "support/SandboxFileSystem.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

const QString kHome = "/Users/dev";

std::shared_ptr<SandboxFileSystem> configuredHome() {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    fs->createFile(kHome + "/.zprofile", "# Tovrin — shell environment\ntypeset -U path PATH\n");
    fs->createFile(kHome + "/.zshrc", "[ -f \"$HOME/.env\" ] && set -a && source \"$HOME/.env\" "
                                      "&& set +a\n");
    fs->createFile(kHome + "/.env", "# keys\n", 0600);
    return fs;
}

} // namespace

TEST(ShellConfiguratorCheck, AllThreeFilesMustHoldTheirPart) {
    EXPECT_TRUE(ShellConfigurator{configuredHome()}.isConfigured());

    auto commented = configuredHome();
    commented->createFile(kHome + "/.zprofile", "  # typeset -U path PATH\n");
    EXPECT_FALSE(ShellConfigurator{commented}.isConfigured());

    auto noEnv = configuredHome();
    noEnv->removeItem(kHome + "/.env");
    EXPECT_FALSE(ShellConfigurator{noEnv}.isConfigured());

    auto unquoted = configuredHome();
    unquoted->createFile(kHome + "/.zshrc", "source $HOME/.env\n");
    EXPECT_FALSE(ShellConfigurator{unquoted}.isConfigured());

    auto notText = configuredHome();
    notText->createFile(kHome + "/.zprofile", QByteArray("typeset -U path PATH\n\xff\xfe"));
    EXPECT_FALSE(ShellConfigurator{notText}.isConfigured());

    auto folder = configuredHome();
    folder->removeItem(kHome + "/.zshrc");
    folder->createFolder(kHome + "/.zshrc");
    EXPECT_FALSE(ShellConfigurator{folder}.isConfigured());

    EXPECT_FALSE(ShellConfigurator{std::make_shared<SandboxFileSystem>(kHome)}.isConfigured());
}

TEST(AgentEnvDocCheck, NeededOnlyForAnAgentWhoseFileLacksTheNote) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    const AgentEnvDoc doc{fs};
    EXPECT_FALSE(doc.isNeeded()); // no agent at all

    fs->createFolder(kHome + "/.claude");
    EXPECT_TRUE(doc.isNeeded());
    fs->createFile(kHome + "/.claude/CLAUDE.md",
                   "# Mine\n\n<!-- Tovrin — development environment (managed) -->\n");
    EXPECT_FALSE(doc.isNeeded());

    fs->createFile("/Applications/ChatGPT.app/Contents/Info.plist", "");
    EXPECT_TRUE(doc.isNeeded()); // Codex is there too and its file is missing
    fs->createFile(kHome + "/.codex/AGENTS.md", "Tovrin — development environment\n");
    EXPECT_FALSE(doc.isNeeded());

    // An unreadable file counts as empty: the note is missing.
    fs->removeItem(kHome + "/.claude/CLAUDE.md");
    fs->createFile(kHome + "/.claude/CLAUDE.md", QByteArray("\xff\xfe\xfd"));
    EXPECT_TRUE(doc.isNeeded());
}

TEST(AgentEnvDocCheck, DetectsToolsByTheirFiles) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    fs->createExecutable("/opt/homebrew/bin/brew");
    fs->createExecutable("/usr/local/bin/uv");
    fs->createExecutable(kHome + "/.local/bin/mise");
    fs->createFile(kHome + "/.zprofile", "export PATH=\"$HOME/.cargo/bin:$PATH\"\n");
    fs->createFile(kHome + "/.codex", "a file, not the folder");
    const auto tools = AgentEnvDoc{fs}.detectTools();
    EXPECT_EQ(tools, (AgentEnvDoc::DetectedTools{true, true, true, true, false, false, false}));
}
