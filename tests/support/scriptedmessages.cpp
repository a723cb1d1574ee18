#include "support/scriptedmessages.h"

ScriptedMessages::ScriptedMessages() {
    m_previous = setMessageHandler([this](const MessageRequest& request) {
        m_shown.append(request);
        if (!m_script.isEmpty())
            return m_script.takeFirst();
        for (int bit = 0; bit < 32; ++bit) {
            const auto button = static_cast<QMessageBox::StandardButton>(1u << bit);
            if (request.buttons.testFlag(button))
                return button;
        }
        return QMessageBox::Ok;
    });
}

ScriptedMessages::~ScriptedMessages() {
    setMessageHandler(std::move(m_previous));
}

QStringList ScriptedMessages::texts() const {
    QStringList out;
    for (const auto& r : m_shown)
        out << r.text;
    return out;
}

QStringList ScriptedMessages::titles() const {
    QStringList out;
    for (const auto& r : m_shown)
        out << r.title;
    return out;
}
