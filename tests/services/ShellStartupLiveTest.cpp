// The start-up writers against a real zsh: after each fix a fresh shell, started the way
// a terminal starts one, must see what the fix promises.

#include "LiveHome.h"
#include "model/ProductConfig.h"
#include "platform/LoginEnvironmentRunner.h"
#include "platform/LoginShellRead.h"
#include "platform/SystemProfiler.h"
#include "platform/ToolLocations.h"
#include "services/AgentEnvDoc.h"
#include "services/InstallFollowUps.h"
#include "services/MCPConfigWriter.h"
#include "services/PathRepairer.h"
#include "services/ShellConfigurator.h"
#include "services/SkillFolderInstaller.h"
#include "support/FakeExecutables.h"
#include "support/FakeSystemEnvironment.h"
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

// Where the user's start-up files are: in the home folder; moved by a ZDOTDIR that
// ~/.zshenv sets (without exporting it: zsh follows it all the same); moved by one exported
// in ~/.zprofile, which zsh has read by then, so that only ~/.zshrc moves; or in the home
// folder of a user whose login shell is bash. Each as the login shell reports it.
enum class Startup { home, zdotdirInZshenv, zdotdirInZprofile, bashLogin };

class ShellStartupLiveTest : public ::testing::TestWithParam<Startup> {
protected:
    void SetUp() override {
        if (!QFile::exists(u"/bin/zsh"_s) || !QFile::exists(u"/bin/bash"_s))
            GTEST_SKIP() << "zsh or bash is not installed";
        // Prints what mise's activation would, so the shell shows which line ran.
        bin_.write(u"mise"_s, uR"(case "$*" in
  "activate zsh --shims") echo 'export TOVR_MISE_SHIMS=1' ;;
  "activate zsh") echo 'export TOVR_MISE_ACTIVE=1' ;;
esac)"_s);
        const QString dot = u"dot files/"_s;
        QDir(home_.path()).mkdir(u"dot files"_s);
        switch (GetParam()) {
        case Startup::home:
            break;
        case Startup::zdotdirInZshenv:
            home_.put(u".zshenv"_s, "echo 'hello from .zshenv'\nZDOTDIR=$HOME/'dot files'\n");
            zprofile_ = dot + zprofile_;
            zshrc_ = dot + zshrc_;
            break;
        case Startup::zdotdirInZprofile:
            userZprofile_ = "export ZDOTDIR=$HOME/'dot files'\n" + userZprofile_;
            home_.put(zprofile_, userZprofile_);
            zshrc_ = dot + zshrc_;
            break;
        case Startup::bashLogin:
            home_.put(u".bash_profile"_s, "export TOVR_BASH=1\n");
            shell_ = u"/bin/bash"_s;
            break;
        }
        locations_ = home_.loginShell(shell_);
        EXPECT_EQ(locations_.startupFile(home_.path(), u".zprofile"_s), home_.file(zprofile_));
        EXPECT_EQ(locations_.startupFile(home_.path(), u".zshrc"_s), home_.file(zshrc_));
        home_.put(zprofile_, userZprofile_);
        home_.put(zshrc_, "alias ll='ls -l'");
    }

    bool isBash() const { return GetParam() == Startup::bashLogin; }

    // A fresh login shell, or an interactive login shell, with /usr/bin on PATH twice.
    ShellReport shell(bool interactive) const {
        const ProcessResult result = home_.zsh(kReport, interactive, bin_.dir() + u":/usr/bin"_s);
        EXPECT_EQ(result.exitCode, 0) << result.stderr_.toStdString();
        return parse(result.stdout_);
    }

    // The managed files and their backups, to compare runs.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const QString& name : {zprofile_, zshrc_, u".env"_s})
            for (const QString& suffix : {QString(), u".bak"_s})
                files[(name + suffix).toStdString()] = home_.read(name + suffix).toStdString();
        return files;
    }

    // Every sentence names the start-up files where they are, and a login shell that reads
    // none of them is named with what the user must do, never told to open a new terminal.
    void expectNamedWhereTheyAre(const QStringList& sentences) const {
        for (const QString& s : sentences) {
            if (zprofile_ != u".zprofile"_s) {
                EXPECT_FALSE(s.contains(u"~/.zprofile"_s)) << s.toStdString();
            }
            if (zshrc_ != u".zshrc"_s) {
                EXPECT_FALSE(s.contains(u"~/.zshrc"_s)) << s.toStdString();
            }
            if (isBash()) {
                EXPECT_FALSE(s.startsWith(u"Shell configuration complete"_s)) << s.toStdString();
            }
        }
    }

    LiveHome home_;
    // The start-up files zsh reads, in the home folder.
    QString zprofile_ = u".zprofile"_s, zshrc_ = u".zshrc"_s;
    QByteArray userZprofile_ = "export TOVR_USER=1\n";
    QString shell_ = u"/bin/zsh"_s;
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
             EXPECT_EQ(outcome.lines.last().startsWith(u"Your login shell is bash,"_s), isBash());
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
        const QString &zprofile = zprofile_, &zshrc = zshrc_;
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
    EXPECT_TRUE(home_.read(zprofile_).startsWith(userZprofile_));
    EXPECT_TRUE(configurator.isConfigured());

    const auto before = snapshot();
    for (const Fix& fix : fixes) {
        SCOPED_TRACE(fix.name);
        for (const QString& s : fix.run())
            EXPECT_TRUE(s.contains(u"already"_s) ||
                        s.startsWith(u"Shell configuration complete"_s) ||
                        s.startsWith(u"Your login shell is bash,"_s))
                << s.toStdString();
    }
    EXPECT_EQ(snapshot(), before);
}

// A commented-out setting, or a PATH entry that only begins with the directory, does not
// reach a new shell: each writer must add its line rather than report it as set.
TEST_P(ShellStartupLiveTest, CommentedSettingsAndLongerEntriesDoNotCountAsSet) {
    home_.put(zprofile_, userZprofile_ +
                             "# export PATH=\"$HOME/.local/bin:$PATH\"\n"
                             "# export PATH=\"$HOME/.cargo/bin:$PATH\"\n"
                             "#command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh "
                             "--shims)\"\n"
                             "  # export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n"
                             "export PATH=\"/opt/x/bin2:$PATH\"\n");
    home_.put(zshrc_, "# command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh)\"\n");
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

static std::string startupName(const ::testing::TestParamInfo<Startup>& info) {
    static const char* const names[] = {"home", "zdotdirInZshenv", "zdotdirInZprofile",
                                        "bashLogin"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(StartupFolder, ShellStartupLiveTest,
                         ::testing::Values(Startup::home, Startup::zdotdirInZshenv,
                                           Startup::zdotdirInZprofile, Startup::bashLogin),
                         startupName);

// Codex's and Claude Code's folders moved by ~/.zshrc, where most guides put them, and the
// tools put on PATH by ~/.zprofile, for an application that has launchd's PATH: the server,
// the skill and the note go where the tools look, the profiler finds the tools, and the
// tools the engine runs see what the writers wrote.
TEST(ToolFoldersLiveTest, WritersAndProbesFollowTheFoldersTheLoginShellExports) {
    if (!QFile::exists(u"/bin/zsh"_s))
        GTEST_SKIP() << "zsh is not installed";
    LiveHome home;
    FakeExecutables tools;
    for (const QString& tool : {u"aider"_s, u"mise"_s, u"claude"_s, u"codex"_s})
        tools.write(tool, u"exit 0"_s);
    qputenv("PATH", "/usr/bin:/bin:/usr/sbin:/sbin");
    home.put(u".zprofile"_s, "export PATH=" + QFile::encodeName(tools.dir()) + ":$PATH\n");
    home.put(u".zshrc"_s,
             "export CODEX_HOME=\"$HOME/codex home\" CLAUDE_CONFIG_DIR=$HOME/claude\n");
    for (const QString& folder : {u"codex home"_s, u"claude"_s, u"skill"_s})
        QDir(home.path()).mkdir(folder);
    home.put(u"skill/SKILL.md"_s, "---\nname: probe\n---\n");
    // The services as the application builds them.
    const auto source = LoginShellRead::source(
        LoginShellRead::runner(),
        FakeSystemEnvironment({{u"SHELL"_s, u"/bin/zsh"_s}}, OperatingSystemVersion{14, 5, 0}));
    const auto engine =
        std::make_shared<LoginEnvironmentRunner>(std::make_shared<LiveProcessRunner>(), source);
    const ToolLocations locations = source->get();
    const auto fs = home.fs();

    const SystemProfile profile = SystemProfiler{ShellRunner{engine, source}, fs}.profile();
    EXPECT_TRUE(profile.aiTooling.aider);
    EXPECT_TRUE(profile.aiTooling.claudeCodeCLI && profile.aiTooling.codexCLI);
    EXPECT_EQ(profile.miseExecutable, tools.path(u"mise"_s));

    const MCPConfigWriter writer{fs, locations};
    EXPECT_TRUE(writer.addToCodex(u"exa"_s, u"https://mcp.exa.ai/mcp"_s).succeeded);
    EXPECT_TRUE(home.read(u"codex home/config.toml"_s).contains("[mcp_servers.exa]"));
    home.put(u"claude/.claude.json"_s, R"({"mcpServers": {}})");
    EXPECT_FALSE(writer.isConfigured(u"exa"_s));
    home.put(u"claude/.claude.json"_s,
             R"({"mcpServers": {"exa": {"type": "http", "url": "https://mcp.exa.ai/mcp"}}})");
    EXPECT_TRUE(writer.isConfigured(u"exa"_s));
    // The real tools, run as the engine runs them, find what was written.
    const ShellRunner shell{engine, source};
    for (const QString& cli :
         {u"/usr/bin/codex mcp get exa --json"_s, u"/usr/bin/claude mcp get exa"_s})
        if (QFile::exists(cli.section(u' ', 0, 0))) {
            EXPECT_EQ(shell.runInLoginShell(cli).exitCode, 0) << cli.toStdString();
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
