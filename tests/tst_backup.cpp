// Copies of the database: a backup is whole and opens, the dated ones are kept to fourteen, one
// is made before the first write of each day, Restore puts an old one back (keeping the current
// file), and a damaged file is named as such and offers the newest backup. The program's start
// writes and copies nothing: the check of the file and the day's copy are made in the background
// once the window is up, and writes wait for them.
#include "app/backupcommands.h"
#include "app/mainwindow.h"
#include "app/restoredialog.h"
#include "app/startup.h"
#include "data/backup.h"
#include "data/connection.h"
#include "data/globals.h"
#include "data/schema.h"
#include "settings/openconnection.h"
#include "settings/registry.h"
#include "support/datafiles.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedfiledialogs.h"
#include "support/scriptedmessages.h"
#include "support/smalldisk.h"
#include "support/testdatabase.h"
#include "widgets/waitfeedback.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <sys/stat.h>

namespace {
const QDateTime kMonday(QDate(2026, 12, 7), QTime(8, 30));

// The backup clock stands still at a time the test sets.
struct FixedClock {
    QDateTime now = kMonday;
    FixedClock() {
        setBackupClock([this] { return now; });
    }
    ~FixedClock() { setBackupClock({}); }
};

qint64 countIn(const QString& path, const QString& table) {
    Connection connection;
    if (!openProgramFile(connection, path))
        return -1;
    Statement q(connection.database(), QStringLiteral("SELECT COUNT(*) FROM ") + table);
    return q.next() ? q.integer(0) : -1;
}

void addSupplier(TestDatabase& db, const QString& name) {
    db.exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES (?)"), {name});
}

QStringList leftovers(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".*partial*")}, QDir::Files | QDir::Hidden);
}

mode_t mode(const QString& path) {
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

QAction* menuItem(frmMain& window, const char* name) {
    return window.findChild<QAction*>(QString::fromLatin1(name));
}

const QString kInsertSupplier = QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES (?)");

// What a start could change: the file's header (with SQLite's change counter), size and time,
// and the dated copies beside it.
QString fileState(const QString& path) {
    QStringList copies;
    for (const BackupFile& copy : listBackups(path))
        copies << QFileInfo(copy.path).fileName();
    const QFileInfo info(path);
    return QString::fromLatin1(fileContents(path).left(100).toHex()) + QLatin1Char(' ') +
           QString::number(info.size()) + QLatin1Char(' ') +
           info.lastModified().toString(Qt::ISODateWithMs) + QLatin1Char(' ') +
           copies.join(QLatin1Char(','));
}

// Another program holding the file, so that nothing else can read it until release().
struct FileHolder {
    Database db;
    explicit FileHolder(const QString& path) {
        if (!db.open(path) || !db.execute(QStringLiteral("BEGIN EXCLUSIVE")))
            qFatal("cannot hold %s", qPrintable(path));
    }
    void release() { db.execute(QStringLiteral("COMMIT")); }
};

// The program's connection to a file, as the window opens it.
struct ProgramConnection : Connection {
    explicit ProgramConnection(const QString& path) {
        setDailyBackups(true);
        setBackgroundChecks(true);
        if (!openProgramFile(*this, path))
            qFatal("cannot open %s", qPrintable(path));
    }
};
} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void aBackupIsACompleteCopyThatOpens() {
        TestDatabase db;
        db.addSmallLookups();
        db.exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                           "i < 500) INSERT INTO MaterialsTBL (SuppliersID, PartNumber, UnitCost) "
                           "SELECT 1, 'P-' || i, 2.5 FROM n"));
        const QString target = db.dir() + QStringLiteral("/copy.mdb");
        QString error;
        QVERIFY2(backupTo(db.connection().database(), target, &error), qPrintable(error));
        QCOMPARE(countIn(target, QStringLiteral("MaterialsTBL")), 500);
        QCOMPARE(countIn(target, QStringLiteral("SuppliersTBL")), 2);

        // A second backup to the same file replaces it; nothing half-made is left behind.
        db.exec(QStringLiteral("DELETE FROM MaterialsTBL WHERE MaterialsID > 100"));
        QVERIFY2(backupTo(db.connection().database(), target, &error), qPrintable(error));
        QCOMPARE(countIn(target, QStringLiteral("MaterialsTBL")), 100);
        QCOMPARE(leftovers(db.dir()), QStringList());
        // A new database opens to whom any new file of the user opens; a copy to no more than the
        // database does, whatever file it replaces.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QCOMPARE(mode(target), mode_t(0666 & ~mask));
        const QString made = db.dir() + QStringLiteral("/made.mdb");
        QVERIFY(Schema::createFile(made, &error));
        QCOMPARE(mode(made), mode_t(0666 & ~mask));
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0664) == 0);
        QVERIFY(::chmod(QFile::encodeName(db.path()).constData(), 0600) == 0);
        QVERIFY2(backupTo(db.connection().database(), target, &error), qPrintable(error));
        QCOMPARE(mode(target), mode_t(0600));

        // The database itself and a folder that is not there are refused with the reason.
        QVERIFY(!backupTo(db.connection().database(), db.path(), &error));
        VERIFY_CONTAINS(error, "the database itself");
        QVERIFY(!backupTo(db.connection().database(), db.dir() + QStringLiteral("/no/such/x.mdb"),
                          &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(countIn(db.path(), QStringLiteral("MaterialsTBL")), 100);
    }

    void theNewestFourteenAreKept() {
        TestDatabase db;
        FixedClock clock;
        QString error;
        for (int day = 0; day < 20; ++day) {
            clock.now = kMonday.addDays(day);
            QVERIFY2(makeDatedBackup(db.connection().database(), db.path(), &error),
                     qPrintable(error));
        }
        // What a copy interrupted an hour ago left behind goes; one being written now stays.
        const QString folder = backupFolder(db.path());
        QFile abandoned(folder + QStringLiteral("/.Estimating-1.mdb.partial-AAAA"));
        QFile fresh(folder + QStringLiteral("/.Estimating-2.mdb.partial-BBBB"));
        QVERIFY(writeFile(fresh.fileName(), {}) && abandoned.open(QIODevice::WriteOnly));
        QVERIFY(abandoned.setFileTime(QDateTime::currentDateTime().addSecs(-7200),
                                      QFileDevice::FileModificationTime));
        abandoned.close();
        // Two within one second get names of their own.
        QVERIFY(makeDatedBackup(db.connection().database(), db.path(), &error));
        QVERIFY(!abandoned.exists());
        QVERIFY(fresh.exists());
        QVERIFY(fresh.remove());
        const QList<BackupFile> backups = listBackups(db.path());
        QCOMPARE(backups.size(), kKeptBackups);
        QCOMPARE(backups.first().made, kMonday.addDays(19).addSecs(1));
        QCOMPARE(backups.last().made, kMonday.addDays(7));
        for (qsizetype i = 1; i < backups.size(); ++i)
            QVERIFY(backups.at(i - 1).made > backups.at(i).made);
        QCOMPARE(
            QFileInfo(backups.at(1).path).fileName(),
            QStringLiteral("%1-20261226-083000.mdb").arg(QFileInfo(db.path()).completeBaseName()));
        QCOMPARE(QDir(backupFolder(db.path())).entryList(QDir::Files).size(), kKeptBackups);
        // Files of other names in the folder are neither listed nor removed.
        const QString other = backupFolder(db.path()) + QStringLiteral("/notes.mdb");
        QVERIFY(writeFile(other, {}));
        QCOMPARE(listBackups(db.path()).size(), kKeptBackups);
        QVERIFY(QFile::exists(other));
    }

    void theDailyBackupComesOnceADayBeforeTheFirstWrite() {
        TestDatabase db;
        db.addSmallLookups();
        FixedClock clock;
        std::unique_ptr<Connection> program;
        const auto start = [&] {
            program = std::make_unique<Connection>();
            program->setDailyBackups(true);
            return openProgramFile(*program, db.path());
        };
        QVERIFY(start());
        QVERIFY(
            Statement(program->database(), QStringLiteral("SELECT * FROM SuppliersTBL")).next());
        QVERIFY(listBackups(db.path()).isEmpty()); // reading makes none

        QVERIFY(program->execute(kInsertSupplier, {QStringLiteral("Monday One")}));
        QList<BackupFile> backups = listBackups(db.path());
        QCOMPARE(backups.size(), 1);
        QCOMPARE(backups.first().made, kMonday);
        // Made before the write: it holds the day's data as it was.
        QCOMPARE(countIn(backups.first().path, QStringLiteral("SuppliersTBL")), 2);

        clock.now = kMonday.addSecs(3600);
        {
            Transaction transaction(program->database());
            QVERIFY(program->execute(kInsertSupplier, {QStringLiteral("Monday Two")}));
            QVERIFY(transaction.commit());
        }
        QCOMPARE(listBackups(db.path()).size(), 1);

        // A program started again the same day finds the day's backup by its name.
        QVERIFY(start());
        QVERIFY2(program->execute(kInsertSupplier, {QStringLiteral("Monday Three")}),
                 qPrintable(program->lastError().description));
        QCOMPARE(listBackups(db.path()).size(), 1);

        // The next day, the first write inside a transaction is preceded by one.
        clock.now = kMonday.addDays(1);
        {
            Transaction transaction(program->database());
            QVERIFY(program->execute(kInsertSupplier, {QStringLiteral("Tuesday One")}));
            QVERIFY(program->execute(kInsertSupplier, {QStringLiteral("Tuesday Two")}));
            QVERIFY(transaction.commit());
        }
        backups = listBackups(db.path());
        QCOMPARE(backups.size(), 2);
        QCOMPARE(backups.first().made, kMonday.addDays(1));
        QCOMPARE(countIn(backups.first().path, QStringLiteral("SuppliersTBL")), 5);
        QCOMPARE(program->dailyBackupError(), QString());

        // A connection without daily backups (the command line, a trial) makes none.
        clock.now = kMonday.addDays(2);
        QVERIFY(db.connection().execute(kInsertSupplier, {QStringLiteral("Wednesday")}));
        QCOMPARE(listBackups(db.path()).size(), 2);
    }

    void aFailedDailyBackupIsToldAndTheWriteGoesAhead() {
        FixedClock clock;
        Program program;
        QVERIFY(program.load());
        // A file where the folder should be: no copy can be made there.
        QVERIFY(writeFile(backupFolder(program.db.path()), {}));
        ScriptedMessages messages;
        QVERIFY(gConnection->execute(kInsertSupplier, {QStringLiteral("Saved Anyway")}));
        QVERIFY(messages.shown().isEmpty()); // not in the middle of the write
        QTRY_COMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.titles().first(), QStringLiteral("Backup"));
        VERIFY_CONTAINS(messages.texts().first(), "could not be made");
        QCOMPARE(countIn(program.db.path(), QStringLiteral("SuppliersTBL")), 1);
        // Told once a day, not at every write.
        QVERIFY(gConnection->execute(kInsertSupplier, {QStringLiteral("Second")}));
        QTest::qWait(20);
        QCOMPARE(messages.shown().size(), 1);
    }

    void backUpDatabaseAsksWhereAndWritesThere() {
        Program program;
        program.db.addSmallLookups();
        QVERIFY(program.load());
        frmMain window;
        window.show();
        ScriptedMessages messages;
        ScriptedFileDialogs dialogs;
        QAction* item = menuItem(window, "mnuToolsBackUp");
        QVERIFY(item);
        item->trigger(); // cancelled: nothing is written, nothing said
        QCOMPARE(dialogs.asked().size(), 1);
        QCOMPARE(dialogs.asked().first().mode, FileDialogRequest::Save);
        QVERIFY(dialogs.asked().first().fileName.endsWith(QLatin1String(".mdb")));
        QVERIFY(messages.shown().isEmpty());

        const QString target = program.db.dir() + QStringLiteral("/kept/copy.mdb");
        QVERIFY(QDir().mkpath(program.db.dir() + QStringLiteral("/kept")));
        dialogs.answerNext(target);
        item->trigger();
        QCOMPARE(countIn(target, QStringLiteral("SuppliersTBL")), 2);
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.texts().first().contains(QDir::toNativeSeparators(target)));
        // A copy refused (the database's own file, a full disk) is told: the other tests' refusals.
    }

    void restorePutsTheOldDataBackAndKeepsTheCurrentFile() {
        FixedClock clock;
        Program program;
        program.db.addSmallLookups();
        QVERIFY(program.load());
        QString error;
        QVERIFY(makeDatedBackup(gConnection->database(), program.db.path(), &error));
        clock.now = kMonday.addSecs(60);
        addSupplier(program.db, QStringLiteral("Added Later"));
        frmMain window;
        window.show();
        ScriptedMessages messages;

        // No: nothing changes, the dialog stays open until closed.
        messages.answerNext(QMessageBox::No);
        QVERIFY(whileModal([&] { menuItem(window, "mnuToolsRestore")->trigger(); },
                           [&](QDialog* dialog) {
                               auto* restore = qobject_cast<RestoreDialog*>(dialog);
                               QVERIFY(restore);
                               QCOMPARE(restore->lstBackups->count(), 1);
                               QVERIFY(restore->lstBackups->item(0)->text().startsWith(
                                   QLatin1String("12/7/2026 8:30:00 AM")));
                               QTest::mouseClick(restore->cmdRestore, Qt::LeftButton);
                               QVERIFY(restore->isVisible());
                               QTest::mouseClick(restore->cmdClose, Qt::LeftButton);
                           }));
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(countIn(program.db.path(), QStringLiteral("SuppliersTBL")), 3);

        // Yes: the old data is back on the program's connection, the file as it was is kept.
        messages.clear();
        messages.answerNext(QMessageBox::Yes);
        QVERIFY(whileModal([&] { menuItem(window, "mnuToolsRestore")->trigger(); },
                           [&](QDialog* dialog) {
                               auto* restore = qobject_cast<RestoreDialog*>(dialog);
                               QVERIFY(restore);
                               QListWidget* list = restore->lstBackups;
                               QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                                 list->visualItemRect(list->item(0)).center());
                               QCOMPARE(list->currentRow(), 0);
                               QTest::mouseClick(restore->cmdRestore, Qt::LeftButton);
                               QVERIFY(!restore->isVisible());
                           }));
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.texts().first().contains(QLatin1String("12/7/2026 8:30:00 AM")));
        QVERIFY(gConnection->isOpen());
        Statement q(gConnection->database(), QStringLiteral("SELECT COUNT(*) FROM SuppliersTBL"));
        QVERIFY(q.next());
        QCOMPARE(q.integer(0), 2);
        const QList<BackupFile> backups = listBackups(program.db.path());
        QCOMPARE(backups.size(), 2);
        QCOMPARE(backups.first().made, kMonday.addSecs(60));
        QCOMPARE(countIn(backups.first().path, QStringLiteral("SuppliersTBL")), 3);
    }

    void withoutBackupsOrWhenTheScreensHoldWorkNothingIsRestored() {
        Program program;
        QVERIFY(program.load());
        frmMain window;
        window.show();
        // The window may have written already, after the day's copy: that copy goes.
        QVERIFY(QDir(backupFolder(program.db.path())).removeRecursively());
        ScriptedMessages messages;
        QVERIFY(whileModal([&] { menuItem(window, "mnuToolsRestore")->trigger(); },
                           [&](QDialog* dialog) {
                               auto* restore = qobject_cast<RestoreDialog*>(dialog);
                               QVERIFY(restore);
                               QCOMPARE(restore->lstBackups->count(), 0);
                               QVERIFY(!restore->cmdRestore->isEnabled());
                               QTest::keyClick(restore, Qt::Key_Escape);
                               QVERIFY(!restore->isVisible());
                           }));
        QVERIFY(messages.shown().isEmpty());

        // A screen that cannot be left keeps the database as it is, without a question.
        QString error;
        QVERIFY(makeDatedBackup(gConnection->database(), program.db.path(), &error));
        addSupplier(program.db, QStringLiteral("Typed Today"));
        QVERIFY(!RestoreDatabase(listBackups(program.db.path()).first(), [] { return false; }, {}));
        QVERIFY(messages.shown().isEmpty());
        QCOMPARE(countIn(program.db.path(), QStringLiteral("SuppliersTBL")), 1);
        QVERIFY(gConnection->isOpen());
    }

    // Reading the whole file at every start would cost the program a second on a large catalogue:
    // the file it closed sound and finds unchanged is trusted for the rest of the day, and anything
    // else is checked.
    void theProgramChecksItsFileUnlessItIsAsItLeftIt() {
        FixedClock clock;
        TestDatabase db;
        const auto reopen = [&] {
            Connection program;
            program.setDailyBackups(true);
            const bool opened = openProgramFile(program, db.path());
            return opened ? qint64(0) : program.lastError().nativeError;
        };
        QCOMPARE(reopen(), 0); // closed sound: remembered
        const QDateTime changed = QFileInfo(db.path()).lastModified();
        db.damage(QStringLiteral("corrupt"));
        QFile file(db.path());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(changed, QFileDevice::FileModificationTime));
        file.close();
        // The same size, time and change counter: taken as left, the same day.
        QCOMPARE(reopen(), 0);
        QCOMPARE(reopen(), 0);
        clock.now = kMonday.addDays(1);
        QCOMPARE(reopen(), ErrorNumber::kDamagedFile);

        // Any change after the last close (here: another program's write) is checked.
        TestDatabase other;
        QCOMPARE(other.damage(QStringLiteral("corrupt")), other.path());
        Connection program;
        program.setDailyBackups(true);
        QVERIFY(!openProgramFile(program, other.path()));
        QCOMPARE(program.lastError().nativeError, ErrorNumber::kDamagedFile);
    }

    void aDamagedFileIsNamedAndOffersTheNewestBackup() {
        FixedClock clock;
        TestDatabase db;
        db.addSmallLookups();
        QString error;
        QVERIFY(makeDatedBackup(db.connection().database(), db.path(), &error));
        const QString path = db.damage(QStringLiteral("corrupt"));

        // No: the damage is reported and the file left as it is.
        ScriptedMessages messages;
        Connection program;
        QString opened = path;
        messages.answerNext(QMessageBox::No);
        QVERIFY(!OpenConnection(opened, program));
        QCOMPARE(messages.shown().size(), 2);
        VERIFY_CONTAINS(messages.texts().first(),
                        "Restore the newest backup, made 12/7/2026 8:30:00 AM?");
        QVERIFY(messages.texts().last().contains(QLatin1String("is damaged")));
        // So does the window's connection, which leaves the check to the background, when a table
        // it reads at once is damaged.
        messages.clear();
        Connection window;
        window.setDailyBackups(true);
        window.setBackgroundChecks(true);
        messages.answerNext(QMessageBox::No);
        QVERIFY(!OpenConnection(opened, window));
        QCOMPARE(messages.shown().size(), 2);
        QVERIFY(messages.texts().first().contains(QLatin1String("Restore the newest backup")));

        // Yes: the backup is put in its place and opened; the damaged file is kept.
        messages.clear();
        clock.now = kMonday.addSecs(5);
        messages.answerNext(QMessageBox::Yes);
        QVERIFY(OpenConnection(opened, program));
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(program.isOpen());
        QCOMPARE(countIn(path, QStringLiteral("SuppliersTBL")), 2);
        const QList<BackupFile> backups = listBackups(path);
        QCOMPARE(backups.size(), 2);
        Connection damaged;
        QVERIFY(!openProgramFile(damaged, backups.first().path));
        QCOMPARE(damaged.lastError().nativeError, ErrorNumber::kDamagedFile);
        // Without a backup nothing is offered: the connection test's refusals.
    }

    void copiesAreNoMoreOpenThanTheDatabase() {
        FixedClock clock;
        TestDatabase db;
        const QString path = db.path();
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0600) == 0);
        // An earlier version made the folder open to all: it is narrowed.
        QVERIFY(QDir().mkdir(backupFolder(path)));
        QVERIFY(::chmod(QFile::encodeName(backupFolder(path)).constData(), 0755) == 0);
        QString error, dated;
        QVERIFY2(makeDatedBackup(db.connection().database(), path, &error, &dated),
                 qPrintable(error));
        QCOMPARE(mode(dated), mode_t(0600));
        QCOMPARE(mode(backupFolder(path)), mode_t(0700));
        // The copy kept at a restore, and the restored file, keep to the database's permissions.
        db.connection().close();
        clock.now = kMonday.addSecs(60);
        QVERIFY2(restoreBackup(path, dated, &error), qPrintable(error));
        const QList<BackupFile> backups = listBackups(path);
        QCOMPARE(backups.size(), 2);
        QCOMPARE(mode(backups.first().path), mode_t(0600));
        QCOMPARE(mode(path), mode_t(0600));
        // A folder made new for a database that its group may read: the group may look in it.
        TestDatabase shared;
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 0640) == 0);
        const mode_t mask = ::umask(0022);
        QVERIFY(makeDatedBackup(shared.connection().database(), shared.path(), &error, &dated));
        ::umask(mask);
        QCOMPARE(mode(dated), mode_t(0640));
        QCOMPARE(mode(backupFolder(shared.path())), mode_t(0750));
    }

    void anUnfitBackupIsNotRestored_data() {
        QTest::addColumn<QString>("damage"); // as TestDatabase makes it, or "trigger"
        QTest::addColumn<QString>("reason");
        QTest::newRow("damaged") << "corrupt:SuppliersTBL"
                                 << "is damaged";
        QTest::newRow("a stranger's trigger") << "trigger"
                                              << "trigger Wipe";
        QTest::newRow("no database at all") << "garbage"
                                            << "not a database";
    }

    void anUnfitBackupIsNotRestored() {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        FixedClock clock;
        TestDatabase db;
        addSupplier(db, QStringLiteral("Current"));
        QString error, backup;
        QVERIFY(makeDatedBackup(db.connection().database(), db.path(), &error, &backup));
        db.connection().close();
        const QByteArray live = fileContents(db.path());
        // The dated copy's place taken by an unfit file.
        TestDatabase unfit;
        if (damage == QLatin1String("trigger"))
            unfit.exec(
                QStringLiteral("CREATE TRIGGER Wipe AFTER UPDATE ON MaterialsTBL BEGIN DELETE "
                               "FROM EstimateTBL; END"));
        const QString path =
            damage == QLatin1String("trigger") ? unfit.path() : unfit.damage(damage);
        unfit.connection().close();
        QVERIFY(QFile::remove(backup) && QFile::copy(path, backup));
        clock.now = kMonday.addSecs(60);
        QVERIFY(!restoreBackup(db.path(), backup, &error));
        VERIFY_CONTAINS(error, reason);
        QCOMPARE(fileContents(db.path()), live);
        QCOMPARE(listBackups(db.path()).size(), 1);
    }

    void aFullDiskLeavesTheOldCopyAsItWas() {
        SmallDisk disk(512);
        if (!disk.isValid())
            QSKIP("no small file system could be mounted (that takes the superuser)");
        Program program;
        program.db.exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 2000) INSERT INTO SuppliersTBL (Company) SELECT "
                           "'Supplier with a long name, number ' || i FROM n"));
        const QString target = disk.filePath(QStringLiteral("copy.mdb"));
        QVERIFY(writeFile(target, "the old copy"));
        QVERIFY(disk.fill(16 * 1024));
        QVERIFY(program.load());
        frmMain window;
        ScriptedMessages messages;
        ScriptedFileDialogs dialogs;
        dialogs.answerNext(target);
        menuItem(window, "mnuToolsBackUp")->trigger();
        QCOMPARE(messages.titles(), QStringList{"Back Up Database"});
        QVERIFY2(messages.texts().first().startsWith(QLatin1String("No backup was made.")),
                 qPrintable(messages.texts().first()));
        QCOMPARE(fileContents(target), QByteArray("the old copy"));
        QCOMPARE(leftovers(QFileInfo(target).absolutePath()), QStringList());
    }

    // The first start of a day, a second one that day and one the next day, nothing changed
    // meanwhile: none writes to the file or copies it before its window shows. What is due (the
    // check of a file not known sound, the day's copy) waits for the window.
    void aStartWritesAndCopiesNothingBeforeTheWindow() {
        FixedClock clock;
        IsolatedSettings store;
        TestDatabase db;
        db.addSmallLookups();
        db.exec(
            QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, Shipping) "
                           "VALUES (7001, ?, 0, 0)"),
            {kMonday.date()});
        WriteRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), db.path());
        db.connection().close();
        const auto start = [&](bool checkDue, int copiesAfter) {
            const QString before = fileState(db.path());
            ProgramObjects objects;
            objects.settings.LoadSettings();
            QVERIFY(objects.connection.isOpen());
            {
                frmMain window;
                window.show();
                QVERIFY(QTest::qWaitForWindowExposed(&window));
                QCOMPARE(fileState(db.path()), before);
                QCOMPARE(objects.connection.isCheckingInBackground(), checkDue);
                QVERIFY(!objects.connection.hasBackgroundWork());
                // Closed at once: the settings it saves changed nothing, so nothing is written.
                window.close();
                QCOMPARE(fileState(db.path()), before);
                QVERIFY(!objects.connection.hasBackgroundWork());
            }
            // Once a window is up.
            objects.connection.startBackgroundChecks();
            QTRY_VERIFY(!objects.connection.hasBackgroundWork());
            QVERIFY(!objects.connection.isCheckingInBackground());
            QCOMPARE(listBackups(db.path()).size(), copiesAfter);
        };
        start(true, 1);
        QCOMPARE(listBackups(db.path()).first().made, kMonday);
        clock.now = kMonday.addSecs(600);
        start(false, 1);
        clock.now = kMonday.addDays(1);
        start(true, 2);
        QCOMPARE(listBackups(db.path()).first().made, kMonday.addDays(1));
        QCOMPARE(countIn(db.path(), QStringLiteral("EstimateTBL")), 1);
    }

    // The program's start leaves the check of a file not known sound and the day's copy to its
    // window, which starts them once it has shown itself, with nothing written.
    void theWindowStartsTheCheckAndTheCopyOnceItIsUp() {
        FixedClock clock;
        IsolatedSettings store;
        TestDatabase db;
        WriteRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), db.path());
        bool checked = false;
        QElapsedTimer waited;
        waited.start();
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (qobject_cast<frmMain*>(window) && window->isVisible() && gConnection &&
                    ((!gConnection->hasBackgroundWork() && !listBackups(db.path()).isEmpty()) ||
                     waited.elapsed() > 10000)) {
                    checked = !gConnection->isCheckingInBackground();
                    window->close();
                }
        });
        watch.start(20);
        QCOMPARE(SubMain(*qobject_cast<QApplication*>(QCoreApplication::instance())), 0);
        QVERIFY(checked);
        QCOMPARE(listBackups(db.path()).size(), 1);
        QCOMPARE(countIn(listBackups(db.path()).first().path, QStringLiteral("SuppliersTBL")), 0);
    }

    // A write that comes while the day's copy is being made waits for it, with the wait told and
    // Stop offered; stopped, it saves nothing. The copy holds the file as it was before the write.
    void theFirstWriteOfTheDayWaitsForTheDaysCopy() {
        FixedClock clock;
        TestDatabase db;
        db.addSmallLookups();
        {
            // Checked as it opens, and closed sound: no check is due at the next start.
            Connection checked;
            checked.setDailyBackups(true);
            QVERIFY(openProgramFile(checked, db.path()));
        }
        ProgramConnection program(db.path());
        QVERIFY(!program.isCheckingInBackground());
        WaitFeedback feedback;
        program.database().setWaitObserver(&feedback);
        FileHolder other(db.path());
        program.startBackgroundChecks();
        QVERIFY(program.hasBackgroundWork());

        // The user gives up waiting.
        QString told;
        QTimer::singleShot(WaitFeedback::kShowAfterMs + 300, this, [&told] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            told = dialog->findChild<QLabel*>(QStringLiteral("waitMessage"))->text();
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("stopButton")),
                              Qt::LeftButton);
        });
        QVERIFY(!program.execute(kInsertSupplier, {QStringLiteral("Stopped")}));
        QCOMPARE(program.lastError().nativeError, ErrorNumber::kOperationStopped);
        QVERIFY2(told.startsWith(QLatin1String("Making today's backup of the database")),
                 qPrintable(told));
        QVERIFY(listBackups(db.path()).isEmpty());

        // The other program lets go while the next write waits.
        QTimer::singleShot(100, this, [&other] { other.release(); });
        QVERIFY2(program.execute(kInsertSupplier, {QStringLiteral("Saved")}),
                 qPrintable(program.lastError().description));
        const QList<BackupFile> backups = listBackups(db.path());
        QCOMPARE(backups.size(), 1);
        QCOMPARE(countIn(backups.first().path, QStringLiteral("SuppliersTBL")), 2);
        QCOMPARE(countIn(db.path(), QStringLiteral("SuppliersTBL")), 3);
        QCOMPARE(leftovers(backupFolder(db.path())), QStringList());
        QVERIFY(!program.hasBackgroundWork());
    }

    void aFileFoundDamagedInTheBackgroundTakesNoWrite_data() {
        QTest::addColumn<bool>("startedWithTheWindow");
        QTest::newRow("found once the window is up") << true;
        QTest::newRow("found at the first write") << false;
    }

    // The check finds damage the start did not read: the user is told, nothing more is written to
    // the file, no copy of it passes for the day's, and it is checked again at the next start.
    void aFileFoundDamagedInTheBackgroundTakesNoWrite() {
        QFETCH(bool, startedWithTheWindow);
        FixedClock clock;
        Program program;
        program.db.addSmallLookups();
        program.db.damage(QStringLiteral("corrupt:SuppliersTBL"));
        ScriptedMessages messages;
        QVERIFY(program.load());
        QVERIFY(gConnection->isCheckingInBackground());
        if (startedWithTheWindow) {
            gConnection->startBackgroundChecks();
            QTRY_COMPARE(messages.titles(), QStringList{"Damaged Database"});
        }
        QVERIFY(
            !gConnection->execute(QStringLiteral("UPDATE CatagoryTBL SET Catagory = 'Changed'")));
        QCOMPARE(gConnection->lastError().nativeError, ErrorNumber::kDamagedFile);
        VERIFY_CONTAINS(gConnection->lastError().description, "is damaged: ");
        QTRY_COMPARE(messages.titles(), QStringList{"Damaged Database"});
        QVERIFY(messages.texts().first().contains(QLatin1String("Restore From Backup")));
        Database raw;
        QVERIFY(raw.open(program.db.path()));
        Statement changed(raw, QStringLiteral("SELECT COUNT(*) FROM CatagoryTBL WHERE "
                                              "Catagory = 'Changed'"));
        QVERIFY(changed.next());
        QCOMPARE(changed.integer(0), 0);
        QVERIFY(listBackups(program.db.path()).isEmpty());

        // The next start checks again (at once, when the window has started the checks before):
        // the damage is found again and the write refused.
        gConnection->close();
        QVERIFY(program.load());
        QVERIFY(
            !gConnection->execute(QStringLiteral("UPDATE CatagoryTBL SET Catagory = 'Changed'")));
        QCOMPARE(gConnection->lastError().nativeError, ErrorNumber::kDamagedFile);
    }

    // A run that ended before its check or copy was finished (a crash, a close) leaves them to the
    // next start; a copy cut short leaves nothing that could pass for the day's.
    void aCheckOrCopyNotFinishedIsMadeAgain() {
        FixedClock clock;
        TestDatabase db;
        db.addSmallLookups();
        db.connection().close();
        // Closed while another program holds the file, which the check and the copy wait for.
        const auto cutShort = [&db](bool checkDue) {
            ProgramConnection program(db.path());
            QCOMPARE(program.isCheckingInBackground(), checkDue);
            FileHolder other(db.path());
            program.startBackgroundChecks();
            QVERIFY(program.hasBackgroundWork());
            program.close();
            other.release();
            QVERIFY(listBackups(db.path()).isEmpty());
            QCOMPARE(leftovers(backupFolder(db.path())), QStringList());
        };
        cutShort(true);
        cutShort(true); // the check cut short proved nothing
        {
            ProgramConnection whole(db.path());
            whole.startBackgroundChecks();
            QTRY_VERIFY(!whole.hasBackgroundWork());
            QVERIFY(!whole.isCheckingInBackground());
        }
        QCOMPARE(listBackups(db.path()).size(), 1);
        QVERIFY(QFile::remove(listBackups(db.path()).first().path));
        cutShort(false); // the day's copy cut short, the check not due
        {
            // A run that crashed leaves the file as it had it, never closed, to the next one.
            ProgramConnection crashed(db.path());
            QVERIFY(!crashed.isCheckingInBackground());
            ProgramConnection next(db.path());
            QVERIFY(next.isCheckingInBackground());
            next.startBackgroundChecks();
            QTRY_VERIFY(!next.hasBackgroundWork());
            QVERIFY(!next.isCheckingInBackground());
        }
        QCOMPARE(listBackups(db.path()).size(), 1);
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
