#include "widgets/messagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QWidget>

namespace {
MessageHandler& installedHandler() {
    static MessageHandler handler;
    return handler;
}
} // namespace

QMessageBox::StandardButton showMessage(const MessageRequest& request) {
    if (const auto& handler = installedHandler())
        return handler(request);
    const QString title =
        request.title.isEmpty() ? QApplication::applicationDisplayName() : request.title;
    QMessageBox box(request.icon, title, request.text, request.buttons,
                    QApplication::activeWindow());
    for (auto it = request.buttonTexts.constBegin(); it != request.buttonTexts.constEnd(); ++it)
        if (QAbstractButton* button = box.button(it.key()))
            button->setText(it.value());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton showMessage(const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon, const QString& title) {
    return showMessage(MessageRequest{text, title, buttons, icon, {}});
}

MessageHandler setMessageHandler(MessageHandler handler) {
    MessageHandler previous = std::move(installedHandler());
    installedHandler() = std::move(handler);
    return previous;
}

void ShowError(const QString& text, const QString& title) {
    showMessage(text, QMessageBox::Ok, QMessageBox::Critical, title);
}

void showProcedureError(const DbError& error, const QString& title, QMessageBox::Icon icon) {
    showMessage(QString::number(error.number) + QStringLiteral(" - ") + error.description,
                QMessageBox::Ok, icon, title);
}
