#pragma once

#include "model/SetupFixKind.h"
#include "model/SetupRemediation.h"
#include "platform/AppServices.h"
#include "platform/EventStream.h"
#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/ProcessRunning.h"
#include "platform/ResourceLocator.h"
#include "platform/Sleeper.h"
#include "platform/StreamEvent.h"
#include "platform/ToolLocations.h"
#include "services/AdoptiumAPI.h"
#include "services/BrewRunner.h"
#include "services/GitSetup.h"
#include "services/HomebrewInstaller.h"
#include "services/ToolInstaller.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <mutex>
#include <optional>
#include <variant>

namespace tovr {

// Turns one approved setup fix into a stream of log lines that ends in exactly one
// `completed` (with an exit code) or `canceled`. It picks the worker for the fix and starts
// it at once; writers run while the stream is built, everything else on a task of its own.
// Dropping the stream cancels the task, which stops the running child. Each run copies the
// value, so several runs may go on at once.
struct SetupRemediationRunner {
    // A login-shell run's events, and the page a sign-in asks the user to open.
    struct Event {
        using Output = StreamEvent::Output;
        using Completed = StreamEvent::Completed;
        using Canceled = StreamEvent::Canceled;
        // A page the user must open, and the one-time code to type there when one was found.
        using OpenBrowser = GitSetup::OpenBrowser;

        std::variant<Output, Completed, OpenBrowser, Canceled> value;

        static Event output(QString text) { return {Output{std::move(text)}}; }
        static Event completed(qint32 exitCode) { return {Completed{exitCode}}; }
        static Event openBrowser(QString url, std::optional<QString> code = {}) {
            return {OpenBrowser{std::move(url), std::move(code)}};
        }
        static Event canceled() { return {Canceled{}}; }
        // The same case, for an event a worker reported as a login-shell run's or a sign-in's.
        template <class... Cases> static Event from(const std::variant<Cases...>& event) {
            return std::visit([](const auto& value) { return Event{value}; }, event);
        }
        template <class Case> const Case* as() const { return std::get_if<Case>(&value); }
        bool isTerminal() const { return as<Completed>() || as<Canceled>(); }
        bool operator==(const Event&) const = default;
    };

    // Where a worker's events go. It lets one ending through and finishes the stream with
    // it; anything after the ending is dropped. Any thread.
    class Emitter {
    public:
        explicit Emitter(EventContinuation<Event> continuation)
            : continuation_(std::move(continuation)) {}
        void output(const QString& text);
        void openBrowser(const QString& url, std::optional<QString> code);
        void completed(qint32 exitCode);
        void canceled();
        // An event as a worker reported it (a login-shell run's, a sign-in's): passed on
        // as the same case, an ending ending the stream.
        template <class Reported> void relay(const Reported& event) {
            send(Event::from(event.value));
        }
        // A worker that returned without an ending failed: the run ends with -1.
        void endIfOpen();

    private:
        void send(Event event);
        void end(Event event);
        std::mutex lock_;
        bool ended_ = false;
        EventContinuation<Event> continuation_;
    };

    // The `brew` executable, absent when Homebrew is not installed.
    std::optional<QString> brewPath;
    std::shared_ptr<ProcessRunning> process;
    std::shared_ptr<FileSystemOperating> fs;
    std::shared_ptr<HTTPFetching> http;
    // Where the Homebrew install script and the Temurin packages are looked up.
    QUrl homebrewInstallScriptURL = HomebrewInstaller::defaultInstallScriptURL();
    QUrl adoptiumBaseURL = AdoptiumAPI::defaultBaseURL();
    // Where the uv and rustup install scripts are fetched from.
    ToolInstaller::Scripts installScripts = ToolInstaller::Scripts::official();
    // The pause before a cask's retry; null waits on the run's task.
    Sleeper sleeper;
    // The application's resources (skills/, example-projects/).
    QString resourcesDir = resourcesDirectory();
    // Where the tools keep their files, as the login shell has it; null: the usual places.
    std::shared_ptr<ToolLocationsSource> toolLocations;

    // The live runner over `services`, with the `brew` it finds there now.
    static SetupRemediationRunner live(const AppServices& services);

    // Starts the fix and returns its stream at once. `privilegedPrompt` is the password
    // dialog's sentence for the cask installs; the other fixes ignore it.
    EventStream<Event> run(const SetupRemediation& remediation,
                           const QString& privilegedPrompt) const;

    // The fixes whose whole run happens while the stream is built (the file writers).
    static bool runsWhileBuilt(const SetupRemediation& remediation);

    // Shared steps of the workers.
    // `brew install <formula>`: the code, or absent after `canceled` was emitted. Without
    // Homebrew the guard's line is emitted and the code is -1.
    std::optional<qint32> formulaStep(const QString& formula, Emitter& emitter,
                                      WorkerTask& task) const;
    // A cask install with its output forwarded: the code, or absent after `canceled` was
    // emitted. Without Homebrew the guard's line is emitted and the code is -1.
    std::optional<qint32> caskStep(const QString& cask, const QString& prompt,
                                   const BrewRunner::CaskRecoveryPolicy& policy, Emitter& emitter,
                                   WorkerTask& task) const;
    // A writer's sentences, then `completed` 0 on success or 1 on failure.
    static void writerStep(const QStringList& lines, bool success, Emitter& emitter);
    // Forwards a brew step's lines; absent when it was canceled (already reported).
    using StreamSink = std::function<void(const StreamEvent&)>;
    static std::optional<qint32>
    forwardBrewStep(Emitter& emitter, const std::function<void(const StreamSink&)>& start);

    BrewRunner brewRunner() const;
    ToolInstaller toolInstaller() const;

    static constexpr const char* kNoHomebrew =
        "Homebrew isn't available yet — install Homebrew first.";

private:
    void perform(const SetupRemediation& remediation, const QString& privilegedPrompt,
                 Emitter& emitter, WorkerTask& task) const;
    // Picks the worker by how the fix's kind runs.
    void dispatch(const SetupRemediation& remediation, const QString& privilegedPrompt,
                  Emitter& emitter, WorkerTask& task) const;
    bool homebrewGuard(Emitter& emitter) const;
    // Read on the run's thread; the first read asks the login shell.
    ToolLocations locations() const { return toolLocationsOf(toolLocations); }
    void installCommandLineTools(Emitter& emitter, WorkerTask& task) const;
    void installHomebrew(Emitter& emitter, WorkerTask& task) const;
    // A cask or formula, then the kind's follow-up once it installed.
    void installPackage(const SetupFixKind& kind, const QString& prompt, Emitter& emitter,
                        WorkerTask& task) const;
    // After a successful install; the sentences to show.
    QStringList followUp(SetupRemediation::Kind kind) const;

    // The workers of other files, one function each. Run while the stream is built:
    void write(SetupRemediation::Kind kind, Emitter& emitter) const;
    void createProject(const SetupRemediation::CreateProject& project, Emitter& emitter) const;
    // A bundled skill runs while the stream is built (with a task that is never
    // canceled), a fetched one on the run's task.
    void installSkill(const AgentSkill& skill, Emitter& emitter, WorkerTask& task) const;
    // On the run's task:
    void addMCPServer(const SetupRemediation::AddMCPServer& request, Emitter& emitter,
                      WorkerTask& task) const;

    // The shell, Git and language workers. Run while the stream is built:
    void repairPath(const QString& directory, Emitter& emitter) const;
    void repairHomebrewPath(Emitter& emitter) const;
    // On the run's task:
    void configureGit(const QString& name, const QString& email, Emitter& emitter,
                      WorkerTask& task) const;
    void githubAuth(Emitter& emitter, WorkerTask& task) const;
    void installUv(Emitter& emitter, WorkerTask& task) const;
    void installRustup(Emitter& emitter, WorkerTask& task) const;
    void installMiseLanguage(const QString& tool, Emitter& emitter, WorkerTask& task) const;
};

} // namespace tovr
