// The start-up writers against a real zsh: after each fix a fresh shell, started the way
// a terminal starts one, must see what the fix promises.

#include "LiveHome.h"
#include "model/ProductConfig.h"
#include "services/InstallFollowUps.h"
#include "services/PathRepairer.h"
#include "services/ShellConfigurator.h"
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

class ShellStartupLiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Prints what mise's activation would, so the shell shows which line ran.
        bin_.write(u"mise"_s, uR"(case "$*" in
  "activate zsh --shims") echo 'export TOVR_MISE_SHIMS=1' ;;
  "activate zsh") echo 'export TOVR_MISE_ACTIVE=1' ;;
esac)"_s);
        home_.put(u".zprofile"_s, "export TOVR_USER=1\n");
        home_.put(u".zshrc"_s, "alias ll='ls -l'");
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
        for (const QString& name : {u".zprofile"_s, u".zshrc"_s, u".env"_s})
            for (const QString& suffix : {QString(), u".bak"_s})
                files[(name + suffix).toStdString()] = home_.read(name + suffix).toStdString();
        return files;
    }

    LiveHome home_;
    FakeExecutables bin_;
    ScopedProductConfig product_{plainMarker()};
};

} // namespace

TEST_F(ShellStartupLiveTest, EachFixShowsInAFreshShellAndRunsOnlyOnce) {
    const auto fs = home_.fs();
    const ShellConfigurator configurator{fs};
    const InstallFollowUps followUps{fs};
    const PathRepairer repairer{fs};
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
        const QByteArray zprofileBefore = home_.read(u".zprofile"_s);
        const QByteArray zshrcBefore = home_.read(u".zshrc"_s);
        const QStringList sentences = fix.run();
        for (const QString& s : sentences)
            EXPECT_FALSE(s.startsWith(u"Couldn't"_s)) << s.toStdString();
        // Whatever a fix changed, the backup beside it holds the text it replaced.
        if (home_.read(u".zprofile"_s) != zprofileBefore) {
            EXPECT_EQ(home_.read(u".zprofile.bak"_s), zprofileBefore);
        }
        if (home_.read(u".zshrc"_s) != zshrcBefore) {
            EXPECT_EQ(home_.read(u".zshrc.bak"_s), zshrcBefore);
        }
        fix.check(shell(fix.interactive));
    }
    EXPECT_TRUE(home_.read(u".zprofile"_s).startsWith("export TOVR_USER=1\n"));

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
TEST_F(ShellStartupLiveTest, CommentedSettingsAndLongerEntriesDoNotCountAsSet) {
    home_.put(u".zprofile"_s, "# export PATH=\"$HOME/.local/bin:$PATH\"\n"
                              "# export PATH=\"$HOME/.cargo/bin:$PATH\"\n"
                              "#command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh "
                              "--shims)\"\n"
                              "  # export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n"
                              "export PATH=\"/opt/x/bin2:$PATH\"\n");
    home_.put(u".zshrc"_s, "# command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh)\"\n");
    const auto fs = home_.fs();
    const ShellConfigurator configurator{fs};
    const InstallFollowUps followUps{fs};

    QStringList sentences = configurator.configureUvPath() + configurator.configureCargoPath() +
                            configurator.configureMise();
    sentences << followUps.enableClaudeAutoUpdate();
    sentences << PathRepairer{fs}.repairPath(u"/opt/x/bin"_s).lines;
    for (const QString& s : sentences)
        EXPECT_FALSE(s.contains(u"already"_s) || s.startsWith(u"Couldn't"_s)) << s.toStdString();

    const ShellReport login = shell(false);
    EXPECT_TRUE(login.path.contains(home_.file(u".local/bin"_s)));
    EXPECT_TRUE(login.path.contains(home_.file(u".cargo/bin"_s)));
    EXPECT_TRUE(login.path.contains(u"/opt/x/bin"_s)) << login.path.join(u':').toStdString();
    EXPECT_EQ(login.values.value(u"SHIMS"_s), u"1"_s);
    EXPECT_EQ(login.values.value(u"AUTO"_s), u"1"_s);
    EXPECT_EQ(shell(true).values.value(u"ACTIVE"_s), u"1"_s);
}
