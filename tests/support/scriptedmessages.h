#pragma once

#include "widgets/messagebox.h"

#include <QList>
#include <QMessageBox>

// While alive, answers every message box of the program from a script and records each one.
// With the script empty, a box is answered with its first standard button (OK, Yes, ...).
class ScriptedMessages {
public:
    ScriptedMessages();
    ~ScriptedMessages();
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    void answerNext(QMessageBox::StandardButton button) { m_script.append(button); }
    const QList<MessageRequest>& shown() const { return m_shown; }
    QStringList texts() const;
    QStringList titles() const;
    void clear() { m_shown.clear(); }

private:
    QList<QMessageBox::StandardButton> m_script;
    QList<MessageRequest> m_shown;
    MessageHandler m_previous;
};
