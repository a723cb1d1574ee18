#include "support/scriptedfiledialogs.h"

ScriptedFileDialogs::ScriptedFileDialogs() {
    m_previous = setFileDialogHandler([this](const FileDialogRequest& request) {
        m_asked.append(request);
        return m_script.isEmpty() ? QString() : m_script.takeFirst();
    });
}

ScriptedFileDialogs::~ScriptedFileDialogs() {
    setFileDialogHandler(std::move(m_previous));
}
