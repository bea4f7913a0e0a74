#include "model/ProductConfig.h"
#include "services/InstallFollowUps.h"
#include "services/PathRepairer.h"
#include "services/ZprofileWriter.h"
#include "support/SandboxFileSystem.h"
#include "support/ScopedProductConfig.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kHome = u"/Users/dev"_s;
const QString kZprofile = kHome + u"/.zprofile"_s;
const QDateTime kNow(QDate(2026, 3, 7), QTime(9, 30));

ProductConfig plainMarker() {
    ProductConfig product = ProductConfig::javaDiagnosis();
    product.shellConfigMarker = u"Tovrin"_s;
    product.datedShellMarker = false;
    return product;
}

class ZprofileFixesTest : public ::testing::Test {
protected:
    QByteArray zprofile() const { return fs_->contents(kZprofile); }
    FileAppendWriter writer() const {
        return FileAppendWriter(kZprofile, fs_, ProductConfig::current().shellMarker(),
                                [] { return kNow; });
    }
    PathRepairer repairer() const {
        return {fs_, [] { return kNow; }};
    }
    InstallFollowUps followUps() const {
        return {fs_, [] { return kNow; }};
    }

    std::shared_ptr<SandboxFileSystem> fs_ = std::make_shared<SandboxFileSystem>(kHome);
    ScopedProductConfig product_{plainMarker()};
};

} // namespace

TEST(JavaHomePresence, OnlyAnActiveExportCounts) {
    EXPECT_TRUE(ZprofileWriter::javaHomeAlreadyExported(
        u"export JAVA_HOME=/Library/Java/JavaVirtualMachines/jdk-21.jdk/Contents/Home\n"));
    EXPECT_TRUE(
        ZprofileWriter::javaHomeAlreadyExported(u"if x; then\n  export JAVA_HOME=$(x)\nfi"));
    EXPECT_FALSE(ZprofileWriter::javaHomeAlreadyExported(u"# export JAVA_HOME=/old\n"));
    EXPECT_FALSE(ZprofileWriter::javaHomeAlreadyExported(u"JAVA_HOME=/x; export JAVA_HOME\n"));
    EXPECT_FALSE(ZprofileWriter::javaHomeAlreadyExported(u""));
}

TEST_F(ZprofileFixesTest, JavaHomePreviewOnEmptyFileIsTheBlockAlone) {
    const auto without = ZprofileWriter{writer()}.previewJavaHome(false);
    EXPECT_TRUE(without.wasCreated);
    EXPECT_FALSE(without.alreadySet);
    EXPECT_EQ(
        without.proposedContents,
        u"# Tovrin \u2014 Java configuration\nexport JAVA_HOME=$(/usr/libexec/java_home)\n"_s);

    const auto with = ZprofileWriter{writer()}.previewJavaHome(true);
    EXPECT_EQ(with.linesAdded, QStringList({u"# Tovrin \u2014 Java configuration"_s,
                                            u"export JAVA_HOME=$(/usr/libexec/java_home)"_s,
                                            u"export PATH=\"$JAVA_HOME/bin:$PATH\""_s}));
    EXPECT_EQ(with.proposedContents, with.linesAdded.join(u'\n') + u'\n');
    EXPECT_FALSE(fs_->fileExists(kZprofile)); // a preview writes nothing
}

TEST_F(ZprofileFixesTest, JavaHomeFollowUpAfterTemurin) {
    fs_->createFile(kZprofile, "# export JAVA_HOME=/old\n");
    EXPECT_EQ(followUps().setJavaHome(),
              u"Set JAVA_HOME in ~/.zprofile (macOS finds `java` on its own; backup at "
              "/Users/dev/.zprofile.bak)."_s);
    EXPECT_EQ(zprofile(), "# export JAVA_HOME=/old\n\n# Tovrin \u2014 Java configuration\n"
                          "export JAVA_HOME=$(/usr/libexec/java_home)\n");
    EXPECT_EQ(fs_->contents(kZprofile + u".bak"_s), "# export JAVA_HOME=/old\n");

    // A fixed path the user chose stays; nothing is written, not even a backup.
    fs_->removeItem(kZprofile + u".bak"_s);
    fs_->createFile(kZprofile, "export JAVA_HOME=/opt/jdk\n");
    EXPECT_EQ(followUps().setJavaHome(), u"JAVA_HOME is already set in ~/.zprofile."_s);
    EXPECT_EQ(zprofile(), "export JAVA_HOME=/opt/jdk\n");
    EXPECT_FALSE(fs_->fileExists(kZprofile + u".bak"_s));

    fs_->createFile(kZprofile, QByteArray("\xff\xfe", 2));
    EXPECT_TRUE(followUps().setJavaHome().startsWith(u"Couldn't set JAVA_HOME: "_s));
    EXPECT_THROW(ZprofileWriter{writer()}.previewJavaHome(false), Error);
}

TEST_F(ZprofileFixesTest, ClaudeAutoUpdateIgnoresACommentedMention) {
    // A commented line does not set it in a new shell: reporting "already enabled" would
    // be a failure passed off as success.
    fs_->createFile(kZprofile, "# CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=0 on purpose\n");
    EXPECT_TRUE(followUps().enableClaudeAutoUpdate().startsWith(
        u"Enabled Claude Code auto-update in ~/.zprofile"_s));
    EXPECT_TRUE(zprofile().endsWith("export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n"));
    EXPECT_EQ(followUps().enableClaudeAutoUpdate(),
              u"Claude Code auto-update is already enabled in ~/.zprofile."_s);

    fs_->createFile(kZprofile, "export A=1");
    EXPECT_EQ(followUps().enableClaudeAutoUpdate(),
              u"Enabled Claude Code auto-update in ~/.zprofile (backup at "
              "/Users/dev/.zprofile.bak)."_s);
    EXPECT_EQ(zprofile(), "export A=1\n\n# Tovrin \u2014 Claude Code auto-update\n"
                          "export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n");

    fs_->removeItem(kZprofile);
    fs_->createFolder(kZprofile);
    EXPECT_TRUE(followUps().enableClaudeAutoUpdate().startsWith(
        u"Couldn't enable Claude Code auto-update: "_s));
}

TEST(DoubleQuoteEscaping, EscapesTheFourSpecialCharacters) {
    EXPECT_EQ(PathRepairer::escapeForDoubleQuotes(u"/a b/\\\"`$x'y"_s),
              u"/a b/\\\\\\\"\\`\\$x'y"_s);
    EXPECT_EQ(PathRepairer::escapeForDoubleQuotes(u"/usr/local/bin"_s), u"/usr/local/bin"_s);
}

TEST_F(ZprofileFixesTest, RepairPathEscapesTheLineAndShowsTheDirectoryAsIs) {
    const QString dir = u"/Users/dev/my $tools/bin"_s;
    const WriterReport outcome = repairer().repairPath(dir);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.lines,
              QStringList{u"Added `/Users/dev/my $tools/bin` to your PATH in ~/.zprofile (backup "
                          "at /Users/dev/.zprofile.bak)."_s});
    EXPECT_EQ(zprofile(), "# Tovrin \u2014 Claude Code PATH\n"
                          "export PATH=\"/Users/dev/my \\$tools/bin:$PATH\"\n");

    const WriterReport again = repairer().repairPath(dir);
    EXPECT_EQ(again.lines,
              QStringList{u"`/Users/dev/my $tools/bin` is already on your PATH in ~/.zprofile "
                          "\u2014 nothing to do."_s});
}

TEST_F(ZprofileFixesTest, RepairPathIgnoresACommentedMention) {
    fs_->createFile(kZprofile, "# old: /Users/dev/.local/bin\n");
    EXPECT_TRUE(repairer().repairPath(u"/Users/dev/.local/bin"_s).ok);
    EXPECT_EQ(zprofile(), "# old: /Users/dev/.local/bin\n\n# Tovrin \u2014 Claude Code PATH\n"
                          "export PATH=\"/Users/dev/.local/bin:$PATH\"\n");

    fs_->removeItem(kZprofile);
    fs_->createFolder(kZprofile);
    const WriterReport failed = repairer().repairPath(u"/x"_s);
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.lines.value(0).startsWith(u"Couldn't update ~/.zprofile: "_s));
}

// Each of these would put another folder than the one named on PATH, or break the file.
TEST_F(ZprofileFixesTest, RepairPathRefusesANameThatIsNotOneFullFolder) {
    fs_->createFile(kZprofile, "export A=1\n");
    for (const QString& odd :
         {u""_s, u"bin"_s, u"~/bin"_s, u"/a:/b"_s, u"/a\nb"_s, u"/a\rb"_s, QString(u"/a\0b"_s)}) {
        SCOPED_TRACE(odd.toStdString());
        const WriterReport refused = repairer().repairPath(odd);
        EXPECT_FALSE(refused.ok);
        ASSERT_EQ(refused.lines.size(), 1);
        EXPECT_TRUE(refused.lines[0].startsWith(u"Couldn't update ~/.zprofile: "_s));
    }
    EXPECT_EQ(zprofile(), "export A=1\n");
    EXPECT_FALSE(fs_->fileExists(kZprofile + u".bak"_s));
}

TEST_F(ZprofileFixesTest, RepairHomebrewPathUsesTheBrewOnDiskAndIgnoresComments) {
    const WriterReport none = repairer().repairHomebrewPath();
    EXPECT_EQ(none,
              (WriterReport{{u"Homebrew isn't installed yet \u2014 nothing to repair."_s}, false}));
    EXPECT_FALSE(fs_->fileExists(kZprofile));

    fs_->createExecutable(u"/usr/local/bin/brew"_s);
    fs_->createFile(kZprofile, "# eval \"$(/opt/homebrew/bin/brew shellenv)\"\n");
    const WriterReport added = repairer().repairHomebrewPath();
    EXPECT_TRUE(added.ok);
    EXPECT_EQ(added.lines, QStringList{u"Added Homebrew to your PATH in ~/.zprofile (backup at "
                                       "/Users/dev/.zprofile.bak)."_s});
    EXPECT_TRUE(zprofile().endsWith("\n\n# Tovrin \u2014 Homebrew shellenv\n"
                                    "eval \"$(/usr/local/bin/brew shellenv)\"\n"));

    EXPECT_EQ(repairer().repairHomebrewPath().lines,
              QStringList{u"Homebrew's shellenv is already active in ~/.zprofile \u2014 "
                          "re-checking in a fresh shell."_s});

    // Apple silicon's location comes first.
    fs_->createExecutable(u"/opt/homebrew/bin/brew"_s);
    fs_->removeItem(kZprofile);
    repairer().repairHomebrewPath();
    EXPECT_TRUE(zprofile().contains("eval \"$(/opt/homebrew/bin/brew shellenv)\""));
}
