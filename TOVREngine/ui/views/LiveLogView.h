#pragma once

#include <QAccessible>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTableView>
#include <QTimer>

#include <functional>
#include <memory>

namespace tovr {

class ClipboardWriting;
class LiveLogLines;

// The live log of a run: every line its source keeps, in order, one row each, wrapped at the
// view's width, selectable by whole lines and copyable (Ctrl+C, the context menu, Select All;
// by keyboard once Tab reaches it, and through its accessibility actions). A line costs a
// shared string and its row, not a laid-out text block, so a run of 100,000 lines stays
// small and the sheet closes at once. New lines are taken a frame at a time, at most
// kLinesPerFrame and kCharactersPerFrame per frame, so a flood never holds the GUI thread;
// each frame scrolls to the newest line. A frame measures only its new rows and the rows in
// view: each row keeps the width its height was measured at, and a row measured at another
// width is measured again when it comes into view.
class LiveLogView : public QTableView {
    Q_OBJECT

public:
    // `clipboard` takes copied lines; without one they go to the system clipboard.
    LiveLogView(const QString& accessibleName, std::shared_ptr<ClipboardWriting> clipboard,
                QWidget* parent = nullptr);
    ~LiveLogView() override;

    // The lines to show: `lines` returns the source's whole log, which only grows. It is read
    // while `owner` lives, at a frame after `linesAdded`.
    void setSource(QObject* owner, std::function<const QStringList&()> lines);
    // The source has new lines: the next frame shows them.
    void linesAdded();
    // The identifier a row carries for assistive tools (kIdentifierText), from its line.
    void setRowIdentifier(std::function<QString(const QString& line)> identify);

    // The lines shown so far.
    const QStringList& lines() const;
    // Every line shown, one per text line.
    QString toPlainText() const;
    // The selected lines in their order, one per text line, each whole.
    QString selectedText() const;
    void copySelection();

    static constexpr int kFrameMs = 16;
    static constexpr qsizetype kLinesPerFrame = 2000;
    // What a frame lays out at most, counting each line that wraps as its row shows it.
    static constexpr qsizetype kCharactersPerFrame = 20000;
    // Where a row's accessibility interface answers with the row's identifier.
    static constexpr QAccessible::Text kIdentifierText = QAccessible::UserText;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void takeFrame();
    void fitRows();
    void fitColumn();
    // Measures rows `first` to `last` at the column's width; true when a height changed.
    bool measureRows(int first, int last);
    // Measures the rows in sight that were measured at another width; true when one changed.
    bool measureVisibleRows();
    void showNewest();

    std::shared_ptr<ClipboardWriting> clipboard_;
    LiveLogLines* lines_ = nullptr;
    QPointer<QObject> owner_;
    std::function<const QStringList&()> source_;
    QTimer frame_;
    QList<int> measuredAt_; // per row, the width its height was measured at
    bool measuring_ = false;
};

} // namespace tovr
