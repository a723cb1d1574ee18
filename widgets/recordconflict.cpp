#include "widgets/recordconflict.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "widgets/messagebox.h"

#include <QCoreApplication>

namespace {
qint64 conflictNumber(const DbError& error, Connection* connection) {
    for (qint64 number : {error.nativeError, connection && !connection->errors().isEmpty()
                                                 ? connection->errors().first().nativeError
                                                 : 0})
        if (number == ErrorNumber::kRecordChanged || number == ErrorNumber::kRecordDeleted)
            return number;
    return 0;
}
} // namespace

ConflictAnswer settleConflict(RecordSet& records, const DbError& error, const QString& title) {
    Connection* connection = records.activeConnection();
    const qint64 number = conflictNumber(error, connection);
    if (number == 0)
        return ConflictAnswer::None;
    if (connection)
        connection->clearErrors();
    if (number == ErrorNumber::kRecordDeleted) {
        // Nothing to read again: what was typed is all that is left of the record.
        showMessage(RecordSet::conflictText(number) + QStringLiteral("\n\n") +
                        QCoreApplication::translate(
                            "RecordConflict", "What you typed is still on the screen: copy what "
                                              "you need, then undo your changes."),
                    QMessageBox::Ok, QMessageBox::Warning, title);
        return ConflictAnswer::KeepMine;
    }
    MessageRequest request;
    request.text = RecordSet::conflictText(number) + QStringLiteral("\n\n") +
                   QCoreApplication::translate(
                       "RecordConflict",
                       "Reload shows it as it is stored now, without what you typed.\n"
                       "Keep Mine keeps what you typed; saving again then stores it over their "
                       "change.");
    request.title = title;
    request.icon = QMessageBox::Warning;
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    request.buttonTexts = {
        {QMessageBox::Yes, QCoreApplication::translate("RecordConflict", "&Reload")},
        {QMessageBox::No, QCoreApplication::translate("RecordConflict", "&Keep Mine")}};
    const bool reload = showMessage(request) == QMessageBox::Yes;
    // Either way the row is read again, so that what is shown, and what the next save compares
    // with, is what the file holds now.
    if (!records.refreshCurrent()) {
        showProcedureError(records.lastError(), title, QMessageBox::Warning);
        return ConflictAnswer::KeepMine;
    }
    if (reload)
        records.cancelUpdate();
    return reload ? ConflictAnswer::Reload : ConflictAnswer::KeepMine;
}
