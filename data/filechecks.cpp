#include "data/filechecks.h"

#include "data/backup.h"
#include "data/textcut.h"

#include <QScopeGuard>
#include <chrono>

DbError damagedFileError(const QString& path, const QString& damage) {
    return {ErrorNumber::kGenericFailure,
            QStringLiteral("The file '%1' is damaged: %2").arg(elidedPath(path), damage.left(500)),
            ErrorNumber::kDamagedFile};
}

FileChecks::FileChecks(QString databasePath, bool checkDue)
    : m_path(std::move(databasePath)), m_check(checkDue ? Check::Pending : Check::NotDue) {}

FileChecks::~FileChecks() {
    stop();
}

void FileChecks::stop() {
    m_stop = true;
    // A check runs as one long step of the engine, which asks no observer meanwhile; and an
    // interruption before the step began is lost, so it is repeated until the worker ends.
    for (std::unique_lock lock(m_mutex); m_busy;) {
        if (m_checking)
            m_checking->interrupt();
        m_changed.wait_for(lock, std::chrono::milliseconds(5));
    }
    if (m_worker.joinable())
        m_worker.join();
}

void FileChecks::start(bool copy) {
    if (m_started)
        return;
    m_started = true;
    const QDate today = backupClockNow().date();
    const bool check = m_check == Check::Pending;
    const QDate day = copy && !isCopiedOn(m_path, today) ? today : QDate();
    if (check || day.isValid())
        launch(check, day);
}

void FileChecks::launch(bool check, const QDate& day) {
    if (m_worker.joinable())
        m_worker.join(); // ended: the caller waited until it was not busy
    {
        const std::lock_guard lock(m_mutex);
        m_busy = true;
        if (day.isValid()) {
            m_copyFor = day;
            m_copy = Copy::Running;
            m_copyError.clear();
        }
    }
    // The copy is named by the program's clock as it reads now, on this thread.
    m_worker = std::thread(&FileChecks::work, this, check, day, backupClockNow());
}

bool FileChecks::runCheck(QString* damage) {
    WhileObserver untilStopped([this] { return !m_stop; });
    Database db;
    db.setWaitObserver(&untilStopped);
    if (!db.open(m_path, Database::OpenMode::ReadOnly))
        return false; // the first write checks the file itself
    {
        const std::lock_guard lock(m_mutex);
        m_checking = &db;
    }
    const auto done = qScopeGuard([this] {
        const std::lock_guard lock(m_mutex);
        m_checking = nullptr;
    });
    while (!m_stop) {
        DbError failure;
        *damage = db.damage(&failure);
        if (failure.nativeError != ErrorNumber::kFileInUse)
            return failure.nativeError != ErrorNumber::kOperationStopped;
        // Another program holds the file: the check is made once it lets go.
        std::this_thread::sleep_for(std::chrono::milliseconds(Database::kWaitSliceMs));
    }
    return false;
}

void FileChecks::work(bool check, const QDate& day, const QDateTime& made) {
    bool sound = true;
    if (check) {
        QString damage;
        const bool ended = runCheck(&damage);
        sound = ended && damage.isEmpty();
        {
            const std::lock_guard lock(m_mutex);
            if (ended) {
                m_check = sound ? Check::Sound : Check::Damaged;
                m_damage = damage;
            }
        }
        m_changed.notify_all();
        if (m_onSettled)
            m_onSettled();
    }
    if (day.isValid()) {
        // A damaged file is never copied: its copy would pass for the newest sound one.
        QString error;
        const bool copied = sound && makeDatedBackupInSteps(
                                         m_path, made, [this] { return !m_stop; }, &error);
        {
            const std::lock_guard lock(m_mutex);
            m_copy = copied ? Copy::Done : m_stop || !sound ? Copy::None : Copy::Failed;
            m_copyError = copied ? QString() : error;
        }
    }
    {
        const std::lock_guard lock(m_mutex);
        m_busy = false;
    }
    m_changed.notify_all();
    if (day.isValid() && m_onSettled)
        m_onSettled();
}

bool FileChecks::waitUntil(Database& database, WaitObserver::Kind kind,
                           const std::function<bool()>& ready) {
    return database.waitFor(kind, [this, &ready](int sliceMs) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(sliceMs), ready);
    });
}

DbError FileChecks::refusal() const {
    return {ErrorNumber::kGenericFailure,
            QStringLiteral("The change was not saved: it was stopped while it waited for the "
                           "database file to be checked and copied. Nothing was changed; try "
                           "again."),
            ErrorNumber::kOperationStopped};
}

DbError FileChecks::beforeWrite(Database& database, bool* copyFailed) {
    *copyFailed = false;
    start(true);
    // The check first: nothing is written to a file not known sound.
    if (!waitUntil(database, WaitObserver::Kind::Check,
                   [this] { return m_check != Check::Pending || !m_busy; }))
        return refusal();
    {
        std::unique_lock lock(m_mutex);
        if (m_check == Check::Pending) {
            // The worker could not check the file: the write's own connection does, here.
            lock.unlock();
            DbError failure;
            const QString damage = database.damage(&failure);
            if (failure.isSet())
                return failure; // stopped, or the file in use: the next write checks again
            lock.lock();
            m_check = damage.isEmpty() ? Check::Sound : Check::Damaged;
            m_damage = damage;
        }
        if (m_check == Check::Damaged) {
            DbError damaged = damagedFileError(m_path, m_damage);
            damaged.description +=
                QStringLiteral("\n\nNothing can be saved to it, so that the damage does not "
                               "spread. Put a backup in its place with Tools > Restore From "
                               "Backup...");
            return damaged;
        }
    }

    // Then the day's copy, of the file as it was before the day's first write.
    const QDate today = backupClockNow().date();
    if (m_copySettled == today)
        return {};
    if (database.isWriting())
        return {}; // what is written is not committed yet: the next write waits instead
    bool under = false;
    {
        const std::lock_guard lock(m_mutex);
        under = m_copyFor == today && m_copy != Copy::None;
    }
    if (!under) {
        // A copy for another day (the program ran past midnight) ends first.
        if (!waitUntil(database, WaitObserver::Kind::Copy, [this] { return !m_busy; }))
            return refusal();
        if (isCopiedOn(m_path, today)) {
            m_copySettled = today;
            return {};
        }
        launch(false, today);
    }
    if (!waitUntil(database, WaitObserver::Kind::Copy, [this] { return m_copy != Copy::Running; }))
        return refusal();
    m_copySettled = today; // one attempt a day, so a full disk does not slow every write
    const std::lock_guard lock(m_mutex);
    *copyFailed = m_copy == Copy::Failed;
    return {};
}

bool FileChecks::isKnownSound() const {
    const std::lock_guard lock(m_mutex);
    return m_check == Check::NotDue || m_check == Check::Sound;
}

bool FileChecks::isChecking() const {
    const std::lock_guard lock(m_mutex);
    return m_check == Check::Pending;
}

QString FileChecks::takeDamage() {
    const std::lock_guard lock(m_mutex);
    if (m_check != Check::Damaged || m_damageTaken)
        return {};
    m_damageTaken = true;
    return m_damage;
}

QString FileChecks::copyError() const {
    const std::lock_guard lock(m_mutex);
    return m_copyError;
}

bool FileChecks::isBusy() const {
    const std::lock_guard lock(m_mutex);
    return m_busy;
}
