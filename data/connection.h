#pragma once

#include "data/database.h"
#include "data/dberror.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

class FileChecks;
class FileUsers;

// What the schema says of one column of a table or view.
struct ColumnInfo {
    QString name;
    QString declaredType;
    bool primaryKey = false;
};

// A connection to one database file, opened from a connection string of the form
// "Data Source=<path>;Database Password=<password>". The file must carry a verifier of that
// password. Foreign keys are enforced and the file's schema is not trusted to run functions.
class Connection : public QObject, public std::enable_shared_from_this<Connection> {
    Q_OBJECT
public:
    enum State { Closed = 0, Open = 1 };

    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    void setConnectionString(const QString& connectionString);
    QString connectionString() const { return m_connectionString; }
    // Accepted for compatibility with callers that ask for read-uncommitted; SQLite connections
    // of one process see each other's committed writes, which is all the program needs.
    void setIsolationLevel(int level) { m_isolationLevel = level; }
    int isolationLevel() const { return m_isolationLevel; }

    // A dated copy of the file before the first write of each day (see data/backup.h): on for
    // the program's own connection, which also skips the check of the file's structure when the
    // file is exactly as it left it at its last close, and counts as a user of the file (see
    // openElsewhere()). Takes effect at the next open().
    void setDailyBackups(bool on) { m_dailyBackups = on; }
    // With daily backups: the check of the file's structure, when due, and the day's copy are
    // made on a worker thread (see data/filechecks.h) once startBackgroundChecks() was called,
    // or at the first write, which waits for them; open() then neither reads the whole file
    // nor copies it. Without, open() checks the file itself and the first write of the day
    // waits for its copy as it is made. Takes effect at the next open().
    void setBackgroundChecks(bool on) { m_backgroundChecks = on; }
    // Starts the background check and copy due on the open file, and on every file opened
    // after: for once the window is up.
    void startBackgroundChecks();
    // Whether the background check of the open file is still to end.
    bool isCheckingInBackground() const;
    // Checks the open file's structure here and now; false (reported as damage, the connection
    // closed) when it is damaged.
    bool checkStructureNow() { return checkStructure(); }
    // Whether the background work on the open file (the check, the day's copy) is under way.
    bool hasBackgroundWork() const;
    // Why the last daily copy failed, or an empty text.
    QString dailyBackupError() const;

    bool open();
    void close();
    int state() const { return m_open ? Open : Closed; }
    bool isOpen() const { return m_open; }
    QString databasePath() const { return m_path; }

    // Runs a statement that returns no rows, values bound in order. False on failure, with
    // lastError() and errors() filled.
    bool execute(const QString& sql, const QVariantList& values = {}, int* rowsAffected = nullptr);

    // The provider errors of the last failed operation on this connection (empty after success).
    const QList<ProviderError>& errors() const { return m_errors; }
    void clearErrors() { m_errors.clear(); }
    const DbError& lastError() const { return m_lastError; }

    // Records a failed operation in lastError() and errors(); returns it.
    DbError reportError(const DbError& error);

    // The open database, for statements and transactions on this connection.
    Database& database() { return m_database; }

    // A connection opened by the program for its database file is shared: every data control
    // and record set on the same file borrows it, so one transaction can span several tables.
    // The trial connection of a settings dialog stays private.
    void setShared(bool shared) { m_shared = shared; }
    bool isShared() const { return m_shared; }
    // The open shared connection to the file the connection string names, or null.
    static Connection* sharedFor(const QString& connectionString);

    // Columns of a table or view as the schema declares them (cached per connection).
    QList<ColumnInfo> columns(const QString& table);
    bool hasTable(const QString& table);
    // On a server, the others working in the same database just now ("alice at 10.0.0.7 (since
    // 09:12)"); empty on a file, where the notice of a file in use says so instead.
    QStringList othersConnected();
    // The column's description kept in the database, or an empty text.
    QString columnDescription(const QString& table, const QString& column);

    // Parses a connection string's key/value pairs (keys compared without regard to case).
    static QHash<QString, QString> parseConnectionString(const QString& text);
    static QString buildConnectionString(const QString& path, const QString& password);

signals:
    // The day's copy could not be made (the write itself goes ahead). Sent from inside the
    // write: a receiver that shows a message should be connected queued.
    void dailyBackupFailed(const QString& reason);
    // The program's own connection found the file already open in another run of the program
    // (see data/fileusers.h). Sent from inside open(): connect it queued to show a message.
    void openElsewhere(const QString& path);
    // The program's own connection could open the file for reading only. Sent from inside
    // open(): connect it queued to show a message.
    void openedReadOnly(const QString& path);
    // The background check found the open file damaged (the full message, see
    // damagedFileError()): from now on every write to it is refused.
    void damageFound(const QString& message);

private:
    // Upgrades a file of an earlier structure, after a dated copy of it; false (reported) when
    // the file can be used neither upgraded nor as it is.
    bool bringUpToDate();
    // Checks the file's structure here and now; false (reported, closed) when it is damaged.
    bool checkStructure();
    // Offers the open connection to the data controls on the same database, when shared.
    void shareIfAsked(const QHash<QString, QString>& parts);
    // open() for a database on a server.
    bool openServer(const QHash<QString, QString>& parts);
    // Tells damageFound() what the background check found, once.
    void reportDamageFound();
    bool fail(qint64 number, const QString& description);
    // Why a file another program holds locked could not be opened.
    static QString inUseText(const QString& path);

    Database m_database;
    QString m_connectionString;
    QString m_key; // the file and password this connection is shared under
    bool m_shared = false;
    QString m_path;
    int m_isolationLevel = 0;
    bool m_open = false;
    QList<ProviderError> m_errors;
    DbError m_lastError;
    QHash<QString, QList<ColumnInfo>> m_columnCache;
    bool m_dailyBackups = false; // and the check of a file left sound skipped
    bool m_backgroundChecks = false;
    bool m_startChecks = false; // startBackgroundChecks() was called
    bool m_sound = false;       // opened and found sound (or left to the background check)
    std::unique_ptr<FileChecks> m_checks;
    std::unique_ptr<FileUsers> m_users;
};
