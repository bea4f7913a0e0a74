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

class LiveFileRevealer final : public FileRevealing {
public:
    void reveal(const QStringList& paths) override;
};

// A window-modal folder panel over `window`, opened with open(): no nested event loop. Its
// button says "Choose" and it shows the message it is given.
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
