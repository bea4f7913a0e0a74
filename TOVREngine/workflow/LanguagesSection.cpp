#include "workflow/LanguagesSection.h"

#include "workflow/SetupSelections.h"

namespace tovr {

namespace {

bool isSetUp(const LanguagesSection::Statuses& statuses, TOVRLanguage language) {
    const auto it = statuses.constFind(language);
    return it != statuses.constEnd() && it->as<LanguageDetector::Status::AlreadySetUp>();
}

} // namespace

LanguagesSection::LanguagesSection(StageScope scope, std::shared_ptr<FileSystemOperating> fs)
    : scope_(std::move(scope)), detector_{std::move(fs)} {}

void LanguagesSection::readDisk() {
    statuses_.clear();
    if (!detector_.fs)
        return;
    for (const auto language : allTOVRLanguages)
        statuses_.insert(language, detector_.detect(language));
}

QSet<TOVRLanguage> LanguagesSection::selected() const {
    return scope_.selections ? scope_.selections->selectedLanguages : QSet<TOVRLanguage>{};
}

void LanguagesSection::setTicked(TOVRLanguage language, bool ticked) {
    if (!scope_.selections || (ticked && isSetUp(statuses_, language)))
        return;
    if (ticked)
        scope_.selections->selectedLanguages.insert(language);
    else
        scope_.selections->selectedLanguages.remove(language);
}

QList<SetupRemediation> LanguagesSection::fixes() const {
    return remediations(chosen());
}

void LanguagesSection::install() {
    const auto fixes = this->fixes();
    if (!fixes.isEmpty())
        scope_.requestInstall(QStringLiteral("languages"), QStringLiteral("Install languages"),
                              fixes, true);
}

QList<LanguagesSection::Row> LanguagesSection::rows(const Statuses& statuses,
                                                    const QSet<TOVRLanguage>& selected) {
    QList<Row> rows;
    for (const auto language : allTOVRLanguages) {
        const auto status = statuses.value(language, LanguageDetector::Status::notInstalled());
        const bool setUp = isSetUp(statuses, language);
        rows.append({language, displayName(language), status.text(),
                     status.as<LanguageDetector::Status::ManagedByOther>() != nullptr, !setUp,
                     !setUp && selected.contains(language)});
    }
    return rows;
}

QSet<TOVRLanguage> LanguagesSection::chosen(const Statuses& statuses,
                                            const QSet<TOVRLanguage>& selected) {
    QSet<TOVRLanguage> chosen;
    for (const auto language : selected)
        if (!isSetUp(statuses, language))
            chosen.insert(language);
    return chosen;
}

} // namespace tovr
