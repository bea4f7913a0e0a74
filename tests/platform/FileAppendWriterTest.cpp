#include "platform/FileAppendWriter.h"
#include "model/ProductConfig.h"
#include "platform/LiveFileSystem.h"
#include "platform/LiveProcessRunner.h"
#include "support/ForwardingFileSystem.h"
#include "support/ScopedProductConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace tovr;
using namespace Qt::Literals::StringLiterals;
using WriteError = FileAppendWriter::WriteError;

namespace {

const QDateTime fixedNow(QDate(2026, 3, 7), QTime(9, 30));

ProductConfig productWithMarker(bool dated) {
    ProductConfig product = ProductConfig::javaDiagnosis();
    product.shellConfigMarker = u"Tovrin"_s;
    product.datedShellMarker = dated;
    return product;
}

// Fails the writes to chosen paths (a full disk); everything else goes to the real file system.
class FailingWrites final : public test::ForwardingFileSystem {
public:
    explicit FailingWrites(std::shared_ptr<FileSystemOperating> real)
        : ForwardingFileSystem(std::move(real)) {}
    QSet<QString> failingPaths;

    void write(const QString& text, const QString& path, bool atomically) override {
        check(path);
        inner_->write(text, path, atomically);
    }
    void writeDataWithMode(const QByteArray& data, const QString& path, int mode) override {
        check(path);
        inner_->writeDataWithMode(data, path, mode);
    }
    QString stageData(const QByteArray& data, const QString& path,
                      std::optional<int> mode) override {
        check(path);
        return inner_->stageData(data, path, mode);
    }

private:
    void check(const QString& path) const {
        if (failingPaths.contains(path))
            throw SystemError::fromErrno(ENOSPC, u"Cannot write "_s + path);
    }
};

// A temporary home folder with a ~/.zprofile that the tests append to.
class AppendTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(home_.isValid()); }

    QString path(const QString& name) const { return home_.path() + u'/' + name; }
    QString zprofile() const { return path(u".zprofile"_s); }

    void put(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    FileAppendWriter writer(std::shared_ptr<FileSystemOperating> fs = nullptr) const {
        return FileAppendWriter(zprofile(), fs ? fs : fs_, ProductConfig::current().shellMarker(),
                                [] { return fixedNow; });
    }
    // The block the writer adds for the exported variable below.
    QList<QString> addedLines() const {
        return {u"# Tovrin \u2014 Probe"_s, u"export TOVR_PROBE=\"hello world\""_s};
    }
    FileAppendWriter::DiffPreview appendProbe(bool activeLineOnly = true) const {
        return writer().append(u"export TOVR_PROBE=\"hello world\""_s, u"Probe"_s, u"TOVR_PROBE="_s,
                               activeLineOnly);
    }

    QTemporaryDir home_;
    std::shared_ptr<FileSystemOperating> fs_ = std::make_shared<LiveFileSystem>();
    test::ScopedProductConfig product_{productWithMarker(false)};
};

} // namespace

TEST(FileAppendWriterText, MarkerCarriesTheDateOnlyWhenTheProductDatesIt) {
    EXPECT_EQ(FileAppendWriter::markerComment(u"Homebrew"_s, fixedNow,
                                              productWithMarker(false).shellMarker()),
              u"# Tovrin \u2014 Homebrew"_s);
    EXPECT_EQ(FileAppendWriter::markerComment(u"JAVA_HOME"_s, fixedNow,
                                              productWithMarker(true).shellMarker()),
              u"# 2026-03-07 Tovrin \u2014 JAVA_HOME"_s);
    // The date is the user's local day, whatever zone the moment was given in.
    const QDateTime utc = fixedNow.toUTC();
    EXPECT_EQ(FileAppendWriter::markerComment(u"x"_s, utc, productWithMarker(true).shellMarker()),
              u"# 2026-03-07 Tovrin \u2014 x"_s);
}

TEST(FileAppendWriterText, ActiveLinesIgnoreCommentsAndSurroundingBlanks) {
    const QStringList needle{u"mise activate"_s};
    EXPECT_FALSE(FileAppendWriter::containsActiveLine(u"", needle));
    EXPECT_FALSE(
        FileAppendWriter::containsActiveLine(u"# eval \"$(mise activate zsh)\"\n", needle));
    EXPECT_FALSE(FileAppendWriter::containsActiveLine(u"  \t# mise activate\n", needle));
    EXPECT_TRUE(FileAppendWriter::containsActiveLine(u"\t  eval \"$(mise activate zsh)\"", needle));
    EXPECT_TRUE(FileAppendWriter::containsActiveLine(u"\u00A0\u2003mise activate", needle));
    EXPECT_TRUE(FileAppendWriter::containsActiveLine(u"# note\r\nmise activate\r\n", needle));
    EXPECT_TRUE(FileAppendWriter::containsActiveLine(u"# note\u2028mise activate", needle));
    // A comment mark later on the line does not make it a comment.
    EXPECT_TRUE(FileAppendWriter::containsActiveLine(u"mise activate # on", needle));
    EXPECT_FALSE(FileAppendWriter::containsActiveLine(u"MISE ACTIVATE", needle));
    EXPECT_TRUE(
        FileAppendWriter::containsActiveLine(u"export A=1\nexport B=2", {u"C="_s, u"B="_s}));
}

TEST_F(AppendTest, SeparatorKeepsOneBlankLineBeforeTheBlock) {
    const struct {
        QByteArray old;
        QByteArray separator;
    } cases[] = {{"", ""}, {"a", "\n\n"}, {"a\n", "\n"}, {"a\n\n", ""}};
    for (const auto& c : cases) {
        put(u".zprofile"_s, c.old);
        const auto preview = appendProbe();
        const QByteArray expected =
            c.old + c.separator +
            "# Tovrin \xE2\x80\x94 Probe\nexport TOVR_PROBE=\"hello world\"\n";
        EXPECT_EQ(read(u".zprofile"_s), expected) << c.old.toStdString();
        EXPECT_EQ(preview.proposedContents.toUtf8(), expected);
        EXPECT_EQ(preview.linesAdded, addedLines());
        EXPECT_EQ(preview.originalContents.toUtf8(), c.old);
        EXPECT_FALSE(preview.alreadySet || preview.wasCreated);
        EXPECT_EQ(read(u".zprofile.bak"_s), c.old);
    }
}

TEST_F(AppendTest, MissingFileIsCreatedWithAnEmptyBackupBesideIt) {
    const auto preview = appendProbe();
    EXPECT_TRUE(preview.wasCreated);
    EXPECT_EQ(preview.path, zprofile());
    EXPECT_EQ(preview.backupPath, zprofile() + u".bak"_s);
    EXPECT_EQ(read(u".zprofile"_s),
              "# Tovrin \xE2\x80\x94 Probe\nexport TOVR_PROBE=\"hello world\"\n");
    EXPECT_EQ(read(u".zprofile.bak"_s), "");

    // The same setting again changes nothing.
    const auto again = appendProbe();
    EXPECT_TRUE(again.alreadySet);
    EXPECT_FALSE(again.wasCreated);
    EXPECT_TRUE(again.linesAdded.isEmpty());
    EXPECT_EQ(again.proposedContents, again.originalContents);
}

TEST_F(AppendTest, SeveralLinesJoinedByLineFeedsAreOneBlock) {
    put(u".zprofile"_s, "x=1\n");
    const auto preview = writer().append(u"export A=1\nexport B=2"_s, u"Two"_s, u"B="_s, true);
    EXPECT_EQ(preview.linesAdded,
              (QStringList{u"# Tovrin \u2014 Two"_s, u"export A=1"_s, u"export B=2"_s}));
    EXPECT_EQ(read(u".zprofile"_s), "x=1\n\n# Tovrin \xE2\x80\x94 Two\nexport A=1\nexport B=2\n");
}

TEST_F(AppendTest, SettingAlreadyOnAnActiveLineIsLeftAloneInBothModes) {
    for (bool activeLineOnly : {true, false}) {
        const QByteArray old = "  export TOVR_PROBE=\"x\"\n";
        put(u".zprofile"_s, old);
        QFile::remove(path(u".zprofile.bak"_s));
        const QDateTime before = QFileInfo(zprofile()).lastModified();

        const auto preview = appendProbe(activeLineOnly);
        EXPECT_TRUE(preview.alreadySet);
        EXPECT_EQ(read(u".zprofile"_s), old);
        EXPECT_FALSE(QFile::exists(path(u".zprofile.bak"_s)));
        EXPECT_EQ(QFileInfo(zprofile()).lastModified(), before);
    }
}

TEST_F(AppendTest, SettingOnlyInACommentCountsForThePlainTestAlone) {
    const QByteArray old = "# export TOVR_PROBE=\"old\"\n";
    put(u".zprofile"_s, old);
    EXPECT_TRUE(appendProbe(false).alreadySet);
    EXPECT_EQ(read(u".zprofile"_s), old);

    const auto preview = appendProbe(true);
    EXPECT_FALSE(preview.alreadySet);
    EXPECT_TRUE(read(u".zprofile"_s).endsWith("export TOVR_PROBE=\"hello world\"\n"));
    EXPECT_EQ(read(u".zprofile.bak"_s), old);
}

TEST_F(AppendTest, SymlinkedFileStaysALinkAndItsTargetGetsTheBlock) {
    ASSERT_TRUE(QDir(home_.path()).mkdir(u"dotfiles"_s));
    put(u"dotfiles/zprofile"_s, "# mine\n");
    ASSERT_TRUE(QFile::link(path(u"dotfiles/zprofile"_s), zprofile()));

    appendProbe();
    EXPECT_TRUE(QFileInfo(zprofile()).isSymLink());
    EXPECT_EQ(QFileInfo(zprofile()).symLinkTarget(), path(u"dotfiles/zprofile"_s));
    EXPECT_EQ(read(u"dotfiles/zprofile"_s),
              "# mine\n\n# Tovrin \xE2\x80\x94 Probe\nexport TOVR_PROBE=\"hello world\"\n");
    EXPECT_EQ(read(u".zprofile.bak"_s), "# mine\n");
}

TEST_F(AppendTest, BackupHasTheFilesBytesAndModeExactly) {
    // A private start-up file holding a token, starting with a byte-order mark, and an
    // earlier backup that others could read.
    const QByteArray old = "\xEF\xBB\xBF"
                           "export GITHUB_TOKEN=ghp_secret\n";
    put(u".zprofile"_s, old);
    put(u".zprofile.bak"_s, "stale\n");
    ASSERT_EQ(::chmod(QFile::encodeName(zprofile()).constData(), 0600), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(zprofile() + u".bak"_s).constData(), 0644), 0);
    auto mode = [](const QString& file) {
        struct stat st {};
        return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
    };

    appendProbe();
    EXPECT_EQ(read(u".zprofile.bak"_s), old);
    EXPECT_EQ(mode(zprofile() + u".bak"_s), 0600u);
    EXPECT_EQ(mode(zprofile()), 0600u);
    EXPECT_EQ(read(u".zprofile"_s),
              old + "\n# Tovrin \xE2\x80\x94 Probe\nexport TOVR_PROBE=\"hello world\"\n");
}

TEST_F(AppendTest, FileThatIsNotUtf8IsNeverReplaced) {
    const QByteArray latin1 = "export NAME=\"Ren\xE9\"\n";
    put(u".zprofile"_s, latin1);
    try {
        appendProbe();
        FAIL() << "appended to a file it could not read";
    } catch (const WriteError&) {
        FAIL() << "a read failure is not a write failure";
    } catch (const SystemError&) {
    }
    EXPECT_EQ(read(u".zprofile"_s), latin1);
    EXPECT_FALSE(QFile::exists(path(u".zprofile.bak"_s)));
}

// The disk has room for the backup but not for the new file: the earlier backup stays too.
TEST_F(AppendTest, FileThatCannotBeWrittenChangesNothingNotEvenTheBackup) {
    put(u".zprofile"_s, "old\n");
    put(u".zprofile.bak"_s, "earlier\n");
    auto failing = std::make_shared<FailingWrites>(fs_);
    failing->failingPaths.insert(zprofile());
    try {
        writer(failing).append(u"export A=1"_s, u"A"_s, u"A="_s, true);
        FAIL() << "no error";
    } catch (const WriteError& error) {
        EXPECT_EQ(error.kind(), WriteError::Kind::writeFailed);
        EXPECT_TRUE(error.description().startsWith(u"Couldn't write file: Cannot write "_s));
    }
    EXPECT_EQ(read(u".zprofile"_s), "old\n");
    EXPECT_EQ(read(u".zprofile.bak"_s), "earlier\n");
    EXPECT_EQ(QDir(home_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{u".zprofile"_s, u".zprofile.bak"_s}));
}

TEST_F(AppendTest, ABackupThatCannotBeMadeKeepsTheEarlierOneAndChangesNothing) {
    put(u".zprofile"_s, "old\n");
    put(u".zprofile.bak"_s, "earlier\n");
    auto failing = std::make_shared<FailingWrites>(fs_);
    failing->failingPaths.insert(zprofile() + u".bak"_s); // the disk is full
    try {
        writer(failing).append(u"export A=1"_s, u"A"_s, u"A="_s, true);
        FAIL() << "no error";
    } catch (const WriteError& error) {
        EXPECT_EQ(error.kind(), WriteError::Kind::backupFailed);
    }
    EXPECT_EQ(read(u".zprofile"_s), "old\n");
    EXPECT_EQ(read(u".zprofile.bak"_s), "earlier\n");
}

namespace {

// Makes a folder unwritable, for the superuser too: the mode for others, the immutable
// attribute (where the file system has one) for root. Undone when it goes.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(QString path) : path_(std::move(path)) {
        if (::geteuid() == 0)
            immutable_ = QProcess::execute(u"chattr"_s, {u"+i"_s, path_}) == 0;
        else
            QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~ReadOnlyFolder() {
        if (immutable_)
            QProcess::execute(u"chattr"_s, {u"-i"_s, path_});
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool effective() const { return ::geteuid() != 0 || immutable_; }

private:
    QString path_;
    bool immutable_ = false;
};

} // namespace

TEST_F(AppendTest, ReadOnlyHomeGivesABackupErrorAndNothingHalfWritten) {
    put(u".zprofile"_s, "old\n");
    std::optional<ReadOnlyFolder> readOnly(std::in_place, home_.path());
    if (!readOnly->effective())
        GTEST_SKIP() << "no way to make a folder read-only for the superuser here";
    try {
        appendProbe();
        ADD_FAILURE() << "no error";
    } catch (const WriteError& error) {
        EXPECT_EQ(error.kind(), WriteError::Kind::backupFailed);
        EXPECT_TRUE(error.description().startsWith(u"Couldn't write backup file: "_s));
    }
    readOnly.reset();
    EXPECT_EQ(read(u".zprofile"_s), "old\n");
    EXPECT_EQ(QDir(home_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{u".zprofile"_s});
}

TEST_F(AppendTest, FolderWhereTheBackupBelongsIsKept) {
    put(u".zprofile"_s, "old\n");
    ASSERT_TRUE(QDir(home_.path()).mkdir(u".zprofile.bak"_s));
    put(u".zprofile.bak/keep"_s, "precious");
    try {
        appendProbe();
        FAIL() << "no error";
    } catch (const WriteError& error) {
        EXPECT_EQ(error.kind(), WriteError::Kind::backupFailed);
        EXPECT_EQ(error.description(),
                  u"Couldn't write backup file: "_s + error.underlying().description());
    }
    EXPECT_EQ(read(u".zprofile.bak/keep"_s), "precious");
    EXPECT_EQ(read(u".zprofile"_s), "old\n");
}

TEST_F(AppendTest, PreviewAppliedAfterTheFileChangedWritesNothing) {
    put(u".zprofile"_s, "old\n");
    FileAppendWriter::DiffPreview preview{
        zprofile(), zprofile() + u".bak"_s, u"old\n"_s, u"old\nnew\n"_s, {u"new"_s}, false, false};
    put(u".zprofile"_s, "old\nedited meanwhile\n");
    try {
        writer().apply(preview);
        FAIL() << "no error";
    } catch (const WriteError& error) {
        EXPECT_EQ(error.kind(), WriteError::Kind::writeFailed);
        EXPECT_EQ(error.description(),
                  u"Couldn't write file: "_s + zprofile() + u" changed since it was shown"_s);
    }
    EXPECT_EQ(read(u".zprofile"_s), "old\nedited meanwhile\n");
    EXPECT_FALSE(QFile::exists(path(u".zprofile.bak"_s)));

    // A file that appeared, or went away, since the preview is just as stale.
    FileAppendWriter::DiffPreview creating{
        zprofile(), zprofile() + u".bak"_s, {}, u"new\n"_s, {u"new"_s}, false, true};
    EXPECT_THROW(writer().apply(creating), WriteError);
    QFile::remove(zprofile());
    EXPECT_THROW(writer().apply(preview), WriteError);
    EXPECT_FALSE(QFile::exists(zprofile()));

    // Unchanged since the preview: applied.
    writer().apply(creating);
    EXPECT_EQ(read(u".zprofile"_s), "new\n");
    EXPECT_EQ(read(u".zprofile.bak"_s), "");
}

TEST_F(AppendTest, LoginShellSeesTheExportedValue) {
    put(u".zprofile"_s, "export EARLIER=1");
    appendProbe();
    LiveProcessRunner runner;
    const ProcessResult result =
        runner.run(u"/bin/zsh"_s, {u"-lc"_s, u"print -r -- \"$TOVR_PROBE|$EARLIER\""_s},
                   ProcessEnvironment{{u"HOME"_s, home_.path()}, {u"PATH"_s, u"/usr/bin:/bin"_s}});
    EXPECT_EQ(result.exitCode, 0) << result.stderr_.toStdString();
    EXPECT_EQ(result.stdout_, u"hello world|1\n"_s);
}
