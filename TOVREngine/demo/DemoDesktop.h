#pragma once

#include "platform/ClipboardWriting.h"
#include "platform/FileRevealing.h"
#include "platform/URLOpening.h"

#include <functional>

namespace tovr {

// The demo Mac's desktop: opening a web page or an app, the clipboard and the Finder change
// nothing on this machine. Each hands `note` one short sentence instead, saying what a Mac
// would do ("On a Mac this opens …"). Paths are the demo Mac's; `home` is shown as "~".
class DemoDesktop final : public URLOpening, public ClipboardWriting, public FileRevealing {
public:
    using Note = std::function<void(const QString&)>;

    DemoDesktop(QString home, Note note) : home_(std::move(home)), note_(std::move(note)) {}

    void open(const QUrl& url) override;
    void setText(const QString& text) override;
    void reveal(const QStringList& paths) override;

    // The sentences, for a given home folder.
    static QString openNote(const QUrl& url, const QString& home);
    static QString copyNote(const QString& text);
    static QString revealNote(const QStringList& paths, const QString& home);

private:
    void say(const QString& text) const;

    QString home_;
    Note note_;
};

} // namespace tovr
