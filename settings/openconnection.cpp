#include "settings/openconnection.h"

#include "data/connection.h"
#include "data/globals.h"
#include "widgets/messagebox.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QDir>

Connection* gConnection = nullptr;
Connection* gTestConnection = nullptr;
QString gConnectionString;
int gCurrentEstimateID = 0;

QString defaultDatabasePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Estimating.mdb"));
}

bool OpenConnection(QString& path, Connection& connection) {
    bool result = true;
    if (path.isEmpty())
        path = QDir::toNativeSeparators(defaultDatabasePath());
    gConnectionString = Connection::buildConnectionString(path, Schema::databasePassword());
    connection.setConnectionString(gConnectionString);
    connection.setIsolationLevel(256);
    if (!connection.open()) {
        result = false;
        ShowError(connection.lastError().text(), QStringLiteral(" clsSetting / OpenConnection"));
    }
    if (connection.state() == Connection::Closed)
        return false;
    if (!CheckDatabaseStructure(connection)) {
        connection.close();
        result = false;
        ShowError(QStringLiteral("Invalid Database Structure"), QStringLiteral("OpenConnection"));
    }
    return result;
}

bool CheckDatabaseStructure(Connection& connection) {
    RecordSet probe;
    const bool ok = probe.open(connection, QStringLiteral("SELECT * FROM CatagoryTBL"));
    probe.close();
    return ok;
}
