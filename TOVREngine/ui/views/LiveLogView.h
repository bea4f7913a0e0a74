#pragma once

#include <QListView>
#include <QPointer>
#include <QStringList>
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
class LiveLogView : public QListView {
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

private:
    void takeFrame();

    std::shared_ptr<ClipboardWriting> clipboard_;
    LiveLogLines* lines_ = nullptr;
    QPointer<QObject> owner_;
    std::function<const QStringList&()> source_;
    QTimer frame_;
};

} // namespace tovr
