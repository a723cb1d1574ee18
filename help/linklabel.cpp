#include "help/linklabel.h"

#include "widgets/shellopen.h"

QLabel* linkLabel(QWidget* parent, const QString& name, const QString& address) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::RichText);
    const QString escaped = address.toHtmlEscaped();
    label->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(escaped));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setToolTip(QObject::tr("Open %1 in your web browser").arg(address));
    QObject::connect(label, &QLabel::linkActivated, label, [address] { ShellOpen(address); });
    return label;
}
