#include "data/screencontrols.h"

namespace Controls {

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
