#pragma once

#include "widgets/filedialog.h"

#include <QList>
#include <QStringList>

// While alive, answers every file dialog of the program from a script (a path, or an empty text
// for Cancel) and records each request. With the script empty, a dialog is cancelled.
class ScriptedFileDialogs {
public:
    ScriptedFileDialogs();
    ~ScriptedFileDialogs();
    ScriptedFileDialogs(const ScriptedFileDialogs&) = delete;
    ScriptedFileDialogs& operator=(const ScriptedFileDialogs&) = delete;

    void answerNext(const QString& path) { m_script.append(path); }
    const QList<FileDialogRequest>& asked() const { return m_asked; }

private:
    QStringList m_script;
    QList<FileDialogRequest> m_asked;
    FileDialogHandler m_previous;
};
