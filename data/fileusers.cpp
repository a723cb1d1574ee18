#include "data/fileusers.h"

#include <QFile>

#if defined(__linux__)
#include <fcntl.h>
#include <unistd.h>
#endif

QString FileUsers::markerPath(const QString& databasePath) {
    return databasePath + QStringLiteral("-users");
}

#if defined(__linux__)
FileUsers::FileUsers(const QString& databasePath) {
    const QByteArray path = QFile::encodeName(markerPath(databasePath));
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0)
        m_fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    // Locks of an open file description, not of the process: two opens in one process (a test,
    // or a second window of the same run) count as two users, and closing another descriptor
    // of the file never drops this one's lock.
    struct flock probe = {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 1;
    if (::fcntl(m_fd, F_OFD_GETLK, &probe) == 0)
        m_others = probe.l_type != F_UNLCK;
    struct flock mine = {};
    mine.l_type = F_RDLCK;
    mine.l_whence = SEEK_SET;
    mine.l_start = 0;
    mine.l_len = 1;
    if (::fcntl(m_fd, F_OFD_SETLK, &mine) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FileUsers::~FileUsers() {
    if (m_fd >= 0)
        ::close(m_fd);
}
#else
FileUsers::FileUsers(const QString&) {}
FileUsers::~FileUsers() = default;
#endif
