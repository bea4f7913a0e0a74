#pragma once

#include "model/SetupRemediation.h"
#include "model/TOVRLanguage.h"
#include "model/VerifyPolicy.h"

#include <QString>

#include <optional>

namespace tovr {

// What one kind of setup fix is, in one row: adding a kind is adding a row (and its worker,
// when it runs in a way no other kind does).
struct SetupFixKind {
    // How the runner carries the fix out.
    enum class Runs {
        writer,           // a file writer, called while the stream is built
        pathRepair,       // a writer that adds a PATH line to ~/.zprofile
        project,          // the example project copier (a writer)
        skill,            // the skill installer; a bundled skill is written while built
        mcpServer,        // the MCP server writer, on a task
        gitConfig,        // `git config --global` in the login shell
        commandLineTools, // softwareupdate as administrator
        homebrew,         // the Homebrew install script
        cask,             // `brew install --cask <package>` with the password dialog
        formula,          // `brew install <package>`
        script,           // an install script (uv, rustup)
        miseTool,         // `mise use -g <package>`
        signIn,           // the GitHub CLI's web sign-in
    };

    SetupRemediation::Kind kind;
    // The whole id, or for a kind with a payload the prefix the payload completes.
    const char* id;
    // Empty where the payload makes the title.
    const char* title;
    // "%1" stands for `package`; empty where there is none or the payload makes it.
    const char* detail;
    const char* analyticsKey;
    Runs runs;
    // The cask, formula or mise tool; empty for the other ways of running.
    const char* package = "";
    // A fix that cannot run when this one failed earlier in the same run.
    std::optional<SetupRemediation::Kind> dependsOn = {};
    // Whether the Mac is checked again locally after it, rather than by the install.
    VerifyPolicy verifyPolicy = VerifyPolicy::installCompletion;
    // The usage event sent after it succeeds; empty: none.
    const char* successEvent = "";
    // The language it installs, and whether it does so through mise.
    std::optional<TOVRLanguage> language = {};
    bool viaMise = false;

    static const SetupFixKind& of(SetupRemediation::Kind kind);
    // The kind that installs `language`, through mise or not.
    static SetupRemediation::Kind installing(TOVRLanguage language, bool viaMise);

    QString packageName() const { return QString::fromLatin1(package); }
};

} // namespace tovr
