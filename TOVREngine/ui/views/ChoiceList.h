#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <optional>

class QRadioButton;

namespace tovr {

// A single-choice list: one row per choice, a radio mark and the choice's words, wrapping
// onto more lines rather than being cut. The whole row is the hit area. A row shows as
// chosen only through setSelectedKey, so tapping the chosen row again keeps it chosen, and
// a screen reader hears each row's words and whether it is selected.
class ChoiceList : public QWidget {
    Q_OBJECT

public:
    struct Choice {
        QString key;
        QString label;
        QString objectName; // the row's test identifier
    };

    ChoiceList(const QList<Choice>& choices, int spacing, QWidget* parent = nullptr);

    // Every row whose key equals `key` shows as chosen; none for no key.
    void setSelectedKey(const std::optional<QString>& key);

Q_SIGNALS:
    // A person tapped (or pressed Space on) the row of `key`.
    void chosen(const QString& key);

private:
    QList<QPair<QString, QRadioButton*>> rows_;
};

} // namespace tovr
