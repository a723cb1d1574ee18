#pragma once

#include "data/dberror.h"

#include <QMap>
#include <QMessageBox>
#include <QString>
#include <functional>

// Every message box of the program goes through showMessage(), so tests can replace the
// interactive box with a scripted answerer that records what would have been shown.
struct MessageRequest {
    QString text;
    QString title; // empty: the application's name is shown
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    // Texts that replace a standard button's own ("Create New..." on Save, say).
    QMap<QMessageBox::StandardButton, QString> buttonTexts;
};

using MessageHandler = std::function<QMessageBox::StandardButton(const MessageRequest&)>;

// Shows the box (or hands it to the installed handler) and returns the button chosen.
QMessageBox::StandardButton showMessage(const MessageRequest& request);
QMessageBox::StandardButton showMessage(const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon, const QString& title = {});

// Installs a handler in place of the interactive box; returns the previous one.
MessageHandler setMessageHandler(MessageHandler handler);

// A procedure's error as the program reports it: "number - description", titled with the
// procedure's name, with an OK button.
void showProcedureError(const DbError& error, const QString& title,
                        QMessageBox::Icon icon = QMessageBox::NoIcon);

// The common error box: critical icon, OK button.
void ShowError(const QString& text, const QString& title);
