#include "widgets/leavecheck.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

bool LeaveCheck::checkLeft(QWidget* field) {
    // Taking the focus back makes the widget that was about to get it lose it: no check there.
    m_checking = true;
    bool ok = false;
    const QString text = textOf(field);
    if (field == m_refusedField && text == m_refusedText) {
        QApplication::beep();
    } else {
        ok = m_check(field);
        if (ok) {
            // Another field passing leaves a refusal standing: its message was said already.
            forget(field);
        } else {
            m_refusedField = field;
            m_refusedText = text;
        }
    }
    if (!ok)
        takeFocusBack(field);
    m_checking = false;
    return ok;
}

void LeaveCheck::forget(const QWidget* field) {
    if (m_refusedField == field)
        m_refusedField = nullptr;
}

QString LeaveCheck::textOf(const QWidget* field) {
    if (const auto* combo = qobject_cast<const QComboBox*>(field))
        return combo->currentText();
    if (const auto* box = qobject_cast<const QLineEdit*>(field))
        return box->text();
    if (const auto* box = qobject_cast<const QPlainTextEdit*>(field))
        return box->toPlainText();
    if (const auto* box = qobject_cast<const QAbstractSpinBox*>(field))
        return box->text();
    return {};
}

void LeaveCheck::takeFocusBack(QWidget* field) {
    field->window()->activateWindow();
    field->setFocus(Qt::OtherFocusReason);
}
