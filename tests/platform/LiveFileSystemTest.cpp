#include "platform/LiveFileSystem.h"
#include "platform/Error.h"
#include "support/CreationModes.h"
#include "support/SandboxFileSystem.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tovr;
using tovr::test::CreationModes;
using tovr::test::SandboxFileSystem;

namespace {

int currentUmask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return static_cast<int>(mask);
}

} // namespace

TEST(LiveFileSystem, AtomicWriteThroughASymlinkKeepsTheLinkAndTheTargetsMode) {
    SandboxFileSystem fs;
    fs.createFile("/Users/dev/dotfiles/zshrc", "old\n", 0640);
    fs.createSymlink("/Users/dev/.zshrc", "/Users/dev/dotfiles/zshrc");

    fs.write("new\n", "/Users/dev/.zshrc", true);

    EXPECT_EQ(fs.attributesOfItem("/Users/dev/.zshrc").type, FileType::symbolicLink);
    EXPECT_EQ(fs.readText("/Users/dev/dotfiles/zshrc"), "new\n");
    EXPECT_EQ(fs.readText("/Users/dev/.zshrc"), "new\n");
    EXPECT_EQ(fs.attributesOfItem("/Users/dev/dotfiles/zshrc").posixPermissions, 0640);
    // No temporary file is left beside the target or the link.
    EXPECT_EQ(fs.contentsOfDirectory("/Users/dev/dotfiles"), QStringList{"zshrc"});
    EXPECT_EQ(fs.contentsOfDirectory("/Users/dev").size(), 2);
}

TEST(LiveFileSystem, AtomicWriteFollowsRelativeChainsAndCreatesADanglingTarget) {
    SandboxFileSystem fs;
    fs.createFile("/Users/dev/dotfiles/zprofile", "old", 0600);
    fs.createSymlink("/Users/dev/dotfiles/current", "zprofile");
    fs.createSymlink("/Users/dev/.zprofile", "dotfiles/current");
    fs.writeData("bytes", "/Users/dev/.zprofile");
    EXPECT_EQ(fs.contents("/Users/dev/dotfiles/zprofile"), "bytes");
    EXPECT_EQ(fs.attributesOfItem("/Users/dev/dotfiles/current").type, FileType::symbolicLink);
    EXPECT_EQ(fs.attributesOfItem("/Users/dev/dotfiles/zprofile").posixPermissions, 0600);

    fs.createSymlink("/Users/dev/.env", "/Users/dev/dotfiles/env"); // not there yet
    fs.write("A=1\n", "/Users/dev/.env", true);
    EXPECT_EQ(fs.attributesOfItem("/Users/dev/.env").type, FileType::symbolicLink);
    EXPECT_EQ(fs.contents("/Users/dev/dotfiles/env"), "A=1\n");
}

TEST(LiveFileSystem, AtomicWriteOfANewFileUsesTheUmaskAndAnExistingFileKeepsItsMode) {
    SandboxFileSystem fs;
    fs.write("x", "/Users/dev/new.txt", true);
    EXPECT_EQ(fs.attributesOfItem("/Users/dev/new.txt").posixPermissions, 0644 & ~currentUmask());

    fs.createFile("/Users/dev/run.sh", "#!/bin/sh\n", 0750);
    fs.writeData("#!/bin/sh\necho hi\n", "/Users/dev/run.sh");
    EXPECT_EQ(fs.attributesOfItem("/Users/dev/run.sh").posixPermissions, 0750);
    EXPECT_TRUE(fs.isExecutableFile("/Users/dev/run.sh"));
}

// Another user who opens a file the moment it exists keeps that descriptor: the file must
// be born at its final mode, never narrowed afterwards.
TEST(LiveFileSystem, EveryFileIsCreatedAtItsFinalMode) {
    SandboxFileSystem fs;
    fs.createFile("/Users/dev/.codex/config.toml", "model = \"o4\"\n", 0644);
    fs.createFile("/Users/dev/.zshrc", "old\n", 0640);
    CreationModes modes(fs);

    fs.writeDataWithMode("url = \"?key=sk-1\"\n", "/Users/dev/.codex/config.toml", 0600);
    fs.writeDataWithMode("export KEY=sk-1\n", "/Users/dev/.env", 0600);
    fs.write("new\n", "/Users/dev/.zshrc", true);
    fs.write("x", "/Users/dev/new.txt", true);
    fs.createDirectoryWithMode("/tmp/private", 0700);
    fs.createDirectory("/Users/dev/.claude/skills", true);

    EXPECT_EQ(modes.of("/Users/dev/.codex/config.toml"), QList<int>{0600});
    EXPECT_EQ(modes.of("/Users/dev/.env"), QList<int>{0600});
    EXPECT_EQ(modes.of("/Users/dev/.zshrc"), QList<int>{0640});
    // What the shell runs or an agent loads is never writable by others, whatever the umask.
    EXPECT_EQ(modes.of("/Users/dev/new.txt"), QList<int>{0644});
    EXPECT_EQ(modes.of("/Users/dev/.claude"), QList<int>{0755});
    EXPECT_EQ(modes.of("/Users/dev/.claude/skills"), QList<int>{0755});
    EXPECT_EQ(modes.of("/tmp/private"), QList<int>{0700});
    EXPECT_EQ(fs.attributesOfItem("/Users/dev/.codex/config.toml").posixPermissions, 0600);
    EXPECT_EQ(fs.attributesOfItem("/Users/dev/.zshrc").posixPermissions, 0640);

    // A strict umask narrows the new file; the bits it took are given back, no more.
    const mode_t open = ::umask(077);
    fs.writeDataWithMode("shared", "/Users/dev/shared.txt", 0644);
    fs.write("newer\n", "/Users/dev/.zshrc", true);
    ::umask(open);
    EXPECT_EQ(modes.of("/Users/dev/shared.txt"), QList<int>{0600});
    EXPECT_EQ(fs.attributesOfItem("/Users/dev/shared.txt").posixPermissions, 0644);
    EXPECT_EQ(fs.attributesOfItem("/Users/dev/.zshrc").posixPermissions, 0640);
}

TEST(LiveFileSystem, AtomicWriteNeverReplacesAFolder) {
    SandboxFileSystem fs;
    fs.createFile("/Users/dev/.zshrc/keep", "precious");
    EXPECT_THROW(fs.write("text", "/Users/dev/.zshrc", true), SystemError);
    EXPECT_EQ(fs.contents("/Users/dev/.zshrc/keep"), "precious");
    EXPECT_EQ(fs.contentsOfDirectory("/Users/dev/.zshrc"), QStringList{"keep"});
}

TEST(LiveFileSystem, ReadTextRejectsInvalidUtf8AndReportsMissingFilesByTheirMacPath) {
    SandboxFileSystem fs;
    fs.createFile("/Users/dev/latin1.txt", QByteArray("caf\xe9\n"));
    EXPECT_THROW(fs.readText("/Users/dev/latin1.txt"), SystemError);
    EXPECT_EQ(fs.readData("/Users/dev/latin1.txt"), QByteArray("caf\xe9\n"));

    fs.createFile("/Users/dev/utf8.txt", QString("café — “ok”").toUtf8());
    EXPECT_EQ(fs.readText("/Users/dev/utf8.txt"), QString("café — “ok”"));

    try {
        fs.readText("/Users/dev/missing");
        FAIL() << "no error";
    } catch (const SystemError& e) {
        EXPECT_EQ(e.code(), ENOENT);
        EXPECT_TRUE(e.description().contains("/Users/dev/missing")) << e.what();
        EXPECT_FALSE(e.description().contains(fs.root())) << e.what();
    }
}

TEST(LiveFileSystem, ListingKeepsHiddenEntriesAndFailsForAMissingFolder) {
    SandboxFileSystem fs;
    fs.createFile("/Users/dev/.zshrc");
    fs.createFile("/Users/dev/visible");
    fs.createFolder("/Users/dev/.config");
    QStringList names = fs.contentsOfDirectory("/Users/dev");
    names.sort();
    EXPECT_EQ(names, (QStringList{".config", ".zshrc", "visible"}));
    EXPECT_THROW(fs.contentsOfDirectory("/Users/dev/nope"), SystemError);
    EXPECT_THROW(fs.contentsOfDirectory("/Users/dev/visible"), SystemError);
}

TEST(LiveFileSystem, FoldersAreCreatedRemovedAndMoved) {
    SandboxFileSystem fs;
    fs.createDirectory("/opt/homebrew/bin", true);
    fs.createDirectory("/opt/homebrew/bin", true); // already there: fine
    fs.createDirectory("/opt/homebrew/bin", false);
    EXPECT_THROW(fs.createDirectory("/opt/a/b", false), SystemError);
    fs.createFile("/opt/file");
    EXPECT_THROW(fs.createDirectory("/opt/file/sub", true), SystemError);

    bool isDirectory = false;
    EXPECT_TRUE(fs.fileExists("/opt/homebrew/bin", &isDirectory));
    EXPECT_TRUE(isDirectory);
    EXPECT_TRUE(fs.fileExists("/opt/file", &isDirectory));
    EXPECT_FALSE(isDirectory);

    // Removing a link removes the link only; removing a folder removes its contents.
    fs.createFile("/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Info.plist", "x");
    fs.createSymlink("/Users/dev/jdk", "/Library/Java/JavaVirtualMachines/temurin-21.jdk");
    fs.removeItem("/Users/dev/jdk");
    EXPECT_TRUE(fs.fileExists("/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents"));
    fs.removeItem("/Library/Java/JavaVirtualMachines/temurin-21.jdk");
    EXPECT_FALSE(fs.fileExists("/Library/Java/JavaVirtualMachines/temurin-21.jdk"));
    EXPECT_THROW(fs.removeItem("/Library/Java/JavaVirtualMachines/temurin-21.jdk"), SystemError);

    fs.createFile("/tmp/a", "A");
    fs.createFile("/tmp/b", "B");
    EXPECT_THROW(fs.moveItem("/tmp/a", "/tmp/b"), SystemError); // never overwrites
    fs.moveItem("/tmp/a", "/tmp/c");
    EXPECT_FALSE(fs.fileExists("/tmp/a"));
    EXPECT_EQ(fs.contents("/tmp/c"), "A");
}

TEST(LiveFileSystem, ExecutabilityAndAttributes) {
    SandboxFileSystem fs;
    fs.createExecutable("/opt/homebrew/bin/brew", "echo brew");
    fs.createFile("/opt/homebrew/bin/readme", "12345", 0644);
    fs.createSymlink("/usr/local/bin/brew", "/opt/homebrew/bin/brew");
    EXPECT_TRUE(fs.isExecutableFile("/opt/homebrew/bin/brew"));
    EXPECT_TRUE(fs.isExecutableFile("/usr/local/bin/brew"));
    EXPECT_FALSE(fs.isExecutableFile("/opt/homebrew/bin/readme"));
    EXPECT_FALSE(fs.isExecutableFile("/opt/homebrew/bin")); // a folder is not a program
    EXPECT_FALSE(fs.isExecutableFile("/opt/homebrew/bin/missing"));
    EXPECT_FALSE(fs.isExecutableFile("relative/brew"));

    const FileAttributes a = fs.attributesOfItem("/opt/homebrew/bin/readme");
    EXPECT_EQ(a.size, 5);
    EXPECT_EQ(a.type, FileType::regular);
    EXPECT_EQ(a.posixPermissions, 0644);
    EXPECT_TRUE(a.modificationDate.has_value());
    fs.setAttributes(FileAttributes{{}, 0755, {}, {}}, "/opt/homebrew/bin/readme");
    EXPECT_TRUE(fs.isExecutableFile("/opt/homebrew/bin/readme"));
}

TEST(SandboxFileSystem, ServesMacPathsUnderItsRoot) {
    SandboxFileSystem fs;
    EXPECT_EQ(fs.homeDirectory(), "/Users/dev");
    EXPECT_EQ(fs.hostPath("/Users/dev/.zshrc"), fs.root() + "/Users/dev/.zshrc");
    EXPECT_THROW(fs.hostPath("/../etc/passwd"), SystemError);
    EXPECT_THROW(fs.hostPath("relative"), SystemError);
    EXPECT_EQ(fs.cachesDirectory(), "/Users/dev/Library/Caches");
    EXPECT_TRUE(QFileInfo(fs.hostPath("/Users/dev/Library/Caches")).isDir());
    EXPECT_EQ(fs.applicationSupportDirectory(false), "/Users/dev/Library/Application Support");
    EXPECT_FALSE(fs.fileExists("/Users/dev/Library/Application Support"));
}

TEST(LiveFileSystem, StandardFoldersHaveNoTrailingSlash) {
    LiveFileSystem fs;
    for (const QString& path : {fs.homeDirectory(), fs.temporaryDirectory()}) {
        EXPECT_TRUE(path.startsWith('/')) << path.toStdString();
        EXPECT_FALSE(path.size() > 1 && path.endsWith('/')) << path.toStdString();
    }
}
