#include "InMemoryFileSystem.h"
#include "model/LanguageDetector.h"
#include "model/LoginShell.h"
#include "model/TOVRLanguage.h"
#include "support/FakeProcessRunner.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace Qt::Literals::StringLiterals;
using Status = LanguageDetector::Status;
using Fix = SetupRemediation;

namespace {

class LanguageDetectorTest : public ::testing::Test {
protected:
    Status detect(TOVRLanguage language) const { return LanguageDetector{fs}.detect(language); }
    void home(const QString& relative) { fs->addFile(u"/Users/ana/"_s + relative); }
    void emptyHomeFolder(const QString& relative) { fs->addFolder(u"/Users/ana/"_s + relative); }

    std::shared_ptr<test::InMemoryFileSystem> fs = std::make_shared<test::InMemoryFileSystem>();
};

} // namespace

TEST_F(LanguageDetectorTest, NothingInstalledGivesNotInstalledAndNoLine) {
    for (auto language : allTOVRLanguages) {
        const auto status = detect(language);
        EXPECT_EQ(status, Status::notInstalled()) << toRaw(language).toStdString();
        EXPECT_EQ(status.text(), std::nullopt);
    }
}

TEST_F(LanguageDetectorTest, OurOwnManagersCountAsAlreadySetUp) {
    home(u".local/share/mise/installs/node/22.11.0/bin/node"_s);
    home(u".local/share/mise/installs/ruby/3.3.6/bin/ruby"_s);
    home(u".local/share/uv/python/cpython-3.13.1-macos-aarch64-none/bin/python3"_s);
    home(u".rustup/toolchains/stable-aarch64-apple-darwin/bin/rustc"_s);
    fs->addFolder(u"/Library/Java/JavaVirtualMachines/temurin-21.jdk"_s);

    EXPECT_EQ(detect(TOVRLanguage::node), Status::alreadySetUp(u"mise"_s));
    EXPECT_EQ(detect(TOVRLanguage::ruby), Status::alreadySetUp(u"mise"_s));
    EXPECT_EQ(detect(TOVRLanguage::python), Status::alreadySetUp(u"uv"_s));
    EXPECT_EQ(detect(TOVRLanguage::rust), Status::alreadySetUp(u"rustup"_s));
    EXPECT_EQ(detect(TOVRLanguage::java), Status::alreadySetUp(u"Temurin"_s));
    EXPECT_EQ(detect(TOVRLanguage::node).text(), u"already set up (mise)"_s);
}

TEST_F(LanguageDetectorTest, CargoRustcWithoutToolchainsStillCountsAsRustup) {
    home(u".cargo/bin/rustc"_s);
    EXPECT_EQ(detect(TOVRLanguage::rust).text(), u"already set up (rustup)"_s);
}

TEST_F(LanguageDetectorTest, HomebrewAndHandInstallsAreUnmanaged) {
    fs->addFile(u"/opt/homebrew/bin/python3"_s);
    fs->addFile(u"/opt/homebrew/opt/ruby/bin/ruby"_s);
    fs->addFile(u"/opt/homebrew/bin/rustc"_s);
    fs->addFile(u"/usr/local/bin/node"_s); // the nodejs.org installer
    fs->addFolder(u"/Library/Java/JavaVirtualMachines/zulu-17.jdk"_s);

    for (auto language : allTOVRLanguages) {
        SCOPED_TRACE(toRaw(language).toStdString());
        EXPECT_EQ(detect(language), Status::unmanagedInstall());
    }
    EXPECT_EQ(detect(TOVRLanguage::java).text(),
              u"upgrade recommended (an outdated system install was found)"_s);
}

TEST_F(LanguageDetectorTest, OtherManagersWinOverPlainInstalls) {
    fs->addFile(u"/usr/bin/python3"_s);
    fs->addFile(u"/usr/bin/ruby"_s);
    fs->addFile(u"/opt/homebrew/bin/node"_s);
    fs->addFolder(u"/Library/Java/JavaVirtualMachines/zulu-17.jdk"_s);
    home(u".pyenv/versions/3.12.1/bin/python"_s);
    home(u".nvm/versions/node/v20.1.0/bin/node"_s);
    home(u".rbenv/versions/3.2.0/bin/ruby"_s);
    home(u".sdkman/candidates/java/21.0.1-tem/bin/java"_s);

    EXPECT_EQ(detect(TOVRLanguage::python), Status::managedByOther(u"pyenv"_s));
    EXPECT_EQ(detect(TOVRLanguage::node), Status::managedByOther(u"nvm"_s));
    EXPECT_EQ(detect(TOVRLanguage::ruby), Status::managedByOther(u"rbenv"_s));
    EXPECT_EQ(detect(TOVRLanguage::java), Status::managedByOther(u"SDKMAN"_s));
    EXPECT_EQ(detect(TOVRLanguage::node).text(),
              u"managed by nvm — installing ours may conflict"_s);
}

TEST_F(LanguageDetectorTest, EmptyOrUnreadableListingsDoNotCount) {
    fs->addFile(u"/usr/bin/python3"_s);
    emptyHomeFolder(u".pyenv/versions"_s);
    EXPECT_EQ(detect(TOVRLanguage::python), Status::unmanagedInstall());

    home(u".rbenv/versions/3.2.0/bin/ruby"_s);
    fs->makeUnreadable(u"/Users/ana/.rbenv/versions"_s);
    EXPECT_EQ(detect(TOVRLanguage::ruby), Status::notInstalled());
}

TEST_F(LanguageDetectorTest, HomeMarkersNeedOnlyExist) {
    emptyHomeFolder(u"anaconda3"_s);
    emptyHomeFolder(u"Library/Application Support/fnm"_s);
    EXPECT_EQ(detect(TOVRLanguage::python), Status::managedByOther(u"conda"_s));
    EXPECT_EQ(detect(TOVRLanguage::node), Status::managedByOther(u"fnm"_s));
}

TEST_F(LanguageDetectorTest, JavaLooksOnlyAtJDKBundles) {
    fs->addFolder(u"/Library/Java/JavaVirtualMachines/temurin-21"_s);     // no ".jdk"
    fs->addFolder(u"/Library/Java/JavaVirtualMachines/Temurin-17.jdk"_s); // case differs
    EXPECT_EQ(detect(TOVRLanguage::java), Status::unmanagedInstall());
}

TEST(TOVRLanguage, ChosenLanguagesBecomeFixes) {
    using L = TOVRLanguage;
    const QList<std::pair<QSet<L>, QList<Fix>>> cases{
        {{}, {}},
        {{L::rust}, {Fix::installRustup()}},
        {{L::python}, {Fix::installUv()}},
        {{L::java}, {Fix::installTemurin()}},
        {{L::node}, {Fix::installMise(), Fix::installNodeViaMise()}},
        {{L::ruby}, {Fix::installMise(), Fix::installRubyViaMise()}},
        {{L::python, L::rust}, {Fix::installUv(), Fix::installMise(), Fix::installRustViaMise()}},
        {{L::python, L::java}, {Fix::installUv(), Fix::installMise(), Fix::installTemurin()}},
        {{L::rust, L::ruby, L::java, L::node, L::python},
         {Fix::installUv(), Fix::installMise(), Fix::installNodeViaMise(),
          Fix::installRubyViaMise(), Fix::installTemurin(), Fix::installRustViaMise()}},
    };
    for (const auto& [chosen, fixes] : cases)
        EXPECT_EQ(remediations(chosen), fixes) << chosen.size();
}

TEST(TOVRLanguage, DisplayNamesInCaseOrder) {
    QStringList names;
    for (auto language : allTOVRLanguages)
        names << displayName(language);
    EXPECT_EQ(names,
              (QStringList{u"Python"_s, u"JavaScript (Node)"_s, u"Java"_s, u"Ruby"_s, u"Rust"_s}));
}

TEST(LoginShell, RunsTheCommandThroughALoginZsh) {
    test::FakeProcessRunner runner;
    runner.answerShell(u"brew --version"_s, u"\n  Homebrew 4.4.0\n"_s, 0, u"warning"_s);
    EXPECT_EQ(runLoginShell(runner, u"brew --version"_s),
              (LoginShellResult{true, u"Homebrew 4.4.0"_s}));
    ASSERT_EQ(runner.calls().size(), 1);
    EXPECT_EQ(runner.calls()[0].environment, std::nullopt);
}

TEST(LoginShell, BlankOutputOrNonzeroExitFails) {
    test::FakeProcessRunner runner;
    runner.answerShell(u"blank"_s, u"   \n"_s);
    runner.answerShell(u"fails"_s, u"x\n"_s, 1);
    EXPECT_EQ(runLoginShell(runner, u"blank"_s), (LoginShellResult{false, {}}));
    EXPECT_EQ(runLoginShell(runner, u"fails"_s), (LoginShellResult{false, u"x"_s}));
    // No answer: the shell cannot be launched.
    EXPECT_EQ(runLoginShell(runner, u"unknown"_s), (LoginShellResult{false, {}}));
}
