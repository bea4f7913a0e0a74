#include "support/ui/ActionCheck.h"

#include "support/SpinUntil.h"
#include "support/ui/WidgetDriver.h"

#include "model/AppNavigation.h"
#include "ui/SystemProfileState.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace tovr::test {

namespace {

QString describe(const QWidget* widget) {
    QString name = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        name += QStringLiteral(" ") + widget->objectName();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget);
        button && !button->text().isEmpty())
        name += QStringLiteral(" “%1”").arg(button->text().simplified().left(60));
    return name;
}

bool isShown(const QWidget* widget, const QWidget* root) {
    return widget->window() == root->window() && widget->isVisibleTo(root) && widget->isVisible();
}

// One of several where choosing one unchooses the others: choosing it again changes nothing.
bool isExclusive(QAbstractButton* choice) {
    if (choice->group())
        return choice->group()->exclusive();
    if (choice->autoExclusive())
        return true;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(choice);
    return face && face->role() == QAccessible::RadioButton;
}

QList<QPointer<QAbstractButton>> choicesOn(QWidget* root) {
    QList<QPointer<QAbstractButton>> choices;
    for (auto* button : root->findChildren<QAbstractButton*>())
        if (button->isCheckable() && isShown(button, root))
            choices.append(button);
    return choices;
}

QList<bool> checkedStates(const QList<QPointer<QAbstractButton>>& choices) {
    QList<bool> states;
    for (const auto& choice : choices)
        states.append(choice && choice->isChecked());
    return states;
}

// Every model in the window announces a change without changing, as a model does after any
// change; views that render from their model then show what it holds. The window's shared
// navigation and profile are the screens' surroundings, not their state.
void renderModelsAgain(QWidget* root) {
    for (QObject* object : root->window()->findChildren<QObject*>()) {
        if (object->isWidgetType() || qobject_cast<AppNavigation*>(object) ||
            qobject_cast<SystemProfileState*>(object))
            continue;
        const QMetaObject* meta = object->metaObject();
        const int changed = meta->indexOfSignal("changed()");
        if (changed >= 0 && meta->method(changed).methodType() == QMetaMethod::Signal)
            meta->method(changed).invoke(object, Qt::DirectConnection);
    }
    EXPECT_TRUE(deliverQueued()) << "the screen keeps queueing work after its models changed";
}

// The action a screen reader takes on `choice`: toggle where offered, else press. A press is
// animated, its click a moment later.
bool act(QAbstractButton* choice) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(choice);
    QAccessibleActionInterface* actions = face ? face->actionInterface() : nullptr;
    if (!actions)
        return false;
    const QStringList names = actions->actionNames();
    const QString action = names.contains(QAccessibleActionInterface::toggleAction())
                               ? QAccessibleActionInterface::toggleAction()
                           : names.contains(QAccessibleActionInterface::pressAction())
                               ? QAccessibleActionInterface::pressAction()
                               : QString();
    if (action.isEmpty())
        return false;
    const QPointer<QAbstractButton> acted(choice);
    actions->doAction(action);
    EXPECT_TRUE(spinUntil([&] { return !acted || !acted->isDown(); }, 2000))
        << describe(choice).toStdString() << " stays pressed";
    EXPECT_TRUE(deliverQueued()) << describe(choice).toStdString() << " keeps queueing work";
    return true;
}

// Acts on `choice` and reports where the screen then shows what its models do not hold.
void actAndCompare(QAbstractButton* choice, QWidget* root, const QString& how,
                   QStringList& findings) {
    const QString who = describe(choice);
    if (!act(choice)) {
        findings << who + QStringLiteral(": no accessibility action to press or toggle it");
        return;
    }
    const auto choices = choicesOn(root);
    const QList<bool> shown = checkedStates(choices);
    renderModelsAgain(root);
    if (checkedStates(choices) != shown)
        findings << who + QStringLiteral(": %1 through its accessibility action, it shows a "
                                         "choice its screen's model does not hold")
                              .arg(how);
}

// What is typed in the fields of `root`, to be typed again where a choice cleared it.
QList<std::pair<QPointer<QLineEdit>, QString>> typedText(QWidget* root) {
    QList<std::pair<QPointer<QLineEdit>, QString>> typed;
    for (auto* field : root->findChildren<QLineEdit*>())
        if (isShown(field, root) && !field->text().isEmpty())
            typed.append({field, field->text()});
    return typed;
}

void typeAgain(const QList<std::pair<QPointer<QLineEdit>, QString>>& typed) {
    for (const auto& [field, text] : typed)
        if (field && field->isVisible() && field->isEnabled() && field->text() != text) {
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, text);
        }
}

void checkChoices(QWidget* root, QStringList& findings) {
    const auto typed = typedText(root);
    for (const QPointer<QAbstractButton>& choice : choicesOn(root)) {
        if (!choice || !isShown(choice, root) || !choice->isEnabled())
            continue;
        const bool exclusive = isExclusive(choice);
        if (exclusive && choice->isChecked())
            continue;
        const auto before = choicesOn(root);
        const QList<bool> was = checkedStates(before);
        actAndCompare(choice, root, QStringLiteral("changed"), findings);
        if (!choice || checkedStates(before) == was)
            continue; // refused, and shown as refused
        // Back as it was: the same action again, or the choice it displaced chosen again.
        if (!exclusive) {
            actAndCompare(choice, root, QStringLiteral("changed back"), findings);
            continue;
        }
        for (qsizetype i = 0; i < before.size(); ++i)
            if (before[i] && was[i] && !before[i]->isChecked() && before[i]->isEnabled())
                actAndCompare(before[i], root, QStringLiteral("chosen again"), findings);
    }
    typeAgain(typed);
}

// What a screen reader's text entry or voice control does to each field on show: sets its
// whole text, which the screen's models must then hold; the text is put back the same way.
void checkFields(QWidget* root, QStringList& findings) {
    auto enter = [&](QLineEdit* field, const QString& text) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(field);
        QAccessibleEditableTextInterface* editable = face ? face->editableTextInterface() : nullptr;
        if (!editable)
            return false;
        editable->replaceText(0, int(field->text().size()), text);
        renderModelsAgain(root);
        return true;
    };
    QList<QPointer<QLineEdit>> fields;
    for (QLineEdit* field : root->findChildren<QLineEdit*>())
        fields.append(field);
    for (const QPointer<QLineEdit>& field : fields) {
        if (!field || !isShown(field, root) || !field->isEnabled() || field->isReadOnly())
            continue;
        const QString was = field->text();
        // Shorter, so a field that limits its length takes it whole.
        const QString entered = was.isEmpty() ? QStringLiteral("a") : was.chopped(1);
        if (!enter(field, entered))
            findings << describe(field) + QStringLiteral(": no editable-text interface");
        else if (field && field->text() != entered)
            findings << describe(field) + QStringLiteral(": its text set through its editable-"
                                                         "text interface is not what its "
                                                         "screen's model holds");
        if (field)
            enter(field, was);
    }
}

// A sheet's window behind it: every control there, the sheet's own aside.
void checkBehindSheet(QWidget* sheet, QStringList& findings) {
    if (!qobject_cast<QDialog*>(sheet) || !sheet->parentWidget())
        return;
    QWidget* window = sheet->parentWidget()->window();
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->window() != window || !widget->isVisible() || widget->isAncestorOf(sheet))
            continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        QAccessibleActionInterface* actions = face ? face->actionInterface() : nullptr;
        const bool canAct =
            widget->focusPolicy() != Qt::NoFocus || (actions && !actions->actionNames().isEmpty());
        if (face && canAct && !face->state().disabled)
            findings << describe(widget) +
                            QStringLiteral(": behind the open sheet, it reports itself enabled");
    }
}

// Rows a person can select and copy: a screen reader selects them through the view's table and
// copies them with its action.
void checkSelectableRows(QWidget* root, QStringList& findings) {
    for (auto* view : root->findChildren<QAbstractItemView*>()) {
        const int rows = view->model() ? view->model()->rowCount() : 0;
        if (!isShown(view, root) || rows == 0 ||
            view->selectionMode() == QAbstractItemView::NoSelection)
            continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(view);
        QAccessibleTableInterface* table = face ? face->tableInterface() : nullptr;
        const bool selects = table && table->selectRow(rows - 1) &&
                             view->selectionModel()->isRowSelected(rows - 1, {}) &&
                             table->selectedRows().contains(rows - 1);
        if (table)
            table->unselectRow(rows - 1);
        if (!selects)
            findings << describe(view) + QStringLiteral(": its rows cannot be selected through its "
                                                        "accessibility interface");
        // Rows a person can copy by key a screen reader can copy too.
        const auto copies = [](const QAction* action) {
            return action->shortcut() == QKeySequence(QKeySequence::Copy);
        };
        if (std::any_of(view->actions().begin(), view->actions().end(), copies) &&
            (!face || !face->actionInterface() ||
             !face->actionInterface()->actionNames().contains(QStringLiteral("Copy"))))
            findings << describe(view) +
                            QStringLiteral(": no accessibility action copies its selected rows");
    }
}

} // namespace

QStringList accessibleActionFindings(QWidget* root) {
    QStringList findings;
    if (!root)
        return findings;
    checkBehindSheet(root, findings);
    checkChoices(root, findings);
    checkFields(root, findings);
    checkSelectableRows(root, findings);
    return findings;
}

void checkAccessibleActions(QWidget* root, const QString& screen) {
    for (const QString& finding : accessibleActionFindings(root))
        ADD_FAILURE() << screen.toStdString() << ": " << finding.toStdString();
}

} // namespace tovr::test
