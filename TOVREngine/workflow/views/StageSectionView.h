#pragma once

#include "ui/DiskRead.h"

#include "model/SetupRemediation.h"

#include <QList>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QLineEdit;

namespace tovr {

// A section a stage body shows in place of its fix buttons. It renders its presenter in
// place, so typed text, ticks and focus survive a model change.
class StageSectionView : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    // The stage's current fixes; `canAct` is false while the stage cannot start an install.
    virtual void render(const QList<SetupRemediation>& fixes, bool canAct) = 0;
    // Reads what the section shows from the disk: when built and after each re-probe.
    virtual DiskRead diskRead() { return {}; }
    // The section is shown for the first time, with the stage's fixes.
    virtual void appeared(const QList<SetupRemediation>&) {}
};

// Small pieces the sections share.
namespace stagerows {

// A caption under a checkbox: plain, secondary, indented like the checkbox's text.
QLabel* makeCaption(const QString& text, QWidget* parent, bool small = false);
// Orange, for a warning under a row.
void applyWarningStyle(QWidget* widget);
void setCheckedQuietly(QAbstractButton* box, bool checked);
void setTextQuietly(QLabel* label, const QString& text);
// A field shows what its model holds; the cursor stays where it was.
void setTextQuietly(QLineEdit* field, const QString& text);
// A screen reader reads `lines` (the caption and warning shown under `box`; empty ones are
// not shown) with the box, as its description.
void describe(QAbstractButton* box, const QStringList& lines);

} // namespace stagerows

} // namespace tovr
