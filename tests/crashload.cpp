// The write load of scripts/crash-test.sh and scripts/writers-load.sh, through the program's
// data layer. DB is a file or a server's postgresql:// address.
//   plenwick_crashload generate DB       a small generated database
//   plenwick_crashload run DB LOG        writes until killed, logging each committed write
//   plenwick_crashload check DB LOG      checks the database and that every logged write is there
//   plenwick_crashload edit DB LOG SECS  one of several writers: edits shared prices and lines
//   plenwick_crashload verify DB LOG     checks the database and that no logged edit was lost
// The run log is synced after each line, so a line in it is a write that was committed.

#include "data/backup.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "demodata/demodata.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QStringList>
#include <QTextStream>
#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace {
bool openDatabase(Connection& connection, const QString& path, bool quiet = false) {
    connection.setConnectionString(
        Connection::buildConnectionString(path, Schema::databasePassword()));
    if (connection.open())
        return true;
    if (!quiet)
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

// A write of the load refused: said on stderr, which the crash test reports.
int failed(Connection& connection) {
    std::fprintf(stderr, "%s\n", qPrintable(connection.lastError().text()));
    return 2;
}

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
    // Quote numbers after the last one: a server's INTEGER holds 32 bits.
    const qint64 quotes = scalar(connection, QStringLiteral("SELECT MAX(QuoteNumber) FROM "
                                                            "EstimateTBL"))
                              .toLongLong();
    for (qint64 n = 0;; ++n) {
        Transaction transaction(connection.database());
        QString done;
        switch (n % 5) {
        case 0: { // a new material
            const QString partNumber = QStringLiteral("CL-%1-%2").arg(run).arg(n);
            if (!connection.execute(QStringLiteral("INSERT INTO MaterialsTBL (SuppliersID, "
                                                   "PartNumber, UnitCost) VALUES (1, ?, ?)"),
                                    {partNumber, double(dice.bounded(100000)) / 100}))
                return failed(connection);
            done = QStringLiteral("material ") + partNumber;
            break;
        }
        case 1: // a material saved with a new price
            if (!connection.execute(
                    QStringLiteral("UPDATE MaterialsTBL SET UnitCost = ? WHERE MaterialsID = 1"),
                    {++cost}))
                return failed(connection);
            done = QStringLiteral("cost %1").arg(cost);
            break;
        case 2:
        case 3: { // an estimate with its lines
            if (!connection.execute(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, "
                                                   "EstimateData, TaxRate) VALUES (?, ?, 0.0825)"),
                                    {quotes + 1 + n, QDateTime::currentDateTime()}))
                return failed(connection);
            const qint64 id = connection.database().lastInsertId();
            const int materials = dice.bounded(1, 6);
            const int labor = dice.bounded(0, 3);
            for (int i = 0; i < materials; ++i)
                if (!connection.execute(
                        QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, MaterialsID, "
                                       "Quantity, UnitCost) VALUES (?, 1, ?, 2.5)"),
                        {id, i + 1}))
                    return failed(connection);
            for (int i = 0; i < labor; ++i)
                if (!connection.execute(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, "
                                                       "Hours, LaborRate) VALUES (?, 2.5, 40)"),
                                        {id}))
                    return failed(connection);
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
                        return failed(connection);
                done = QStringLiteral("deleted %1").arg(id);
                break;
            }
            transaction.rollback();
            if (connection.database().isServer())
                continue; // a server keeps its own backups
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
            return failed(connection);
        log.write(done);
    }
}

// What is wrong with the database as a whole: its engine's own check (a file's; a server keeps
// its storage whole itself, see scripts/writers-load.sh for its index check) and lines whose
// estimate or material is gone.
QStringList integrityProblems(Connection& connection) {
    QStringList problems;
    auto expect = [&](const QString& sql, const QVariant& wanted, const QString& what) {
        const QVariant got = scalar(connection, sql);
        if (got != wanted)
            problems.append(
                QStringLiteral("%1: %2, not %3").arg(what, got.toString(), wanted.toString()));
    };
    if (!connection.database().isServer()) {
        expect(QStringLiteral("PRAGMA integrity_check"), QStringLiteral("ok"),
               QStringLiteral("integrity_check"));
        expect(QStringLiteral("SELECT COUNT(*) FROM pragma_foreign_key_check"), 0,
               QStringLiteral("foreign_key_check rows"));
    }
    for (const char* table : {"MaterialEstimateTBL", "LaborEstimateTBL"})
        expect(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE EstimateID NOT IN (SELECT EstimateID "
                              "FROM EstimateTBL)")
                   .arg(QLatin1String(table)),
               0, QStringLiteral("lines without their estimate in ") + table);
    expect(QStringLiteral("SELECT COUNT(*) FROM MaterialEstimateTBL WHERE MaterialsID NOT IN "
                          "(SELECT MaterialsID FROM MaterialsTBL)"),
           0, QStringLiteral("lines without their material"));
    return problems;
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
    problems << integrityProblems(connection);

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
    if (connection.database().isServer())
        return problems; // no dated copies: the server keeps its own backups
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

// The edit load: writers, one process each, edit the same few materials' prices and estimate
// lines as a user does on a screen (the row read into a record set, changed, saved), so that
// they keep meeting each other's changes. Each edit writes a description no other edit writes
// (a token) with the price or quantity; the log says, tab-separated, what each edit found and
// did. It is flushed (not synced) per line: a kill -9 of the writer loses nothing written.
//   try   PID KIND ID TOKEN VALUE OLD   before the save: OLD is the description it replaces
//   set   PID KIND ID TOKEN             saved
//   refused PID KIND ID TOKEN NUMBER    refused: the row changed meanwhile, or was locked
//   lost  PID MESSAGE                   the connection went; the next action connects again
//   failed PID MESSAGE                  any other failure: a fault
//   unopened PID MESSAGE                the database did not open; tried again
//   end   PID SECONDS                   the time ran out
constexpr int kSharedRows = 10;
const char kMaterial[] = "material";
const char kLine[] = "line";

struct EditTarget {
    QString kind;
    QString sql; // the row read as a screen reads it
    QString valueColumn;
};

EditTarget editTarget(bool material) {
    if (material)
        return {QLatin1String(kMaterial),
                QStringLiteral("SELECT MaterialsID, PartNumber, ManufacturerDescription, UnitCost "
                               "FROM MaterialsTBL WHERE MaterialsID = ?"),
                QStringLiteral("UnitCost")};
    return {QLatin1String(kLine),
            QStringLiteral("SELECT MaterialEstimateID, EstimateID, ManufacturerDescription, "
                           "Quantity FROM MaterialEstimateTBL WHERE MaterialEstimateID = ?"),
            QStringLiteral("Quantity")};
}

// The rows every writer edits: the first materials and the first estimate lines.
QList<qint64> sharedRows(Connection& connection, bool material) {
    Statement q(connection.database(),
                material ? QStringLiteral("SELECT MaterialsID FROM MaterialsTBL ORDER BY "
                                          "MaterialsID LIMIT ?")
                         : QStringLiteral("SELECT MaterialEstimateID FROM MaterialEstimateTBL "
                                          "ORDER BY MaterialEstimateID LIMIT ?"));
    QList<qint64> ids;
    if (q.bindAll({kSharedRows}))
        while (q.next())
            ids << q.integer(0);
    return ids;
}

// The value an edit's token stores beside it: an amount in cents, or a quantity.
double tokenValue(bool material, qint64 n) {
    return material ? double(n % 100000 + 1) / 100 : double(n % 1000 + 1);
}

int edit(const QString& path, const QString& logPath, int seconds) {
    Connection connection;
    QFile log(logPath);
    if (!log.open(QIODevice::Append | QIODevice::Text))
        qFatal("cannot write %s", qPrintable(logPath));
    const QString pid = QString::number(getpid());
    const auto write = [&](QStringList fields) {
        fields.insert(1, pid);
        log.write((fields.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8());
        log.flush();
    };
    // A writer that cannot open the database says why in the log and tries again, as a user
    // would; what a refused open says is for the report.
    QElapsedTimer clock;
    clock.start();
    while (!openDatabase(connection, path, true)) {
        write({QStringLiteral("unopened"), connection.lastError().text()});
        if (clock.elapsed() > seconds * 1000LL)
            return 1;
        QThread::msleep(100);
    }
    const QList<qint64> rows[2] = {sharedRows(connection, false), sharedRows(connection, true)};
    if (rows[0].isEmpty() || rows[1].isEmpty()) {
        std::fprintf(stderr, "no rows to edit\n");
        return 2;
    }
    QRandomGenerator dice{quint32(getpid())};
    int failures = 0; // in a row
    for (qint64 n = 0; clock.elapsed() < seconds * 1000LL; ++n) {
        const bool material = dice.bounded(2) == 1;
        const EditTarget target = editTarget(material);
        const QString id = QString::number(rows[material].at(dice.bounded(rows[material].size())));
        const QString token = QStringLiteral("CL-%1-%2").arg(pid).arg(n);
        const double value = tokenValue(material, n);
        RecordSet row;
        bool saved = row.open(connection, target.sql, {id}) && !row.isEOF();
        if (saved) {
            write({QStringLiteral("try"), target.kind, id, token, QString::number(value),
                   row.value(QStringLiteral("ManufacturerDescription")).toString()});
            saved = row.setValue(QStringLiteral("ManufacturerDescription"), token) &&
                    row.setValue(target.valueColumn, value) && row.update();
        }
        if (saved) {
            write({QStringLiteral("set"), target.kind, id, token});
            failures = 0;
            continue;
        }
        const DbError error = row.lastError().isSet() ? row.lastError() : connection.lastError();
        if (error.nativeError == ErrorNumber::kConnectionLost) {
            write({QStringLiteral("lost"), error.text()});
            if (++failures > 20)
                return 2;
            continue;
        }
        if (error.nativeError == ErrorNumber::kRecordChanged ||
            error.nativeError == ErrorNumber::kRecordDeleted ||
            error.nativeError == ErrorNumber::kFileInUse) {
            write({QStringLiteral("refused"), target.kind, id, token,
                   QString::number(error.nativeError)});
            failures = 0;
            continue;
        }
        // Anything else is a fault of the load or of the data layer: logged for the checker,
        // and the writer goes on, unless it fails over and over.
        write({QStringLiteral("failed"), error.text()});
        if (++failures > 20)
            return 2;
    }
    write({QStringLiteral("end"), QString::number(double(clock.elapsed()) / 1000, 'f', 1)});
    return 0;
}

// The log's edits of one row: each token's edit, and the row's stored token followed back
// through the edits that made it must pass every saved edit and no refused one.
struct Edit {
    QString old;
    double value = 0;
    enum { Tried, Saved, Refused } outcome = Tried;
};

QStringList verify(const QString& path, const QString& logPath, QString* summary) {
    Connection connection;
    if (!openDatabase(connection, path))
        return {QStringLiteral("does not open: ") + connection.lastError().description};
    QStringList problems = integrityProblems(connection);
    QFile logFile(logPath);
    if (!logFile.open(QIODevice::ReadOnly | QIODevice::Text))
        return problems << QStringLiteral("no log");
    QHash<QString, QHash<QString, Edit>> edits; // by "kind id", then by token
    QHash<QString, QString> rowOf;              // "kind id" by token
    QHash<QString, int>
        lostPending; // writers whose last outcome was a lost connection or a failure
    int saved = 0, refused = 0, lost = 0, recovered = 0, ended = 0, unopened = 0;
    QString unopenedSample;
    QHash<QString, int> failed; // how often each failure was logged
    int lostUpdates = 0;
    QSet<QString> writers;
    QString lostSample;
    QTextStream in(&logFile);
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split(QLatin1Char('\t'));
        const QString& kind = f.value(0);
        const QString& writer = f.value(1);
        writers.insert(writer);
        const QString row = f.value(2) + QLatin1Char(' ') + f.value(3);
        const QString& token = f.value(4);
        if (kind == QLatin1String("lost")) {
            ++lost;
            lostPending[writer] = 1;
            lostSample = f.value(2);
            continue;
        }
        if (kind == QLatin1String("failed")) {
            ++failed[f.value(2)];
            lostPending[writer] = 1;
            continue;
        }
        if (kind == QLatin1String("unopened")) {
            ++unopened;
            unopenedSample = f.value(2);
            continue;
        }
        if (kind == QLatin1String("end")) {
            ++ended;
            continue;
        }
        if (kind == QLatin1String("try")) {
            edits[row][token] = {f.value(6), f.value(5).toDouble(), Edit::Tried};
            rowOf.insert(token, row);
            continue;
        }
        if (kind == QLatin1String("set") || kind == QLatin1String("refused")) {
            const bool ok = kind == QLatin1String("set");
            edits[row][token].outcome = ok ? Edit::Saved : Edit::Refused;
            ok ? ++saved : ++refused;
            if (lostPending.remove(writer))
                ++recovered;
        }
    }
    for (auto r = edits.cbegin(); r != edits.cend(); ++r) {
        const QStringList key = r.key().split(QLatin1Char(' '));
        const bool material = key.first() == QLatin1String(kMaterial);
        const EditTarget target = editTarget(material);
        Statement q(connection.database(), target.sql);
        if (!q.bindAll({key.last().toLongLong()}) || !q.next()) {
            problems << QStringLiteral("%1 is gone").arg(r.key());
            continue;
        }
        QString stored = q.value(2).toString();
        const double storedValue = q.real(3);
        if (const auto last = r->constFind(stored);
            last != r->cend() && qAbs(last->value - storedValue) > 0.001)
            problems << QStringLiteral("%1 holds %2 with %3, saved with %4")
                            .arg(r.key(), stored)
                            .arg(storedValue)
                            .arg(last->value);
        QSet<QString> chain;
        for (auto e = r->constFind(stored); e != r->cend() && !chain.contains(stored);
             e = r->constFind(stored)) {
            chain.insert(stored);
            stored = e->old;
        }
        for (auto e = r->cbegin(); e != r->cend(); ++e) {
            if (e->outcome == Edit::Saved && !chain.contains(e.key()) && ++lostUpdates <= 3)
                problems << QStringLiteral(
                                "lost update: %1 saved %2 over \"%3\", since overwritten "
                                "by an edit that never saw it")
                                .arg(r.key(), e.key(), e->old);
            if (e->outcome == Edit::Refused && chain.contains(e.key()))
                problems
                    << QStringLiteral("%1: the refused edit %2 is stored").arg(r.key(), e.key());
        }
    }
    if (lostUpdates > 3)
        problems << QStringLiteral("%1 lost updates in all").arg(lostUpdates);
    for (auto it = failed.cbegin(); it != failed.cend(); ++it)
        problems << QStringLiteral("%1 edits failed: %2").arg(it.value()).arg(it.key());
    *summary = QStringLiteral("writers %1 (ended %2), saved %3, refused %4, lost connections %5 "
                              "(the next action worked after %6 of these and the failures)")
                   .arg(writers.size())
                   .arg(ended)
                   .arg(saved)
                   .arg(refused)
                   .arg(lost)
                   .arg(recovered);
    if (unopened > 0)
        *summary +=
            QStringLiteral("; opens refused %1, saying: %2").arg(unopened).arg(unopenedSample);
    if (!lostSample.isEmpty())
        *summary += QStringLiteral("; lost connection said: ") + lostSample;
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
    if (mode == QLatin1String("edit") && args.size() == 5)
        return edit(args.at(2), args.at(3), args.at(4).toInt());
    if (mode == QLatin1String("verify") && args.size() == 4) {
        QString summary;
        const QStringList problems = verify(args.at(2), args.at(3), &summary);
        for (const QString& problem : problems)
            std::printf("%s\n", qPrintable(problem));
        std::printf("%s\n", qPrintable(summary));
        return problems.isEmpty() ? 0 : 1;
    }
    std::fprintf(stderr, "usage: plenwick_crashload generate DB | run DB LOG | check DB LOG | "
                         "edit DB LOG SECONDS | verify DB LOG\n");
    return 2;
}
