#pragma once

// What the benchmark programs share: their command line, the generated database, timing,
// memory, the bare-cursor floor and the output streams.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <vector>

class Connection;
class QCoreApplication;
class QTextStream;
class EstimateBook;
class HomeFrame;
struct sqlite3;
struct pg_conn;

namespace Bench {

QTextStream& out();
QTextStream& err();

// [--generate] [--repeat N] [PATH]; without PATH the database is <temp>/plenwick-bench.mdb.
// PATH may be a server's postgresql:// address: an empty database there is filled with
// --generate (the server's database itself is made beforehand, e.g. with createdb).
struct Options {
    QString path;
    QStringList morePaths; // further positional arguments, for benchmarks that take several files
    int repeat = 5;
    bool generate = false;
    double generationSeconds = -1; // how long generating the file took; -1: it was there
};

// Names the program, registers the value types and reads the command line; then generates the
// database with the default demo counts when it is missing or --generate asks for it (refusing
// an existing file then). False after a failure, reported on err().
bool start(QCoreApplication& app, const QString& name, const QString& description,
           Options* options);

// A benchmark has no use for a display: the offscreen platform (which still lays out and
// paints) unless QT_QPA_PLATFORM says otherwise. Call before the application object is made.
void preferOffscreen();

// The benchmark's settings live in folder and never touch the user's.
void isolateSettings(const QString& folder);
// Names the database file in the (isolated) settings and loads them, as start-up does; the
// program's objects (ProgramObjects) must exist.
void useDatabase(const QString& path);

// From now on every message box is printed to err() and answered OK, so no run waits for a user.
void printMessagesAnsweringOk();

// What the event loop does once a click has been handled, before the user sees the result.
void settle();

// The estimates loaded into book and Home shown over them, as the window shows it, on the
// program's connection (gConnection); null after reporting a failure.
std::unique_ptr<HomeFrame> showHome(EstimateBook& book);

// Opens a connection of its own to the database file; false after reporting the failure.
bool openDatabase(Connection& connection, const QString& path);

// Resident set and its peak in KiB, or -1 where the platform gives no cheap answer.
struct Memory {
    qint64 residentKiB = -1;
    qint64 peakKiB = -1;
};
Memory processMemory();

double median(std::vector<double> v);

// Median milliseconds of repeat runs of work; the first run is a warm-up and not counted.
// prepare, when given, runs untimed before every run.
double timeMedian(int repeat, const std::function<void()>& work);
double timeMedian(int repeat, const std::function<void()>& prepare,
                  const std::function<void()>& work);

// The floor: the same statement stepped to its end with SQLite's own sqlite3_step on a handle of
// the floor's own, every column of every row read by its type, nothing kept. On a server, the
// statement as the program sends it (rewritten for the server, values as parameters) run with
// libpq's PQexecParams on a connection of the floor's own, every value of every row read.
int bareRows(Connection& connection, const QString& sql, const QVariantList& values);
// The same on a handle the caller opened.
int bareRows(sqlite3* handle, const QString& sql, const QVariantList& values);
// On a server, the same with the rows handed over one at a time (libpq's single-row mode), as
// the data layer reads them; on a file, bareRows().
int bareRowsOneByOne(Connection& connection, const QString& sql, const QVariantList& values);
// Opens the floor's own handle for the connection now, so that a timed floor does not include
// connecting to a server (a file's handle reads nothing until its first statement either way).
void openBare(Connection& connection);

// A floor's handle on a file or a server, for a process of its own; opened untimed.
class BareHandle {
public:
    explicit BareHandle(const QString& path);
    ~BareHandle();
    BareHandle(const BareHandle&) = delete;
    BareHandle& operator=(const BareHandle&) = delete;
    bool isOpen() const { return m_file || m_server; }
    // As bareRows(); -1 after reporting a failure.
    int rows(const QString& sql, const QVariantList& values, bool oneByOne = false);

private:
    sqlite3* m_file = nullptr;
    pg_conn* m_server = nullptr;
};

// Whether the path names a database server rather than a file.
bool isServer(const QString& path);
// "Database: <file> (<size> MiB)" or "Database: <server address>", and the engine's version.
QString databaseLine(Connection& connection);
QString engineVersion(Connection& connection);

QVariant scalar(Connection& connection, const QString& sql, const QVariantList& values = {});

QString number(double v, int decimals);
// "1.23x", or "-" without a floor.
QString ratio(double ms, double floorMs);

// An operation timed against its floor: a row of the table printTimes() writes.
struct Timed {
    QString operation;
    int rows = 0;
    double ms = 0;
    double floorMs = 0;
};
// A Markdown table of operation, rows, the time (under the given heading), floor and ratio.
void printTimes(const QString& heading, const std::vector<Timed>& rows,
                const std::function<QString(double)>& format);

} // namespace Bench
