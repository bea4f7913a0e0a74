#include "platform/ToolLocations.h"

#include "platform/WorkerTask.h"

#include <QDir>
#include <QFileInfo>

namespace tovr {

namespace {

QString orDefault(const std::optional<QString>& value, const QString& fallback) {
    return value ? *value : fallback;
}

} // namespace

const QStringList& ToolLocations::names() {
    static const QStringList all{QStringLiteral("CODEX_HOME"), QStringLiteral("CLAUDE_CONFIG_DIR"),
                                 QStringLiteral("ZDOTDIR"), QStringLiteral("GIT_CONFIG_GLOBAL"),
                                 QStringLiteral("XDG_CONFIG_HOME")};
    return all;
}

std::optional<QString> ToolLocations::variable(const QString& name) const {
    const auto it = variables.constFind(name);
    // A relative folder depends on where each command runs: there is no one place to use.
    if (it == variables.cend() || !it->startsWith(u'/'))
        return std::nullopt;
    return QDir::cleanPath(*it);
}

QString ToolLocations::codexHome(const QString& home) const {
    return orDefault(variable(QStringLiteral("CODEX_HOME")), home + QStringLiteral("/.codex"));
}

QString ToolLocations::claudeConfigDir(const QString& home) const {
    return orDefault(variable(QStringLiteral("CLAUDE_CONFIG_DIR")),
                     home + QStringLiteral("/.claude"));
}

QString ToolLocations::claudeJson(const QString& home) const {
    const auto moved = variable(QStringLiteral("CLAUDE_CONFIG_DIR"));
    return (moved ? *moved : home) + QStringLiteral("/.claude.json");
}

std::optional<QString> ToolLocations::startupFile(const QString& home, const QString& name) const {
    if (const auto traced = startupFiles.constFind(name); traced != startupFiles.cend())
        return traced->isEmpty() ? std::nullopt : std::optional(*traced);
    return orDefault(variable(QStringLiteral("ZDOTDIR")), home) + u'/' + name;
}

QString ToolLocations::loginShellName() const {
    return loginShell.isEmpty() ? QStringLiteral("zsh") : QFileInfo(loginShell).fileName();
}

ToolLocations ToolLocations::fromEnvironment(const SystemEnvironment& environment) {
    ToolLocations locations;
    for (const QString& name : names())
        if (const auto value = environment.variable(name))
            locations.variables.insert(name, *value);
    return locations;
}

struct ToolLocationsSource::State {
    Read read;
    std::mutex lock;
    std::condition_variable ready;
    bool started = false;
    std::optional<ToolLocations> value;
    std::weak_ptr<WorkerTask> task;

    void publish(ToolLocations locations) {
        {
            std::lock_guard guard(lock);
            if (!value)
                value = std::move(locations);
        }
        ready.notify_all();
    }
};

ToolLocationsSource::ToolLocationsSource(Read read) : state_(std::make_shared<State>()) {
    state_->read = std::move(read);
}

ToolLocationsSource::~ToolLocationsSource() {
    cancel();
}

void ToolLocationsSource::start() const {
    std::shared_ptr<WorkerTask> task;
    {
        std::lock_guard guard(state_->lock);
        if (std::exchange(state_->started, true))
            return;
        task = WorkerTask::make();
        state_->task = task;
    }
    // The task holds the state, not the source, so the source may go first.
    WorkerTask::launch(task, [state = state_](WorkerTask& self) {
        ToolLocations locations = self.isCanceled() ? ToolLocations{} : state->read(self);
        if (self.isCanceled())
            locations = ToolLocations{};
        locations.unanswered = locations.unanswered || self.isCanceled();
        state->publish(std::move(locations));
    });
}

ToolLocations ToolLocationsSource::get() const {
    start();
    std::unique_lock guard(state_->lock);
    state_->ready.wait(guard, [this] { return state_->value.has_value(); });
    return *state_->value;
}

std::optional<ToolLocations> ToolLocationsSource::ifRead() const {
    std::lock_guard guard(state_->lock);
    return state_->value;
}

void ToolLocationsSource::cancel() const {
    std::shared_ptr<WorkerTask> task;
    {
        std::lock_guard guard(state_->lock);
        state_->started = true; // a read canceled before its start never starts
        task = state_->task.lock();
    }
    if (task) {
        task->cancel(); // the task publishes its unanswered value itself
        return;
    }
    ToolLocations none;
    none.unanswered = true;
    state_->publish(std::move(none));
}

std::shared_ptr<ToolLocationsSource> ToolLocationsSource::fixed(ToolLocations locations) {
    auto source = std::make_shared<ToolLocationsSource>(Read{});
    source->state_->started = true; // nothing to wait for: known at once
    source->state_->publish(std::move(locations));
    return source;
}

ToolLocations toolLocationsOf(const std::shared_ptr<ToolLocationsSource>& source) {
    return source ? source->get() : ToolLocations{};
}

} // namespace tovr
