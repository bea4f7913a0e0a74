// The start-up writers against a real zsh: after each fix a fresh shell, started the way
// a terminal starts one, must see what the fix promises.

#include "LiveHome.h"
#include "model/ProductConfig.h"
#include "platform/ToolLocations.h"
#include "services/AgentEnvDoc.h"
#include "services/InstallFollowUps.h"
#include "services/MCPConfigWriter.h"
#include "services/PathRepairer.h"
#include "services/ShellConfigurator.h"
#include "services/SkillFolderInstaller.h"
#include "support/FakeExecutables.h"
#include "support/ScopedProductConfig.h"

#include <QMap>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

using namespace tovr;
using namespace tovr::test;
using namespace Qt::Literals::StringLiterals;

namespace {

ProductConfig plainMarker() {
    ProductConfig product = ProductConfig::javaDiagnosis();
    product.shellConfigMarker = u"Tovrin"_s;
    product.datedShellMarker = false;
    return product;
}

// What a fresh shell reports about itself, one "NAME=value" line each.
const QString kReport = uR"(print -r -- "PATH=$PATH"
print -r -- "JAVA_HOME=${(t)JAVA_HOME}"
print -r -- "AUTO=${CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE-}"
print -r -- "SHIMS=${TOVR_MISE_SHIMS-}"
print -r -- "ACTIVE=${TOVR_MISE_ACTIVE-}"
print -r -- "SECRET=${TOVR_SECRET-}")"_s;

struct ShellReport {
    QStringList path;
    QMap<QString, QString> values;
};

ShellReport parse(const QString& output) {
    ShellReport report;
    for (const QString& line : output.split(u'\n')) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        report.values.insert(line.left(eq), line.mid(eq + 1));
    }
    report.path = report.values.value(u"PATH"_s).split(u':');
    return report;
}

// Run with the start-up files in the home folder, and moved by a ZDOTDIR that ~/.zshenv sets
// (without exporting it: zsh follows it all the same), as the login shell reports it.
class ShellStartupLiveTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (!QFile::exists(u"/bin/zsh"_s))
            GTEST_SKIP() << "zsh is not installed";
        // Prints what mise's activation would, so the shell shows which line ran.
        bin_.write(u"mise"_s, uR"(case "$*" in
  "activate zsh --shims") echo 'export TOVR_MISE_SHIMS=1' ;;
  "activate zsh") echo 'export TOVR_MISE_ACTIVE=1' ;;
esac)"_s);
        if (GetParam()) {
            home_.put(u".zshenv"_s, "echo 'hello from .zshenv'\nZDOTDIR=$HOME/'dot files'\n");
            QDir(home_.path()).mkdir(u"dot files"_s);
            dot_ = u"dot files/"_s;
        }
        locations_ = home_.loginShell();
        EXPECT_EQ(locations_.startupFile(home_.path(), u".zprofile"_s),
                  (GetParam() ? home_.file(u"dot files"_s) : home_.path()) + u"/.zprofile"_s);
        home_.put(dot_ + u".zprofile"_s, "export TOVR_USER=1\n");
        home_.put(dot_ + u".zshrc"_s, "alias ll='ls -l'");
    }

    // A fresh login shell, or an interactive login shell, with /usr/bin on PATH twice.
    ShellReport shell(bool interactive) const {
        const ProcessResult result = home_.zsh(kReport, interactive, bin_.dir() + u":/usr/bin"_s);
        EXPECT_EQ(result.exitCode, 0) << result.stderr_.toStdString();
        return parse(result.stdout_);
    }

    // The managed files and their backups, to compare runs.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const QString& name : {dot_ + u".zprofile"_s, dot_ + u".zshrc"_s, u".env"_s})
            for (const QString& suffix : {QString(), u".bak"_s})
                files[(name + suffix).toStdString()] = home_.read(name + suffix).toStdString();
        return files;
    }

    // Every sentence names the start-up files where they are.
    void expectNamedWhereTheyAre(const QStringList& sentences) const {
        for (const QString& s : sentences) {
            if (GetParam()) {
                EXPECT_FALSE(s.contains(u"~/.zprofile"_s) || s.contains(u"~/.zshrc"_s))
                    << s.toStdString();
            }
        }
    }

    LiveHome home_;
    QString dot_; // the start-up files' folder in the home folder, with its slash
    ToolLocations locations_;
    FakeExecutables bin_;
    ScopedProductConfig product_{plainMarker()};
};

} // namespace

TEST_P(ShellStartupLiveTest, EachFixShowsInAFreshShellAndRunsOnlyOnce) {
    const auto fs = home_.fs();
    const ShellConfigurator configurator{fs, {}, locations_};
    const InstallFollowUps followUps{fs, {}, locations_};
    const PathRepairer repairer{fs, {}, locations_};
    const QString oddDir = home_.path() + u"/my $tools \"x\" `id`\\bin"_s;

    struct Fix {
        const char* name;
        std::function<QStringList()> run;
        bool interactive;
        std::function<void(const ShellReport&)> check;
    };
    const QList<Fix> fixes{
        {"configure",
         [&] {
             const WriterReport outcome = configurator.configure();
             EXPECT_TRUE(outcome.ok);
             // A key in the new ~/.env, which an interactive shell loads.
             const QByteArray env = home_.read(u".env"_s);
             if (!env.contains("TOVR_SECRET"))
                 home_.put(u".env"_s, env + "export TOVR_SECRET='from env'\n");
             return outcome.lines;
         },
         true,
         [](const ShellReport& r) {
             EXPECT_EQ(r.path.count(u"/usr/bin"_s), 1) << r.path.join(u':').toStdString();
             EXPECT_EQ(r.values.value(u"SECRET"_s), u"from env"_s);
         }},
        {"uv PATH", [&] { return configurator.configureUvPath(); }, false,
         [&](const ShellReport& r) { EXPECT_TRUE(r.path.contains(home_.file(u".local/bin"_s))); }},
        {"cargo PATH", [&] { return configurator.configureCargoPath(); }, false,
         [&](const ShellReport& r) { EXPECT_TRUE(r.path.contains(home_.file(u".cargo/bin"_s))); }},
        {"mise, login", [&] { return followUps.configureMise(); }, false,
         [](const ShellReport& r) {
             EXPECT_EQ(r.values.value(u"SHIMS"_s), u"1"_s);
             EXPECT_EQ(r.values.value(u"ACTIVE"_s), QString()); // ~/.zshrc is not read
         }},
        {"mise, interactive", [] { return QStringList(); }, true,
         [](const ShellReport& r) { EXPECT_EQ(r.values.value(u"ACTIVE"_s), u"1"_s); }},
        {"repair PATH", [&] { return repairer.repairPath(oddDir).lines; }, false,
         [&](const ShellReport& r) {
             EXPECT_TRUE(r.path.contains(oddDir)) << r.path.join(u'|').toStdString();
         }},
        {"JAVA_HOME", [&] { return QStringList{followUps.setJavaHome()}; }, false,
         [](const ShellReport& r) {
             EXPECT_EQ(r.values.value(u"JAVA_HOME"_s), u"scalar-export"_s);
         }},
        {"Claude auto-update", [&] { return QStringList{followUps.enableClaudeAutoUpdate()}; },
         false, [](const ShellReport& r) { EXPECT_EQ(r.values.value(u"AUTO"_s), u"1"_s); }},
    };

    for (const Fix& fix : fixes) {
        SCOPED_TRACE(fix.name);
        const QString zprofile = dot_ + u".zprofile"_s, zshrc = dot_ + u".zshrc"_s;
        const QByteArray zprofileBefore = home_.read(zprofile);
        const QByteArray zshrcBefore = home_.read(zshrc);
        const QStringList sentences = fix.run();
        for (const QString& s : sentences)
            EXPECT_FALSE(s.startsWith(u"Couldn't"_s)) << s.toStdString();
        expectNamedWhereTheyAre(sentences);
        // Whatever a fix changed, the backup beside it holds the text it replaced.
        if (home_.read(zprofile) != zprofileBefore) {
            EXPECT_EQ(home_.read(zprofile + u".bak"_s), zprofileBefore);
        }
        if (home_.read(zshrc) != zshrcBefore) {
            EXPECT_EQ(home_.read(zshrc + u".bak"_s), zshrcBefore);
        }
        fix.check(shell(fix.interactive));
    }
    EXPECT_TRUE(home_.read(dot_ + u".zprofile"_s).startsWith("export TOVR_USER=1\n"));
    EXPECT_TRUE(configurator.isConfigured());

    const auto before = snapshot();
    for (const Fix& fix : fixes) {
        SCOPED_TRACE(fix.name);
        for (const QString& s : fix.run())
            EXPECT_TRUE(s.contains(u"already"_s) || s.startsWith(u"Shell configuration complete"_s))
                << s.toStdString();
    }
    EXPECT_EQ(snapshot(), before);
}

// A commented-out setting, or a PATH entry that only begins with the directory, does not
// reach a new shell: each writer must add its line rather than report it as set.
TEST_P(ShellStartupLiveTest, CommentedSettingsAndLongerEntriesDoNotCountAsSet) {
    home_.put(dot_ + u".zprofile"_s,
              "# export PATH=\"$HOME/.local/bin:$PATH\"\n"
              "# export PATH=\"$HOME/.cargo/bin:$PATH\"\n"
              "#command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh "
              "--shims)\"\n"
              "  # export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n"
              "export PATH=\"/opt/x/bin2:$PATH\"\n");
    home_.put(dot_ + u".zshrc"_s,
              "# command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh)\"\n");
    const auto fs = home_.fs();
    const ShellConfigurator configurator{fs, {}, locations_};
    const InstallFollowUps followUps{fs, {}, locations_};

    QStringList sentences = configurator.configureUvPath() + configurator.configureCargoPath() +
                            configurator.configureMise();
    sentences << followUps.enableClaudeAutoUpdate();
    sentences << PathRepairer{fs, {}, locations_}.repairPath(u"/opt/x/bin"_s).lines;
    for (const QString& s : sentences)
        EXPECT_FALSE(s.contains(u"already"_s) || s.startsWith(u"Couldn't"_s)) << s.toStdString();
    expectNamedWhereTheyAre(sentences);

    const ShellReport login = shell(false);
    EXPECT_TRUE(login.path.contains(home_.file(u".local/bin"_s)));
    EXPECT_TRUE(login.path.contains(home_.file(u".cargo/bin"_s)));
    EXPECT_TRUE(login.path.contains(u"/opt/x/bin"_s)) << login.path.join(u':').toStdString();
    EXPECT_EQ(login.values.value(u"SHIMS"_s), u"1"_s);
    EXPECT_EQ(login.values.value(u"AUTO"_s), u"1"_s);
    EXPECT_EQ(shell(true).values.value(u"ACTIVE"_s), u"1"_s);
}

INSTANTIATE_TEST_SUITE_P(StartupFolder, ShellStartupLiveTest, ::testing::Bool());

// Codex's and Claude Code's folders moved by ~/.zshenv and ~/.zprofile: the server, the
// skill and the note go where the tools, started from the same login shell, look for them.
TEST(ToolFoldersLiveTest, WritersAndProbesFollowTheFoldersTheLoginShellExports) {
    if (!QFile::exists(u"/bin/zsh"_s))
        GTEST_SKIP() << "zsh is not installed";
    LiveHome home;
    home.put(u".zshenv"_s, "export CODEX_HOME=\"$HOME/codex home\"\n");
    home.put(u".zprofile"_s, "export CLAUDE_CONFIG_DIR=$HOME/claude\n");
    for (const QString& folder : {u"codex home"_s, u"claude"_s, u"skill"_s})
        QDir(home.path()).mkdir(folder);
    home.put(u"skill/SKILL.md"_s, "---\nname: probe\n---\n");
    const ToolLocations locations = home.loginShell();
    const auto fs = home.fs();

    const MCPConfigWriter writer{fs, locations};
    EXPECT_TRUE(writer.addToCodex(u"exa"_s, u"https://mcp.exa.ai/mcp"_s).succeeded);
    EXPECT_TRUE(home.read(u"codex home/config.toml"_s).contains("[mcp_servers.exa]"));
    home.put(u"claude/.claude.json"_s, R"({"mcpServers": {}})");
    EXPECT_FALSE(writer.isConfigured(u"exa"_s));
    home.put(u"claude/.claude.json"_s, R"({"mcpServers": {"exa": {"type": "http"}}})");
    EXPECT_TRUE(writer.isConfigured(u"exa"_s));
    if (QFile::exists(u"/usr/bin/codex"_s)) { // Codex itself, run as the engine runs it
        EXPECT_EQ(home.zsh(u"codex mcp get exa --json"_s, false).exitCode, 0);
    }

    SkillFolderInstaller installer{fs};
    installer.locations = locations;
    EXPECT_TRUE(installer.install(home.file(u"skill"_s), u"probe"_s).ok);
    EXPECT_TRUE(installer.isInstalled(u"probe"_s));
    for (const QString& folder : {u"claude"_s, u"codex home"_s})
        EXPECT_EQ(home.read(folder + u"/skills/probe/SKILL.md"_s), "---\nname: probe\n---\n");

    const AgentEnvDoc doc{fs, locations};
    EXPECT_EQ(doc.document().lines,
              (QStringList{u"Documented your setup for Claude (~/claude/CLAUDE.md)."_s,
                           u"Documented your setup for Codex (~/codex home/AGENTS.md)."_s}));
    EXPECT_FALSE(doc.isNeeded());
    EXPECT_FALSE(QDir(home.file(u".claude"_s)).exists() || QDir(home.file(u".codex"_s)).exists());
}
