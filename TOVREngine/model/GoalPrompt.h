#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace tovr {

// One answer to the goal question; identified by its key.
struct GoalOption {
    QString key;
    QString label;
    std::optional<QString> detailPrompt; // present when the answer asks for a free-text detail

    const QString& id() const { return key; }
};

// The goal question a product may ask on the welcome screen.
struct GoalPrompt {
    QString question;
    QString subcopy;
    QString surface;           // sent with the usage event of the choice
    qint64 detailMaxChars = 0; // longer free-text details are cut to this many characters
    QList<GoalOption> options;
};

} // namespace tovr
