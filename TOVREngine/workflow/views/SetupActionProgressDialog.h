#pragma once

#include "ui/ScreenContext.h"
#include "ui/views/SheetDialog.h"
#include "workflow/SetupActionProgressModel.h"

#include <QPointer>
#include <QTimer>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace tovr {

// The install sheet: runs the approved fixes with their output scrolling live, Cancel while
// it works, Continue when it is done. The close box does nothing and Esc only presses Cancel:
// the sheet ends only through its buttons, so its owner always learns the outcome.
class SetupActionProgressDialog : public SheetDialog {
    Q_OBJECT

public:
    using OnFinish = std::function<void(SetupActionOutcome)>;

    // Opens the sheet over `parent`'s window and starts the run. `onFinish` gets the one
    // outcome; the sheet has closed itself (deleted later) by then.
    static SetupActionProgressDialog* present(QWidget* parent, const ScreenContext& context,
                                              SetupActionProgressModel::Request request,
                                              SetupRemediationRunner runner, OnFinish onFinish);
    // The same with any way of starting a fix.
    static SetupActionProgressDialog* present(QWidget* parent, const ScreenContext& context,
                                              SetupActionProgressModel::Request request,
                                              SetupActionProgressModel::FixStarter starter,
                                              OnFinish onFinish);

    SetupActionProgressModel* model() const { return model_; }

    // Cancel, as the button does.
    void cancelForQuit() override;

    // How long new log lines wait so that a burst is shown in one go (one frame).
    static constexpr int kLogFrameMs = 16;
    // How long one turn of adding lines to the log may take, in steps of a few hundred
    // lines, so that it stays well inside a frame however far behind the log is.
    static constexpr qint64 kLogBudgetNs = 4'000'000;
    static constexpr qsizetype kLogChunk = 100;

private:
    SetupActionProgressDialog(QWidget* parent, const ScreenContext& context,
                              SetupActionProgressModel::Request request,
                              SetupActionProgressModel::FixStarter starter, OnFinish onFinish);

    void render();
    void showNewLines();

    SetupActionProgressModel* model_ = nullptr;
    QPointer<AppNavigation> navigation_;
    OnFinish onFinish_;
    QProgressBar* spinner_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* continue_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    qsizetype linesInLog_ = 0;
    QTimer logFrame_;
};

} // namespace tovr
