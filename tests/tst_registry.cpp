// The per-user settings store: keys created on reading, names without regard to letter case,
// values of any length, and enumerations in the order names were first written.
#include "settings/gridlayout.h"
#include "settings/registry.h"
#include "support/isolatedsettings.h"

#include <QSettings>
#include <QTest>

namespace {
const QString kProgram = QStringLiteral("Dorvane\\PX");
const QString kGrids = QStringLiteral("Dorvane\\PX\\Grids");
const QString kGrid = QStringLiteral("Dorvane\\PX\\Grids\\grdMaterialsList");

// "caption=size" per enumerated column.
QStringList columnsOf(const QString& key) {
    QStringList out;
    const auto columns = EnumRegColumns(key);
    for (const auto& c : columns.value())
        out << c->Key() + QLatin1Char('=') + c->ColumnSize();
    return out;
}
} // namespace

class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void readingCreatesTheKey();
    void valuesAndNamesReadBackWhole();
    void enumerationsKeepTheWrittenOrder();
    void namesIgnoreLetterCase();
    void enumeratedTextsStopAtNul();
};

void TestRegistry::readingCreatesTheKey() {
    IsolatedSettings isolated;
    QString value = "stale";
    QVERIFY(!ReadRegString(kProgram, "DBPath", value));
    QVERIFY(value.isEmpty());
    QVERIFY(RegKeyExists(kProgram));
    QVERIFY(!RegKeyExists(kGrids));
    // A key without values exists, is listed by its parent, and has an empty value list.
    QVERIFY(!ReadRegString(kGrid, "Part #", value));
    QCOMPARE(EnumRegKeys(kProgram), QStringList{"Grids"}); // the bookkeeping is never listed
    QCOMPARE(EnumRegKeys(kGrids), QStringList{"grdMaterialsList"});
    QCOMPARE(EnumRegColumns(kGrid)->size(), 0);
    // A key without organisation and application names no store.
    QVERIFY(!EnumRegKeys("Dorvane"));
    QVERIFY(!ReadRegString("Dorvane", "DBPath", value));
}

void TestRegistry::valuesAndNamesReadBackWhole() {
    IsolatedSettings isolated;
    const QString longPath = "/data/" + QString(300, QLatin1Char('p')) + "/Estimating.mdb";
    for (const QString& sample : {QString("10"), QString(), longPath, QString(" a, \"b\" ")}) {
        WriteRegString(kProgram, "DBPath", sample);
        QString value = "stale";
        QVERIFY(ReadRegString(kProgram, "DBPath", value)); // an empty value exists too
        QCOMPARE(value, sample);
    }
    // Separators and escape-like sequences in names are kept, in value and key names alike.
    const QStringList names = {"Qty/Unit", "a%2Fb", "Margin %"};
    for (const QString& name : names)
        WriteRegString(kGrid, name, "1");
    QCOMPARE(columnsOf(kGrid), (QStringList{"Qty/Unit=1", "a%2Fb=1", "Margin %=1"}));
    WriteRegString(kGrids + "\\grd/Odd", "A", "1");
    QCOMPARE(EnumRegKeys(kGrids), (QStringList{"grdMaterialsList", "grd/Odd"}));
}

void TestRegistry::enumerationsKeepTheWrittenOrder() {
    IsolatedSettings isolated;
    for (const char* name : {"Zeta", "alpha", "Mid"})
        WriteRegString(kGrid, name, "1");
    WriteRegString(kGrid, "Zeta", "2"); // rewriting keeps the place
    WriteRegString(kGrids + "\\grdZ", "A", "1");
    QString ignored;
    ReadRegString(kGrids + "\\grdB", "A", ignored);
    // Names another program wrote follow, sorted.
    {
        QSettings other(QSettings::NativeFormat, QSettings::UserScope, "Dorvane", "PX");
        other.setValue("Grids/grdMaterialsList/Omega", "3");
        other.setValue("Grids/grdMaterialsList/Beta", "4");
        other.setValue("Grids/grdA/X", "5");
    }
    QCOMPARE(columnsOf(kGrid), (QStringList{"Zeta=2", "alpha=1", "Mid=1", "Beta=4", "Omega=3"}));
    QCOMPARE(EnumRegKeys(kGrids), (QStringList{"grdMaterialsList", "grdZ", "grdB", "grdA"}));
}

void TestRegistry::namesIgnoreLetterCase() {
    IsolatedSettings isolated;
    WriteRegString(kGrid, "Part #", "10");
    WriteRegString("Dorvane\\PX\\GRIDS\\grdmaterialslist", "part #", "14");
    QCOMPARE(EnumRegKeys(kGrids), QStringList{"grdMaterialsList"});
    QCOMPARE(columnsOf(kGrid), QStringList{"Part #=14"});
    QString value;
    QVERIFY(ReadRegString("Dorvane\\PX\\grids\\GRDMATERIALSLIST", "PART #", value));
    QCOMPARE(value, "14");
}

void TestRegistry::enumeratedTextsStopAtNul() {
    const QChar nul(u'\0');
    QCOMPARE(TrimAtNull(QString("ab") + nul + "cd"), "ab");
    QCOMPARE(TrimAtNull(QString()), QString());
    IsolatedSettings isolated;
    WriteRegString(kGrid, QString("Rate") + nul + "x", QString("7") + nul + "x");
    WriteRegString(kGrids + "\\grdA" + nul + "junk", "Hours", "5");
    QCOMPARE(columnsOf(kGrid), QStringList{"Rate=7"});
    QCOMPARE(EnumRegKeys(kGrids), (QStringList{"grdMaterialsList", "grdA"}));
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
