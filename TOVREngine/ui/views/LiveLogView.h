#pragma once

#include <QPointer>
#include <QStringList>
#include <QTableView>
#include <QTimer>

#include <functional>
#include <memory>

namespace tovr {

class ClipboardWriting;
class LiveLogLines;

// The live log of a run: every line its source keeps, in order, one row each, selectable
// by whole lines and copyable (Ctrl+C, the context menu, Select All). A line costs a shared
// string and its row, not a laid-out text block, so a run of 100,000 lines stays small and
// the sheet closes at once. New lines are taken a frame at a time, at most kLinesPerFrame
// per frame, so a flood never holds the GUI thread; each frame scrolls to the newest line.
// Rows are one fixed height in a single column: a table's rows take new lines without
// laying out the ones before (a list view lays out every row again on each insert), and the
// column is as wide as the longest line, so the view scrolls sideways to its end.
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

    // The lines shown so far.
    const QStringList& lines() const;
    // Every line shown, one per text line.
    QString toPlainText() const;
    // The selected lines in their order, one per text line.
    QString selectedText() const;
    void copySelection();

    static constexpr int kFrameMs = 16;
    static constexpr qsizetype kLinesPerFrame = 2000;

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void takeFrame();
    void fitRows();
    void fitColumn();

    std::shared_ptr<ClipboardWriting> clipboard_;
    LiveLogLines* lines_ = nullptr;
    QPointer<QObject> owner_;
    std::function<const QStringList&()> source_;
    QTimer frame_;
    qsizetype measuredLength_ = -1;
    int longestWidth_ = 0;
};

} // namespace tovr
