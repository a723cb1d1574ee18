#include "data/fileusers.h"

#include <QFile>

#if defined(__linux__)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString FileUsers::markerPath(const QString& databasePath) {
    return databasePath + QStringLiteral("-users");
}

#if defined(__linux__)
FileUsers::FileUsers(const QString& databasePath) {
    const QByteArray path = QFile::encodeName(markerPath(databasePath));
    // Whatever else is found under the marker's name is left alone: a symbolic link is not
    // followed (it would have the program create or lock the file it points at), a pipe is not
    // waited on (opening one blocks until a writer comes), and anything but a plain file counts
    // nobody.
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | flags, 0644);
    if (m_fd < 0 && errno != ELOOP)
        m_fd = ::open(path.constData(), O_RDONLY | flags);
    if (m_fd < 0)
        return;
    struct stat info = {};
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
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
