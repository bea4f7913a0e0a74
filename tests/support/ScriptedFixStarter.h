#pragma once

#include "workflow/SetupActionProgressModel.h"

#include <QCoreApplication>
#include <QMap>
#include <QThread>

#include <memory>
#include <mutex>

namespace tovr::test {

// Starts the install sheet's fixes from scripts: each fix id gets the events its stream
// yields and whether the stream then finishes or stays open for the test to go on with.
// A fix without a script succeeds at once. Records every start and every canceled stream.
class ScriptedFixStarter {
public:
    using Event = SetupRemediationRunner::Event;
    struct Script {
        QList<Event> events;
        bool finishes = true;
    };
    struct Call {
        QString fixID;
        QString reason;
        bool onGuiThread = false;
    };

    void script(const QString& fixID, Script script) {
        std::lock_guard guard(state_->lock);
        state_->scripts.insert(fixID, std::move(script));
    }
    // A fix that exits with `code` after printing `lines`.
    void exits(const QString& fixID, qint32 code, const QStringList& lines = {}) {
        QList<Event> events;
        for (const auto& line : lines)
            events.append(Event::output(line));
        events.append(Event::completed(code));
        script(fixID, {events, true});
    }

    SetupActionProgressModel::FixStarter starter() const {
        return [state = state_](const SetupRemediation& fix, const QString& reason) {
            auto [stream, continuation] = EventStream<Event>::make();
            std::lock_guard guard(state->lock);
            const QString id = fix.id();
            continuation.onTermination([state, id](StreamTermination why) {
                if (why == StreamTermination::canceled) {
                    std::lock_guard inner(state->lock);
                    state->canceled.append(id);
                }
            });
            state->calls.append(
                {id, reason, QThread::currentThread() == QCoreApplication::instance()->thread()});
            const Script script = state->scripts.value(id, Script{{Event::completed(0)}, true});
            for (const auto& event : script.events)
                continuation.yield(event);
            if (script.finishes)
                continuation.finish();
            else
                state->open.insert(id, continuation);
            return std::move(stream);
        };
    }

    QList<Call> calls() const {
        std::lock_guard guard(state_->lock);
        return state_->calls;
    }
    QStringList startedIDs() const {
        QStringList ids;
        for (const auto& call : calls())
            ids.append(call.fixID);
        return ids;
    }
    // The producer side of a fix scripted to stay open, once it has started.
    std::optional<EventContinuation<Event>> openStream(const QString& fixID) const {
        std::lock_guard guard(state_->lock);
        if (!state_->open.contains(fixID))
            return std::nullopt;
        return state_->open.value(fixID);
    }
    QStringList canceledIDs() const {
        std::lock_guard guard(state_->lock);
        return state_->canceled;
    }

private:
    struct State {
        std::mutex lock;
        QMap<QString, Script> scripts;
        QMap<QString, EventContinuation<Event>> open;
        QList<Call> calls;
        QStringList canceled;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace tovr::test
