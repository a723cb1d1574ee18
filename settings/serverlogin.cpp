#include "settings/serverlogin.h"

#include "data/database.h"
#include "data/serverpassword.h"
#include "data/sqldialect.h"

#include <QInputDialog>
#include <QLineEdit>

bool askServerPasswordIfNeeded(const QString& path, QWidget* parent) {
    const QString address = path.trimmed();
    if (!SqlDialect::isServerAddress(address))
        return true;
    QString note;
    for (int tries = 0; tries < 3; ++tries) {
        Database probe;
        if (probe.open(address))
            return true;
        if (probe.error().nativeError != ErrorNumber::kInvalidPassword)
            return true;
        bool ok = false;
        const QString password = QInputDialog::getText(
            parent, QStringLiteral("Database Server Password"),
            note + QStringLiteral("Password for the database server at %1.\nIt is kept only "
                                  "until Plenwick closes, never saved.")
                       .arg(SqlDialect::shownAddress(address)),
            QLineEdit::Password, QString(), &ok);
        if (!ok)
            return false;
        ServerPassword::remember(address, password);
        note = QStringLiteral("The server did not take that password.\n\n");
    }
    return true;
}
