#pragma once

#include <QList>
#include <QMap>
#include <QWidget>

class QRadioButton;

namespace tovr {

// The Java long-term-support releases to pick from before an install, one row each. It
// shows the host's choice and reports a pick; the host owns the choice.
class JavaVersionChooserView : public QWidget {
    Q_OBJECT

public:
    // `screenContext` ("d1", "d3") only names the rows: diagnosis-<context>-pick-java-<major>.
    JavaVersionChooserView(qint64 chosenMajor, const QString& screenContext,
                           QWidget* parent = nullptr);

    static QList<qint64> offeredMajors();
    static QString rowTitle(qint64 major);
    static QString rowCaption(qint64 major);
    static QString rowIdentifier(const QString& screenContext, qint64 major);

    qint64 chosenMajor() const { return chosen_; }
    // Shows the host's choice; emits nothing.
    void setChosenMajor(qint64 major);

Q_SIGNALS:
    // The user picked a row (the chosen one too).
    void majorPicked(qint64 major);

private:
    void pick(qint64 major);
    void render();

    qint64 chosen_;
    QMap<qint64, QRadioButton*> rows_;
};

} // namespace tovr
