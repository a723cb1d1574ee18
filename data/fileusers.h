#pragma once

#include <QString>

// Marks a database file as open in this run of the program for as long as it lives, and tells
// whether another run had it open already. Every run holds a shared lock on a small file beside
// the database ("<file>-users"); the system drops a lock when its run ends, however it ends,
// so a crashed run is never counted. Where the folder cannot be written, or the system has no
// such locks, nobody is counted and nothing is said.
class FileUsers {
public:
    explicit FileUsers(const QString& databasePath);
    ~FileUsers();
    FileUsers(const FileUsers&) = delete;
    FileUsers& operator=(const FileUsers&) = delete;

    // Whether another run of the program had the file open when this one came.
    bool othersPresent() const { return m_others; }
    // The small file the runs lock.
    static QString markerPath(const QString& databasePath);

private:
    int m_fd = -1;
    bool m_others = false;
};
