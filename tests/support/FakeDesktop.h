#pragma once

#include "platform/ClipboardWriting.h"
#include "platform/FileRevealing.h"
#include "platform/FolderPicking.h"
#include "platform/URLOpening.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

namespace tovr::test {

// Desktop services that only record what a screen asked of them.
class FakeURLOpener final : public URLOpening {
public:
    void open(const QUrl& url) override { opened.append(url); }
    QList<QUrl> opened;
};

class FakeClipboard final : public ClipboardWriting {
public:
    void setText(const QString& text) override { texts.append(text); }
    QStringList texts;
};

class FakeFileRevealer final : public FileRevealing {
public:
    void reveal(const QStringList& paths) override { reveals.append(paths); }
    // Each reveal's paths, in order.
    QList<QStringList> reveals;
};

// Keeps the request open until the test answers it, as a real panel would.
class FakeFolderPicker final : public FolderPicking {
public:
    struct Request {
        QString message;
        QString startPath;
        std::function<void(std::optional<QString>)> done;
    };
    void pickFolder(const QString& message, const QString& startPath,
                    std::function<void(std::optional<QString>)> done) override {
        requests.append({message, startPath, std::move(done)});
    }
    // Answers the oldest open request.
    void answer(std::optional<QString> folder) {
        if (requests.isEmpty())
            return;
        auto request = requests.takeFirst();
        request.done(std::move(folder));
    }
    QList<Request> requests;
};

} // namespace tovr::test
