#include "services/SkillFolderInstaller.h"
#include "platform/LiveFileSystem.h"
#include "platform/LiveProcessRunner.h"
#include "platform/ResourceLocator.h"
#include "support/CreationModes.h"
#include "support/FailingFileSystem.h"
#include "support/FakeProcessRunner.h"
#include "support/SandboxFileSystem.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>

using namespace tovr;
using namespace tovr::test;

namespace {

const QString kHome = "/Users/dev";
const QString kSource = "/src/demo";

std::shared_ptr<SandboxFileSystem> homeWith(const QStringList& configDirs) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    for (const auto& dir : configDirs)
        fs->createFolder(kHome + "/" + dir);
    fs->createFile(kSource + "/SKILL.md", "---\nname: demo\n---\n");
    fs->createFile(kSource + "/.hidden", "h");
    fs->createFile(kSource + "/scripts/run.sh", "echo hi\n", 0755);
    return fs;
}

// A crash, as far as the installer can tell: the write throws what no handler catches.
struct Crash {};
class CrashingFileSystem final : public ForwardingFileSystem {
public:
    CrashingFileSystem(std::shared_ptr<FileSystemOperating> inner, QString crashOn)
        : ForwardingFileSystem(std::move(inner)), crashOn_(std::move(crashOn)) {}
    void writeDataWithMode(const QByteArray& data, const QString& p, int mode) override {
        if (p.endsWith(crashOn_))
            throw Crash{};
        inner_->writeDataWithMode(data, p, mode);
    }

private:
    QString crashOn_;
};

// A small file system of its own mounted at `path` (another volume), for as long as this
// lives: on Linux a tmpfs, which needs the superuser; on a Mac a RAM disk.
struct OtherVolume {
    explicit OtherVolume(const QString& path) : path_(QFile::encodeName(path)) {
#ifdef __linux__
        if (::mount("tmpfs", path_.constData(), "tmpfs", 0, "size=1m,mode=0755") != 0)
            why_ = std::string("cannot mount a tmpfs here (") + std::strerror(errno) + ")";
#else
        QProcess sh;
        sh.start("/bin/sh", {"-c", R"(d=$(hdiutil attach -nomount ram://16384) && echo $d &&
            newfs_hfs $d >&2 && diskutil mount -mountPoint "$0" $d >&2)",
                             path});
        device_ = sh.waitForFinished(60000) ? sh.readAllStandardOutput().trimmed() : "";
        if (sh.exitCode() != 0 || device_.isEmpty())
            why_ = "cannot make a RAM disk here: " + sh.readAllStandardError().toStdString();
#endif
    }
    ~OtherVolume() {
#ifdef __linux__
        if (why_.empty())
            ::umount2(path_.constData(), MNT_DETACH);
#else
        if (!device_.isEmpty())
            QProcess::execute("hdiutil", {"detach", "-quiet", "-force", device_});
#endif
    }
    QByteArray path_, device_;
    std::string why_; // empty once mounted
};

} // namespace

TEST(SkillFolderInstaller, CopiesIntoEveryPresentAgentAndNeverOverAnExistingCopy) {
    auto fs = homeWith({".claude", ".agents"});
    const SkillFolderInstaller installer{fs};
    EXPECT_FALSE(installer.isInstalled("demo"));

    EXPECT_EQ(installer.install(kSource, "demo"),
              (WriterReport{{"Installed demo for Claude, Zed."}, true}));
    for (const QString dir : {"/.claude/skills/demo", "/.agents/skills/demo"}) {
        EXPECT_EQ(fs->contents(kHome + dir + "/SKILL.md"), "---\nname: demo\n---\n");
        EXPECT_EQ(fs->contents(kHome + dir + "/.hidden"), "h");
        EXPECT_EQ(fs->contents(kHome + dir + "/scripts/run.sh"), "echo hi\n");
        EXPECT_EQ(fs->attributesOfItem(kHome + dir + "/scripts/run.sh").posixPermissions, 0755);
    }
    EXPECT_FALSE(fs->fileExists(kHome + "/.codex"));
    EXPECT_TRUE(installer.isInstalled("demo"));

    // Codex arrives later; the user had edited Claude's copy, which stays as it is.
    fs->createFolder(kHome + "/.codex");
    EXPECT_FALSE(installer.isInstalled("demo"));
    fs->createFile(kHome + "/.claude/skills/demo/SKILL.md", "mine");
    EXPECT_EQ(
        installer.install(kSource, "demo").lines,
        (QStringList{"Installed demo for Codex.", "Claude, Zed already had demo — left as is."}));
    EXPECT_EQ(fs->contents(kHome + "/.claude/skills/demo/SKILL.md"), "mine");
    EXPECT_TRUE(installer.isInstalled("demo"));
}

TEST(SkillFolderInstaller, AnAgentJustInstalledCountsBeforeItHasMadeItsFolder) {
    auto fs = homeWith({});
    fs->createExecutable("/opt/homebrew/bin/claude");
    fs->createExecutable("/usr/local/bin/codex");
    const SkillFolderInstaller installer{fs};
    EXPECT_FALSE(installer.isInstalled("demo"));

    EXPECT_EQ(installer.install(kSource, "demo"),
              (WriterReport{{"Installed demo for Claude, Codex."}, true}));
    EXPECT_EQ(fs->contents(kHome + "/.claude/skills/demo/SKILL.md"), "---\nname: demo\n---\n");
    EXPECT_EQ(fs->contents(kHome + "/.codex/skills/demo/SKILL.md"), "---\nname: demo\n---\n");
    EXPECT_TRUE(installer.isInstalled("demo"));
}

TEST(SkillFolderInstaller, NothingToDoOrNothingToCopy) {
    auto none = homeWith({});
    EXPECT_EQ(SkillFolderInstaller{none}.install(kSource, "demo"),
              (WriterReport{{"No AI agent is set up yet — nothing to install demo into."}, true}));
    EXPECT_FALSE(SkillFolderInstaller{none}.isInstalled("demo"));

    auto claude = homeWith({".claude"});
    EXPECT_EQ(SkillFolderInstaller{claude}.install("/src/missing", "demo"),
              (WriterReport{{"Couldn't find the skill files for demo."}, false}));
    EXPECT_EQ(SkillFolderInstaller{claude}.install(kSource + "/SKILL.md", "demo").ok, false);
}

TEST(SkillFolderInstaller, AFailedCopyTakesBackOnlyWhatThisRunMade) {
    auto sandbox = homeWith({".claude", ".codex", ".agents"});
    sandbox->createFolder(kHome + "/.agents/skills/other");
    sandbox->createFile(kHome + "/.claude/skills/demo/SKILL.md", "mine");
    // Codex's copy breaks after its first files; Zed's keeps its skills folder.
    auto fs = std::make_shared<FailingFileSystem>(sandbox, "/scripts/run.sh");
    const auto report = SkillFolderInstaller{fs}.install(kSource, "demo");
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.lines, QStringList{"Couldn't install demo: No space left on device"});
    EXPECT_EQ(sandbox->contentsOfDirectory(kHome + "/.codex"), QStringList());
    EXPECT_FALSE(sandbox->fileExists(kHome + "/.agents/skills/demo")); // never tried
    EXPECT_TRUE(sandbox->fileExists(kHome + "/.agents/skills/other"));
    EXPECT_FALSE(SkillFolderInstaller{sandbox}.isInstalled("demo"));

    // With a skills folder the user already had, only the skill's own folder goes.
    sandbox->createFile(kHome + "/.codex/skills/demo/SKILL.md", "theirs");
    EXPECT_FALSE(SkillFolderInstaller{fs}.install(kSource, "demo").ok);
    EXPECT_EQ(sandbox->contentsOfDirectory(kHome + "/.agents"), QStringList{"skills"});
    EXPECT_EQ(sandbox->contentsOfDirectory(kHome + "/.agents/skills"), QStringList{"other"});

    EXPECT_EQ(
        SkillFolderInstaller{sandbox}.install(kSource, "demo").lines,
        (QStringList{"Installed demo for Zed.", "Claude, Codex already had demo — left as is."}));
}

TEST(SkillFolderInstaller, ACopyCutShortIsNeverTakenForTheSkillAndTheNextRunCompletesIt) {
    auto sandbox = homeWith({".codex"});
    // The program ends in the middle of the copy, after SKILL.md: nothing else runs.
    auto crashing = std::make_shared<CrashingFileSystem>(sandbox, "/scripts/run.sh");
    EXPECT_THROW(SkillFolderInstaller{crashing}.install(kSource, "demo"), Crash);
    EXPECT_FALSE(SkillFolderInstaller{sandbox}.isInstalled("demo"));

    EXPECT_EQ(SkillFolderInstaller{sandbox}.install(kSource, "demo"),
              (WriterReport{{"Installed demo for Codex."}, true}));
    EXPECT_EQ(sandbox->contents(kHome + "/.codex/skills/demo/scripts/run.sh"), "echo hi\n");
    // What the cut-short run had built is gone.
    EXPECT_EQ(sandbox->contentsOfDirectory(kHome + "/.codex"), QStringList{"skills"});
    EXPECT_EQ(sandbox->contentsOfDirectory(kHome + "/.codex/skills"), QStringList{"demo"});

    // Claude's skills on another volume, through a link: the copy is built on that volume and
    // renamed into place there, so nothing is ever written where the skill stands. Under
    // umask 000 all that is made is writable by its owner alone; a script stays executable.
    auto volume = homeWith({".claude", ".agents"});
    OtherVolume other(volume->hostPath(volume->createFolder("/Volumes")));
    if (!other.why_.empty())
        GTEST_SKIP() << other.why_;
    volume->createSymlink(kHome + "/.claude/skills", volume->createFolder("/Volumes/dotfiles"));
    {
        CreationModes modes(*volume);
        EXPECT_EQ(SkillFolderInstaller{volume}.install(kSource, "demo"),
                  (WriterReport{{"Installed demo for Claude, Zed."}, true}));
        EXPECT_EQ(modes.of(kHome + "/.claude/skills/demo/SKILL.md"), QList<int>());
        EXPECT_EQ(modes.of(kHome + "/.agents/skills"), QList<int>{0755});
    }
    EXPECT_EQ(volume->contentsOfDirectory("/Volumes/dotfiles"), QStringList{"demo"});
    for (const QString dir : {"/.claude/skills/demo", "/.agents/skills/demo"}) {
        EXPECT_EQ(volume->attributesOfItem(kHome + dir).posixPermissions, 0755);
        EXPECT_EQ(volume->attributesOfItem(kHome + dir + "/SKILL.md").posixPermissions, 0644);
        EXPECT_EQ(volume->attributesOfItem(kHome + dir + "/scripts/run.sh").posixPermissions, 0755);
    }
}

TEST(SkillFolderInstaller, ABrokenEntryWhereTheSkillBelongsIsReportedAndLeftAlone) {
    auto fs = homeWith({".claude", ".codex", ".agents"});
    fs->createSymlink(kHome + "/.claude/skills/demo", kHome + "/dotfiles/skills/demo");
    fs->createFile(kHome + "/.codex/skills/demo/notes.md", "mine");
    const SkillFolderInstaller installer{fs};
    EXPECT_FALSE(installer.isInstalled("demo"));

    EXPECT_EQ(installer.install(kSource, "demo"),
              (WriterReport{{"Installed demo for Zed.",
                             "~/.claude/skills/demo is a link to something that is missing — left "
                             "as is. Remove it and run this again to install demo for Claude.",
                             "~/.codex/skills/demo is there but has no SKILL.md — left as is. "
                             "Remove it and run this again to install demo for Codex."},
                            false}));
    EXPECT_EQ(fs->attributesOfItem(kHome + "/.claude/skills/demo").type, FileType::symbolicLink);
    EXPECT_EQ(fs->contentsOfDirectory(kHome + "/.codex/skills/demo"), QStringList{"notes.md"});
    EXPECT_FALSE(installer.isInstalled("demo"));
}

TEST(SkillFolderInstaller, SymbolicLinksAreNeverFollowed) {
    auto fs = homeWith({".claude"});
    fs->createFile(kHome + "/.ssh/id_ed25519", "secret");
    fs->createSymlink(kSource + "/key", kHome + "/.ssh/id_ed25519");
    fs->createSymlink(kSource + "/ssh", kHome + "/.ssh");
    fs->createSymlink(kSource + "/inside", "SKILL.md");
    ASSERT_TRUE(SkillFolderInstaller{fs}.install(kSource, "demo").ok);
    const QString copy = kHome + "/.claude/skills/demo";
    EXPECT_TRUE(fs->fileExists(copy + "/SKILL.md"));
    for (const QString name : {"/key", "/ssh", "/inside"})
        EXPECT_THROW(fs->attributesOfItem(copy + name), SystemError) << name.toStdString();
}

TEST(SkillFolderInstaller, BundledSkillsOfTheCatalogueAreInTheResources) {
    const QString resources = resourcesDirectory();
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    fs->createFolder(kHome + "/.claude");
    // The sandbox maps paths under its root; the resources are copied in at the same path.
    LiveFileSystem live;
    FakeProcessRunner process;
    int bundled = 0;
    for (const auto& skill : AgentSkill::catalog(true)) {
        const auto* bundle = skill.source.as<AgentSkill::Source::Bundle>();
        if (!bundle)
            continue;
        ++bundled;
        const QString skillMd = resources + "/skills/" + bundle->name + "/SKILL.md";
        const QString text = live.readText(skillMd);
        EXPECT_TRUE(text.startsWith("---\nname: " + skill.slug + "\ndescription: "))
            << skillMd.toStdString();
        fs->createFile("/app/Resources/skills/" + bundle->name + "/SKILL.md", text.toUtf8());

        const auto report = SkillFolderInstaller{fs}.installSkill(skill, "/app/Resources", process);
        EXPECT_EQ(report, (WriterReport{{"Installed " + skill.slug + " for Claude."}, true}));
        EXPECT_EQ(fs->contents(kHome + "/.claude/skills/" + skill.slug + "/SKILL.md"),
                  text.toUtf8());
    }
    EXPECT_EQ(bundled, 2);

    const AgentSkill missing{"gone", "Gone", "", AgentSkill::Source::bundle("gone"), false, false};
    EXPECT_EQ(SkillFolderInstaller{fs}.installSkill(missing, "/app/Resources", process),
              (WriterReport{{"Couldn't find the bundled gone skill in the app — this build may "
                             "be missing its skill resources."},
                            false}));
    EXPECT_TRUE(process.calls().isEmpty());
}

TEST(SkillFolderInstaller, CloneCommandQuotesEveryValue) {
    EXPECT_EQ(SkillFolderInstaller::cloneCommand("https://github.com/o/r", "/tmp/it's", "ab'c"),
              "git clone --filter=blob:none --no-checkout 'https://github.com/o/r' '/tmp/it'\\''s' "
              "&& git -C '/tmp/it'\\''s' checkout 'ab'\\''c'");
}

// A real partial clone of a fixture repository through the login shell.
class SkillFetch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        home_ = root_.filePath("home");
        tmp_ = root_.filePath("tmp");
        repo_ = root_.filePath("remote/owner/skills");
        QDir().mkpath(home_ + "/.claude");
        QDir().mkpath(tmp_);
        QDir().mkpath(repo_);
        save("HOME", home_);
        save("TMPDIR", tmp_);
        save("GIT_CONFIG_NOSYSTEM", "1");
        write(home_ + "/.gitconfig", "[user]\n\tname = Test\n\temail = test@example.com\n[init]\n"
                                     "\tdefaultBranch = main\n[advice]\n\tdetachedHead = false\n");

        git({"init", "-q"});
        git({"config", "uploadpack.allowFilter", "true"});
        write(repo_ + "/skills/demo/SKILL.md", "---\nname: demo\n---\nfirst\n");
        write(repo_ + "/skills/demo/.config", "c");
        write(root_.filePath("outside.txt"), "not yours");
        QFile::link(root_.filePath("outside.txt"), repo_ + "/skills/demo/leak");
        write(repo_ + "/README.md", "readme");
        git({"add", "-A"});
        git({"commit", "-qm", "first"});
        pin_ = git({"rev-parse", "HEAD"}).trimmed();
        write(repo_ + "/skills/demo/SKILL.md", "---\nname: demo\n---\nsecond\n");
        write(repo_ + "/skills/demo/later.md", "later");
        git({"add", "-A"});
        git({"commit", "-qm", "second"});
    }

    void TearDown() override {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                qputenv(it->first.constData(), *it->second);
            else
                qunsetenv(it->first.constData());
        }
    }

    void save(const QByteArray& name, const QString& value) {
        saved_.emplace_back(name, qEnvironmentVariableIsSet(name.constData())
                                      ? std::optional(qgetenv(name.constData()))
                                      : std::nullopt);
        qputenv(name.constData(), value.toUtf8());
    }

    static void write(const QString& path, const QByteArray& text) {
        QDir().mkpath(path.left(path.lastIndexOf('/')));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QString git(QStringList arguments) {
        arguments.prepend(repo_);
        arguments.prepend("-C");
        const ProcessResult r = LiveProcessRunner().run("/usr/bin/git", arguments);
        EXPECT_EQ(r.exitCode, 0) << r.stderr_.toStdString();
        return r.stdout_;
    }

    SkillFolderInstaller installer() const {
        return {std::make_shared<LiveFileSystem>(), "file://" + root_.filePath("remote") + "/"};
    }

    QStringList leftInTmp() const {
        return QDir(tmp_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir root_;
    QString home_, tmp_, repo_, pin_;
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> saved_;
};

TEST_F(SkillFetch, ClonesWithoutBlobsAndInstallsThePinnedRevision) {
    const AgentSkill skill{"demo", "Demo",
                           "",     AgentSkill::Source::fetch("owner/skills", "skills/demo", pin_),
                           false,  true};
    LiveProcessRunner process;
    QStringList streamed;
    const auto report =
        installer().installSkill(skill, {}, process, [&](const QString& l) { streamed << l; });
    ASSERT_TRUE(report.ok) << report.lines.join("\n").toStdString();
    EXPECT_EQ(report.lines.first(), "Fetching the Demo skill from owner/skills…");
    EXPECT_EQ(report.lines.last(), "Installed demo for Claude.");
    EXPECT_EQ(streamed, report.lines);
    // Git warns when the server ignores the filter; the fixture honours it.
    EXPECT_FALSE(report.lines.join("\n").contains("filtering not recognized"));

    const QString copy = home_ + "/.claude/skills/demo";
    LiveFileSystem fs;
    EXPECT_EQ(fs.readData(copy + "/SKILL.md"), "---\nname: demo\n---\nfirst\n");
    EXPECT_EQ(fs.readData(copy + "/.config"), "c");
    EXPECT_FALSE(QFileInfo::exists(copy + "/later.md"));
    EXPECT_FALSE(QFileInfo(copy + "/leak").exists() || QFileInfo(copy + "/leak").isSymLink());
    EXPECT_EQ(leftInTmp(), QStringList());
}

TEST_F(SkillFetch, TheWholeRepositoryWhenTheSubpathIsItsRoot) {
    const AgentSkill skill{"everything", "Everything",
                           "",           AgentSkill::Source::fetch("owner/skills", ".", pin_),
                           false,        true};
    LiveProcessRunner process;
    ASSERT_TRUE(installer().installSkill(skill, {}, process).ok);
    const QString copy = home_ + "/.claude/skills/everything";
    EXPECT_TRUE(QFileInfo(copy + "/.git").isDir());
    EXPECT_TRUE(QFileInfo(copy + "/skills/demo/SKILL.md").isFile());
    EXPECT_EQ(leftInTmp(), QStringList());
}

TEST_F(SkillFetch, AMissingPinOrSubpathFailsCleanly) {
    LiveProcessRunner process;
    const AgentSkill badPin{"demo",
                            "Demo",
                            "",
                            AgentSkill::Source::fetch("owner/skills", "skills/demo",
                                                      "0123456789abcdef0123456789abcdef01234567"),
                            false,
                            true};
    const auto report = installer().installSkill(badPin, {}, process);
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.lines.last(), "Couldn't fetch demo from owner/skills.");
    EXPECT_EQ(leftInTmp(), QStringList());
    EXPECT_FALSE(QFileInfo::exists(home_ + "/.claude/skills"));

    for (const QString subpath : {"skills/none", "../../outside.txt", "/etc"}) {
        const AgentSkill badPath{"demo", "Demo",
                                 "",     AgentSkill::Source::fetch("owner/skills", subpath, pin_),
                                 false,  true};
        const auto missing = installer().installSkill(badPath, {}, process);
        EXPECT_FALSE(missing.ok);
        EXPECT_EQ(missing.lines.last(), "Couldn't find the skill files for demo.");
        EXPECT_EQ(leftInTmp(), QStringList());
    }
}
