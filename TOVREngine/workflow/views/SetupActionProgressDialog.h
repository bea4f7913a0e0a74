#pragma once

#include "ui/ScreenContext.h"
#include "ui/views/SheetDialog.h"
#include "workflow/SetupActionProgressModel.h"

#include <QPointer>

#include <functional>

class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace tovr {

class BusyIndicator;
class LiveLogView;

// The install sheet: runs the approved fixes with their output scrolling live, Cancel while
// it works, Continue when it is done. The close box does nothing and Esc only presses Cancel:
// the sheet ends only through its buttons, so its owner always learns the outcome.
class SetupActionProgressDialog : public SheetDialog {
    Q_OBJECT

public:
    using OnFinish = std::function<void(SetupActionOutcome)>;

    // Opens the sheet over `parent`'s window and starts the run, each fix through `starter`.
    // `onFinish` gets the one outcome; the sheet has closed itself (deleted later) by then.
    static SetupActionProgressDialog* present(QWidget* parent, const ScreenContext& context,
                                              SetupActionProgressModel::Request request,
                                              SetupActionProgressModel::FixStarter starter,
                                              OnFinish onFinish);

    SetupActionProgressModel* model() const { return model_; }

    // Cancel, as the button does.
    void cancelForQuit() override;

private:
    SetupActionProgressDialog(QWidget* parent, const ScreenContext& context,
                              SetupActionProgressModel::Request request,
                              SetupActionProgressModel::FixStarter starter, OnFinish onFinish);

    void addStatusRow(QVBoxLayout* stack);
    void addLog(QVBoxLayout* stack, const ScreenContext& context);
    void finishWith(SetupActionOutcome outcome);
    void render();

    SetupActionProgressModel* model_ = nullptr;
    QPointer<AppNavigation> navigation_;
    OnFinish onFinish_;
    BusyIndicator* spinner_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* continue_ = nullptr;
    LiveLogView* log_ = nullptr;
};

} // namespace tovr
