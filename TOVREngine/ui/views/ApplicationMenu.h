#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tovr {

// The menus a Mac person's hands expect. The application's menu has About and Quit; Edit has
// Cut, Copy, Paste and Select All, which act on the focused field or log (Copy also on the
// text selected in a label, which takes no focus); Window closes (Cmd-W) and minimises
// (Cmd-M) the window. On macOS they are the menu bar at the top of the screen. Elsewhere no bar
// is drawn, since the window is laid out as a Mac's, without one; the actions are the window's
// own there, with the same keys (Ctrl for Cmd). Quit goes the way every quit goes: `quit`.
class ApplicationMenu final : public QObject {
    Q_OBJECT

public:
    enum class Command { about, quit, cut, copy, paste, selectAll, closeWindow, minimize };

    ApplicationMenu(QWidget* window, std::function<void()> quit);
    ~ApplicationMenu() override;
    ApplicationMenu(const ApplicationMenu&) = delete;
    ApplicationMenu& operator=(const ApplicationMenu&) = delete;

    QAction* action(Command command) const;
    // The application's menu, Edit and Window, in the bar's order.
    const QList<QMenu*>& menus() const { return menus_; }
    // The About panel while it is open.
    QWidget* aboutPanel() const { return about_; }

private:
    QAction* add(QMenu* menu, Command command, const QString& text);
    void run(Command command);
    void showAbout();
    // The window the person works in: the one active, else ours.
    QWidget* activeWindow() const;

    QPointer<QWidget> window_;
    std::function<void()> quit_;
    QList<QMenu*> menus_;
    QList<std::pair<Command, QAction*>> actions_;
    std::unique_ptr<QMenuBar> bar_; // a parentless bar is the Mac's global one
    QPointer<QWidget> about_;
};

} // namespace tovr
