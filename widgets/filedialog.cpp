#include "widgets/filedialog.h"

#include <QFileDialog>

namespace {
FileDialogHandler& installedHandler() {
    static FileDialogHandler handler;
    return handler;
}
} // namespace

QString askForFileName(const FileDialogRequest& request, QWidget* parent) {
    if (const auto& handler = installedHandler())
        return handler(request);
    QFileDialog dialog(parent, request.title, request.folder, request.filter);
    const bool save = request.mode == FileDialogRequest::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

FileDialogHandler setFileDialogHandler(FileDialogHandler handler) {
    FileDialogHandler previous = std::move(installedHandler());
    installedHandler() = std::move(handler);
    return previous;
}
