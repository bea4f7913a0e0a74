#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/FolderPicking.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace tovr {

// The demo Mac's folder panel: a window-modal sheet over `window` that shows the Mac's home
// folder (its Documents, Desktop, …) and answers with a Mac path. Only folders inside that
// home can be chosen; nothing of this machine's own disk is shown.
class DemoFolderPicker final : public FolderPicking {
public:
    explicit DemoFolderPicker(std::shared_ptr<const FileSystemOperating> fs,
                              QWidget* window = nullptr)
        : fs_(std::move(fs)), window_(window) {}
    void setWindow(QWidget* window) { window_ = window; }

    void pickFolder(const QString& message, const QString& startPath,
                    std::function<void(std::optional<QString>)> done) override;

private:
    std::shared_ptr<const FileSystemOperating> fs_;
    QPointer<QWidget> window_;
    // Answers are dropped once the picker is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace tovr
