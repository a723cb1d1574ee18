#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

// Checks a field as the user leaves it. A field whose check fails takes the focus back; leaving
// it again with the same text only beeps, since its message has been shown. While a check runs
// (and the focus is being taken back) no other field is checked.
class LeaveCheck {
public:
    using Check = std::function<bool(QWidget* field)>;
    explicit LeaveCheck(Check check) : m_check(std::move(check)) {}

    // Runs the check for a field being left; false when it was refused.
    bool checkLeft(QWidget* field);
    bool isChecking() const { return m_checking; }
    // The user changed the field: its next check runs again in full.
    void forget(const QWidget* field);
    void forgetAll() { m_refusedField = nullptr; }

    // The text a line edit, combo box, text box or date box shows.
    static QString textOf(const QWidget* field);
    // Makes the field's window active again (a message box or an editor was) and focuses it.
    static void takeFocusBack(QWidget* field);

private:
    Check m_check;
    bool m_checking = false;
    QPointer<QWidget> m_refusedField;
    QString m_refusedText;
};
