#pragma once

#include <QTemporaryDir>

// A folder on a small file system of its own (a tmpfs mounted over a temporary folder), to show
// what a full or read-only disk does to the program's files. Mounting takes the superuser:
// elsewhere isValid() is false and the test says it was skipped.
class SmallDisk {
public:
    explicit SmallDisk(int kilobytes = 256);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isValid() const { return m_mounted; }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    // Fills the disk until no more than about bytes are left free.
    bool fill(qint64 bytes);
    // From now on the disk can only be read, by the superuser too.
    bool makeReadOnly();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
