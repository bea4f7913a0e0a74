#pragma once

#include "shell/Stage1Foundations.h"
#include "ui/ScreenContext.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;

namespace tovr {

// "System check": the first missing foundation with its fix, a note when macOS is far
// behind, and "Continue". Renders its stage in place; a request for a remediation opens the
// progress dialog.
class Stage1View : public QWidget {
    Q_OBJECT

public:
    Stage1View(const ScreenContext& context, Stage1Foundations* stage, QWidget* parent = nullptr);

private:
    QWidget* makeHomebrewBlock(QWidget* content);
    QWidget* makeToolsBlock(QWidget* content);
    QWidget* makeMacOSBlock(QWidget* content);
    // Forwards the button's clicks to the stage while it is there.
    void forward(QPushButton* button, void (Stage1Foundations::*action)());
    void render();

    ScreenContext context_;
    QPointer<Stage1Foundations> stage_;
    std::optional<Remediation> shownRequest_;
    QWidget* homebrewBlock_ = nullptr;
    QWidget* toolsBlock_ = nullptr;
    QWidget* macOSBlock_ = nullptr;
    QList<QPushButton*> buttons_;
    QWidget* busy_ = nullptr;
};

} // namespace tovr
