#include "services/SetupRemediationRunner.h"

#include "model/SetupFixKind.h"
#include "platform/CancellableProcess.h"
#include "platform/FileChecks.h"
#include "platform/TaskLatches.h"
#include "services/AgentEnvDoc.h"
#include "services/CommandLineToolsInstaller.h"
#include "services/GitSetup.h"
#include "services/InstallFollowUps.h"
#include "services/MCPConfigWriter.h"
#include "services/PathRepairer.h"
#include "services/PrivilegedExecutor.h"
#include "services/ShellConfigurator.h"
#include "services/SkillFolderInstaller.h"
#include "services/TemplateTreeCopier.h"

namespace tovr {

namespace {

using Event = SetupRemediationRunner::Event;

} // namespace

void SetupRemediationRunner::Emitter::output(const QString& text) {
    send(Event::output(text));
}

void SetupRemediationRunner::Emitter::openBrowser(const QString& url, std::optional<QString> code) {
    send(Event::openBrowser(url, std::move(code)));
}

void SetupRemediationRunner::Emitter::completed(qint32 exitCode) {
    end(Event::completed(exitCode));
}

void SetupRemediationRunner::Emitter::canceled() {
    end(Event::canceled());
}

void SetupRemediationRunner::Emitter::send(Event event) {
    if (event.isTerminal()) {
        end(std::move(event));
        return;
    }
    std::lock_guard guard(lock_);
    if (!ended_)
        continuation_.yield(std::move(event));
}

void SetupRemediationRunner::Emitter::end(Event event) {
    {
        std::lock_guard guard(lock_);
        if (ended_)
            return;
        ended_ = true;
        continuation_.yield(std::move(event));
    }
    continuation_.finish();
}

void SetupRemediationRunner::Emitter::endIfOpen() {
    completed(-1);
}

bool SetupRemediationRunner::runsWhileBuilt(const SetupRemediation& remediation) {
    using Runs = SetupFixKind::Runs;
    switch (SetupFixKind::of(remediation.kind()).runs) {
    case Runs::writer:
    case Runs::pathRepair:
    case Runs::project:
        return true;
    case Runs::skill:
        return remediation.as<AgentSkill>()->source.as<AgentSkill::Source::Bundle>() != nullptr;
    default:
        return false;
    }
}

EventStream<Event> SetupRemediationRunner::run(const SetupRemediation& remediation,
                                               const QString& privilegedPrompt) const {
    auto [stream, continuation] = EventStream<Event>::make();
    auto emitter = std::make_shared<Emitter>(continuation);
    if (runsWhileBuilt(remediation)) {
        WorkerTask inlineTask;
        perform(remediation, privilegedPrompt, *emitter, inlineTask);
        return std::move(stream);
    }
    auto task = WorkerTask::make();
    continuation.onTermination([task](StreamTermination) { task->cancel(); });
    WorkerTask::launch(task,
                       [self = *this, remediation, privilegedPrompt, emitter](WorkerTask& own) {
                           self.perform(remediation, privilegedPrompt, *emitter, own);
                       });
    return std::move(stream);
}

void SetupRemediationRunner::perform(const SetupRemediation& remediation,
                                     const QString& privilegedPrompt, Emitter& emitter,
                                     WorkerTask& task) const {
    try {
        dispatch(remediation, privilegedPrompt, emitter, task);
    } catch (const Error& e) {
        // Workers report their own failures; this is the net under a thrown one.
        emitter.output(e.description());
    } catch (const std::exception& e) {
        emitter.output(QString::fromUtf8(e.what()));
    }
    emitter.endIfOpen();
}

void SetupRemediationRunner::dispatch(const SetupRemediation& remediation,
                                      const QString& privilegedPrompt, Emitter& emitter,
                                      WorkerTask& task) const {
    using Runs = SetupFixKind::Runs;
    const SetupFixKind& kind = SetupFixKind::of(remediation.kind());
    switch (kind.runs) {
    case Runs::writer:
        write(remediation.kind(), emitter);
        break;
    case Runs::pathRepair:
        if (const auto* path = remediation.as<SetupRemediation::RepairPath>())
            repairPath(path->directory, emitter);
        else
            repairHomebrewPath(emitter);
        break;
    case Runs::project:
        createProject(*remediation.as<SetupRemediation::CreateProject>(), emitter);
        break;
    case Runs::skill:
        installSkill(*remediation.as<AgentSkill>(), emitter, task);
        break;
    case Runs::mcpServer:
        addMCPServer(*remediation.as<SetupRemediation::AddMCPServer>(), emitter, task);
        break;
    case Runs::gitConfig: {
        const auto* git = remediation.as<SetupRemediation::ConfigureGit>();
        configureGit(git->name, git->email, emitter, task);
        break;
    }
    case Runs::commandLineTools:
        installCommandLineTools(emitter, task);
        break;
    case Runs::homebrew:
        installHomebrew(emitter, task);
        break;
    case Runs::cask:
    case Runs::formula:
        installPackage(kind, privilegedPrompt, emitter, task);
        break;
    case Runs::script:
        if (remediation.kind() == SetupRemediation::Kind::installUv)
            installUv(emitter, task);
        else
            installRustup(emitter, task);
        break;
    case Runs::miseTool:
        installMiseLanguage(kind.packageName(), emitter, task);
        break;
    case Runs::signIn:
        githubAuth(emitter, task);
        break;
    }
}

bool SetupRemediationRunner::homebrewGuard(Emitter& emitter) const {
    if (brewPath && !brewPath->isEmpty())
        return true;
    emitter.output(QString::fromUtf8(kNoHomebrew));
    return false;
}

BrewRunner SetupRemediationRunner::brewRunner() const {
    return BrewRunner{
        brewPath.value_or(QString()),       process, http, fs, PrivilegedExecutor{fs, nullptr},
        AdoptiumAPI{http, adoptiumBaseURL}, sleeper};
}

std::optional<qint32>
SetupRemediationRunner::forwardBrewStep(Emitter& emitter,
                                        const std::function<void(const StreamSink&)>& start) {
    qint32 code = -1;
    bool canceled = false;
    start([&](const StreamEvent& event) {
        if (auto* line = event.as<StreamEvent::Output>())
            emitter.output(line->text);
        else if (auto* done = event.as<StreamEvent::Completed>())
            code = done->exitCode;
        else
            canceled = true;
    });
    if (canceled) {
        emitter.canceled();
        return std::nullopt;
    }
    return code;
}

std::optional<qint32> SetupRemediationRunner::formulaStep(const QString& formula, Emitter& emitter,
                                                          WorkerTask& task) const {
    if (!homebrewGuard(emitter))
        return -1;
    return forwardBrewStep(
        emitter, [&](const StreamSink& sink) { brewRunner().installFormula(formula, sink, task); });
}

std::optional<qint32> SetupRemediationRunner::caskStep(const QString& cask, const QString& prompt,
                                                       const BrewRunner::CaskRecoveryPolicy& policy,
                                                       Emitter& emitter, WorkerTask& task) const {
    if (!homebrewGuard(emitter))
        return -1;
    return forwardBrewStep(emitter, [&](const StreamSink& sink) {
        brewRunner().installCask(cask, prompt, policy, sink, task);
    });
}

void SetupRemediationRunner::writerStep(const QStringList& lines, bool success, Emitter& emitter) {
    for (const auto& line : lines)
        emitter.output(line);
    emitter.completed(success ? 0 : 1);
}

void SetupRemediationRunner::installCommandLineTools(Emitter& emitter, WorkerTask& task) const {
    auto latch = latchFor(task);
    const CommandLineToolsInstaller installer{process, fs, PrivilegedExecutor{fs, nullptr}};
    installer.install([&](const StreamEvent& event) { emitter.relay(event); }, *latch);
}

void SetupRemediationRunner::installHomebrew(Emitter& emitter, WorkerTask& task) const {
    const HomebrewInstaller installer{
        process, fs, PrivilegedExecutor{fs, nullptr}, http, homebrewInstallScriptURL, locations()};
    installer.install([&](const StreamEvent& event) { emitter.relay(event); }, task);
}

void SetupRemediationRunner::installPackage(const SetupFixKind& kind, const QString& prompt,
                                            Emitter& emitter, WorkerTask& task) const {
    using Kind = SetupRemediation::Kind;
    const QString package = kind.packageName();
    std::optional<qint32> code;
    if (kind.runs == SetupFixKind::Runs::formula)
        code = formulaStep(package, emitter, task);
    else
        code = caskStep(package, prompt,
                        kind.kind == Kind::installTemurin ? brewRunner().temurinRecoveryPolicy()
                                                          : BrewRunner::CaskRecoveryPolicy::none(),
                        emitter, task);
    if (!code)
        return;
    if (*code == 0)
        for (const auto& line : followUp(kind.kind))
            emitter.output(line);
    emitter.completed(*code);
}

QStringList SetupRemediationRunner::followUp(SetupRemediation::Kind kind) const {
    using Kind = SetupRemediation::Kind;
    const InstallFollowUps followUps{fs, {}, locations()};
    switch (kind) {
    case Kind::installClaudeCLI:
        return {followUps.enableClaudeAutoUpdate()};
    case Kind::installTemurin:
        return {followUps.setJavaHome()};
    case Kind::installMise:
        return followUps.configureMise();
    default:
        return {};
    }
}

void SetupRemediationRunner::repairPath(const QString& directory, Emitter& emitter) const {
    const auto report = PathRepairer{fs, {}, locations()}.repairPath(directory);
    writerStep(report.lines, report.ok, emitter);
}

void SetupRemediationRunner::repairHomebrewPath(Emitter& emitter) const {
    const auto report = PathRepairer{fs, {}, locations()}.repairHomebrewPath();
    writerStep(report.lines, report.ok, emitter);
}

void SetupRemediationRunner::createProject(const SetupRemediation::CreateProject& project,
                                           Emitter& emitter) const {
    const auto report = TemplateTreeCopier{fs}.createExample(project.template_,
                                                             project.destinationPath, resourcesDir);
    writerStep(report.lines, report.ok, emitter);
}

void SetupRemediationRunner::write(SetupRemediation::Kind kind, Emitter& emitter) const {
    const auto report = kind == SetupRemediation::Kind::configureShell
                            ? ShellConfigurator{fs, {}, locations()}.configure()
                            : AgentEnvDoc{fs, locations()}.document();
    writerStep(report.lines, report.ok, emitter);
}

void SetupRemediationRunner::installSkill(const AgentSkill& skill, Emitter& emitter,
                                          WorkerTask& task) const {
    auto latch = latchFor(task);
    SkillFolderInstaller installer{fs};
    installer.locations = locations();
    const auto report = installer.installSkill(
        skill, resourcesDir, *process, [&](const QString& line) { emitter.output(line); },
        latch.get());
    emitter.completed(report.ok ? 0 : 1);
}

void SetupRemediationRunner::addMCPServer(const SetupRemediation::AddMCPServer& request,
                                          Emitter& emitter, WorkerTask& task) const {
    auto latch = latchFor(task);
    const auto report = MCPConfigWriter{fs, locations()}.addServer(
        request.server, request.apiKey, *process,
        [&](const QString& line) { emitter.output(line); }, latch.get());
    emitter.completed(report.ok ? 0 : 1);
}

void SetupRemediationRunner::configureGit(const QString& name, const QString& email,
                                          Emitter& emitter, WorkerTask& task) const {
    GitSetup{process, fs, locations()}.configureGit(
        name, email, [&](const StreamEvent& event) { emitter.relay(event); }, *latchFor(task));
}

void SetupRemediationRunner::githubAuth(Emitter& emitter, WorkerTask& task) const {
    GitSetup{process}.githubAuth([&](const StreamEvent& event) { emitter.relay(event); },
                                 *latchFor(task));
}

ToolInstaller SetupRemediationRunner::toolInstaller() const {
    ToolInstaller installer{process, fs};
    installer.locations = locations();
    installer.scripts = installScripts;
    return installer;
}

void SetupRemediationRunner::installUv(Emitter& emitter, WorkerTask& task) const {
    toolInstaller().installUv([&](const StreamEvent& event) { emitter.relay(event); },
                              *latchFor(task));
}

void SetupRemediationRunner::installRustup(Emitter& emitter, WorkerTask& task) const {
    toolInstaller().installRustup([&](const StreamEvent& event) { emitter.relay(event); },
                                  *latchFor(task));
}

void SetupRemediationRunner::installMiseLanguage(const QString& tool, Emitter& emitter,
                                                 WorkerTask& task) const {
    using Language = ToolInstaller::MiseLanguage;
    Language language = Language::node();
    for (const Language& known : {Language::ruby(), Language::rust()})
        if (known.toolSpec == tool)
            language = known;
    toolInstaller().installWithMise(
        language, [&](const StreamEvent& event) { emitter.relay(event); }, *latchFor(task));
}

SetupRemediationRunner SetupRemediationRunner::live(const AppServices& services) {
    SetupRemediationRunner runner;
    if (services.fs)
        runner.brewPath = homebrewExecutable(*services.fs);
    runner.process = services.processRunner;
    runner.fs = services.fs;
    runner.http = services.http;
    runner.toolLocations = services.toolLocations;
    return runner;
}

} // namespace tovr
