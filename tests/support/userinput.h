#pragma once

// What a user does to a control in the screen tests: click it, replace its text, leave it.
#include <QWidget>
#include <QtTest>

namespace UserInput {

inline void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

// Replaces the field's text as a user does: select all, delete, type.
inline void typeInto(QWidget* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    if (!text.isEmpty())
        QTest::keyClicks(field, text);
}

// Leaves the field as Tab does.
inline void leave(QWidget* field) {
    QTest::keyClick(field, Qt::Key_Tab);
}

} // namespace UserInput
