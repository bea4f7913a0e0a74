#pragma once

#include "ui/views/SheetBackdrop.h"

#include <QDialog>

class QPushButton;

namespace tovr {

// A sheet: a window-modal dialog over its parent's window, opened with open() (never
// exec(): no nested event loop), deleted when closed. Unless the screen allows dismissing,
// the close box does nothing and Esc presses the visible, enabled button marked as the
// sheet's Cancel (nothing when none is showing); the screen closes it with closeSheet().
// While it is up, everything else in its window is disabled (SheetBackdrop), and the window
// is named by the sheet's title.
// Only the user's close is refused: while the application quits, the sheet closes.
class SheetDialog : public QDialog {
    Q_OBJECT

public:
    explicit SheetDialog(QWidget* parent);
    ~SheetDialog() override;

    void setDismissable(bool dismissable) { dismissable_ = dismissable; }
    bool isDismissable() const { return dismissable_; }

    // Marks `button` as a Cancel that Esc presses while it is visible and enabled. A sheet
    // may mark one per state; Esc takes whichever is showing.
    static void markCancelButton(QPushButton* button);

    // Shows the sheet, the focus on its first control.
    void present();
    // Hides it at once and deletes it later, so a caller inside one of its signals is safe.
    void closeSheet();

    void reject() override;

    // The application quits: ends the sheet's work as its Cancel does, through the model.
    // A sheet with nothing running does nothing.
    virtual void cancelForQuit() {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    SheetBackdrop backdrop_;
    bool dismissable_ = false;
    bool closing_ = false;
};

} // namespace tovr
