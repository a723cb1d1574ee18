// Waiting and stopping: a lock another connection holds is waited for in short sleeps up to the
// limit, a long statement stops when asked, and the window's dialog shows only for a long wait,
// stops it on a click or Esc, and goes with the statement. What was typed into a save that did
// not happen (a lock, a file that can only be read, a stop) stays.
#include "data/database.h"
#include "data/recordset.h"
#include "support/testdatabase.h"
#include "widgets/waitfeedback.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>

namespace {
// Counts to a limit; to a billion it runs for many minutes unless stopped.
const QString kCount = QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 "
                                      "FROM c WHERE x < %1) SELECT count(*) FROM c");
const QString kLongCount = kCount.arg(1000000000);
const QString kShortCount = kCount.arg(100000);
const QString kStopped =
    QStringLiteral("The operation was stopped before it finished; nothing was changed by it.");

// Counts the questions and answers them as told.
struct CountingObserver : WaitObserver {
    int locks = 0;
    int works = 0;
    int ended = 0;
    std::function<bool(Kind)> answer = [](Kind) { return true; };
    bool keepWaiting(Kind kind) override {
        ++(kind == Kind::Lock ? locks : works);
        return answer(kind);
    }
    void waitEnded() override { ++ended; }
};

bool writeCategory(Database& file, DbError* error) {
    Statement write(file, QStringLiteral("INSERT INTO CatagoryTBL (Catagory) VALUES (?)"));
    const bool written = write.bindAll({QStringLiteral("Pipe")}) && write.execute();
    *error = write.error();
    return written;
}

// The program's dialog, with a limit of its own so that a stop that fails fails the test rather
// than running on for minutes.
struct LimitedFeedback : WaitFeedback {
    QElapsedTimer clock;
    qint64 limitMs;
    explicit LimitedFeedback(qint64 limit = 10000) : limitMs(limit) { clock.start(); }
    bool keepWaiting(Kind kind) override {
        return WaitFeedback::keepWaiting(kind) && clock.elapsed() < limitMs;
    }
};

QDialog* waitDialog() {
    return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

// Once the dialog has had time to show, notes its message and acts on it as the user would.
// The statement runs on this thread; the dialog lets this timer's event through.
class OnceShown : public QObject {
public:
    explicit OnceShown(const std::function<void(QDialog*)>& act) {
        QTimer::singleShot(WaitFeedback::kShowAfterMs + 300, this, [this, act] {
            if (QDialog* dialog = waitDialog()) {
                shown = dialog->findChild<QLabel*>(QStringLiteral("waitMessage"))->text();
                act(dialog);
            }
        });
    }
    QString shown;
};
} // namespace

class TestWaits : public QObject {
    Q_OBJECT
private slots:
    void aLockIsWaitedForInSlicesUpToTheLimit() {
        TestDatabase db;
        Connection other;
        QVERIFY(openProgramFile(other, db.path()));
        QVERIFY(other.execute(QStringLiteral("BEGIN EXCLUSIVE")));
        Database& file = db.connection().database();
        CountingObserver observer;
        file.setWaitObserver(&observer);
        file.setBusyTimeout(300);
        QElapsedTimer clock;
        DbError error;

        clock.start();
        QVERIFY(!writeCategory(file, &error));
        QVERIFY2(clock.elapsed() >= 290 && clock.elapsed() < 2000, qPrintable(error.text()));
        QCOMPARE(error.nativeError, ErrorNumber::kFileInUse);
        QVERIFY2(observer.locks >= 5, qPrintable(QString::number(observer.locks)));
        QVERIFY(observer.ended >= 1);

        // A stop ends the wait at the first question, with the same message.
        observer = {};
        observer.answer = [](WaitObserver::Kind) { return false; };
        clock.start();
        QVERIFY(!writeCategory(file, &error));
        QVERIFY(clock.elapsed() < 200);
        QCOMPARE(error.nativeError, ErrorNumber::kFileInUse);
        QCOMPARE(observer.locks, 1);

        // No wait at all gives up at once, unasked.
        observer = {};
        file.setBusyTimeout(0);
        QVERIFY(!writeCategory(file, &error));
        QCOMPARE(error.nativeError, ErrorNumber::kFileInUse);
        QCOMPARE(observer.locks, 0);

        QVERIFY(other.execute(QStringLiteral("ROLLBACK")));
        QVERIFY2(writeCategory(file, &error), qPrintable(error.text()));
    }

    void aLongStatementStopsWhenAskedAndTheConnectionGoesOn() {
        TestDatabase db;
        Database& file = db.connection().database();
        CountingObserver observer;
        DbError inner;
        bool innerWritten = false;
        observer.answer = [&](WaitObserver::Kind) {
            // Nothing may run on the asking connection meanwhile: it is refused, not run.
            if (observer.works == 1)
                innerWritten = writeCategory(file, &inner);
            return observer.works < 20;
        };
        file.setWaitObserver(&observer);
        Statement count(file, kLongCount);
        QVERIFY(!count.next());
        QVERIFY(count.failed());
        QCOMPARE(count.error().nativeError, ErrorNumber::kOperationStopped);
        QCOMPARE(count.error().description, kStopped);
        QCOMPARE(observer.works, 20);
        QCOMPARE(observer.ended, 1);
        QVERIFY(!innerWritten);
        QCOMPARE(inner.number, ErrorNumber::kOperationNotAllowed);

        DbError error;
        QVERIFY2(writeCategory(file, &error), qPrintable(error.text()));
        QCOMPARE(
            db.scalar(QStringLiteral("SELECT group_concat(Catagory) FROM CatagoryTBL")).toString(),
            QStringLiteral("Pipe"));
    }

    void theDialogShowsALongWaitUntilItEnds_data() {
        QTest::addColumn<bool>("lock");
        // What the user does: "click" on Stop, "Esc", nothing, or "elsewhere": a statement on
        // another connection runs from the events let through, then a click.
        QTest::addColumn<QString>("user");
        QTest::newRow("work stopped by a click") << false << QStringLiteral("click");
        QTest::newRow("work, another statement meanwhile") << false << QStringLiteral("elsewhere");
        QTest::newRow("work stopped by Esc") << false << QStringLiteral("Esc");
        QTest::newRow("lock stopped by a click") << true << QStringLiteral("click");
        QTest::newRow("lock given up at the limit") << true << QString();
    }

    void theDialogShowsALongWaitUntilItEnds() {
        QFETCH(bool, lock);
        QFETCH(QString, user);
        TestDatabase db;
        Connection other;
        QVERIFY(openProgramFile(other, db.path()));
        if (lock)
            QVERIFY(other.execute(QStringLiteral("BEGIN EXCLUSIVE")));
        Database& file = db.connection().database();
        LimitedFeedback feedback;
        file.setWaitObserver(&feedback);
        other.database().setWaitObserver(&feedback);
        const int limit = user.isEmpty() ? 1200 : Database::kDefaultBusyTimeoutMs;
        file.setBusyTimeout(limit);
        bool stillShown = true;
        const OnceShown dialog([&](QDialog* shown) {
            if (user == QLatin1String("elsewhere")) {
                Statement count(other.database(), kShortCount);
                stillShown = count.next() && shown->isVisible();
            }
            if (user == QLatin1String("Esc"))
                QTest::keyClick(shown, Qt::Key_Escape);
            else if (!user.isEmpty())
                QTest::mouseClick(shown->findChild<QPushButton*>(QStringLiteral("stopButton")),
                                  Qt::LeftButton);
        });
        QElapsedTimer clock;
        clock.start();
        DbError error;
        if (lock) {
            QVERIFY(!writeCategory(file, &error));
        } else {
            Statement count(file, kLongCount);
            QVERIFY(!count.next());
            error = count.error();
        }
        QCOMPARE(error.nativeError,
                 lock ? ErrorNumber::kFileInUse : ErrorNumber::kOperationStopped);
        QVERIFY2(user.isEmpty() ? clock.elapsed() >= limit - 10 : clock.elapsed() < limit - 1000,
                 qPrintable(QString::number(clock.elapsed())));
        const QString message =
            lock
                ? QStringLiteral("Waiting for the database file, which another program is using...")
                : QStringLiteral("Working...");
        QVERIFY2(dialog.shown.startsWith(message), qPrintable(dialog.shown));
        QVERIFY(stillShown);
        QVERIFY(!waitDialog());
        if (lock)
            QVERIFY(other.execute(QStringLiteral("ROLLBACK")));
        QVERIFY(Statement(file, QStringLiteral("SELECT COUNT(*) FROM CatagoryTBL")).next());
    }

    void nothingShowsForShortWorkOrWorkOnAnotherThread() {
        TestDatabase db;
        Database& file = db.connection().database();
        LimitedFeedback feedback(1000);
        file.setWaitObserver(&feedback);
        Statement count(file, kShortCount);
        QVERIFY(count.next());
        QCOMPARE(count.integer(0), 100000);

        // Work in the background (a price list read) is long, but has its own progress and Stop.
        DbError error;
        std::unique_ptr<QThread> worker(QThread::create([&file, &error] {
            Statement count(file, kLongCount);
            count.next();
            error = count.error();
        }));
        QEventLoop loop;
        connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
        worker->start();
        loop.exec();
        worker->wait();
        QCOMPARE(error.nativeError, ErrorNumber::kOperationStopped); // by the test's own limit
        for (const QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(window->objectName() != QLatin1String("waitDialog"));
    }

    void aSaveThatDidNotHappenKeepsWhatWasTyped() {
        TestDatabase db;
        db.exec(QStringLiteral("INSERT INTO CatagoryTBL (Catagory) VALUES ('Wire')"));
        Database& file = db.connection().database();
        CountingObserver observer;
        file.setWaitObserver(&observer);
        RecordSet rs;
        QVERIFY(rs.open(db.connection(), QStringLiteral("SELECT * FROM CatagoryTBL")));
        QVERIFY(rs.setValue(QStringLiteral("Catagory"), QStringLiteral("Cable")));
        const auto stored = [&db] {
            return db.scalar(QStringLiteral("SELECT Catagory FROM CatagoryTBL")).toString();
        };

        // Given up on a lock.
        {
            Connection other;
            QVERIFY(openProgramFile(other, db.path()));
            QVERIFY(other.execute(QStringLiteral("BEGIN EXCLUSIVE")));
            file.setBusyTimeout(100);
            QVERIFY(!rs.update());
            QCOMPARE(rs.lastError().nativeError, ErrorNumber::kFileInUse);
            QVERIFY(rs.lastError().description.startsWith(
                QLatin1String("The database file is in use by another program")));
            QCOMPARE(rs.value(QStringLiteral("Catagory")).toString(), QStringLiteral("Cable"));
            QVERIFY(other.execute(QStringLiteral("ROLLBACK")));
        }
        QCOMPARE(stored(), QStringLiteral("Wire"));

        // Refused by a file that can only be read; the reason is named.
        QVERIFY(db.connection().execute(QStringLiteral("PRAGMA query_only = ON")));
        QVERIFY(!rs.update());
        QCOMPARE(rs.lastError().nativeError, ErrorNumber::kReadOnlyFile);
        QVERIFY2(rs.lastError().description.startsWith("The database file can only be read"),
                 qPrintable(rs.lastError().description));
        QCOMPARE(rs.value(QStringLiteral("Catagory")).toString(), QStringLiteral("Cable"));
        QVERIFY(db.connection().execute(QStringLiteral("PRAGMA query_only = OFF")));

        // Stopped: a save made slow by a trigger that counts a billion rows.
        db.exec(QStringLiteral("CREATE TABLE Filler (x)"));
        db.exec(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                               "WHERE x < 1000) INSERT INTO Filler SELECT x FROM c"));
        db.exec(QStringLiteral("CREATE TRIGGER Slow AFTER UPDATE ON CatagoryTBL BEGIN SELECT "
                               "count(*) FROM Filler a, Filler b, Filler c; END"));
        observer.answer = [&observer](WaitObserver::Kind) { return observer.works < 5; };
        QVERIFY(!rs.update());
        QCOMPARE(rs.lastError().nativeError, ErrorNumber::kOperationStopped);
        QCOMPARE(rs.lastError().description, kStopped);
        QCOMPARE(rs.value(QStringLiteral("Catagory")).toString(), QStringLiteral("Cable"));
        QCOMPARE(stored(), QStringLiteral("Wire"));

        // Nothing was lost: once the save can run, it writes what was typed.
        db.exec(QStringLiteral("DROP TRIGGER Slow"));
        QVERIFY2(rs.update(), qPrintable(rs.lastError().text()));
        QCOMPARE(stored(), QStringLiteral("Cable"));
    }
};

QTEST_MAIN(TestWaits)
#include "tst_waits.moc"
