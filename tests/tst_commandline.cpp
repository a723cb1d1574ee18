// The program's command line: making database files without a display, and refusing to
// overwrite one.
#include "data/connection.h"
#include "support/testdatabase.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Run {
    int status = -1;
    QString output;
};

Run plenwick(const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(PLENWICK_EXECUTABLE), arguments);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAll())};
}
} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void createsADatabaseAndNeverOverwrites();
    void generatesSmallDemoData();
    void rejectsBadOptions();
};

void TestCommandLine::createsADatabaseAndNeverOverwrites() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.mdb"));
    Run run = plenwick({QStringLiteral("--create-database"), path});
    QCOMPARE(run.status, 0);
    Connection c;
    QVERIFY(openProgramFile(c, path));
    c.close();

    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    run = plenwick({QStringLiteral("--create-database"), path});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.output.contains(QStringLiteral("already exists")), qPrintable(run.output));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestCommandLine::generatesSmallDemoData() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.mdb"));
    const Run run =
        plenwick({QStringLiteral("--generate-demo-data"), path, QStringLiteral("--materials"),
                  QStringLiteral("40"), QStringLiteral("--estimates"), QStringLiteral("3")});
    QVERIFY2(run.status == 0, qPrintable(run.output));
    Connection c;
    QVERIFY(openProgramFile(c, path));
    Statement q(c.database(), QStringLiteral("SELECT (SELECT COUNT(*) FROM MaterialsTBL), "
                                             "(SELECT COUNT(*) FROM EstimateTBL)"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 40);
    QCOMPARE(q.value(1).toInt(), 3);
}

void TestCommandLine::rejectsBadOptions() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.mdb"));
    Run run = plenwick({QStringLiteral("--generate-demo-data"), path, QStringLiteral("--materials"),
                        QStringLiteral("many")});
    QCOMPARE(run.status, 1);
    QVERIFY(!QFile::exists(path));
    run = plenwick({QStringLiteral("--help")});
    QCOMPARE(run.status, 0);
    QVERIFY(run.output.contains(QStringLiteral("--create-database")));
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
