#pragma once

#include "data/database.h"

#include <QDate>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// "The file '<path>' is damaged: <what>", as the program names a file that fails the check of its
// structure (nativeError kDamagedFile).
DbError damagedFileError(const QString& path, const QString& damage);

// The check of the database file's structure and the day's copy of it, made on a worker thread
// over connections of their own, so that the window need not wait for either; and the gate the
// program's writes pass through. A write waits until the check has passed and the day's copy is
// made (see data/backup.h), and none passes into a file found damaged. What the worker had not
// finished when it was stopped counts as not done: the next open checks and copies again.
class FileChecks {
public:
    // checkDue: the file's structure is to be checked before anything is written to it.
    FileChecks(QString databasePath, bool checkDue);
    ~FileChecks();
    FileChecks(const FileChecks&) = delete;
    FileChecks& operator=(const FileChecks&) = delete;

    // Starts, once, the work that is due: the check, then (when copy is set and no copy of the
    // file was made today) the day's copy, made only of a file found sound.
    void start(bool copy);
    // Stops the worker and waits for it.
    void stop();

    // For the write hook of the program's connection, before a write: waits for the check and
    // the day's copy (starting them when not started), telling database's observer. An error
    // refuses the write: the file is damaged, or the user stopped the wait. *copyFailed is set
    // once a day when the day's copy could not be made; the write then goes ahead.
    DbError beforeWrite(Database& database, bool* copyFailed);

    // The check found the file sound, or none was due.
    bool isKnownSound() const;
    // Whether the check is still to end (not started, or under way).
    bool isChecking() const;
    // The damage the check found, the first time it is asked for after the check ended; else
    // an empty text.
    QString takeDamage();
    // Why the day's copy could not be made, or an empty text.
    QString copyError() const;
    // Whether the worker has work under way.
    bool isBusy() const;
    // Called on the worker thread each time a piece of its work has ended.
    void setOnSettled(std::function<void()> onSettled) { m_onSettled = std::move(onSettled); }

private:
    enum class Check { NotDue, Pending, Sound, Damaged };
    enum class Copy { None, Running, Done, Failed };

    // Starts the worker (none may be busy): the check when due, and the copy for day when valid.
    void launch(bool check, const QDate& day);
    void work(bool check, const QDate& day, const QDateTime& made);
    // Runs the check on a connection of its own; false when it was stopped or could not run.
    bool runCheck(QString* damage);
    // Waits, telling database's observer, until ready() holds; false when the user stopped.
    bool waitUntil(Database& database, WaitObserver::Kind kind, const std::function<bool()>& ready);
    DbError refusal() const;

    const QString m_path;
    std::function<void()> m_onSettled;
    std::thread m_worker;
    std::atomic<bool> m_stop = false;

    mutable std::mutex m_mutex; // guards what follows, shared with the worker
    std::condition_variable m_changed;
    Check m_check;
    QString m_damage;
    bool m_damageTaken = false;
    Copy m_copy = Copy::None;
    QDate m_copyFor; // the day the copy under way or last made is for
    QString m_copyError;
    bool m_busy = false;
    Database* m_checking = nullptr; // the worker's connection while it checks

    // The window's thread alone.
    bool m_started = false;
    QDate m_copySettled; // the day whose copy writes no longer wait for
};
