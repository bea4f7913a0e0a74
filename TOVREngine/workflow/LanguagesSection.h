#pragma once

#include "ui/DiskRead.h"

#include "model/LanguageDetector.h"
#include "workflow/StageScope.h"

#include <QMap>
#include <QSet>

#include <memory>

namespace tovr {

// The languages stage: one row per language with what is already on the Mac, and one
// install for the ticked ones. A language already set up our way can be neither ticked nor
// installed again, even when the user ticked it before it was set up.
class LanguagesSection {
public:
    using Statuses = QMap<TOVRLanguage, LanguageDetector::Status>;

    struct Row {
        TOVRLanguage language;
        QString label;
        std::optional<QString> note;
        bool noteWarns = false; // another version manager holds the language
        bool enabled = true;
        bool ticked = false;
        bool operator==(const Row&) const = default;
    };

    LanguagesSection(StageScope scope, std::shared_ptr<FileSystemOperating> fs);

    // Detects every language afresh; when the section is built and after each re-probe.
    DiskRead diskRead();
    void readDisk() { diskRead()()(); }

    QList<Row> rows() const { return rows(statuses_, selected()); }
    void setTicked(TOVRLanguage language, bool ticked);
    // The ticked languages that are not set up yet.
    QSet<TOVRLanguage> chosen() const { return chosen(statuses_, selected()); }
    bool canInstall() const { return !chosen().isEmpty(); }
    QList<SetupRemediation> fixes() const;
    // "Install selected languages": one install that goes on past a failed language.
    void install();

    static QList<Row> rows(const Statuses& statuses, const QSet<TOVRLanguage>& selected);
    static QSet<TOVRLanguage> chosen(const Statuses& statuses, const QSet<TOVRLanguage>& selected);

private:
    QSet<TOVRLanguage> selected() const;

    StageScope scope_;
    LanguageDetector detector_;
    Statuses statuses_;
};

} // namespace tovr
