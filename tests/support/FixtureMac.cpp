#include "support/FixtureMac.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace tovr::test {

namespace {

const QString kJVM = QStringLiteral("/Library/Java/JavaVirtualMachines/");
const QString kJavaHomeScript = QStringLiteral("echo __QLM_JAVA_HOME__:$JAVA_HOME");

QByteArray fixtureFile(const QString& relative) {
    QFile f(QStringLiteral(TOVR_TEST_FIXTURES_DIR "/") + relative);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing fixture file " + relative.toStdString());
    return f.readAll();
}

FakeProcessRunner::Answer answered(QString out, qint32 code = 0, QString err = {}) {
    FakeProcessRunner::Answer a;
    a.result = ProcessResult{code, std::move(out), std::move(err)};
    return a;
}

const QString kNoJavaRuntime =
    QString::fromUtf8("The operation couldn’t be completed. Unable to locate a Java Runtime.\n"
                      "Please visit http://www.java.com for information on installing Java.\n\n");

const QString kGitIdentityScript =
    QStringLiteral("git config --global --includes --get user.name >/dev/null && git config "
                   "--global --includes --get user.email >/dev/null");

const QString kNoDeveloperDirectory = QStringLiteral(
    "xcode-select: error: unable to get active developer directory, use `sudo xcode-select "
    "--switch path/to/Xcode.app` to toggle between command line tools and Xcode.\n");

// The standard macOS home folder of a new account.
void standardHome(SandboxFileSystem& fs) {
    for (const char* folder : {"Desktop", "Documents", "Downloads", "Library/Preferences", "Movies",
                               "Music", "Pictures", "Public"})
        fs.createFolder(fs.homeDirectory() + "/" + folder);
    fs.createFolder("/Applications/Safari.app/Contents");
    fs.createExecutable("/usr/bin/java");
}

QString homeOf(const QString& bundle) {
    return kJVM + bundle + "/Contents/Home";
}

} // namespace

QList<FixtureMac::Kind> FixtureMac::allKinds() {
    return {Kind::newAppleSilicon, Kind::intelWithThreeJDKs, Kind::developerAppleSilicon,
            Kind::broken};
}

const char* FixtureMac::name(Kind kind) {
    switch (kind) {
    case Kind::newAppleSilicon:
        return "newAppleSilicon";
    case Kind::intelWithThreeJDKs:
        return "intelWithThreeJDKs";
    case Kind::developerAppleSilicon:
        return "developerAppleSilicon";
    case Kind::broken:
        return "broken";
    }
    return "?";
}

FixtureMac::FixtureMac(Kind kind)
    : kind_(kind), fs_(std::make_shared<SandboxFileSystem>()),
      runner_(std::make_shared<FakeProcessRunner>()) {
    standardHome(*fs_);
    switch (kind) {
    case Kind::newAppleSilicon:
        buildNewAppleSilicon();
        break;
    case Kind::intelWithThreeJDKs:
        buildIntelWithThreeJDKs();
        break;
    case Kind::developerAppleSilicon:
        buildDeveloperAppleSilicon();
        break;
    case Kind::broken:
        buildBroken();
        break;
    }
}

AppServices FixtureMac::services() const {
    AppServices services;
    services.processRunner = runner_;
    services.fs = fs_;
    services.isFixtureMode = true;
    return services;
}

void FixtureMac::installJDK(const QString& bundle, bool withRelease) {
    const QString contents = kJVM + bundle + "/Contents";
    fs_->createFile(contents + "/Info.plist", fixtureFile("jdks/" + bundle + "/Info.plist"));
    fs_->createFolder(contents + "/Home/bin");
    fs_->createExecutable(contents + "/Home/bin/java");
    if (withRelease)
        fs_->createFile(contents + "/Home/release", fixtureFile("jdks/" + bundle + "/release"));
}

void FixtureMac::commonCommands(const QString& arch) {
    runner_->answer("/usr/bin/uname", {"-m"}, answered(arch + "\n"));
    // `which` prints nothing and exits 1 for what it cannot find.
    runner_->answerWhen(
        [](const QString& exe, const QStringList&) { return exe == "/usr/bin/which"; },
        answered({}, 1));
    // Nothing of the Claude Code product's probes is there until a kind says otherwise.
    noClaudeOnPath();
    runner_->answerShell("command -v codex", {}, 1);
    runner_->answerShell("command -v gh", {}, 1);
    runner_->answerShell("gh auth status --hostname github.com", "zsh:1: command not found: gh\n",
                         127);
    runner_->answerShell(kGitIdentityScript, {}, 1);
}

void FixtureMac::buildNewAppleSilicon() {
    environment_ = std::make_shared<FakeSystemEnvironment>(
        QMap<QString, QString>{{"SHELL", "/bin/zsh"}, {"HOME", "/Users/dev"}},
        OperatingSystemVersion{14, 4, 1});
    commonCommands("arm64");
    runner_->answer("/usr/bin/xcode-select", {"-p"}, answered({}, 2, kNoDeveloperDirectory));
    runner_->answer("/usr/bin/which", {"java"}, answered("/usr/bin/java\n"));
    runner_->answer("/usr/libexec/java_home", {"-V"}, answered({}, 1, kNoJavaRuntime));
    runner_->answerShell(kJavaHomeScript, "__QLM_JAVA_HOME__:\n");
    noHomebrewOnPath();
    runner_->answerShell("xcode-select -p 2>&1", kNoDeveloperDirectory, 2);
    runner_->answerShell("git --version 2>&1",
                         "xcode-select: note: No developer tools were found, requesting install.\n"
                         "If developer tools are located at a non-default location on disk, use "
                         "`sudo xcode-select --switch path/to/Xcode.app` to specify the Xcode "
                         "that you wish to use for command line developer tools, and cancel the "
                         "installation dialog.\n",
                         1);
}

void FixtureMac::buildIntelWithThreeJDKs() {
    environment_ = std::make_shared<FakeSystemEnvironment>(
        QMap<QString, QString>{{"SHELL", "/bin/zsh"}}, OperatingSystemVersion{13, 6, 4});
    commonCommands("x86_64");
    fs_->createExecutable("/usr/local/bin/brew");
    fs_->createFolder("/usr/local/Cellar");
    fs_->createFolder("/Library/Developer/CommandLineTools/usr/bin");
    runner_->answer("/usr/bin/xcode-select", {"-p"},
                    answered("/Library/Developer/CommandLineTools\n"));
    for (const char* jdk : {"temurin-8.jdk", "temurin-17.jdk", "temurin-21.jdk"})
        installJDK(jdk);
    fs_->createFolder("/Applications/iTerm.app/Contents");
    fs_->createFolder("/Applications/Visual Studio Code.app/Contents");
    fs_->createFile(fs_->homeDirectory() + "/.zprofile",
                    "eval \"$(/usr/local/bin/brew shellenv)\"\n"
                    "export JAVA_HOME=$(/usr/libexec/java_home -v 17)\n");
    runner_->answer("/usr/bin/which", {"java"}, answered("/usr/bin/java\n"));
    runner_->answer(
        "/usr/libexec/java_home", {"-V"},
        answered(homeOf("temurin-21.jdk") + "\n", 0,
                 "Matching Java Virtual Machines (3):\n"
                 "    21.0.2 (x86_64) \"Eclipse Adoptium\" - \"OpenJDK 21.0.2\" " +
                     homeOf("temurin-21.jdk") +
                     "\n"
                     "    17.0.10 (x86_64) \"Eclipse Adoptium\" - \"OpenJDK 17.0.10\" " +
                     homeOf("temurin-17.jdk") +
                     "\n"
                     "    1.8.0_402 (x86_64) \"Eclipse Adoptium\" - \"OpenJDK 8\" " +
                     homeOf("temurin-8.jdk") + "\n" + homeOf("temurin-21.jdk") + "\n"));
    runner_->answerShell(kJavaHomeScript, "__QLM_JAVA_HOME__:" + homeOf("temurin-17.jdk") + "\n");
    homebrewOnPath("/usr/local/bin/brew", "Homebrew 4.2.9\n");
    commandLineToolsWork();
    // Installed by the native installer, whose folder the shell's PATH lacks.
    fs_->createExecutable(fs_->homeDirectory() + "/.local/bin/claude");
}

void FixtureMac::buildDeveloperAppleSilicon() {
    environment_ = std::make_shared<FakeSystemEnvironment>(
        QMap<QString, QString>{{"SHELL", "/bin/zsh"}}, OperatingSystemVersion{15, 1, 0});
    commonCommands("arm64");
    const QString home = fs_->homeDirectory();
    fs_->createExecutable("/opt/homebrew/bin/brew");
    fs_->createExecutable("/opt/homebrew/bin/mise");
    fs_->createExecutable("/opt/homebrew/bin/codex");
    fs_->createFolder("/Library/Developer/CommandLineTools/usr/bin");
    fs_->createFile(home + "/.sdkman/bin/sdkman-init.sh", "# sdkman init\n");
    fs_->createFolder(home + "/.sdkman/candidates/java/21.0.2-tem/bin");
    fs_->createSymlink(home + "/.sdkman/candidates/java/current",
                       home + "/.sdkman/candidates/java/21.0.2-tem");
    fs_->createFolder(home + "/.jenv/versions");
    fs_->createExecutable(home + "/.local/bin/claude");
    for (const char* app : {"Warp.app", "iTerm.app", "Ghostty.app", "Visual Studio Code.app",
                            "Cursor.app", "Claude.app", "ChatGPT.app", "IntelliJ IDEA CE.app"})
        fs_->createFolder(QStringLiteral("/Applications/") + app + "/Contents");
    fs_->createFolder(home + "/Applications/Zed.app/Contents");
    installJDK("temurin-21.jdk");
    installJDK("zulu-17.jdk", false); // only its binary Info.plist tells its version
    fs_->createFile(home + "/.zprofile", "eval \"$(/opt/homebrew/bin/brew shellenv)\"\n");
    fs_->createFile(home + "/.zshrc", "eval \"$(mise activate zsh)\"\n"
                                      "export SDKMAN_DIR=\"$HOME/.sdkman\"\n"
                                      "[[ -s \"$HOME/.sdkman/bin/sdkman-init.sh\" ]] && source "
                                      "\"$HOME/.sdkman/bin/sdkman-init.sh\"\n");
    runner_->answer("/usr/bin/xcode-select", {"-p"},
                    answered("/Library/Developer/CommandLineTools\n"));
    runner_->answer("/usr/bin/which", {"java"},
                    answered(home + "/.sdkman/candidates/java/current/bin/java\n"));
    runner_->answer("/usr/bin/which", {"claude"}, answered(home + "/.local/bin/claude\n"));
    runner_->answer("/usr/bin/which", {"codex"}, answered("/opt/homebrew/bin/codex\n"));
    runner_->answer("/usr/libexec/java_home", {"-V"},
                    answered(homeOf("temurin-21.jdk") + "\n", 0,
                             "Matching Java Virtual Machines (1):\n"
                             "    21.0.2 (arm64) \"Eclipse Adoptium\" - \"OpenJDK 21.0.2\" " +
                                 homeOf("temurin-21.jdk") + "\n" + homeOf("temurin-21.jdk") +
                                 "\n"));
    runner_->answerShell(kJavaHomeScript,
                         "__QLM_JAVA_HOME__:" + home + "/.sdkman/candidates/java/current\n");
    homebrewOnPath("/opt/homebrew/bin/brew", "Homebrew 4.4.6\n");
    commandLineToolsWork();
    claudeOnPath({home + "/.local/bin/claude"}, "2.0.14 (Claude Code)\n");
    gitHubReady();
    // The managed shell configuration is already in place.
    fs_->createFile(home + "/.zprofile", "eval \"$(/opt/homebrew/bin/brew shellenv)\"\n\n"
                                         "# Tovrin — shell environment\ntypeset -U path PATH\n");
    fs_->createFile(home + "/.zshrc",
                    "eval \"$(mise activate zsh)\"\n"
                    "[ -f \"$HOME/.env\" ] && set -a && source \"$HOME/.env\" && set +a\n");
    fs_->createFile(home + "/.env", "# keys\n", 0600);
}

void FixtureMac::buildBroken() {
    environment_ = std::make_shared<FakeSystemEnvironment>(
        QMap<QString, QString>{{"SHELL", "/bin/bash"}}, OperatingSystemVersion{14, 2, 1});
    commonCommands("arm64");
    const QString home = fs_->homeDirectory();
    fs_->createExecutable("/usr/local/bin/brew"); // an Intel Homebrew copied over by migration
    fs_->createFile("/usr/local/bin/mise", "not executable", 0644);
    fs_->createFile(kJVM + ".DS_Store", QByteArray("\0\0\0\1Bud1", 8));
    fs_->createSymlink(kJVM + "loop.jdk", kJVM + "loop.jdk");
    fs_->createFile(home + "/.jenv", "a file where a folder belongs\n");
    fs_->createFolder(home + "/.sdkman/bin/sdkman-init.sh"); // a folder where a file belongs
    fs_->createFile("/Applications/Claude.app", "not a bundle\n");
    fs_->createFile(home + "/.zprofile", QByteArray("export JAVA_HOME=\xff\xfe\n"));
    fs_->createFolder(home + "/.zshrc");
    runner_->answer("/usr/bin/xcode-select", {"-p"}, answered("\n"));
    runner_->answer("/usr/bin/which", {"java"}, answered("/usr/bin/java\n"));
    runner_->answer("/usr/bin/which", {"mise"}, answered("/usr/local/bin/mise\n"));
    runner_->answer("/usr/bin/which", {"aider"}, answered("  \n"));
    runner_->answer("/usr/libexec/java_home", {"-V"}, answered({}, 1, kNoJavaRuntime));
    runner_->answerShell(kJavaHomeScript, "Last login: Mon Dec  7 09:12:44 on ttys000\n"
                                          "__QLM_JAVA_HOME__:" +
                                              homeOf("temurin-11.jdk") + "\n");
    homebrewOnPath("/usr/local/bin/brew", "Homebrew 4.1.0\n");
    runner_->answerShell("xcode-select -p 2>&1", "\n");
    // An old npm install on PATH beside a leftover local install; neither runs.
    fs_->createExecutable(home + "/.npm-global/bin/claude");
    fs_->createExecutable(home + "/.claude/local/claude");
    claudeOnPath({home + "/.npm-global/bin/claude"}, "node: bad option: --no-warnings\n", 9);
}

void FixtureMac::noHomebrewOnPath() {
    runner_->answerShell("/usr/bin/which -a brew", {}, 1);
    runner_->answerShell("brew --version 2>&1", "zsh:1: command not found: brew\n", 127);
}

void FixtureMac::homebrewOnPath(const QString& brew, const QString& version) {
    runner_->answerShell("/usr/bin/which -a brew", brew + "\n");
    runner_->answerShell("brew --version 2>&1", version);
}

void FixtureMac::commandLineToolsWork() {
    runner_->answerShell("xcode-select -p 2>&1", "/Library/Developer/CommandLineTools\n");
    runner_->answerShell("git --version 2>&1", "git version 2.39.5 (Apple Git-154)\n");
}

void FixtureMac::noClaudeOnPath() {
    runner_->answerShell("/usr/bin/which -a claude", {}, 1);
    runner_->answerShell("claude --version 2>&1", "zsh:1: command not found: claude\n", 127);
}

void FixtureMac::claudeOnPath(const QStringList& paths, const QString& version, qint32 exitCode) {
    runner_->answerShell("/usr/bin/which -a claude", paths.join('\n') + "\n");
    runner_->answerShell("claude --version 2>&1", version, exitCode);
}

void FixtureMac::gitHubReady() {
    fs_->createExecutable("/opt/homebrew/bin/gh");
    runner_->answerShell("gh auth status --hostname github.com",
                         "github.com\n  ✓ Logged in to github.com account dev (keyring)\n");
    runner_->answerShell(kGitIdentityScript, {});
    runner_->answerShell("git config --get-urlmatch credential.helper 'https://github.com'",
                         "!/opt/homebrew/bin/gh auth git-credential\n");
}

SystemProfile FixtureMac::expectedProfile() const {
    SystemProfile p;
    const QString home = fs_->homeDirectory();
    switch (kind_) {
    case Kind::newAppleSilicon:
        p.architecture = Architecture::appleSilicon;
        p.macosVersion = {14, 4, 1};
        p.shell = Shell::zsh();
        p.javaState.whichJava = "/usr/bin/java";
        break;
    case Kind::intelWithThreeJDKs:
        p.architecture = Architecture::intel;
        p.macosVersion = {13, 6, 4};
        p.shell = Shell::zsh();
        p.homebrewPrefix = "/usr/local/bin/brew";
        p.xcodeCommandLineToolsPath = "/Library/Developer/CommandLineTools";
        p.javaState.whichJava = "/usr/bin/java";
        p.javaState.installedJDKs = {
            {"21.0.2", "Eclipse Adoptium", "x86_64", homeOf("temurin-21.jdk")},
            {"17.0.10", "Eclipse Adoptium", "x86_64", homeOf("temurin-17.jdk")},
            {"1.8.0_402", "Eclipse Adoptium", "x86_64", homeOf("temurin-8.jdk")}};
        p.javaState.jvmDirContents = {"temurin-17.jdk", "temurin-21.jdk", "temurin-8.jdk"};
        p.javaState.javaHomeInActiveShell = homeOf("temurin-17.jdk");
        p.aiTooling.vsCode = true;
        p.terminals.iterm = true;
        break;
    case Kind::developerAppleSilicon:
        p.architecture = Architecture::appleSilicon;
        p.macosVersion = {15, 1, 0};
        p.shell = Shell::zsh();
        p.homebrewPrefix = "/opt/homebrew/bin/brew";
        p.sdkmanRoot = home + "/.sdkman";
        p.miseExecutable = "/opt/homebrew/bin/mise";
        p.jenvRoot = home + "/.jenv";
        p.xcodeCommandLineToolsPath = "/Library/Developer/CommandLineTools";
        p.javaState.whichJava = home + "/.sdkman/candidates/java/current/bin/java";
        p.javaState.installedJDKs = {
            {"21.0.2", "Eclipse Adoptium", "arm64", homeOf("temurin-21.jdk")},
            {"17.0.9", "", "", homeOf("zulu-17.jdk")}};
        p.javaState.jvmDirContents = {"temurin-21.jdk", "zulu-17.jdk"};
        p.javaState.javaHomeInActiveShell = home + "/.sdkman/candidates/java/current";
        p.aiTooling.claudeCodeDesktop = true;
        p.aiTooling.cursor = true;
        p.aiTooling.chatgptDesktop = true;
        p.aiTooling.vsCode = true;
        p.aiTooling.zed = true;
        p.aiTooling.warpApp = true;
        p.aiTooling.intellij = true;
        p.aiTooling.claudeCodeCLI = true;
        p.aiTooling.codexCLI = true;
        p.terminals.iterm = true;
        p.terminals.ghostty = true;
        p.terminals.warp = true;
        break;
    case Kind::broken:
        p.architecture = Architecture::appleSilicon;
        p.macosVersion = {14, 2, 1};
        p.shell = Shell::bash();
        p.homebrewPrefix = "/usr/local/bin/brew";
        p.javaState.whichJava = "/usr/bin/java";
        p.javaState.jvmDirContents = {".DS_Store", "loop.jdk"};
        p.javaState.javaHomeInActiveShell = homeOf("temurin-11.jdk");
        break;
    }
    return p;
}

} // namespace tovr::test
