#include "support/testdatabase.h"

#include "data/money.h"
#include "data/schema.h"

#include <QSqlError>
#include <QSqlQuery>

bool openProgramFile(Connection& connection, const QString& path) {
    connection.setConnectionString(
        Connection::buildConnectionString(path, Schema::databasePassword()));
    return connection.open();
}

TestDatabase::TestDatabase() {
    registerMoneyMetaType();
    m_path = m_dir.filePath(QStringLiteral("Estimating.mdb"));
    QString error;
    if (!Schema::createFile(m_path, &error))
        qFatal("cannot create test database: %s", qPrintable(error));
    m_connection = std::make_unique<Connection>();
    if (!openProgramFile(*m_connection, m_path))
        qFatal("cannot open test database: %s", qPrintable(m_connection->lastError().text()));
}

QString TestDatabase::connectionString() const {
    return Connection::buildConnectionString(m_path, Schema::databasePassword());
}

void TestDatabase::exec(const QString& sql, const QVariantList& values) {
    if (!m_connection->execute(sql, values))
        qFatal("statement refused: %s: %s", qPrintable(sql),
               qPrintable(m_connection->lastError().text()));
}

QVariant TestDatabase::scalar(const QString& sql, const QVariantList& values) {
    QSqlQuery q(m_connection->database());
    q.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec() || !q.next())
        return {};
    return q.value(0);
}
