#pragma once

#include "shell/Stage2Terminal.h"
#include "ui/ScreenContext.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QPushButton;

namespace tovr {

// "Try Warp — the AI-assisted terminal": install, learn more, or put it off. Renders its
// stage in place; a request for a remediation opens the progress dialog.
class Stage2View : public QWidget {
    Q_OBJECT

public:
    Stage2View(const ScreenContext& context, Stage2Terminal* stage, QWidget* parent = nullptr);

private:
    void render();

    ScreenContext context_;
    QPointer<Stage2Terminal> stage_;
    std::optional<Remediation> shownRequest_;
    QList<QPushButton*> buttons_;
};

} // namespace tovr
