// The commands that make or move a whole database, driven as a user does: Preferences' Create,
// Tools > Copy Database To..., and on a server Back Up (a file copy), Restore (the server's own
// tools' job) and the password asked for when the server wants one and nothing else gives it.
#include "app/mainwindow.h"
#include "data/connection.h"
#include "data/globals.h"
#include "data/schema.h"
#include "settings/preferencesdialog.h"
#include "settings/serverlogin.h"
#include "support/datafiles.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedfiledialogs.h"
#include "support/scriptedmessages.h"
#include "support/testdatabase.h"
#include "support/userinput.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {
using UserInput::click;
using UserInput::typeInto;

// Answers each text box the program asks with in turn, as a user: types the answer and presses
// Enter, or presses Esc for a null text. Records what each box asked.
class TypedAnswers {
public:
    explicit TypedAnswers(QStringList answers) : m_left(std::move(answers)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start(10);
    }
    QStringList asked() const { return m_asked; }

private:
    void answer() {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!box || box == m_last || m_left.isEmpty())
            return;
        m_last = box;
        m_asked << box->labelText();
        const QString text = m_left.takeFirst();
        auto* field = box->findChild<QLineEdit*>();
        if (!text.isNull())
            typeInto(field, text);
        QTest::keyClick(field, text.isNull() ? Qt::Key_Escape : Qt::Key_Return);
    }

    QStringList m_left;
    QStringList m_asked;
    QPointer<QInputDialog> m_last;
    QTimer m_timer;
};

qint64 countIn(const QString& place, const QString& table) {
    Database db;
    if (!db.open(place, Database::OpenMode::ReadOnly))
        return -1;
    Statement q(db, QStringLiteral("SELECT COUNT(*) FROM ") + table);
    return q.next() ? q.integer(0) : -1;
}

QAction* menuItem(frmMain& window, const char* name) {
    return window.findChild<QAction*>(QString::fromLatin1(name));
}

// Runs steps on the Preferences dialog, opened from its menu item, on its Database tab.
bool onDatabaseTab(frmMain& window, const std::function<void(frmOptions*)>& steps) {
    return whileModal([&window] { window.mnuEditPreferences->trigger(); },
                      [&steps](QDialog* dialog) {
                          auto* preferences = qobject_cast<frmOptions*>(dialog);
                          if (!preferences)
                              return;
                          QTabWidget* tabs = preferences->tabPreferences;
                          tabs->setCurrentWidget(
                              tabs->findChild<QWidget*>(QStringLiteral("tabDatabase")));
                          steps(preferences);
                      });
}

// A program on a database with two suppliers and their lookups.
struct ProgramWithLookups : Program {
    ProgramWithLookups() { db.addSmallLookups(); }
};
} // namespace

class TestDatabaseTools : public QObject {
    Q_OBJECT
private slots:
    void createMakesAnEmptyDatabaseToWorkIn() {
        ProgramWithLookups program;
        QVERIFY(program.load());
        const QString place = program.db.freshPlace(QStringLiteral("Created.mdb"));
        frmMain window;
        window.show();
        ScriptedMessages messages;
        QVERIFY(onDatabaseTab(window, [&](frmOptions* d) {
            // Nothing typed: said, and the box waits for the path.
            typeInto(d->txtPathToDB, QString());
            click(d->cmdCreateDB);
            QCOMPARE(messages.titles(), QStringList{QStringLiteral("Create Database")});
            QVERIFY(messages.texts().first().startsWith(QLatin1String("Type the path")));
            QCOMPARE(d->focusWidget(), d->txtPathToDB);

            messages.clear();
            typeInto(d->txtPathToDB, place);
            click(d->cmdCreateDB);
            QCOMPARE(messages.texts(),
                     QStringList{"The database is ready, empty. Press OK to work in it."});
            // Made once only: a second press finds the tables there and leaves them alone.
            messages.clear();
            click(d->cmdCreateDB);
            QCOMPARE(messages.shown().size(), 1);
            QVERIFY2(messages.texts().first().startsWith(QLatin1String("No database was created.")),
                     qPrintable(messages.texts().first()));
            QCOMPARE(gConnection->databasePath(), program.db.path());
            messages.clear();
            click(d->cmdOK);
            QVERIFY(!d->isVisible());
        }));
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(gConnection->databasePath(), place);
        QCOMPARE(countIn(place, QStringLiteral("SuppliersTBL")), 0);
        QCOMPARE(countIn(program.db.path(), QStringLiteral("SuppliersTBL")), 2);
    }

    void copyDatabaseToCopiesEveryRowIntoAnEmptyPlaceOnly() {
        ProgramWithLookups program;
        program.db.exec(QStringLiteral("INSERT INTO MaterialsTBL (SuppliersID, PartNumber, "
                                       "UnitCost) VALUES (1, 'P-1', 2.5), (2, 'P-2', 0.0001)"));
        QVERIFY(program.load());
        frmMain window;
        window.show();
        ScriptedMessages messages;
        QAction* copy = menuItem(window, "mnuToolsCopyDatabase");
        QVERIFY(copy);
        {
            TypedAnswers answers({QString()});
            copy->trigger(); // Esc: nothing made, nothing said
            QCOMPARE(answers.asked().size(), 1);
        }
        QVERIFY(messages.shown().isEmpty());

        const QString place = program.db.freshPlace(QStringLiteral("Copy.mdb"));
        {
            TypedAnswers answers({place});
            copy->trigger();
        }
        QCOMPARE(messages.shown().size(), 1);
        VERIFY_CONTAINS(messages.texts().first(), QLatin1String("of 12 tables"));
        QCOMPARE(countIn(place, QStringLiteral("SuppliersTBL")), 2);
        QCOMPARE(countIn(place, QStringLiteral("MaterialsTBL")), 2);
        QCOMPARE(gConnection->databasePath(), program.db.path());

        // The copy now holds rows: refused, and nothing in it doubled.
        messages.clear();
        {
            TypedAnswers answers({place});
            copy->trigger();
        }
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.texts().first().startsWith(QLatin1String("No copy was made.")),
                 qPrintable(messages.texts().first()));
        QCOMPARE(countIn(place, QStringLiteral("MaterialsTBL")), 2);
    }

    void onAServerBackUpWritesAFileAndRestoreIsLeftToTheServer() {
        if (!TestBackend::onServer())
            QSKIP("a file's backups have tests of their own");
        ProgramWithLookups program;
        QVERIFY(program.load());
        frmMain window;
        window.show();
        ScriptedMessages messages;
        ScriptedFileDialogs dialogs;
        const QString target = program.db.dir() + QStringLiteral("/office.mdb");
        dialogs.answerNext(target);
        menuItem(window, "mnuToolsBackUp")->trigger();
        QCOMPARE(messages.shown().size(), 1);
        VERIFY_CONTAINS(messages.texts().first(), QLatin1String("was backed up to"));
        QCOMPARE(countIn(target, QStringLiteral("SuppliersTBL")), 2);
        QVERIFY(!QFile::exists(target + QStringLiteral(".partial")));
        // Backed up again over the same file: replaced whole, once the new copy is complete.
        program.db.exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES ('Third')"));
        dialogs.answerNext(target);
        menuItem(window, "mnuToolsBackUp")->trigger();
        QCOMPARE(countIn(target, QStringLiteral("SuppliersTBL")), 3);

        messages.clear();
        menuItem(window, "mnuToolsRestore")->trigger();
        QCOMPARE(messages.shown().size(), 1);
        VERIFY_CONTAINS(messages.texts().first(), QLatin1String("server's own tools"));
        QCOMPARE(countIn(program.db.path(), QStringLiteral("SuppliersTBL")), 3);
    }

    // Asked for, at most three times, when the server wants one; kept in memory, never stored.
    void aPasswordTheServerWantsIsAskedForAndNeverStored() {
        if (!TestBackend::onServer())
            QSKIP("a file has no server password");
        const QByteArray password = qgetenv("PGPASSWORD");
        if (password.isEmpty())
            QSKIP("this server was given no password to ask for");
        ProgramWithLookups program;
        QVERIFY(program.load());
        const QString place = program.db.freshPlace(QStringLiteral("Office.mdb"));
        QString error;
        QVERIFY2(Schema::createOnServer(place, &error), qPrintable(error));
        qunsetenv("PGPASSWORD");
        const auto restore = qScopeGuard([&password] { qputenv("PGPASSWORD", password); });
        if (Database probe; probe.open(place))
            QSKIP("this server lets the tests in without a password");

        {
            TypedAnswers answers({QString()});
            QVERIFY(!askServerPasswordIfNeeded(place, nullptr));
            QCOMPARE(answers.asked().size(), 1);
            VERIFY_CONTAINS(answers.asked().first(), QLatin1String("never saved"));
        }
        frmMain window;
        window.show();
        ScriptedMessages messages;
        TypedAnswers answers({QStringLiteral("not it"), QString::fromUtf8(password)});
        QVERIFY(onDatabaseTab(window, [&](frmOptions* d) {
            typeInto(d->txtPathToDB, place);
            click(d->cmdOK);
            QVERIFY(!d->isVisible());
        }));
        QCOMPARE(answers.asked().size(), 2);
        QVERIFY(answers.asked().at(1).startsWith(QLatin1String("The server did not take")));
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(gConnection->databasePath(), place);
        QVERIFY(gConnection->isOpen());
        // The address is stored; the password is in no file of the settings.
        for (QDirIterator it(program.store.dir(), QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray stored = file.readAll();
            QVERIFY2(!stored.contains(password), qPrintable(file.fileName()));
        }
    }
};

QTEST_MAIN(TestDatabaseTools)
#include "tst_databasetools.moc"
