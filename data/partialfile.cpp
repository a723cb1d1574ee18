#include "data/partialfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <filesystem>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
#ifndef Q_OS_WIN
// A temporary file is private to its maker; the finished one gets the permissions of the file it
// replaces, or those any new file of the user gets, so that a database shared with other users
// of the machine or of a network folder stays open to them after it is made or restored.
void giveUsualPermissions(const QString& temporary, const QString& target, const QString& like) {
    struct stat existing = {};
    mode_t mode = 0;
    if (!like.isEmpty() && ::stat(QFile::encodeName(like).constData(), &existing) == 0) {
        mode = existing.st_mode & 0777;
    } else if (::stat(QFile::encodeName(target).constData(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::chmod(QFile::encodeName(temporary).constData(), mode);
}
#endif

// A rename is recorded before the data it names may have reached the disk: the file is synced
// first, so that a power cut never leaves the target holding a half-written file.
bool syncToDisk(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return fsync(file.handle()) == 0;
#endif
}
} // namespace

PartialFile::PartialFile(const QString& target) : m_target(target) {
    const QFileInfo info(target);
    // Hidden and plainly unfinished, should a crash leave it behind.
    QTemporaryFile file(
        info.dir().filePath(QStringLiteral(".%1.partial-XXXXXX").arg(info.fileName())));
    file.setAutoRemove(false);
    if (!file.open()) {
        m_error = QStringLiteral("Could not create a file in \"%1\": %2")
                      .arg(info.absolutePath(), file.errorString());
        return;
    }
    m_temporary = file.fileName();
}

PartialFile::~PartialFile() {
    discard();
}

bool PartialFile::commit(Existing existing) {
    if (m_temporary.isEmpty())
        return false;
    if (!syncToDisk(m_temporary)) {
        m_error = QStringLiteral("Could not write \"%1\" to disk.").arg(m_target);
        discard();
        return false;
    }
#ifndef Q_OS_WIN
    giveUsualPermissions(m_temporary, m_target, m_permissionsOf);
#endif
    // Same folder, so a plain rename: never a copy, and over an existing file only when asked.
    QString failure;
    if (existing == Existing::Replace) {
        std::error_code code;
        std::filesystem::rename(m_temporary.toStdU16String(), m_target.toStdU16String(), code);
        if (code)
            failure = QString::fromStdString(code.message());
    } else if (QFile file(m_temporary); !file.rename(m_target)) {
        failure = file.errorString();
    }
    if (!failure.isEmpty()) {
        m_error = QStringLiteral("Could not name the new file \"%1\": %2").arg(m_target, failure);
        discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

void PartialFile::discard() {
    if (m_temporary.isEmpty())
        return;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(m_temporary + QLatin1String(suffix));
    m_temporary.clear();
}

bool makeFolderFor(const QString& folder, const QString& like) {
#ifdef Q_OS_WIN
    Q_UNUSED(like);
    return QDir().mkpath(folder);
#else
    const QByteArray path = QFile::encodeName(folder);
    struct stat file = {};
    mode_t mode = 0755;
    if (::stat(QFile::encodeName(like).constData(), &file) == 0) {
        // Reading a file in a folder needs the right to search it as well.
        mode = 0700;
        for (const mode_t read : {mode_t(S_IRGRP), mode_t(S_IROTH)})
            if (file.st_mode & read)
                mode |= read | (read >> 2);
        mode |= file.st_mode & (S_IWGRP | S_IWOTH);
    }
    if (::mkdir(path.constData(), mode) == 0)
        return true;
    struct stat existing = {};
    if (::stat(path.constData(), &existing) != 0 || !S_ISDIR(existing.st_mode))
        return false;
    if ((existing.st_mode & 0777 & ~mode) != 0)
        ::chmod(path.constData(), existing.st_mode & 0777 & mode);
    return true;
#endif
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    // A short write is no error to QIODevice: the count is compared, and any error the device
    // met on the way stops the commit.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
