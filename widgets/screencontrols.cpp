#include "widgets/screencontrols.h"

#include <QEvent>
#include <QKeyEvent>
#include <QStyle>

namespace {

// Keeps a locked combo box from opening its list or changing its choice by wheel or keys,
// while Tab and the copy shortcut still work.
class ComboLock : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !Controls::isLocked(widget))
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool navigation = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
                                    key->matches(QKeySequence::Copy);
            return !navigation;
        }
        default:
            return false;
        }
    }
};

} // namespace

namespace Controls {

void setLocked(QWidget* field, bool locked) {
    if (!field)
        return;
    field->setProperty("locked", locked);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->setReadOnly(locked);
    if (auto* box = qobject_cast<QComboBox*>(field)) {
        if (box->lineEdit())
            box->lineEdit()->setReadOnly(locked);
        const QString lockName = QStringLiteral("comboLock");
        if (!box->findChild<QObject*>(lockName, Qt::FindDirectChildrenOnly)) {
            auto* lock = new ComboLock(box);
            lock->setObjectName(lockName);
            box->installEventFilter(lock);
        }
    }
    // The style sheet reads the property only when the style is applied again.
    field->style()->unpolish(field);
    field->style()->polish(field);
}

bool isLocked(const QWidget* field) {
    return field && field->property("locked").toBool();
}

QLabel* caption(QWidget* parent, const QString& name, const QString& text, double left, double top,
                double width, double height) {
    auto* label = Twips::place<QLabel>(parent, name, left, top, width, height);
    label->setText(text);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* textBox(QWidget* parent, const QString& name, const QString& toolTip, double left,
                   double top, double width, double height) {
    auto* box = Twips::place<QLineEdit>(parent, name, left, top, width, height);
    box->setToolTip(toolTip);
    return box;
}

QLineEdit* amountBox(QWidget* parent, const QString& name, const QString& toolTip, double left,
                     double top, double width, double height) {
    QLineEdit* box = textBox(parent, name, toolTip, left, top, width, height);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setFocusPolicy(Qt::ClickFocus);
    box->setProperty("role", QStringLiteral("amount"));
    return box;
}

QComboBox* combo(QWidget* parent, const QString& name, const QString& toolTip, double left,
                 double top, double width, double height) {
    auto* box = Twips::place<QComboBox>(parent, name, left, top, width, height);
    box->setToolTip(toolTip);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text,
                    const QString& toolTip, double left, double top, double width, double height) {
    auto* b = Twips::place<QPushButton>(parent, name, left, top, width, height);
    b->setText(text);
    b->setToolTip(toolTip);
    b->setAutoDefault(false);
    return b;
}

} // namespace Controls
