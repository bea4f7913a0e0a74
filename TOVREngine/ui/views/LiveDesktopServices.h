#pragma once

#include "platform/ClipboardWriting.h"
#include "platform/FileRevealing.h"
#include "platform/FolderPicking.h"
#include "platform/URLOpening.h"

#include <QPointer>
#include <QWidget>

namespace tovr {

// The desktop's own services: the default browser, the clipboard, a folder panel and the
// file manager.
class LiveURLOpener final : public URLOpening {
public:
    void open(const QUrl& url) override;
};

class LiveClipboard final : public ClipboardWriting {
public:
    void setText(const QString& text) override;
};

// On a Mac the Finder shows the items selected (`finder -R <paths>`, started on its own and
// never waited for); elsewhere, or when that cannot start, the file manager opens the folder
// that holds them all.
class LiveFileRevealer final : public FileRevealing {
public:
    explicit LiveFileRevealer(QString finder = macFinder()) : finder_(std::move(finder)) {}
    void reveal(const QStringList& paths) override;

    // /usr/bin/open on macOS; none elsewhere.
    static QString macFinder();

private:
    QString finder_;
};

// A window-modal folder panel over `window`, opened with open(): no nested event loop. Its
// button says "Choose" and it shows the message it is given above the folders. It is Qt's own
// panel on every system: a Mac's native one would show neither the message nor the title.
class LiveFolderPicker final : public FolderPicking {
public:
    explicit LiveFolderPicker(QWidget* window = nullptr) : window_(window) {}
    void setWindow(QWidget* window) { window_ = window; }
    void pickFolder(const QString& message, const QString& startPath,
                    std::function<void(std::optional<QString>)> done) override;

private:
    QPointer<QWidget> window_;
};

} // namespace tovr
