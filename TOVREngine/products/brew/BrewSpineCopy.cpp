#include "products/brew/BrewSpineCopy.h"

#include "products/brew/HomebrewInstallState.h"

namespace tovr {

std::optional<SpineScreenCopy>
BrewSpineCopy::screenCopy(const QString& domainID,
                          const std::optional<SetupDiagnosis>& diagnosis) const {
    if (domainID == u"clt")
        return SpineScreenCopy{QStringLiteral("Command Line Tools"),
                               QStringLiteral("Install the Command Line Tools"),
                               QStringLiteral("Apple's Command Line Tools provide basic programs "
                                              "Homebrew needs. This can take many minutes; press "
                                              "Continue when it finishes."),
                               std::nullopt};
    if (domainID == u"homebrew") {
        SpineScreenCopy copy{QStringLiteral("Homebrew package manager"),
                             QStringLiteral("Install Homebrew"),
                             QStringLiteral("This installs Homebrew, the macOS package manager, "
                                            "and wires it onto your PATH."),
                             std::nullopt};
        if (diagnosis && (diagnosis->headline == kHomebrewNotOnPathHeadline ||
                          diagnosis->headline == kHomebrewWrongChipHeadline)) {
            copy.headline = diagnosis->headline;
            copy.body = diagnosis->detail;
        }
        return copy;
    }
    if (domainID == u"warp")
        return SpineScreenCopy{QStringLiteral("The terminal"),
                               QStringLiteral("Install Warp, a better terminal"),
                               QStringLiteral("Warp is a fast terminal with AI to help learn and "
                                              "remember commands. Lumbrook recommends it."),
                               std::nullopt};
    return std::nullopt;
}

QString brewFamilyStatusText(const QString& name, const QString& domainID,
                             const SetupDiagnosis& diagnosis) {
    QString state = setupStatusWord(diagnosis.classification);
    if (domainID == u"homebrew" && diagnosis.headline == kHomebrewNotOnPathHeadline)
        state = QStringLiteral("installed, not on PATH");
    else if (domainID == u"homebrew" && diagnosis.headline == kHomebrewWrongChipHeadline)
        state = QStringLiteral("installed for the wrong chip");
    return name + QStringLiteral(": ") + state;
}

QString BrewSpineCopy::statusText(const QString& domainID, const SetupDiagnosis& diagnosis) const {
    QString name = domainID;
    if (domainID == u"clt")
        name = QStringLiteral("Command Line Tools");
    else if (domainID == u"homebrew")
        name = QStringLiteral("Homebrew");
    else if (domainID == u"warp")
        name = QStringLiteral("Warp");
    return brewFamilyStatusText(name, domainID, diagnosis);
}

} // namespace tovr
