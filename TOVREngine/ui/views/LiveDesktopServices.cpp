#include "ui/views/LiveDesktopServices.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>

namespace tovr {

void LiveURLOpener::open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void LiveClipboard::setText(const QString& text) {
    if (auto* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

void LiveFileRevealer::reveal(const QString& path) {
    // Without a file manager that selects, show the folder that holds it.
    const QFileInfo info(path);
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(info.isDir() ? info.absoluteFilePath() : info.absolutePath()));
}

void LiveFolderPicker::pickFolder(const QString& message, const QString& startPath,
                                  std::function<void(std::optional<QString>)> done) {
    auto* dialog = new QFileDialog(window_, message, startPath);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setWindowModality(Qt::WindowModal);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [done, answered](const QString& folder) {
                         if (std::exchange(*answered, true))
                             return;
                         done(folder);
                     });
    QObject::connect(dialog, &QFileDialog::rejected, dialog, [done, answered] {
        if (std::exchange(*answered, true))
            return;
        done(std::nullopt);
    });
    dialog->open();
}

} // namespace tovr
