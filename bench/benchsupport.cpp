#include "bench/benchsupport.h"

#include "data/connection.h"
#include "data/memorytuning.h"
#include "data/money.h"
#include "data/schema.h"
#include "data/sqldialect.h"
#include "demodata/demodata.h"
#include "estimates/estimatebook.h"
#include "estimates/homeframe.h"
#include "settings/registry.h"
#include "settings/settingsstore.h"
#include "widgets/messagebox.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>
#include <libpq-fe.h>
#include <map>
#include <sqlite3.h>

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
    keepRecordSetMemory(); // as the program does at start-up

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
    options->morePaths = parser.positionalArguments().mid(1);
    options->repeat = std::max(1, parser.value(repeatOption).toInt());
    options->generate = parser.isSet(generateOption);
    if (!options->generate && (isServer(options->path) || QFileInfo::exists(options->path)))
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

void preferOffscreen() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void isolateSettings(const QString& folder) {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

void useDatabase(const QString& path) {
    WriteRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), path);
    gSettings->LoadSettings();
}

void printMessagesAnsweringOk() {
    setMessageHandler([](const MessageRequest& request) {
        err() << "message box \"" << request.title << "\": " << request.text << "\n";
        err().flush();
        return QMessageBox::Ok;
    });
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

std::unique_ptr<HomeFrame> showHome(EstimateBook& book) {
    if (!book.load()) {
        err() << "the estimates could not be opened: " << book.lastError().text() << "\n";
        return nullptr;
    }
    auto frame = std::make_unique<HomeFrame>(nullptr, &book);
    frame->resize(785, 534);
    frame->show();
    frame->reload();
    settle();
    return frame;
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

namespace {
// The floor's own handle for each connection of the benchmark, opened on first use and kept
// while that connection lives, so its page cache is as warm or as cold as the connection's.
BareHandle* bareHandle(Connection& connection) {
    static std::map<const Connection*, std::unique_ptr<BareHandle>> handles;
    auto it = handles.find(&connection);
    if (it != handles.end())
        return it->second.get();
    auto handle = std::make_unique<BareHandle>(connection.databasePath());
    if (!handle->isOpen())
        return nullptr;
    BareHandle* kept = handle.get();
    handles.emplace(&connection, std::move(handle));
    QObject::connect(&connection, &QObject::destroyed, [key = &connection] { handles.erase(key); });
    return kept;
}

int bindBare(sqlite3_stmt* st, int index, const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return sqlite3_bind_int64(st, index, v.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(st, index, v.toDouble());
    default: {
        const QByteArray text = v.toString().toUtf8();
        return sqlite3_bind_text(st, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}
} // namespace

int bareRows(Connection& connection, const QString& sql, const QVariantList& values) {
    BareHandle* handle = bareHandle(connection);
    return handle ? handle->rows(sql, values) : -1;
}

int bareRowsOneByOne(Connection& connection, const QString& sql, const QVariantList& values) {
    BareHandle* handle = bareHandle(connection);
    return handle ? handle->rows(sql, values, true) : -1;
}

void openBare(Connection& connection) {
    bareHandle(connection);
}

bool isServer(const QString& path) {
    return SqlDialect::isServerAddress(path);
}

BareHandle::BareHandle(const QString& path) {
    if (isServer(path)) {
        const QByteArray address = path.toUtf8();
        m_server = PQconnectdb(address.constData());
        if (PQstatus(m_server) == CONNECTION_OK) {
            PQclear(PQexec(m_server, "SET DateStyle = 'ISO, YMD'"));
            return;
        }
        err() << "cannot connect to " << SqlDialect::shownAddress(path) << ": "
              << PQerrorMessage(m_server) << "\n";
        PQfinish(m_server);
        m_server = nullptr;
        return;
    }
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_file, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        err() << "cannot open " << path << ": " << sqlite3_errmsg(m_file) << "\n";
        sqlite3_close(m_file);
        m_file = nullptr;
    }
}

BareHandle::~BareHandle() {
    if (m_file)
        sqlite3_close(m_file);
    if (m_server)
        PQfinish(m_server);
}

namespace {
// Every value of every row of the result read, as any reader must.
qint64 readAll(PGresult* result) {
    const int rows = PQntuples(result);
    const int columns = PQnfields(result);
    qint64 sink = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            sink += PQgetlength(result, r, c) + (*PQgetvalue(result, r, c) & 1);
    return sink;
}
} // namespace

int BareHandle::rows(const QString& sql, const QVariantList& values, bool oneByOne) {
    if (m_file)
        return bareRows(m_file, sql, values);
    if (!m_server)
        return -1;
    // Values as text, dates as ISO text, as the program sends them; the server takes each
    // one's type from where it goes.
    std::vector<QByteArray> texts;
    std::vector<const char*> pointers;
    for (const QVariant& v : values) {
        texts.push_back(v.isNull()                       ? QByteArray()
                        : v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate).toUtf8()
                                                         : v.toString().toUtf8());
        pointers.push_back(v.isNull() ? nullptr : texts.back().constData());
    }
    const QByteArray text = SqlDialect::forServer(sql).toUtf8();
    if (oneByOne) {
        if (!PQsendQueryParams(m_server, text.constData(), int(pointers.size()), nullptr,
                               pointers.data(), nullptr, nullptr, 0) ||
            !PQsetSingleRowMode(m_server)) {
            err() << "statement failed: " << PQerrorMessage(m_server) << "\n";
            return -1;
        }
        int rows = 0;
        qint64 sink = 0;
        while (PGresult* result = PQgetResult(m_server)) {
            if (PQresultStatus(result) == PGRES_SINGLE_TUPLE)
                ++rows;
            else if (PQresultStatus(result) != PGRES_TUPLES_OK)
                err() << "statement failed: " << PQresultErrorMessage(result) << "\n";
            sink += readAll(result);
            PQclear(result);
        }
        return sink == -1 ? -1 : rows;
    }
    PGresult* result = PQexecParams(m_server, text.constData(), int(pointers.size()), nullptr,
                                    pointers.data(), nullptr, nullptr, 0);
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        err() << "statement failed: " << PQresultErrorMessage(result) << "\n";
        PQclear(result);
        return -1;
    }
    const int rows = PQntuples(result);
    const qint64 sink = readAll(result);
    PQclear(result);
    return sink == -1 ? -1 : rows;
}

QString databaseLine(Connection& connection) {
    const QString path = connection.databasePath();
    if (connection.database().isServer())
        return QStringLiteral("Database: ") + SqlDialect::shownAddress(path);
    return QStringLiteral("Database: %1 (%2 MiB)")
        .arg(QFileInfo(path).absoluteFilePath(),
             number(double(QFileInfo(path).size()) / 1048576.0, 1));
}

QString engineVersion(Connection& connection) {
    if (connection.database().isServer())
        return QStringLiteral("PostgreSQL ") +
               scalar(connection, QStringLiteral("SELECT current_setting('server_version')"))
                   .toString();
    return QStringLiteral("SQLite ") +
           scalar(connection, QStringLiteral("SELECT sqlite_version()")).toString();
}

int bareRows(sqlite3* handle, const QString& sql, const QVariantList& values) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK) {
        err() << "prepare failed: " << sqlite3_errmsg(handle) << "\n";
        sqlite3_finalize(st);
        return -1;
    }
    for (int i = 0; i < values.size(); ++i)
        bindBare(st, i + 1, values.at(i));
    // Every column of every row is read by its type, as any reader must.
    const int columns = sqlite3_column_count(st);
    int rows = 0;
    qint64 sink = 0;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER:
                sink += sqlite3_column_int64(st, i);
                break;
            case SQLITE_FLOAT:
                sink += qint64(sqlite3_column_double(st, i));
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB:
                sink += reinterpret_cast<quintptr>(sqlite3_column_text(st, i)) & 1;
                sink += sqlite3_column_bytes(st, i);
                break;
            default:
                break;
            }
        }
    }
    if (rc != SQLITE_DONE)
        err() << "step failed: " << sqlite3_errmsg(handle) << "\n";
    sqlite3_finalize(st);
    // The sum is handed out of the loop so the reads cannot be left out by the compiler.
    return sink == -1 ? -1 : rows;
}

QVariant scalar(Connection& connection, const QString& sql, const QVariantList& values) {
    Statement q(connection.database(), sql);
    if (q.bindAll(values) && q.next())
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
