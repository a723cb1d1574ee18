#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

class Database;

// Copies of the database file. A copy is complete or absent: it is written under a temporary
// name and renamed into place once whole. Dated copies live in a folder "backups" beside the
// database, named "<name>-yyyyMMdd-HHmmss.mdb" after the time they were made; the newest
// kKeptBackups are kept.

inline constexpr int kKeptBackups = 14;

struct BackupFile {
    QString path;
    QDateTime made; // from the file's name, local time
};

// Copies the open database to target through SQLite's online backup, replacing a file already
// there. Refuses the database's own file. False with *error filled when no copy was made.
bool backupTo(Database& source, const QString& target, QString* error);

// The folder of dated copies of the database at databasePath.
QString backupFolder(const QString& databasePath);
// The dated copies of the database, newest first.
QList<BackupFile> listBackups(const QString& databasePath);
// Makes a dated copy in the backup folder (created when missing) and removes the oldest beyond
// kKeptBackups. Its path in *made, when given.
bool makeDatedBackup(Database& source, const QString& databasePath, QString* error,
                     QString* made = nullptr);

// The same from a connection of its own, in steps (see Database::copyInSteps), named after the
// moment made: for a worker thread. goOn() false abandons the copy, leaving none.
bool makeDatedBackupInSteps(const QString& databasePath, const QDateTime& made,
                            const std::function<bool()>& goOn, QString* error);
// Whether the newest dated copy of the database was made on day.
bool isCopiedOn(const QString& databasePath, const QDate& day);

// Puts the copy at backupPath in place of the database at databasePath, keeping the current
// file as a dated copy first. No connection may hold the database meanwhile. False with *error
// filled, the database untouched, when the copy could not be put in place.
bool restoreBackup(const QString& databasePath, const QString& backupPath, QString* error);

// Why a file written at path (a report, an exported quote) would destroy the database at
// databasePath or its safety net: path is the database, one of the files SQLite or the program
// keeps beside it ("-journal", "-wal", "-shm", "-users"), or lies in its backup folder. Compared
// as the system resolves the paths (links, "..", another spelling of the folder). An empty text
// when path is none of them.
QString databaseFileReason(const QString& databasePath, const QString& path);

// What the program knows of a file it closed sound: the day, its size, time of change and SQLite's
// change counter, kept in the backup folder. At the next open the same day, a file that still
// matches needs no check of its structure (PRAGMA quick_check reads the whole file); anything
// that changed it since (a crash in the middle of a write, another program, a restored copy)
// makes it differ, and the first open of each day checks it whatever it looks like.
void rememberSoundFile(const QString& databasePath);
bool isAsLeftSound(const QString& databasePath);

// The clock the dated copies are named by; tests set another (an empty one restores the
// system's clock).
using BackupClock = std::function<QDateTime()>;
void setBackupClock(BackupClock clock);
// The time by that clock.
QDateTime backupClockNow();

// Makes a dated copy before the first write of each day on a connection: installed as the
// database's write hook, it looks at the day once per day in memory, and at the newest copy's
// name once per day on disk, so a day already copied (by an earlier run) is not copied again.
class DailyBackup {
public:
    explicit DailyBackup(QString databasePath) : m_path(std::move(databasePath)) {}
    // False when a copy was due and could not be made (see lastError()).
    bool beforeWrite(Database& database);
    // Why the last attempt made no copy, or an empty text.
    QString lastError() const { return m_error; }

private:
    QString m_path;
    QDate m_checked;
    QString m_error;
};
