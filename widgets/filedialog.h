#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every file dialog of the program goes through askForFileName(), so tests can answer it instead
// of a user.
struct FileDialogRequest {
    enum Mode { Open, Save };
    Mode mode = Open;
    QString title;
    QString folder;         // where the dialog starts; empty: where it was last
    QString fileName;       // the name it offers (a name, or a full path)
    QString filter;         // in QFileDialog's form: "Pictures (*.bmp *.jpg)"
    QString selectedFilter; // the one of filter's entries shown first; empty: the first
    QString defaultSuffix;  // a file saved under another entry takes that entry's extension
};

// The chosen file's full path, or an empty text when the user cancelled.
using FileDialogHandler = std::function<QString(const FileDialogRequest&)>;

// Shows the dialog, owned by parent, or hands the request to the installed handler.
QString askForFileName(const FileDialogRequest& request, QWidget* parent = nullptr);

// Installs a handler in place of the interactive dialog; returns the previous one. An empty
// handler restores the dialog.
FileDialogHandler setFileDialogHandler(FileDialogHandler handler);
