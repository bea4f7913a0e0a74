#include "services/PrivilegedExecutor.h"

#include "ServiceTestSupport.h"
#include "support/CreationModes.h"
#include "support/FakeSystemEnvironment.h"
#include "support/ScopedProductConfig.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

ProductConfig productNamed(const QString& name) {
    ProductConfig config = ProductConfig::current();
    config.displayName = name;
    return config;
}

std::shared_ptr<FakeSystemEnvironment> environmentWith(QMap<QString, QString> variables) {
    return std::make_shared<FakeSystemEnvironment>(std::move(variables),
                                                   OperatingSystemVersion{14, 5, 0});
}

class PrivilegedExecutorTest : public ::testing::Test {
protected:
    std::shared_ptr<SandboxFileSystem> sandbox = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<RecordingFileSystem> fs = std::make_shared<RecordingFileSystem>(sandbox);
    PrivilegedExecutor executor{fs, environmentWith({{"PATH", "/usr/bin:/bin"}})};
};

} // namespace

TEST_F(PrivilegedExecutorTest, WritesBothScriptsByteForByteInAPrivateFolder) {
    ScopedProductConfig product(productNamed("Tovrin"));
    CreationModes modes(*sandbox);
    const auto prepared = executor.prepare("Enter Mac password to install Homebrew.");

    const QString askpass = prepared.environment.value("SUDO_ASKPASS");
    const QString folder = askpass.left(askpass.lastIndexOf('/'));
    EXPECT_TRUE(QRegularExpression("^/tmp/qlm-priv-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-"
                                   "[0-9A-F]{12}$")
                    .match(folder)
                    .hasMatch())
        << folder.toStdString();
    EXPECT_EQ(prepared.environment.keys(), QStringList({"PATH", "SUDO_ASKPASS"}));
    EXPECT_EQ(prepared.environment.value("PATH"), folder + ":/usr/bin:/bin");
    EXPECT_EQ(askpass, folder + "/askpass.sh");

    EXPECT_EQ(sandbox->contents(askpass),
              QByteArray("#!/bin/bash\n"
                         "osascript <<'EOF'\n"
                         "activate\n"
                         "display dialog \"Enter Mac password to install Homebrew.\" default "
                         "answer \"\" with hidden answer with title \"Tovrin\" with icon caution "
                         "buttons {\"Cancel\", \"OK\"} default button \"OK\"\n"
                         "return text returned of result\n"
                         "EOF"));
    const QByteArray wrapper = sandbox->contents(folder + "/sudo");
    EXPECT_EQ(wrapper, QByteArray("#!/bin/bash\nexec /usr/bin/sudo -A \"$@\""));
    EXPECT_EQ(wrapper.size(), 38);

    // In the shared temporary folder, from the moment each exists: a folder others could
    // write into for an instant could get their own `sudo` planted in it.
    for (const QString& path : {folder, askpass, folder + "/sudo"}) {
        EXPECT_EQ(modes.of(path), QList<int>{0700}) << path.toStdString();
        EXPECT_EQ(sandbox->attributesOfItem(path).posixPermissions, 0700) << path.toStdString();
    }

    prepared.cleanup();
    EXPECT_FALSE(sandbox->fileExists(folder));
    prepared.cleanup(); // already gone: nothing to report
    EXPECT_EQ(fs->removals("qlm-priv-"), 2);
}

TEST_F(PrivilegedExecutorTest, PromptAndTitleReachTheDialogAsWritten) {
    // The here-document is quoted, so bash leaves `$`, backticks and backslashes alone and
    // only the AppleScript escaping applies.
    ScopedProductConfig product(productNamed(R"(Tovrin "Beta" \ $HOME)"));
    const QString script = PrivilegedExecutor::askpassScript(
        R"(Say "hi" to C:\ and \" then $(id) `whoami`)", ProductConfig::current().displayName);
    EXPECT_TRUE(
        script.contains(R"(display dialog "Say \"hi\" to C:\\ and \\\" then $(id) `whoami`")"))
        << script.toStdString();
    EXPECT_TRUE(script.contains(R"(with title "Tovrin \"Beta\" \\ $HOME")"));

    // A line break cannot end the here-document early and run the rest as shell commands.
    const QString broken = PrivilegedExecutor::askpassScript("a\nEOF\nrm -rf ~", "T");
    EXPECT_EQ(broken.count('\n'), 5);
    EXPECT_TRUE(broken.contains(R"(display dialog "a\nEOF\nrm -rf ~")"));
}

TEST_F(PrivilegedExecutorTest, InheritedPathFallsBackToTheSystemFolders) {
    PrivilegedExecutor bare{fs, environmentWith({})};
    const auto prepared = bare.prepare("p");
    const QString folder = prepared.environment.value("SUDO_ASKPASS").section('/', 0, -2);
    EXPECT_EQ(prepared.environment.value("PATH"), folder + ":/usr/bin:/bin:/usr/sbin:/sbin");
    prepared.cleanup();
}

TEST_F(PrivilegedExecutorTest, EachPreparationHasItsOwnFolder) {
    const auto first = executor.prepare("p");
    const auto second = executor.prepare("p");
    EXPECT_NE(first.environment.value("SUDO_ASKPASS"), second.environment.value("SUDO_ASKPASS"));
    first.cleanup();
    EXPECT_EQ(privilegedFolders(*sandbox).size(), 1);
    EXPECT_TRUE(sandbox->fileExists(second.environment.value("SUDO_ASKPASS")));
    second.cleanup();
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());
}

TEST_F(PrivilegedExecutorTest, AFailedStepThrowsTheFileSystemsError) {
    fs->failSetAttributes("/sudo");
    try {
        executor.prepare("p");
        FAIL() << "no error";
    } catch (const SystemError& e) {
        EXPECT_TRUE(e.description().startsWith("Operation not permitted: /tmp/qlm-priv-"));
    }
}
