#include "ui/views/LiveLogAccessible.h"

#include "ui/views/LiveLogLines.h"
#include "ui/views/LiveLogView.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QPointer>

#include <algorithm>

namespace tovr {

namespace {

// One row: its line as text, selectable by its toggle action.
class LiveLogRowAccessible final : public QAccessibleInterface,
                                   public QAccessibleTableCellInterface,
                                   public QAccessibleActionInterface {
public:
    LiveLogRowAccessible(LiveLogView* view, int row) : view_(view), row_(row) {}

    bool isValid() const override { return view_ && row_ < view_->model()->rowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text text) const override {
        if (!isValid())
            return {};
        if (text == QAccessible::Name)
            return index().data(Qt::AccessibleTextRole).toString();
        if (text == LiveLogView::kIdentifierText)
            return index().data(LiveLogLines::kIdentifierRole).toString();
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect shown = view_->visualRect(index());
        return {view_->viewport()->mapToGlobal(shown.topLeft()), shown.size()};
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid())
            return state;
        state.selectable = true;
        state.multiSelectable = true;
        state.focusable = true;
        state.selected = isSelected();
        state.focused = view_->hasFocus() && view_->currentIndex().row() == row_;
        state.readOnly = true;
        state.offscreen = !view_->viewport()->rect().intersects(view_->visualRect(index()));
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    bool isSelected() const override {
        return isValid() && view_->selectionModel()->isRowSelected(row_, {});
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString& action) override {
        if (action != toggleAction() || !isValid())
            return;
        view_->selectionModel()->select(
            index(), (isSelected() ? QItemSelectionModel::Deselect : QItemSelectionModel::Select) |
                         QItemSelectionModel::Rows);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QModelIndex index() const { return view_->model()->index(row_, 0); }

    QPointer<LiveLogView> view_;
    int row_;
};

} // namespace

LiveLogAccessible::LiveLogAccessible(LiveLogView* view)
    : QAccessibleWidget(view, QAccessible::Table) {}

LiveLogAccessible::~LiveLogAccessible() {
    for (QAccessible::Id id : std::as_const(rows_))
        QAccessible::deleteAccessibleInterface(id);
}

LiveLogView* LiveLogAccessible::view() const {
    return static_cast<LiveLogView*>(widget());
}

void* LiveLogAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int LiveLogAccessible::childCount() const {
    return view()->model()->rowCount();
}

QAccessibleInterface* LiveLogAccessible::child(int index) const {
    if (index < 0 || index >= childCount())
        return nullptr;
    auto found = rows_.constFind(index);
    if (found != rows_.constEnd())
        return QAccessible::accessibleInterface(*found);
    auto* row = new LiveLogRowAccessible(view(), index);
    rows_.insert(index, QAccessible::registerAccessibleInterface(row));
    return row;
}

int LiveLogAccessible::indexOfChild(const QAccessibleInterface* child) const {
    auto* cell = child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
    return cell && child->parent() == this ? cell->rowIndex() : -1;
}

QAccessibleInterface* LiveLogAccessible::childAt(int x, int y) const {
    const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(at);
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface* LiveLogAccessible::focusChild() const {
    const QModelIndex current = view()->currentIndex();
    return view()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}

QStringList LiveLogAccessible::actionNames() const {
    QStringList names = QAccessibleWidget::actionNames();
    for (const QAction* action : view()->actions())
        names.append(action->text());
    return names;
}

void LiveLogAccessible::doAction(const QString& name) {
    for (QAction* action : view()->actions())
        if (action->text() == name) {
            action->trigger();
            return;
        }
    QAccessibleWidget::doAction(name);
}

QAccessibleInterface* LiveLogAccessible::cellAt(int row, int column) const {
    return column == 0 ? child(row) : nullptr;
}

QList<QAccessibleInterface*> LiveLogAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    for (int row : selectedRows())
        cells.append(child(row));
    return cells;
}

QList<int> LiveLogAccessible::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : view()->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool LiveLogAccessible::isRowSelected(int row) const {
    return view()->selectionModel()->isRowSelected(row, {});
}

bool LiveLogAccessible::selectRow(int row) {
    if (row < 0 || row >= rowCount())
        return false;
    view()->selectionModel()->select(view()->model()->index(row, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    return true;
}

bool LiveLogAccessible::unselectRow(int row) {
    if (row < 0 || row >= rowCount())
        return false;
    view()->selectionModel()->select(view()->model()->index(row, 0),
                                     QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

QAccessibleInterface* liveLogAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(LiveLogView::staticMetaObject.className()) &&
        object->isWidgetType())
        return new LiveLogAccessible(static_cast<LiveLogView*>(object));
    return nullptr;
}

} // namespace tovr
