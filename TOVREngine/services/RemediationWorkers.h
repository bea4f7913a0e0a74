#pragma once

#include "platform/AppServices.h"
#include "platform/EventStream.h"
#include "platform/JDKInfo.h"
#include "platform/StreamEvent.h"
#include "platform/WorkerTask.h"
#include "services/PKGInstaller.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace tovr {

// The installers and version-manager runners one remediation run calls. Every call blocks
// or starts its work at once; callers keep them off the GUI thread. Each stream ends with
// the runner's own ending, and dropping it stops the child.
class RemediationWorkers {
public:
    virtual ~RemediationWorkers() = default;

    // A cask install through `brew` with the password dialog's `prompt` (empty: none) and
    // no recovery beyond the forced install and the one retry.
    virtual EventStream<StreamEvent> installCask(const QString& brewPath, const QString& cask,
                                                 const QString& prompt) const = 0;
    virtual EventStream<StreamEvent> installHomebrew() const = 0;
    // `words` follow "sdk"; the runner quotes each.
    virtual EventStream<StreamEvent> runSDKMAN(const QStringList& words) const = 0;
    virtual EventStream<StreamEvent> miseInstallJava(const QString& version) const = 0;
    virtual EventStream<StreamEvent> miseUseGlobalJava(const QString& version) const = 0;
    virtual EventStream<StreamEvent> jenvSetGlobal(const QString& jdkPath, qint64 major) const = 0;
    virtual EventStream<PKGInstaller::Event> installPKG(qint64 major,
                                                        const QString& prompt) const = 0;

    // The ~/.zshrc lines each version manager still lacks.
    virtual QStringList missingMiseActivation() const = 0;
    virtual QStringList missingJEnvInit() const = 0;
    // The JDKs installed now, from a fresh probe. Cancelling `task` ends the probe's
    // children at once (their login shell may take as long as the user's start-up files).
    virtual QList<JDKInfo> installedJDKs(WorkerTask& task) const = 0;
    // Where the user's login shell keeps zsh's start-up files; none: the usual places.
    virtual std::shared_ptr<ToolLocationsSource> toolLocations() const { return nullptr; }
};

// The live workers, each built from `services` when it is called.
std::shared_ptr<RemediationWorkers> liveRemediationWorkers(const AppServices& services);

} // namespace tovr
