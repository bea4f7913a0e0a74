#include "products/cli/CliSpineCopy.h"

namespace tovr {

std::optional<SpineScreenCopy>
CliSpineCopy::screenCopy(const QString& domainID,
                         const std::optional<SetupDiagnosis>& diagnosis) const {
    if (domainID == u"clt")
        return SpineScreenCopy{QStringLiteral("Command Line Tools"),
                               QStringLiteral("Install the Command Line Tools"),
                               QStringLiteral("Apple's Command Line Tools are the basics needed "
                                              "for all software development. This can take many "
                                              "minutes; press Continue when it finishes."),
                               std::nullopt};
    return BrewSpineCopy::screenCopy(domainID, diagnosis);
}

QString CliSpineCopy::statusText(const QString& domainID, const SetupDiagnosis& diagnosis) const {
    QString name = domainID;
    if (domainID == u"clt")
        name = QStringLiteral("Command Line Tools");
    else if (domainID == u"shell-config")
        name = QStringLiteral("Shell configuration");
    else if (domainID == u"homebrew")
        name = QStringLiteral("Homebrew");
    else if (domainID == u"warp")
        name = QStringLiteral("Warp");
    else if (domainID == u"git")
        name = QStringLiteral("Git and GitHub");
    return brewFamilyStatusText(name, domainID, diagnosis);
}

} // namespace tovr
