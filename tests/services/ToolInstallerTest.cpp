#include "services/ToolInstaller.h"
#include "LiveHome.h"
#include "ServiceTestSupport.h"
#include "support/FakeExecutables.h"

#include <gtest/gtest.h>

#include <signal.h>

using namespace tovr;
using namespace tovr::test;
using namespace Qt::Literals::StringLiterals;

namespace {

// Installs through real zsh, sh and curl stand-ins in a temporary home.
class ToolInstallerTest : public ::testing::Test {
protected:
    void SetUp() override { home_.usePath(bin_.dir()); }

    ToolInstaller installer() const {
        ToolInstaller tools{std::make_shared<LiveProcessRunner>(), home_.fs()};
        tools.scripts = {QUrl(u"https://scripts.test/uv/install.sh"_s),
                         QUrl(u"https://scripts.test/rustup"_s)};
        return tools;
    }
    // A curl that records its arguments and prints `script`, as a download would.
    void curlServes(const QString& script) {
        bin_.write(u"curl"_s, u"printf '%s\\n' \"$@\" > \"$HOME/curl.args\"\ncat <<'SCRIPT'\n"_s +
                                  script + u"\nSCRIPT"_s);
    }
    // A tool that prints its arguments and ends with `code`.
    static QString printsArgs(const QString& name, int code = 0) {
        return u"echo \""_s + name + u" $*\"\nexit "_s + QString::number(code);
    }

    LiveHome home_;
    FakeExecutables bin_;
};

} // namespace

TEST(ToolInstallerCommands, ScriptAddressIsQuotedAndFailedDownloadsFailThePipeline) {
    const auto official = ToolInstaller::Scripts::official();
    EXPECT_EQ(ToolInstaller::uvScriptCommand(official.uv),
              u"set -o pipefail; curl -LsSf 'https://astral.sh/uv/install.sh' | sh -s -- "
              "--no-modify-path"_s);
    EXPECT_EQ(ToolInstaller::rustupScriptCommand(official.rustup),
              u"set -o pipefail; curl --proto '=https' --tlsv1.2 -sSf 'https://sh.rustup.rs' | sh "
              "-s -- -y --no-modify-path"_s);
    EXPECT_EQ(ToolInstaller::miseCommand(ToolInstaller::MiseLanguage::ruby()),
              u"mise settings ruby.compile=false && mise use -g ruby@latest"_s);
    EXPECT_EQ(ToolInstaller::miseCommand(ToolInstaller::MiseLanguage::node()),
              u"mise use -g node@lts"_s);
}

TEST_F(ToolInstallerTest, UvScriptThenItsPathLineThenPython) {
    // The script installs uv into ~/.local/bin; only the PATH line lets the next shell find it.
    curlServes(u"mkdir -p \"$HOME/.local/bin\"\n"
               "printf '#!/bin/sh\\necho \"uv $*\"\\n' > \"$HOME/.local/bin/uv\"\n"
               "chmod +x \"$HOME/.local/bin/uv\"\necho 'installed uv'"_s);

    const auto events = collect(installer(), &ToolInstaller::installUv);

    EXPECT_EQ(outputsOf(events),
              QStringList({u"Installing uv (Astral's installer)\u2026"_s, u"installed uv"_s,
                           u"Configured uv on PATH (~/.zprofile)."_s,
                           u"Installing the latest Python with uv\u2026"_s,
                           u"uv python install --default"_s}));
    EXPECT_EQ(events.back(), StreamEvent::completed(0));
    EXPECT_EQ(home_.read(u"curl.args"_s), "-LsSf\nhttps://scripts.test/uv/install.sh\n");
}

TEST_F(ToolInstallerTest, FailedDownloadIsAFailureAndChangesNothing) {
    bin_.write(u"curl"_s,
               u"echo 'curl: (22) The requested URL returned error: 404' >&2\nexit 22"_s);
    bin_.write(u"uv"_s, printsArgs(u"uv"_s));

    const auto events = collect(installer(), &ToolInstaller::installUv);

    EXPECT_EQ(events.back(), StreamEvent::completed(22));
    EXPECT_FALSE(outputsOf(events).contains(u"Installing the latest Python with uv\u2026"_s));
    EXPECT_EQ(home_.read(u".zprofile"_s), "<missing>");
}

TEST_F(ToolInstallerTest, FailedPythonInstallIsTheFixsCode) {
    curlServes(u"echo 'installed uv'"_s);
    bin_.write(u"uv"_s, printsArgs(u"uv"_s, 1));

    const auto events = collect(installer(), &ToolInstaller::installUv);

    EXPECT_TRUE(outputsOf(events).contains(u"Configured uv on PATH (~/.zprofile)."_s));
    EXPECT_EQ(events.back(), StreamEvent::completed(1));
}

TEST_F(ToolInstallerTest, UnreachableRustupHostIsAFailure) {
    // The real curl against a closed loopback port: no script, so no PATH line either.
    ToolInstaller tools = installer();
    tools.scripts.rustup = QUrl(u"https://127.0.0.1:1/rustup-init.sh"_s);

    const auto events = collect(tools, &ToolInstaller::installRustup);

    const auto* completed = events.back().as<StreamEvent::Completed>();
    ASSERT_NE(completed, nullptr);
    EXPECT_NE(completed->exitCode, 0);
    EXPECT_EQ(home_.read(u".zprofile"_s), "<missing>");
}

TEST_F(ToolInstallerTest, RustupAddsCargoToPathAfterTheScript) {
    curlServes(u"echo \"rustup-init $*\""_s);

    const auto events = collect(installer(), &ToolInstaller::installRustup);

    EXPECT_EQ(outputsOf(events),
              QStringList({u"Installing rustup and the stable Rust toolchain\u2026"_s,
                           u"rustup-init -y --no-modify-path"_s,
                           u"Configured Rust (cargo) on PATH (~/.zprofile)."_s}));
    EXPECT_EQ(events.back(), StreamEvent::completed(0));
    EXPECT_TRUE(
        home_.zsh(u"print -r -- $PATH"_s, false).stdout_.contains(home_.file(u".cargo/bin"_s)));
}

TEST_F(ToolInstallerTest, ScriptAddressCannotRunCommands) {
    curlServes(u"true"_s);
    ToolInstaller tools = installer();
    tools.scripts.uv = QUrl(u"https://scripts.test/x'$(touch${IFS}$HOME/pwned)'"_s);
    bin_.write(u"uv"_s, printsArgs(u"uv"_s));

    collect(tools, &ToolInstaller::installUv);

    EXPECT_EQ(home_.read(u"pwned"_s), "<missing>");
    EXPECT_TRUE(home_.read(u"curl.args"_s).contains("$(touch"));
}

TEST_F(ToolInstallerTest, RubySettingsFailureSkipsMiseUse) {
    bin_.write(u"mise"_s,
               u"echo \"$*\" >> \"$HOME/mise.log\"\ncase \"$1\" in settings) exit 3 ;; esac"_s);

    const auto ruby =
        collect(installer(), &ToolInstaller::installWithMise, ToolInstaller::MiseLanguage::ruby());
    EXPECT_EQ(ruby.front(), StreamEvent::output(u"Running mise use -g ruby@latest\u2026"_s));
    EXPECT_EQ(ruby.back(), StreamEvent::completed(3));
    EXPECT_EQ(home_.read(u"mise.log"_s), "settings ruby.compile=false\n");

    const auto node =
        collect(installer(), &ToolInstaller::installWithMise, ToolInstaller::MiseLanguage::node());
    EXPECT_EQ(node.back(), StreamEvent::completed(0));
    EXPECT_EQ(home_.read(u"mise.log"_s), "settings ruby.compile=false\nuse -g node@lts\n");
}

TEST_F(ToolInstallerTest, MissingMiseIsTheShellsOwnFailure) {
    const auto events =
        collect(installer(), &ToolInstaller::installWithMise, ToolInstaller::MiseLanguage::rust());
    EXPECT_EQ(events.back(), StreamEvent::completed(127));
    EXPECT_TRUE(outputsOf(events).join(u'\n').contains(u"mise"_s));
}

TEST_F(ToolInstallerTest, CancelingTheLatchStopsTheRunningCommand) {
    bin_.write(u"mise"_s, u"echo $$ > \"$HOME/mise.pid\"\necho started\nexec sleep 30"_s);
    CancellableProcess latch;
    QList<StreamEvent> events;
    installer().installWithMise(
        ToolInstaller::MiseLanguage::node(),
        [&](const StreamEvent& event) {
            events << event;
            if (event == StreamEvent::output(u"started"_s))
                latch.cancel(); // the sheet's Cancel
        },
        latch);
    const pid_t pid = home_.read(u"mise.pid"_s).trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_NE(::kill(pid, 0), 0) << "the command outlived its cancel";
    EXPECT_TRUE(events.back().as<StreamEvent::Completed>());
}
