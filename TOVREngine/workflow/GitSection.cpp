#include "workflow/GitSection.h"

#include "platform/TextTrimming.h"
#include "workflow/SetupFlowModel.h"
#include "workflow/SetupSelections.h"

namespace tovr {

GitSection::GitSection(StageScope scope) : scope_(std::move(scope)) {}

void GitSection::setName(const QString& name) {
    if (scope_.selections)
        scope_.selections->gitName = name;
}

void GitSection::setEmail(const QString& email) {
    if (scope_.selections)
        scope_.selections->gitEmail = email;
}

QString GitSection::typedName() const {
    return scope_.selections ? scope_.selections->gitName : QString();
}

QString GitSection::typedEmail() const {
    return scope_.selections ? scope_.selections->gitEmail : QString();
}

SetupProbeBundle GitSection::probes() const {
    return scope_.model ? scope_.model->probes().value_or(SetupProbeBundle{}) : SetupProbeBundle{};
}

void GitSection::setUp() {
    if (canSetUp())
        scope_.requestInstall(QStringLiteral("git"), QStringLiteral("Set up Git with GitHub"),
                              fixes(), false);
}

QString GitSection::trimmed(const QString& text) {
    return trimHorizontalWhitespace(text);
}

bool GitSection::canSetUp(const SetupProbeBundle& probes, const QString& name,
                          const QString& email) {
    return probes.gitIdentitySet || (!trimmed(name).isEmpty() && !trimmed(email).isEmpty());
}

QList<SetupRemediation> GitSection::fixes(const SetupProbeBundle& probes, const QString& name,
                                          const QString& email) {
    QList<SetupRemediation> fixes;
    if (!probes.ghPresent)
        fixes.append(SetupRemediation::installGh());
    const QString trimmedName = trimmed(name);
    const QString trimmedEmail = trimmed(email);
    if (!trimmedName.isEmpty() && !trimmedEmail.isEmpty())
        fixes.append(SetupRemediation::configureGit(trimmedName, trimmedEmail));
    // Signed in already, the sign-in only makes git use gh.
    if (!probes.ghAuthed || !probes.gitUsesGhCredentials)
        fixes.append(SetupRemediation::githubAuth());
    return fixes;
}

} // namespace tovr
