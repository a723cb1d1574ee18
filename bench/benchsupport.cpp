#include "bench/benchsupport.h"

#include "data/connection.h"
#include "demodata/demodata.h"
#include "data/money.h"
#include "data/schema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <QFile>
#endif

namespace Bench {

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

bool start(QCoreApplication& app, const QString& name, const QString& description,
           Options* options) {
    QCoreApplication::setApplicationName(name);
    registerMoneyMetaType();

    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    const QCommandLineOption generateOption(
        QStringLiteral("generate"),
        QStringLiteral("Generate the database first (default counts)."));
    const QCommandLineOption repeatOption(QStringLiteral("repeat"),
                                          QStringLiteral("Timed runs of each operation."),
                                          QStringLiteral("n"), QStringLiteral("5"));
    parser.addOption(generateOption);
    parser.addOption(repeatOption);
    parser.addPositionalArgument(QStringLiteral("path"), QStringLiteral("The database file."));
    parser.process(app);

    options->path = parser.positionalArguments().value(
        0, QDir::temp().filePath(QStringLiteral("plenwick-bench.mdb")));
    options->repeat = std::max(1, parser.value(repeatOption).toInt());
    options->generate = parser.isSet(generateOption);
    if (!options->generate && QFileInfo::exists(options->path))
        return true;
    QString error;
    QElapsedTimer t;
    t.start();
    if (!DemoData::generate(options->path, DemoData::Counts(), &error)) {
        err() << name << ": " << error << "\n";
        return false;
    }
    options->generationSeconds = double(t.elapsed()) / 1000.0;
    return true;
}

bool openDatabase(Connection& connection, const QString& path) {
    connection.setConnectionString(
        Connection::buildConnectionString(path, Schema::databasePassword()));
    if (connection.open())
        return true;
    err() << QCoreApplication::applicationName() << ": " << connection.lastError().description
          << "\n";
    return false;
}

Memory processMemory() {
    Memory m;
#ifdef Q_OS_LINUX
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return m;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const auto number = [&line] {
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toLongLong();
        };
        if (line.startsWith("VmRSS:"))
            m.residentKiB = number();
        else if (line.startsWith("VmHWM:"))
            m.peakKiB = number();
    }
#endif
    return m;
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double timeMedian(int repeat, const std::function<void()>& work) {
    return timeMedian(repeat, {}, work);
}

double timeMedian(int repeat, const std::function<void()>& prepare,
                  const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i <= repeat; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer t;
        t.start();
        work();
        if (i > 0)
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(ms);
}

int bareRows(Connection& connection, const QString& sql, const QVariantList& values) {
    QSqlQuery q(connection.database());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        err() << "prepare failed: " << q.lastError().text() << "\n";
        return -1;
    }
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        err() << "exec failed: " << q.lastError().text() << "\n";
        return -1;
    }
    int rows = 0;
    while (q.next())
        ++rows;
    return rows;
}

QVariant scalar(Connection& connection, const QString& sql, const QVariantList& values) {
    QSqlQuery q(connection.database());
    q.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (q.exec() && q.next())
        return q.value(0);
    return {};
}

QString number(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

QString ratio(double ms, double floorMs) {
    return floorMs > 0 ? number(ms / floorMs, 2) + QStringLiteral("x") : QStringLiteral("-");
}

void printTimes(const QString& heading, const std::vector<Timed>& rows,
                const std::function<QString(double)>& format) {
    out() << "| Operation | Rows | " << heading << " | Floor (ms) | Ratio |\n";
    out() << "|---|---:|---:|---:|---:|\n";
    for (const Timed& r : rows)
        out() << "| " << r.operation << " | " << r.rows << " | " << format(r.ms) << " | "
              << format(r.floorMs) << " | " << ratio(r.ms, r.floorMs) << " |\n";
}

} // namespace Bench
