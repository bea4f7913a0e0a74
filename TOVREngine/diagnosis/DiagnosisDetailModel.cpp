#include "diagnosis/DiagnosisDetailModel.h"

#include "model/ProductConfig.h"
#include "telemetry/UsageEventCatalogue.h"

namespace tovr {

DiagnosisDetailModel::DiagnosisDetailModel(Diagnosis diagnosis,
                                           std::optional<Remediation> d1Remediation,
                                           std::optional<Remediation> d2Remediation,
                                           Callbacks callbacks, const KeyValueStoring& userDefaults,
                                           QObject* parent)
    : QObject(parent), diagnosis_(std::move(diagnosis)), d1Remediation_(std::move(d1Remediation)),
      d2Remediation_(std::move(d2Remediation)), callbacks_(std::move(callbacks)) {
    const QString key = ProductConfig::current().userDefaultsPrefix + ".nps_submitted";
    showNPSOnNoErrors_ = !userDefaults.boolean(key).value_or(false);
}

DiagnosisDetailModel::Section DiagnosisDetailModel::section() const {
    switch (diagnosis_.kind()) {
    case Diagnosis::Kind::D2_HomeUnset:
        return d2Remediation_ ? Section::proposedFix : Section::choosingFix;
    case Diagnosis::Kind::D1_NoJDK:
        return Section::installD1;
    case Diagnosis::Kind::D3_LegacyOnly:
        return Section::installD3;
    case Diagnosis::Kind::D4_ModernHomeSet:
    case Diagnosis::Kind::noErrorsFound:
        return Section::nothingToFix;
    case Diagnosis::Kind::unknown:
        break;
    }
    return Section::unknown;
}

QString DiagnosisDetailModel::proposedFixTitle() const {
    const QString text = d2Remediation_ ? d2Remediation_->title() : QString();
    return callbacks_.namingFiles ? callbacks_.namingFiles(text) : text;
}

QString DiagnosisDetailModel::proposedFixExplanation() const {
    const QString text = d2Remediation_ ? d2Remediation_->explanation() : QString();
    const QString named = callbacks_.namingFiles ? callbacks_.namingFiles(text) : text;
    const QString note = callbacks_.filesNote ? callbacks_.filesNote(named) : QString();
    return note.isEmpty() ? named : named + u' ' + note;
}

std::optional<QString> DiagnosisDetailModel::detailMarkdown() const {
    const auto& jdk = diagnosis_.detectedJDK();
    if (diagnosis_.kind() != Diagnosis::Kind::D3_LegacyOnly || !jdk)
        return std::nullopt;
    const QString text = diagnosis_.detailText();
    const QString codeSpan = u'`' + jdk->path + u'`';
    if (jdk->path.contains(u'`') || text.count(codeSpan) != 1)
        return std::nullopt;
    const QString rest = QString(text).remove(codeSpan);
    for (QChar markup : {u'`', u'*', u'_', u'['})
        if (rest.contains(markup))
            return std::nullopt;
    return text;
}

qint64 DiagnosisDetailModel::chosenMajor() const {
    return section() == Section::installD3 ? d3ChosenMajor_ : d1ChosenMajor_;
}

QString DiagnosisDetailModel::installTitle() const {
    return QStringLiteral("Install Java ") + QString::number(chosenMajor());
}

QString DiagnosisDetailModel::chooserContext() const {
    switch (section()) {
    case Section::installD1:
        return QStringLiteral("d1");
    case Section::installD3:
        return QStringLiteral("d3");
    default:
        return {};
    }
}

void DiagnosisDetailModel::appeared() {
    const QString context = chooserContext();
    if (!context.isEmpty())
        trackChooserShown(context, kRecommendedJavaMajorVersion);
    else if (section() == Section::nothingToFix && showNPSOnNoErrors_)
        emitNPSShownOnce();
}

void DiagnosisDetailModel::emitNPSShownOnce() {
    if (didEmitNPSShownOnNoErrors_)
        return;
    didEmitNPSShownOnNoErrors_ = true;
    // Another screen may have counted the card already in this run.
    trackRecommendationCardShown();
}

void DiagnosisDetailModel::chooseMajor(qint64 major) {
    if (section() == Section::installD1)
        d1ChosenMajor_ = major;
    else if (section() == Section::installD3)
        d3ChosenMajor_ = major;
    else
        return;
    Q_EMIT changed();
}

void DiagnosisDetailModel::remediate() {
    if (section() == Section::proposedFix && callbacks_.onRemediate)
        callbacks_.onRemediate(*d2Remediation_);
}

void DiagnosisDetailModel::installChosen() {
    const Section shown = section();
    if ((shown == Section::installD1 || shown == Section::installD3) && callbacks_.onInstallChosen)
        callbacks_.onInstallChosen(chosenMajor());
}

void DiagnosisDetailModel::keepLegacy() {
    if (section() == Section::installD3 && callbacks_.onKeepLegacy)
        callbacks_.onKeepLegacy();
}

void DiagnosisDetailModel::continueToAudit() {
    const Section shown = section();
    if (shown != Section::nothingToFix && shown != Section::unknown)
        return;
    if (shown == Section::nothingToFix && showNPSOnNoErrors_ && didEmitNPSShownOnNoErrors_ &&
        !didSubmitNPSOnNoErrors_)
        sendUsageEvent({QStringLiteral("nps_dismissed"), {}});
    if (callbacks_.onContinue)
        callbacks_.onContinue();
}

void DiagnosisDetailModel::scoreSubmitted() {
    didSubmitNPSOnNoErrors_ = true;
    showNPSOnNoErrors_ = false;
    Q_EMIT changed();
}

} // namespace tovr
