#include "services/ShellConfigurator.h"

#include "ServiceTestSupport.h"
#include "model/ProductConfig.h"
#include "support/CreationModes.h"
#include "support/SandboxFileSystem.h"
#include "support/ScopedProductConfig.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kHome = u"/Users/dev"_s;
const QString kZprofileHeader =
    u"# ~/.zprofile \u2014 PATH + environment, loaded once per login shell"_s;
const QString kZshrcHeader =
    u"# ~/.zshrc \u2014 aliases, completions, prompt (interactive shells)"_s;
const QString kZshrcBlock =
    u"# Tovrin \u2014 interactive shell\n"
    "if type brew >/dev/null 2>&1; then\n"
    "  FPATH=\"$(brew --prefix)/share/zsh/site-functions:$FPATH\"\n"
    "fi\n"
    "autoload -Uz compinit && compinit\n"
    "[ -f \"$HOME/.env\" ] && set -a && source \"$HOME/.env\" && set +a\n"_s;

ProductConfig plainMarker() {
    ProductConfig product = ProductConfig::javaDiagnosis();
    product.shellConfigMarker = u"Tovrin"_s;
    product.datedShellMarker = false;
    return product;
}

class ShellConfiguratorTest : public ::testing::Test {
protected:
    ShellConfigurator configurator() const {
        return {fs_, [] { return QDateTime(QDate(2026, 3, 7), QTime(9, 30)); }};
    }
    QByteArray file(const QString& name) const { return fs_->contents(kHome + u'/' + name); }

    std::shared_ptr<SandboxFileSystem> fs_ = std::make_shared<SandboxFileSystem>(kHome);
    ScopedProductConfig product_{plainMarker()};
};

} // namespace

TEST_F(ShellConfiguratorTest, FreshHomeGetsHeadersBlocksAndPrivateEnvFile) {
    const WriterReport outcome = configurator().configure();

    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.lines,
              QStringList({u"Configured ~/.zprofile (backup at /Users/dev/.zprofile.bak)."_s,
                           u"Configured ~/.zshrc (backup at /Users/dev/.zshrc.bak)."_s,
                           u"Created ~/.env (permissions 600) with commented placeholders \u2014 "
                           "add your API keys there."_s,
                           u"Shell configuration complete. Open a new terminal for the changes to "
                           "take effect."_s}));
    EXPECT_EQ(file(u".zprofile"_s),
              (kZprofileHeader + u"\n\n# Tovrin \u2014 shell environment\ntypeset -U path PATH\n"_s)
                  .toUtf8());
    EXPECT_EQ(file(u".zprofile.bak"_s), (kZprofileHeader + u'\n').toUtf8());
    EXPECT_EQ(file(u".zshrc"_s), (kZshrcHeader + u"\n\n"_s + kZshrcBlock).toUtf8());
    EXPECT_EQ(file(u".env"_s).size(), 277);
    EXPECT_EQ(fs_->attributesOfItem(kHome + u"/.env"_s).posixPermissions, 0600);
    EXPECT_TRUE(configurator().isConfigured());
}

// Checked at the creation: a mode set afterwards is too late for a reader who opened it.
// The shell runs the start-up files: under umask 000 they and their backups are still
// writable by their owner alone.
TEST_F(ShellConfiguratorTest, NewFilesHaveTheirModesFromTheirCreation) {
    CreationModes modes(*fs_);
    ASSERT_TRUE(configurator().configure().ok);
    EXPECT_EQ(modes.of(kHome + u"/.env"_s), QList<int>{0600});
    for (const QString& name : {u".zprofile"_s, u".zshrc"_s}) {
        const QList<int> made = modes.of(kHome + u'/' + name); // each of its writes
        EXPECT_FALSE(made.isEmpty());
        EXPECT_EQ(made, QList<int>(made.size(), 0644)) << name.toStdString();
        EXPECT_EQ(modes.of(kHome + u'/' + name + u".bak"_s), QList<int>{0644});
    }
}

TEST_F(ShellConfiguratorTest, SecondRunChangesNothing) {
    configurator().configure();
    const QByteArray zprofile = file(u".zprofile"_s), zshrc = file(u".zshrc"_s);
    const QByteArray backup = file(u".zprofile.bak"_s);

    const WriterReport again = configurator().configure();

    EXPECT_TRUE(again.ok);
    EXPECT_EQ(again.lines,
              QStringList({u"~/.zprofile is already configured \u2014 nothing to do."_s,
                           u"~/.zshrc is already configured \u2014 nothing to do."_s,
                           u"~/.env already exists \u2014 leaving it untouched (add keys there "
                           "yourself)."_s,
                           u"Shell configuration complete. Open a new terminal for the changes to "
                           "take effect."_s}));
    EXPECT_EQ(file(u".zprofile"_s), zprofile);
    EXPECT_EQ(file(u".zshrc"_s), zshrc);
    EXPECT_EQ(file(u".zprofile.bak"_s), backup);
}

// A commented-out line is not the setting: the check would stay false after a "success"
// and the user could never get past the stage.
TEST_F(ShellConfiguratorTest, CommentedOutSettingIsAddedSoTheCheckPasses) {
    fs_->createFile(kHome + u"/.zprofile"_s, "# typeset -U path PATH\n");
    fs_->createFile(kHome + u"/.zshrc"_s, "# source \"$HOME/.env\"");

    const WriterReport outcome = configurator().configure();

    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(
        file(u".zprofile"_s),
        "# typeset -U path PATH\n\n# Tovrin \u2014 shell environment\ntypeset -U path PATH\n");
    EXPECT_EQ(file(u".zshrc"_s), ("# source \"$HOME/.env\"\n\n"_ba + kZshrcBlock.toUtf8()));
    EXPECT_EQ(file(u".zprofile.bak"_s), "# typeset -U path PATH\n");
    EXPECT_TRUE(configurator().isConfigured());
}

TEST_F(ShellConfiguratorTest, ExistingUserFilesAreKept) {
    fs_->createFile(kHome + u"/.zprofile"_s, "export EDITOR=vim\n\n");
    fs_->createFile(kHome + u"/.env"_s, "export MY_KEY=secret\n", 0644);

    const WriterReport outcome = configurator().configure();

    EXPECT_TRUE(outcome.ok);
    // No header over existing text; a file ending in a blank line takes the block directly.
    EXPECT_EQ(file(u".zprofile"_s),
              "export EDITOR=vim\n\n# Tovrin \u2014 shell environment\ntypeset -U path PATH\n");
    EXPECT_EQ(file(u".env"_s), "export MY_KEY=secret\n");
    EXPECT_EQ(fs_->attributesOfItem(kHome + u"/.env"_s).posixPermissions, 0644);
}

TEST_F(ShellConfiguratorTest, UnreadableFileIsLeftAloneAndTheRestStillRuns) {
    const QByteArray binary("\xff\xfe not text\n", 13);
    fs_->createFile(kHome + u"/.zprofile"_s, binary);

    const WriterReport outcome = configurator().configure();

    EXPECT_FALSE(outcome.ok);
    ASSERT_EQ(outcome.lines.size(), 3);
    EXPECT_TRUE(outcome.lines[0].startsWith(u"Couldn't update ~/.zprofile: "_s))
        << outcome.lines[0].toStdString();
    EXPECT_EQ(outcome.lines[1], u"Configured ~/.zshrc (backup at /Users/dev/.zshrc.bak)."_s);
    EXPECT_TRUE(outcome.lines[2].startsWith(u"Created ~/.env"_s));
    EXPECT_EQ(file(u".zprofile"_s), binary);
    EXPECT_FALSE(fs_->fileExists(kHome + u"/.zprofile.bak"_s));
}

TEST_F(ShellConfiguratorTest, FolderWhereAStartUpFileBelongsIsNotTouched) {
    fs_->createFolder(kHome + u"/.zshrc"_s);
    const WriterReport outcome = configurator().configure();
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.lines[1].startsWith(u"Couldn't update ~/.zshrc: "_s));
    bool isDirectory = false;
    EXPECT_TRUE(fs_->fileExists(kHome + u"/.zshrc"_s, &isDirectory) && isDirectory);
    EXPECT_FALSE(outcome.lines.last().startsWith(u"Shell configuration complete"_s));
}

TEST_F(ShellConfiguratorTest, ToolLinesReportEachFile) {
    const ShellConfigurator c = configurator();
    EXPECT_EQ(c.configureUvPath(), QStringList{u"Configured uv on PATH (~/.zprofile)."_s});
    EXPECT_EQ(c.configureCargoPath(),
              QStringList{u"Configured Rust (cargo) on PATH (~/.zprofile)."_s});
    EXPECT_EQ(c.configureUvPath(),
              QStringList{u"uv on PATH (~/.zprofile) is already set \u2014 nothing to do."_s});
    EXPECT_EQ(file(u".zprofile"_s),
              "# Tovrin \u2014 uv PATH\nexport PATH=\"$HOME/.local/bin:$PATH\"\n\n"
              "# Tovrin \u2014 rustup PATH\nexport PATH=\"$HOME/.cargo/bin:$PATH\"\n");

    fs_->removeItem(kHome + u"/.zprofile"_s);
    fs_->createFolder(kHome + u"/.zprofile"_s);
    const QStringList failed = c.configureCargoPath();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith(u"Couldn't configure Rust (cargo) on PATH (~/.zprofile): "_s));
}

TEST_F(ShellConfiguratorTest, MiseLinesDoNotStandInForEachOther) {
    fs_->createFile(kHome + u"/.zshrc"_s, "eval \"$(mise activate zsh --shims)\"\n");
    fs_->createFile(kHome + u"/.zprofile"_s, "eval \"$(mise activate zsh)\"\n");

    EXPECT_EQ(configurator().configureMise(),
              QStringList({u"Configured mise shims (~/.zprofile)."_s,
                           u"Configured mise activate (~/.zshrc)."_s}));
    EXPECT_TRUE(
        file(u".zshrc"_s)
            .endsWith("# Tovrin \u2014 mise (interactive)\n"
                      "command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh)\"\n"));
    EXPECT_EQ(configurator().configureMise(),
              QStringList({u"mise shims (~/.zprofile) is already set \u2014 nothing to do."_s,
                           u"mise activate (~/.zshrc) is already set \u2014 nothing to do."_s}));

    // The ~/.zshrc line is still tried when ~/.zprofile cannot be updated.
    fs_->removeItem(kHome + u"/.zshrc"_s);
    fs_->removeItem(kHome + u"/.zprofile"_s);
    fs_->createFolder(kHome + u"/.zprofile"_s);
    const QStringList sentences = configurator().configureMise();
    ASSERT_EQ(sentences.size(), 2);
    EXPECT_TRUE(sentences[0].startsWith(u"Couldn't configure mise shims (~/.zprofile): "_s));
    EXPECT_EQ(sentences[1], u"Configured mise activate (~/.zshrc)."_s);
}

TEST_F(ShellConfiguratorTest, EnvFileThatCannotBeMadePrivateIsNotLeftBehind) {
    auto recording = std::make_shared<RecordingFileSystem>(fs_);
    recording->failSetAttributes(u"/.env"_s);

    const WriterReport outcome = ShellConfigurator{recording}.configure();

    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.lines.last().startsWith(u"Couldn't create ~/.env: "_s));
    // Left in place, it would pass as "already exists" next time and never become private.
    EXPECT_FALSE(fs_->fileExists(kHome + u"/.env"_s));
}
