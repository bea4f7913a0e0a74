#pragma once

#include <QAccessibleWidget>
#include <QHash>

namespace tovr {

class LiveLogView;

// What a screen reader meets of a live log: a table of one column whose rows it can read,
// select and unselect (each row's toggle action, or the table's row selection), with "Copy"
// and "Select All" among the log's actions. A row answers its identifier under
// LiveLogView::kIdentifierText.
class LiveLogAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit LiveLogAccessible(LiveLogView* view);
    ~LiveLogAccessible() override;

    void* interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    QStringList actionNames() const override;
    void doAction(const QString& action) override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override { return selectedRowCount(); }
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    int columnCount() const override { return 1; }
    int rowCount() const override { return childCount(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    // Rows are only appended, so a row's interface stays its row's.
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    LiveLogView* view() const;

    mutable QHash<int, QAccessible::Id> rows_;
};

// The accessibility factory that gives a LiveLogView its interface.
QAccessibleInterface* liveLogAccessible(const QString& className, QObject* object);

} // namespace tovr
