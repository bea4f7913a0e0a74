#pragma once

#include "model/SetupProbeBundle.h"
#include "workflow/StageScope.h"

#include <QUrl>

namespace tovr {

// The Git and GitHub stage: the Git name and e-mail while Git has none, and one install
// that adds the GitHub CLI, stores the identity and signs in to GitHub, each only when
// needed, stopping at the first failure.
class GitSection {
public:
    explicit GitSection(StageScope scope);

    // What the user typed, kept by the workflow screen.
    void setName(const QString& name);
    void setEmail(const QString& email);
    QString typedName() const;
    QString typedEmail() const;

    SetupProbeBundle probes() const;
    // The name and e-mail fields, rather than the note that the identity is set.
    bool showsFields() const { return !probes().gitIdentitySet; }
    bool canSetUp() const { return canSetUp(probes(), typedName(), typedEmail()); }
    QList<SetupRemediation> fixes() const { return fixes(probes(), typedName(), typedEmail()); }
    // "Set up Git with GitHub".
    void setUp();

    // Spaces and tabs at either end go; line breaks stay.
    // "Create a GitHub account →".
    static QUrl accountURL() { return QUrl(QStringLiteral("https://github.com/signup")); }

    static QString trimmed(const QString& text);
    static bool canSetUp(const SetupProbeBundle& probes, const QString& name, const QString& email);
    static QList<SetupRemediation> fixes(const SetupProbeBundle& probes, const QString& name,
                                         const QString& email);

private:
    StageScope scope_;
};

} // namespace tovr
