#include "widgets/filedialog.h"

#include <QFileDialog>
#include <QRegularExpression>

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
    if (!request.selectedFilter.isEmpty())
        dialog.selectNameFilter(request.selectedFilter);
    // A name typed without its extension gets the one of the type chosen in the dialog.
    if (save && !request.defaultSuffix.isEmpty())
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
                static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
                const QRegularExpressionMatch match = pattern.match(filter);
                if (match.hasMatch())
                    dialog.setDefaultSuffix(match.captured(1));
            });
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
