// The write load of scripts/crash-test.sh, through the program's data layer:
//   plenwick_crashload generate DB      a small generated database
//   plenwick_crashload run DB LOG       writes until killed, logging each committed write
//   plenwick_crashload check DB LOG     checks the file and that every logged write is there
// The log is synced after each line, so a line in it is a write that was committed.

#include "data/backup.h"
#include "data/connection.h"
#include "data/schema.h"
#include "demodata/demodata.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

namespace {
bool openDatabase(Connection& connection, const QString& path) {
    connection.setConnectionString(
        Connection::buildConnectionString(path, Schema::databasePassword()));
    if (connection.open())
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(connection.lastError().description));
    return false;
}

QVariant scalar(Connection& connection, const QString& sql, const QVariantList& values = {}) {
    Statement q(connection.database(), sql);
    return q.bindAll(values) && q.next() ? q.value(0) : QVariant();
}

class Log {
public:
    explicit Log(const QString& path) : m_file(path) {
        if (!m_file.open(QIODevice::Append | QIODevice::Text))
            qFatal("cannot write %s", qPrintable(path));
    }
    void write(const QString& line) {
        m_file.write((line + QLatin1Char('\n')).toUtf8());
        m_file.flush();
        fsync(m_file.handle());
    }

private:
    QFile m_file;
};

int run(const QString& path, const QString& logPath) {
    Connection connection;
    connection.setDailyBackups(true);
    if (!openDatabase(connection, path))
        return 1;
    Log log(logPath);
    QRandomGenerator dice{quint32(getpid())};
    const qint64 run = getpid();
    qint64 cost = scalar(connection, QStringLiteral("SELECT MAX(UnitCost) FROM MaterialsTBL WHERE "
                                                    "MaterialsID = 1"))
                      .toLongLong();
    QList<qint64> estimates;
    for (qint64 n = 0;; ++n) {
        Transaction transaction(connection.database());
        QString done;
        switch (n % 5) {
        case 0: { // a new material
            const QString partNumber = QStringLiteral("CL-%1-%2").arg(run).arg(n);
            if (!connection.execute(QStringLiteral("INSERT INTO MaterialsTBL (SuppliersID, "
                                                   "PartNumber, UnitCost) VALUES (1, ?, ?)"),
                                    {partNumber, double(dice.bounded(100000)) / 100}))
                return 2;
            done = QStringLiteral("material ") + partNumber;
            break;
        }
        case 1: // a material saved with a new price
            if (!connection.execute(
                    QStringLiteral("UPDATE MaterialsTBL SET UnitCost = ? WHERE MaterialsID = 1"),
                    {++cost}))
                return 2;
            done = QStringLiteral("cost %1").arg(cost);
            break;
        case 2:
        case 3: { // an estimate with its lines
            if (!connection.execute(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, "
                                                   "EstimateData, TaxRate) VALUES (?, ?, 0.0825)"),
                                    {run * 1000000 + n, QDateTime::currentDateTime()}))
                return 2;
            const qint64 id = connection.database().lastInsertId();
            const int materials = dice.bounded(1, 6);
            const int labor = dice.bounded(0, 3);
            for (int i = 0; i < materials; ++i)
                if (!connection.execute(
                        QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, MaterialsID, "
                                       "Quantity, UnitCost) VALUES (?, 1, ?, 2.5)"),
                        {id, i + 1}))
                    return 2;
            for (int i = 0; i < labor; ++i)
                if (!connection.execute(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, "
                                                       "Hours, LaborRate) VALUES (?, 2.5, 40)"),
                                        {id}))
                    return 2;
            estimates.append(id);
            done = QStringLiteral("estimate %1 %2 %3").arg(id).arg(materials).arg(labor);
            break;
        }
        default: { // an estimate removed with its lines, or every fiftieth time a backup
            if (n % 50 != 49 && !estimates.isEmpty()) {
                const qint64 id = estimates.takeAt(dice.bounded(int(estimates.size())));
                // A kill between the commit and its line leaves the estimate gone unlogged:
                // the intent is logged first, and the checker takes either whole state.
                log.write(QStringLiteral("deleting %1").arg(id));
                for (const char* table : {"MaterialEstimateTBL", "LaborEstimateTBL", "EstimateTBL"})
                    if (!connection.execute(QStringLiteral("DELETE FROM %1 WHERE EstimateID = ?")
                                                .arg(QLatin1String(table)),
                                            {id}))
                        return 2;
                done = QStringLiteral("deleted %1").arg(id);
                break;
            }
            transaction.rollback();
            QString error;
            QString made;
            if (!makeDatedBackup(connection.database(), path, &error, &made)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 2;
            }
            log.write(QStringLiteral("backup ") + made);
            continue;
        }
        }
        if (!transaction.commit())
            return 2;
        log.write(done);
    }
}

// Each problem found, one a line; none when the file is sound and holds every logged write.
QStringList check(const QString& path, const QString& logPath) {
    QStringList problems;
    Connection connection;
    if (!openDatabase(connection, path))
        return {QStringLiteral("does not open: ") + connection.lastError().description};
    auto expect = [&](const QString& sql, const QVariantList& values, const QVariant& wanted,
                      const QString& what) {
        const QVariant got = scalar(connection, sql, values);
        if (got != wanted)
            problems.append(
                QStringLiteral("%1: %2, not %3").arg(what, got.toString(), wanted.toString()));
    };
    expect(QStringLiteral("PRAGMA integrity_check"), {}, QStringLiteral("ok"),
           QStringLiteral("integrity_check"));
    expect(QStringLiteral("SELECT COUNT(*) FROM pragma_foreign_key_check"), {}, 0,
           QStringLiteral("foreign_key_check rows"));
    for (const char* table : {"MaterialEstimateTBL", "LaborEstimateTBL"})
        expect(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE EstimateID NOT IN (SELECT EstimateID "
                              "FROM EstimateTBL)")
                   .arg(QLatin1String(table)),
               {}, 0, QStringLiteral("lines without their estimate in ") + table);

    QFile logFile(logPath);
    if (!logFile.open(QIODevice::ReadOnly | QIODevice::Text))
        return problems << QStringLiteral("no log");
    QHash<qint64, QStringList> estimates;
    QSet<qint64> deleted;
    QSet<qint64> deleting; // maybe deleted: present with all its lines, or gone with all of them
    qint64 cost = 0;
    QString lastBackup;
    QTextStream in(&logFile);
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().split(QLatin1Char(' '));
        const QString& kind = parts.first();
        if (kind == QLatin1String("material"))
            expect(QStringLiteral("SELECT COUNT(*) FROM MaterialsTBL WHERE PartNumber = ?"),
                   {parts.value(1)}, 1, QStringLiteral("material ") + parts.value(1));
        else if (kind == QLatin1String("cost"))
            cost = qMax(cost, parts.value(1).toLongLong());
        else if (kind == QLatin1String("estimate"))
            estimates.insert(parts.value(1).toLongLong(), parts);
        else if (kind == QLatin1String("deleting"))
            deleting.insert(parts.value(1).toLongLong());
        else if (kind == QLatin1String("deleted"))
            deleted.insert(parts.value(1).toLongLong());
        else if (kind == QLatin1String("backup"))
            lastBackup = parts.mid(1).join(QLatin1Char(' '));
    }
    for (auto it = estimates.cbegin(); it != estimates.cend(); ++it) {
        const bool gone = deleted.contains(it.key()) ||
                          (deleting.contains(it.key()) &&
                           scalar(connection,
                                  QStringLiteral("SELECT COUNT(*) FROM EstimateTBL WHERE "
                                                 "EstimateID = ?"),
                                  {it.key()}) == 0);
        const QString what = QStringLiteral("estimate %1").arg(it.key());
        expect(QStringLiteral("SELECT COUNT(*) FROM EstimateTBL WHERE EstimateID = ?"), {it.key()},
               gone ? 0 : 1, what);
        expect(QStringLiteral("SELECT COUNT(*) FROM MaterialEstimateTBL WHERE EstimateID = ?"),
               {it.key()}, gone ? 0 : it->value(2).toInt(), what + QStringLiteral(" lines"));
        expect(QStringLiteral("SELECT COUNT(*) FROM LaborEstimateTBL WHERE EstimateID = ?"),
               {it.key()}, gone ? 0 : it->value(3).toInt(), what + QStringLiteral(" labor"));
    }
    const qint64 stored = scalar(connection, QStringLiteral("SELECT UnitCost FROM MaterialsTBL "
                                                            "WHERE MaterialsID = 1"))
                              .toLongLong();
    if (stored < cost)
        problems.append(QStringLiteral("price %1 older than the logged %2").arg(stored).arg(cost));
    // Every dated backup opens (the open checks its structure), the last one logged among them.
    const QList<BackupFile> backups = listBackups(path);
    // A run killed between naming a new copy and removing the oldest leaves one more.
    if (backups.size() > kKeptBackups + 1)
        problems.append(QStringLiteral("%1 backups kept").arg(backups.size()));
    bool lastFound = lastBackup.isEmpty();
    for (const BackupFile& backup : backups) {
        Connection copy;
        if (!openDatabase(copy, backup.path))
            problems.append(QStringLiteral("backup %1 does not open").arg(backup.path));
        lastFound = lastFound || backup.path == lastBackup;
    }
    // Copies made within one second take the following seconds' names, so under this load the
    // last one logged may have been removed in favour of newer names.
    if (!lastFound && backups.size() < kKeptBackups)
        problems.append(QStringLiteral("logged backup missing: ") + lastBackup);
    return problems;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (mode == QLatin1String("generate") && args.size() == 3) {
        DemoData::Counts counts;
        counts.materials = 2000;
        counts.manufacturers = 10;
        counts.suppliers = 10;
        counts.categories = 10;
        counts.estimators = 3;
        counts.estimates = 50;
        QString error;
        if (DemoData::generate(args.at(2), counts, &error))
            return 0;
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (mode == QLatin1String("run") && args.size() == 4)
        return run(args.at(2), args.at(3));
    if (mode == QLatin1String("check") && args.size() == 4) {
        const QStringList problems = check(args.at(2), args.at(3));
        for (const QString& problem : problems)
            std::printf("%s\n", qPrintable(problem));
        return problems.isEmpty() ? 0 : 1;
    }
    std::fprintf(stderr, "usage: plenwick_crashload generate DB | run DB LOG | check DB LOG\n");
    return 2;
}
