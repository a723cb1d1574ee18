// The settings object: the database path and grid layouts in the per-user store, the company
// details in MyCompany, the built-in layouts, and the keyed layout collections.
#include "data/connection.h"
#include "data/globals.h"
#include "data/schema.h"
#include "settings/openconnection.h"
#include "settings/registry.h"
#include "settings/settingsstore.h"
#include "support/isolatedsettings.h"
#include "support/scriptedmessages.h"
#include "support/testdatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace {
const QString kProgram = QStringLiteral("Dorvane\\PX");
const QString kGrids = QStringLiteral("Dorvane\\PX\\Grids");

// "caption=size" per column of a collection or of a stored grid.
template <typename Columns> QStringList layoutOf(const Columns& columns) {
    QStringList out;
    for (const auto& c : columns)
        out << c->ColumnCaption() + QLatin1Char('=') + c->ColumnSize();
    return out;
}

QStringList storedLayout(const QString& grid) {
    return layoutOf(EnumRegColumns(kGrids + QLatin1Char('\\') + grid).value());
}

QString storedPath() {
    QString value;
    ReadRegString(kProgram, "DBPath", value);
    return value;
}

bool createAfresh(const QString& path) {
    QFile::remove(path);
    return Schema::createFile(path, nullptr);
}

// A fresh database where the program looks by default, closed and removed at the end.
struct DefaultDatabase {
    const QString path = QDir::toNativeSeparators(defaultDatabasePath());
    const bool created = createAfresh(path);
    ~DefaultDatabase() {
        if (gConnection)
            gConnection->close();
        QFile::remove(path);
    }
};

QString settingsFile() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Dorvane", "PX").fileName();
}

QStringList gridNames(const clsSettings& settings) {
    QStringList out;
    for (const auto& g : settings.Grids())
        out << g->GridName() + (g->IsRowMarker() ? "*" : "");
    return out;
}

std::shared_ptr<clsColumn> newColumn(const QString& caption) {
    auto c = std::make_shared<clsColumn>();
    c->setColumnCaption(caption);
    c->setKey(caption);
    return c;
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init() {
        TakeRegStoreProblems(); // what an earlier test's store met is no concern of this one
        m_store.emplace();
        m_connection = std::make_unique<Connection>();
        gConnection = m_connection.get();
    }

    void cleanup() {
        gConnection = nullptr;
        m_connection.reset();
        m_store.reset();
    }

    void firstStartStoresTheDefaults() {
        const DefaultDatabase database;
        QVERIFY(database.created);
        ScriptedMessages messages;
        clsSettings settings;
        settings.LoadSettings();
        QVERIFY(gConnection->isOpen());
        QCOMPARE(settings.PathToDB(), database.path);
        QCOMPARE(gridNames(settings),
                 (QStringList{"grdMaterialsList", "grdMaterialEstimate*", "grdLaborEstimate*"}));
        QVERIFY(RegKeyExists(kGrids)); // loading created the keys

        settings.SaveSettings();
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(storedPath(), database.path);
        for (const auto& grid : settings.Grids()) {
            QVERIFY(grid->Columns().Count() >= 4);
            QCOMPARE(storedLayout(grid->GridName()), layoutOf(grid->Columns()));
        }
    }

    void storedLayoutsComeBeforeMissingDefaults() {
        TestDatabase db;
        WriteRegString(kProgram, "DBPath", db.path());
        for (const auto& [caption, size] :
             {std::pair{"Part #", "14"}, {"Notes", "5"}, {"unit cost", "3"}})
            WriteRegString(kGrids + "\\grdMaterialsList", caption, size);
        WriteRegString(kGrids + "\\grdCustom", "A", "50");

        ScriptedMessages messages;
        clsSettings settings;
        settings.LoadSettings();
        QCOMPARE(gridNames(settings), (QStringList{"grdMaterialsList", "grdCustom",
                                                   "grdMaterialEstimate*", "grdLaborEstimate*"}));
        // The stored size wins and keeps its place; a caption differing only in letter case
        // satisfies its default; an unknown caption stays.
        const QStringList materials = {"Part #=14",       "Notes=5",        "unit cost=3",
                                       "Manufacturer=10", "Category=16",    "Supplier=16",
                                       "Description=27",  "Updated Last=12"};
        QCOMPARE(layoutOf(settings.Grids().Item("GRDMATERIALSLIST")->Columns()), materials);
        const auto custom = settings.Grids().Item("grdCustom");
        QCOMPARE(layoutOf(custom->Columns()), QStringList{"A=50"});

        custom->Columns().Item(1)->setColumnSize("60");
        settings.SaveSettings();
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(storedLayout("grdCustom"), QStringList{"A=60"});
        QCOMPARE(storedLayout("grdMaterialsList"), materials);
    }

    void companyDetailsAreWrittenWholeAndCut() {
        TestDatabase db;
        db.exec("UPDATE MyCompany SET CompanyName = ?, CompanyAddress = ?, CompanyCity = ?, "
                "CompanyPhone = ?, CompanyFax = ?, CompanyEmail = ?, CompanyWebSite = ?, "
                "CompanyLogo = NULL",
                {"Acme", "1 Main St", "Springfield", "555-0100", "555-0101", "a@acme.test",
                 "acme.test"});
        WriteRegString(kProgram, "DBPath", "  " + db.path() + " "); // blanks are not part of it

        ScriptedMessages messages;
        clsSettings settings;
        settings.setLogoPath("kept.png");
        settings.LoadSettings();
        QCOMPARE(settings.PathToDB(), db.path());
        QCOMPARE(
            (QStringList{settings.CompanyName(), settings.CompanyAdress(), settings.CompanyCity(),
                         settings.CompanyPhone(), settings.CompanyFax(), settings.EMail(),
                         settings.WebPage(), settings.LogoPath()}),
            (QStringList{"Acme", "1 Main St", "Springfield", "555-0100", "555-0101", "a@acme.test",
                         "acme.test", "kept.png"})); // a null leaves the logo

        const QString longName = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ").repeated(12);
        settings.setCompanyName(longName);
        settings.setCompanyFax(QString()); // clearing a detail takes effect
        settings.setPathToDB(" " + db.path() + "  ");
        settings.SaveSettings();
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(db.scalar("SELECT CompanyName || '|' || CompanyFax || '|' || CompanyLogo "
                           "FROM MyCompany")
                     .toString(),
                 longName.left(255) + "||kept.png");
        QCOMPARE(storedPath(), db.path());
    }

    void missingCompanyRowIsReportedThenAdded() {
        TestDatabase db;
        db.exec("DELETE FROM MyCompany");
        WriteRegString(kProgram, "DBPath", db.path());
        ScriptedMessages messages;
        clsSettings settings;
        settings.LoadSettings();
        QCOMPARE(messages.texts(), QStringList{"3021 - Either BOF or EOF is True, or the current "
                                               "record has been deleted. Requested operation "
                                               "requires a current record."});
        QCOMPARE(messages.titles(), QStringList{"LoadSettings"});
        QCOMPARE(messages.shown().first().icon, QMessageBox::NoIcon);
        QCOMPARE(settings.Grids().Count(), 0); // no layouts after a failure

        messages.clear();
        settings.setCompanyName("Acme");
        settings.SaveSettings();
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(db.scalar("SELECT group_concat(CompanyName) FROM MyCompany").toString(), "Acme");
        QCOMPARE(storedPath(), db.path());
    }

    // What the load says is the main window's start-up test's; here, what it keeps and saves.
    void unopenedDatabaseIsReportedAndNothingSaved() {
        TestDatabase db;
        const QString path = db.damage(QStringLiteral("password"));
        WriteRegString(kProgram, "DBPath", path);
        WriteRegString(kGrids + "\\grdCustom", "A", "50");

        ScriptedMessages messages;
        clsSettings settings;
        settings.LoadSettings();
        QCOMPARE(messages.shown().size(), 2);
        QVERIFY(!gConnection->isOpen());
        QCOMPARE(settings.Grids().Count(), 0);

        // Saving on the closed connection reports it and writes nothing to the store.
        messages.clear();
        settings.setPathToDB("/elsewhere/Estimating.mdb");
        settings.SaveSettings();
        QCOMPARE(messages.texts(),
                 QStringList{"3219 - Operation is not allowed when the object is closed."});
        QCOMPARE(messages.titles(), QStringList{"SaveSettings"});
        QCOMPARE(storedPath(), path);
    }

    void collectionsHoldOneItemPerKey() {
        ScriptedMessages messages;
        colColumns columns;
        const auto unitCost = newColumn("Unit Cost");
        QVERIFY(columns.Add(unitCost));
        QVERIFY(columns.Add(newColumn("Part #")));
        QVERIFY(!columns.Add(newColumn("Unit Cost")));
        QCOMPARE(messages.texts(),
                 QStringList{"Error while adding new Column item to the collection"});
        QCOMPARE(messages.titles(), QStringList{QString()}); // the application's own title
        QCOMPARE(layoutOf(columns), (QStringList{"Unit Cost=", "Part #="}));

        // Lookups ignore letter case; a miss gives nullptr and no message.
        messages.clear();
        QCOMPARE(columns.Item("unit cost"), unitCost);
        QCOMPARE(columns.Item(newColumn("UNIT COST")), unitCost);
        QVERIFY(!columns.Item("Margin") && !columns.Item(0) && !columns.Item(3));
        QVERIFY(messages.shown().isEmpty());

        // (Nothing in the program removes an item.)
        colGrids grids;
        auto grid = std::make_shared<clsGrid>();
        QVERIFY(grids.Add(grid) && !grids.Add(grid));
        QCOMPARE(messages.texts(),
                 QStringList{"Error while adding new Grid item to the collection"});
    }

    void storedValuesBeyondTheirLimitsAreIgnored() {
        const DefaultDatabase database;
        QVERIFY(database.created);
        {
            // Written straight into the store, as a damaged or foreign one would hold them.
            QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Dorvane", "PX");
            store.setValue("DBPath", QString(10 * 1024 * 1024, u'x'));
            for (int i = 0; i < 5000; ++i) {
                const QString n = QString::number(i).rightJustified(4, u'0');
                store.setValue("Grids/grdZ" + n + "/A", "10");
                store.setValue("Grids/grdAll/c" + n, "10");
            }
            store.setValue("Grids/grdAll/c0001", "-1");
            store.setValue("Grids/grdAll/c0002", "100001");
            store.setValue("Grids/grdAll/c0003", "wide");
            store.setValue("Grids/grdAll/c0004", "100000");
            store.sync();
        }
        ScriptedMessages messages;
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression("^Settings beyond their limits were ignored: a "
                                             "database path of 10485760 characters; 4501 grids; "
                                             "4500 columns of grdAll; 3 column sizes of grdAll$"));
        QTest::failOnWarning(QRegularExpression("."));
        clsSettings settings;
        settings.LoadSettings();
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        QVERIFY(gConnection->isOpen());
        QCOMPARE(settings.PathToDB(), database.path);

        // The first 500 stored grids (grdAll, grdZ0000 to grdZ0498), then the built-in ones.
        QCOMPARE(settings.Grids().Count(), 503);
        QVERIFY(settings.Grids().Item("grdZ0498") && !settings.Grids().Item("grdZ0499"));
        const auto all = settings.Grids().Item("grdAll");
        QCOMPARE(all->Columns().Count(), 497);
        QCOMPARE(all->Columns().Item(1)->ColumnCaption(), QStringLiteral("c0000"));
        QCOMPARE(all->Columns().Item("C0004")->ColumnSize(), QStringLiteral("100000"));
        for (const char* ignored : {"c0001", "c0002", "c0003", "c0500", "c4999"})
            QVERIFY2(!all->Columns().Item(QString::fromLatin1(ignored)), ignored);
        QCOMPARE(all->Columns().Item(497)->ColumnCaption(), QStringLiteral("c0499"));
    }

    void anUnreadableStoreIsReportedOnce() {
        const DefaultDatabase database;
        QVERIFY(database.created);
        // A folder where the settings file belongs: no one, not even an administrator, reads it.
        const QString file = settingsFile();
        QVERIFY(QDir().mkpath(file));

        ScriptedMessages messages;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be read"));
        clsSettings settings;
        settings.LoadSettings();
        QVERIFY(gConnection->isOpen());
        QCOMPARE(settings.PathToDB(), database.path);
        settings.SaveSettings();
        settings.LoadSettings();
        QCOMPARE(messages.texts(),
                 QStringList{"The settings file " + QDir::toNativeSeparators(file) +
                             " could not be read. The program uses its default database and "
                             "layouts, and may not keep your changes."});
        QCOMPARE(messages.titles(), QStringList{"Settings"});
    }

    void aReadOnlyStoreIsReportedOnce() {
        TestDatabase db;
        WriteRegString(kProgram, "DBPath", db.path());
        const QString file = settingsFile();
        QVERIFY(
            QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        // File modes do not hold back an administrator; an immutable file does, where it can be
        // set.
        bool immutable = false;
        if (QFile probe(file); probe.open(QIODevice::ReadWrite)) {
            probe.close();
            immutable = QProcess::execute("chattr", {"+i", file}) == 0;
            if (!immutable)
                QSKIP("this user writes to read-only files");
        }
        const auto restore = qScopeGuard([&] {
            if (immutable)
                QProcess::execute("chattr", {"-i", file});
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        });

        ScriptedMessages messages;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be written"));
        clsSettings settings;
        settings.LoadSettings();
        QCOMPARE(settings.PathToDB(), db.path());
        settings.setPathToDB(db.path() + "x");
        settings.SaveSettings();
        settings.SaveSettings();
        QCOMPARE(messages.texts(),
                 QStringList{"The settings file " + QDir::toNativeSeparators(file) +
                             " could not be written. Changes to the database path and grid layouts "
                             "will not be kept."});
        // The file itself (settings objects of this process share the unwritten change).
        QFile stored(file);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QByteArray text = stored.readAll();
        QVERIFY(text.contains("Estimating.mdb") && !text.contains("Estimating.mdbx"));
    }

    void defaultDatabaseStaysOutOfBuildAndProgramFolders_data() {
        QTest::addColumn<QString>("folder"); // the program's folder, inside a temporary one
        QTest::addColumn<QString>("marker"); // a file made in it
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("beside"); // the database belongs beside the program
        const QString none;
        QTest::newRow("build folder")
            << "build" << QStringLiteral("CMakeCache.txt") << false << false;
        QTest::newRow("installed in bin") << "prefix/bin" << none << false << false;
        QTest::newRow("folder the user cannot write") << "Plenwick" << none << true << false;
        QTest::newRow("folder that is gone") << none << none << false << false;
        QTest::newRow("a folder of its own") << "Plenwick" << none << false << true;
    }

    void defaultDatabaseStaysOutOfBuildAndProgramFolders() {
        QFETCH(QString, folder);
        QFETCH(QString, marker);
        QFETCH(bool, readOnly);
        QFETCH(bool, beside);
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir temporary;
        const QString programFolder = temporary.filePath(folder.isEmpty() ? "removed" : folder);
        QVERIFY(folder.isEmpty() || QDir().mkpath(programFolder));
        QVERIFY(marker.isEmpty() ||
                QFile(QDir(programFolder).filePath(marker)).open(QFile::WriteOnly));
        const QFileDevice::Permissions permissions = QFile::permissions(programFolder);
        const auto restore =
            qScopeGuard([&] { QFile::setPermissions(programFolder, permissions); });
        if (readOnly) {
            QVERIFY(QFile::setPermissions(programFolder, QFile::ReadOwner | QFile::ExeOwner));
            if (QFileInfo(programFolder).isWritable())
                QSKIP("This user writes even read-only folders (root).");
        }

        const QString applicationName = QCoreApplication::applicationName();
        const QString path = defaultDatabasePath(programFolder);
        QCOMPARE(QCoreApplication::applicationName(), applicationName); // message titles use it
        if (beside) {
            QCOMPARE(path, QDir(programFolder).filePath(QStringLiteral("Estimating.mdb")));
            return;
        }
        const QFileInfo database(path);
        QCOMPARE(database.fileName(), QStringLiteral("Estimating.mdb"));
        QVERIFY2(!path.startsWith(temporary.path()), qPrintable(path));
        QCOMPARE(database.absolutePath(), QDir(userDataFolder()).absolutePath());
        // The user's data folder of organisation Dorvane and application PX, kept apart from the
        // user's own while tests run, and there to write the file into.
        QVERIFY2(database.absolutePath().endsWith(QStringLiteral("/Dorvane/PX")), qPrintable(path));
        QVERIFY2(path.contains(QStringLiteral("qttest"), Qt::CaseInsensitive), qPrintable(path));
        QVERIFY(database.dir().exists());
        QVERIFY(!database.exists()); // the folder is made, the file is left to whoever creates it
    }

private:
    std::unique_ptr<Connection> m_connection;
    std::optional<IsolatedSettings> m_store; // every test starts from an empty store
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
