#include "ui/views/ApplicationMenu.h"

#include "model/ProductConfig.h"
#include "telemetry/TelemetryConfiguration.h"
#include "ui/views/LiveLogView.h"
#include "ui/views/SheetDialog.h"
#include "ui/views/Typography.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace tovr {

namespace {

using Command = ApplicationMenu::Command;

QList<QKeySequence> keysOf(Command command) {
    switch (command) {
    case Command::about:
        return {};
    case Command::quit:
        return {QKeySequence(Qt::CTRL | Qt::Key_Q)}; // Cmd-Q, whatever the desktop's scheme
    case Command::cut:
        return QKeySequence::keyBindings(QKeySequence::Cut);
    case Command::copy:
        return QKeySequence::keyBindings(QKeySequence::Copy);
    case Command::paste:
        return QKeySequence::keyBindings(QKeySequence::Paste);
    case Command::selectAll:
        return QKeySequence::keyBindings(QKeySequence::SelectAll);
    case Command::closeWindow:
        return QKeySequence::keyBindings(QKeySequence::Close);
    case Command::minimize:
        return {QKeySequence(Qt::CTRL | Qt::Key_M)}; // Cmd-M on a Mac
    }
    return {};
}

// A field's own Cut, Copy, Paste and Select All; a read-only one is not changed. A hidden
// secret is never copied: the field itself copies only what it shows as typed.
template <typename Edit> bool editField(QWidget* focus, Command command) {
    auto* edit = qobject_cast<Edit*>(focus);
    if (!edit)
        return false;
    if (command == Command::copy)
        edit->copy();
    else if (command == Command::selectAll)
        edit->selectAll();
    else if (command == Command::cut && !edit->isReadOnly())
        edit->cut();
    else if (command == Command::paste && !edit->isReadOnly())
        edit->paste();
    return true;
}

// Edit's commands on what has the focus in `window`: a field, the log (its selected lines), or
// else, for Copy, the text selected in one of the window's labels.
void editFocused(QWidget* window, Command command) {
    QWidget* focus = QApplication::focusWidget();
    if (editField<QLineEdit>(focus, command) || editField<QPlainTextEdit>(focus, command) ||
        editField<QTextEdit>(focus, command))
        return;
    if (auto* log = qobject_cast<LiveLogView*>(focus)) {
        if (command == Command::copy)
            log->copySelection();
        else if (command == Command::selectAll)
            log->selectAll();
        return;
    }
    const QString selected = command == Command::copy ? selectedLabelText(window) : QString();
    if (!selected.isEmpty())
        QGuiApplication::clipboard()->setText(selected);
}

} // namespace

ApplicationMenu::ApplicationMenu(QWidget* window, std::function<void()> quit)
    : QObject(window), window_(window), quit_(std::move(quit)) {
    const QString name = ProductConfig::current().displayName;
    auto* application = new QMenu(name);
    add(application, Command::about, QStringLiteral("About ") + name);
    add(application, Command::quit, QStringLiteral("Quit ") + name);
    auto* edit = new QMenu(QStringLiteral("Edit"));
    add(edit, Command::cut, QStringLiteral("Cut"));
    add(edit, Command::copy, QStringLiteral("Copy"));
    add(edit, Command::paste, QStringLiteral("Paste"));
    edit->addSeparator();
    add(edit, Command::selectAll, QStringLiteral("Select All"));
    auto* windowMenu = new QMenu(QStringLiteral("Window"));
    add(windowMenu, Command::minimize, QStringLiteral("Minimize"));
    add(windowMenu, Command::closeWindow, QStringLiteral("Close Window"));
    menus_ = {application, edit, windowMenu};
#if defined(Q_OS_MACOS)
    // About and Quit move into the application menu by their roles; the emptied menu they
    // came from is not shown.
    bar_ = std::make_unique<QMenuBar>();
    for (QMenu* menu : std::as_const(menus_))
        bar_->addMenu(menu);
#endif
}

ApplicationMenu::~ApplicationMenu() {
    bar_.reset();
    qDeleteAll(menus_);
}

QAction* ApplicationMenu::action(Command command) const {
    for (const auto& [which, action] : actions_)
        if (which == command)
            return action;
    return nullptr;
}

QAction* ApplicationMenu::add(QMenu* menu, Command command, const QString& text) {
    auto* action = new QAction(text, this);
    action->setShortcuts(keysOf(command));
    action->setShortcutContext(Qt::WindowShortcut);
    action->setMenuRole(command == Command::about  ? QAction::AboutRole
                        : command == Command::quit ? QAction::QuitRole
                                                   : QAction::NoRole);
    connect(action, &QAction::triggered, this, [this, command] { run(command); });
    menu->addAction(action);
    // The window's own keys, with or without a bar to show them.
    if (window_)
        window_->addAction(action);
    actions_.append({command, action});
    return action;
}

void ApplicationMenu::run(Command command) {
    QWidget* window = activeWindow();
    switch (command) {
    case Command::about:
        showAbout();
        return;
    case Command::quit:
        if (quit_)
            quit_();
        return;
    case Command::closeWindow:
        // A sheet that must not be dismissed refuses, as it refuses its close box.
        if (window)
            window->close();
        return;
    case Command::minimize:
        // A sheet goes with the window it belongs to.
        while (window && window->parentWidget())
            window = window->parentWidget()->window();
        if (window)
            window->showMinimized();
        return;
    case Command::cut:
    case Command::copy:
    case Command::paste:
    case Command::selectAll:
        editFocused(window, command);
        return;
    }
}

void ApplicationMenu::showAbout() {
    if (about_) {
        about_->raise();
        about_->activateWindow();
        return;
    }
    const QString name = ProductConfig::current().displayName;
    auto* panel = new SheetDialog(window_);
    panel->setObjectName(QStringLiteral("about-panel"));
    panel->setWindowTitle(name);
    panel->setDismissable(true);
    panel->setMinimumWidth(360);
    auto* stack = new QVBoxLayout(panel);
    stack->setContentsMargins(24, 20, 24, 16);
    stack->setSpacing(8);
    stack->addWidget(makeHeadingLabel(name, TextStyle::title3, panel));
    stack->addWidget(
        makePlainLabel(QStringLiteral("Version ") + TelemetryConfiguration::bundleAppVersion(),
                       TextStyle::body, panel));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok =
        makeButton(QStringLiteral("OK"), ButtonRole::prominent, QStringLiteral("about-ok"), panel);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, panel, &SheetDialog::closeSheet);
    row->addWidget(ok);
    stack->addSpacing(8);
    stack->addLayout(row);
    about_ = panel;
    panel->present();
}

QWidget* ApplicationMenu::activeWindow() const {
    QWidget* active = QApplication::activeWindow();
    return active ? active : window_.data();
}

} // namespace tovr
