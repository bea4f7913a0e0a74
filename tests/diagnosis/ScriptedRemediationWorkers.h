#pragma once

#include "services/RemediationWorkers.h"

#include <QMap>

#include <functional>
#include <mutex>

namespace tovr::test {

// Remediation workers whose streams a test scripts: every call is recorded (its name, then
// its arguments) and answered with the events scripted for that name. A script may leave
// its stream open, as a runner that is still working.
class ScriptedRemediationWorkers final : public RemediationWorkers {
public:
    struct Script {
        QList<StreamEvent> events;
        bool ends = true;
    };

    // Unscripted calls end at once with `completed(0)`.
    void script(const QString& call, Script script) {
        std::lock_guard lock(mutex_);
        scripts_[call] = std::move(script);
    }
    void scriptPKG(QList<PKGInstaller::Event> events) {
        std::lock_guard lock(mutex_);
        pkgEvents_ = std::move(events);
    }

    QStringList mise;
    QStringList jenv;
    // Runs on the worker thread for installedJDKs().
    std::function<QList<JDKInfo>(WorkerTask&)> probe = [](WorkerTask&) { return QList<JDKInfo>{}; };
    std::shared_ptr<ToolLocationsSource> locations; // set before the run starts

    QList<QStringList> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    QStringList callNames() const {
        QStringList names;
        for (const auto& call : calls())
            names << call.first();
        return names;
    }
    // The producers of the streams left open, in call order.
    QList<EventContinuation<StreamEvent>> openStreams() const {
        std::lock_guard lock(mutex_);
        return open_;
    }

    EventStream<StreamEvent> installCask(const QString& brewPath, const QString& cask,
                                         const QString& prompt) const override {
        return answer({QStringLiteral("installCask"), brewPath, cask, prompt});
    }
    EventStream<StreamEvent> installHomebrew() const override {
        return answer({QStringLiteral("installHomebrew")});
    }
    EventStream<StreamEvent> runSDKMAN(const QStringList& words) const override {
        return answer(QStringList{QStringLiteral("runSDKMAN")} + words);
    }
    EventStream<StreamEvent> miseInstallJava(const QString& version) const override {
        return answer({QStringLiteral("miseInstallJava"), version});
    }
    EventStream<StreamEvent> miseUseGlobalJava(const QString& version) const override {
        return answer({QStringLiteral("miseUseGlobalJava"), version});
    }
    EventStream<StreamEvent> jenvSetGlobal(const QString& jdkPath, qint64 major) const override {
        return answer({QStringLiteral("jenvSetGlobal"), jdkPath, QString::number(major)});
    }
    EventStream<PKGInstaller::Event> installPKG(qint64 major,
                                                const QString& prompt) const override {
        auto [stream, continuation] = EventStream<PKGInstaller::Event>::make();
        std::lock_guard lock(mutex_);
        calls_.append({QStringLiteral("installPKG"), QString::number(major), prompt});
        for (const auto& event : pkgEvents_)
            continuation.yield(event);
        continuation.finish();
        return std::move(stream);
    }
    QStringList missingMiseActivation() const override {
        record({QStringLiteral("missingMiseActivation")});
        return mise;
    }
    QStringList missingJEnvInit() const override {
        record({QStringLiteral("missingJEnvInit")});
        return jenv;
    }
    QList<JDKInfo> installedJDKs(WorkerTask& task) const override {
        record({QStringLiteral("installedJDKs")});
        return probe(task);
    }
    std::shared_ptr<ToolLocationsSource> toolLocations() const override { return locations; }

private:
    void record(QStringList call) const {
        std::lock_guard lock(mutex_);
        calls_.append(std::move(call));
    }

    EventStream<StreamEvent> answer(QStringList call) const {
        auto [stream, continuation] = EventStream<StreamEvent>::make();
        std::lock_guard lock(mutex_);
        const Script script =
            scripts_.value(call.first(), Script{{StreamEvent::completed(0)}, true});
        calls_.append(std::move(call));
        for (const auto& event : script.events)
            continuation.yield(event);
        if (script.ends)
            continuation.finish();
        else
            open_.append(continuation);
        return std::move(stream);
    }

    mutable std::mutex mutex_;
    QMap<QString, Script> scripts_;
    QList<PKGInstaller::Event> pkgEvents_{PKGInstaller::Event::completed()};
    mutable QList<QStringList> calls_;
    mutable QList<EventContinuation<StreamEvent>> open_;
};

} // namespace tovr::test
