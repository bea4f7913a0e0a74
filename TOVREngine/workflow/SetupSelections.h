#pragma once

#include "model/TOVRLanguage.h"

#include <QMap>
#include <QSet>
#include <QString>

namespace tovr {

// What the user chose on the stage screens. It belongs to the workflow screen, not to a
// page, so a choice survives leaving a stage and coming back, and seeding happens once.
struct SetupSelections {
    QSet<TOVRLanguage> selectedLanguages;
    QSet<QString> selectedSkills;
    bool didSeedSkills = false;
    QSet<QString> selectedMCP;
    QMap<QString, QString> mcpAPIKeys; // by server id; never logged nor sent
    QString gitName;
    QString gitEmail;
    QSet<QString> selectedCasks;
    QSet<QString> didSeedCasks;
};

} // namespace tovr
