#include "support/smalldisk.h"

#include <QFile>
#include <QProcess>
#include <QStorageInfo>

namespace {
bool run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, arguments);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
} // namespace

SmallDisk::SmallDisk(int kilobytes) {
    m_mounted =
        m_dir.isValid() &&
        run(QStringLiteral("mount"),
            {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
             QStringLiteral("size=%1k").arg(kilobytes), QStringLiteral("tmpfs"), m_dir.path()});
}

SmallDisk::~SmallDisk() {
    if (m_mounted)
        run(QStringLiteral("umount"), {m_dir.path()});
}

bool SmallDisk::fill(qint64 bytes) {
    QFile filler(filePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const qint64 free = QStorageInfo(m_dir.path()).bytesAvailable();
    if (free > bytes && filler.write(QByteArray(free - bytes, 'f')) < 0)
        return false;
    filler.close();
    return QStorageInfo(m_dir.path()).bytesAvailable() <= bytes + 4096;
}

bool SmallDisk::makeReadOnly() {
    return m_mounted && run(QStringLiteral("mount"),
                            {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_dir.path()});
}
