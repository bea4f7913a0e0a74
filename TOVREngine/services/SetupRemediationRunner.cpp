#include "services/SetupRemediationRunner.h"

#include "platform/CancellableProcess.h"
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
    using Kind = SetupRemediation::Kind;
    switch (remediation.kind()) {
    case Kind::repairPath:
    case Kind::repairHomebrewPath:
    case Kind::createProject:
    case Kind::configureShell:
    case Kind::documentEnvironment:
        return true;
    case Kind::installSkill:
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
    using Kind = SetupRemediation::Kind;
    try {
        switch (remediation.kind()) {
        case Kind::repairPath:
            repairPath(remediation.as<SetupRemediation::RepairPath>()->directory, emitter);
            break;
        case Kind::createProject:
            createProject(*remediation.as<SetupRemediation::CreateProject>(), emitter);
            break;
        case Kind::installSkill:
            installSkill(*remediation.as<AgentSkill>(), emitter, task);
            break;
        case Kind::addMCPServer:
            addMCPServer(*remediation.as<SetupRemediation::AddMCPServer>(), emitter, task);
            break;
        case Kind::configureGit: {
            const auto* git = remediation.as<SetupRemediation::ConfigureGit>();
            configureGit(git->name, git->email, emitter, task);
            break;
        }
        case Kind::installCommandLineTools:
            installCommandLineTools(emitter, task);
            break;
        case Kind::installHomebrew:
            installHomebrew(emitter, task);
            break;
        case Kind::installClaudeCLI:
            installClaudeCLI(privilegedPrompt, emitter, task);
            break;
        case Kind::repairHomebrewPath:
            repairHomebrewPath(emitter);
            break;
        case Kind::installWarp:
        case Kind::installClaudeDesktop:
        case Kind::installZed:
        case Kind::installVSCode:
        case Kind::installCodexCLI:
        case Kind::installChatGPTDesktop: {
            static const QMap<Kind, QString> casks{
                {Kind::installWarp, QStringLiteral("warp")},
                {Kind::installClaudeDesktop, QStringLiteral("claude")},
                {Kind::installZed, QStringLiteral("zed")},
                {Kind::installVSCode, QStringLiteral("visual-studio-code")},
                {Kind::installCodexCLI, QStringLiteral("codex")},
                {Kind::installChatGPTDesktop, QStringLiteral("chatgpt")},
            };
            if (const auto code = caskStep(casks.value(remediation.kind()), privilegedPrompt,
                                           BrewRunner::CaskRecoveryPolicy::none(), emitter, task))
                emitter.completed(*code);
            break;
        }
        case Kind::configureShell:
            configureShell(emitter);
            break;
        case Kind::installUv:
            installUv(emitter, task);
            break;
        case Kind::installMise:
            installMise(emitter, task);
            break;
        case Kind::installNodeViaMise:
            installMiseLanguage(ToolInstaller::MiseLanguage::node(), emitter, task);
            break;
        case Kind::installRubyViaMise:
            installMiseLanguage(ToolInstaller::MiseLanguage::ruby(), emitter, task);
            break;
        case Kind::installRustViaMise:
            installMiseLanguage(ToolInstaller::MiseLanguage::rust(), emitter, task);
            break;
        case Kind::installRustup:
            installRustup(emitter, task);
            break;
        case Kind::installTemurin:
            installTemurin(privilegedPrompt, emitter, task);
            break;
        case Kind::documentEnvironment:
            documentEnvironment(emitter);
            break;
        case Kind::installGh:
            if (const auto code = formulaStep(QStringLiteral("gh"), emitter, task))
                emitter.completed(*code);
            break;
        case Kind::githubAuth:
            githubAuth(emitter, task);
            break;
        }
    } catch (const Error& e) {
        // Workers report their own failures; this is the net under a thrown one.
        emitter.output(e.description());
    } catch (const std::exception& e) {
        emitter.output(QString::fromUtf8(e.what()));
    }
    emitter.endIfOpen();
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

void SetupRemediationRunner::installClaudeCLI(const QString& prompt, Emitter& emitter,
                                              WorkerTask& task) const {
    const auto code = caskStep(QStringLiteral("claude-code@latest"), prompt,
                               BrewRunner::CaskRecoveryPolicy::none(), emitter, task);
    if (!code)
        return;
    if (*code == 0)
        emitter.output(InstallFollowUps{fs, {}, locations()}.enableClaudeAutoUpdate());
    emitter.completed(*code);
}

void SetupRemediationRunner::installTemurin(const QString& prompt, Emitter& emitter,
                                            WorkerTask& task) const {
    const auto code = caskStep(QStringLiteral("temurin"), prompt,
                               brewRunner().temurinRecoveryPolicy(), emitter, task);
    if (!code)
        return;
    if (*code == 0)
        for (const auto& line : setJavaHomeAfterTemurin())
            emitter.output(line);
    emitter.completed(*code);
}

void SetupRemediationRunner::installMise(Emitter& emitter, WorkerTask& task) const {
    const auto code = formulaStep(QStringLiteral("mise"), emitter, task);
    if (!code)
        return;
    if (*code == 0)
        for (const auto& line : configureMiseStartup())
            emitter.output(line);
    emitter.completed(*code);
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

void SetupRemediationRunner::configureShell(Emitter& emitter) const {
    const auto report = ShellConfigurator{fs, {}, locations()}.configure();
    writerStep(report.lines, report.ok, emitter);
}

void SetupRemediationRunner::documentEnvironment(Emitter& emitter) const {
    const auto report = AgentEnvDoc{fs, locations()}.document();
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

void SetupRemediationRunner::installMiseLanguage(const ToolInstaller::MiseLanguage& language,
                                                 Emitter& emitter, WorkerTask& task) const {
    toolInstaller().installWithMise(
        language, [&](const StreamEvent& event) { emitter.relay(event); }, *latchFor(task));
}

QStringList SetupRemediationRunner::configureMiseStartup() const {
    return InstallFollowUps{fs, {}, locations()}.configureMise();
}

QStringList SetupRemediationRunner::setJavaHomeAfterTemurin() const {
    return {InstallFollowUps{fs, {}, locations()}.setJavaHome()};
}

} // namespace tovr
