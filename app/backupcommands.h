#pragma once

#include <functional>

class QWidget;
struct BackupFile;

// The Tools menu's commands on copies of the program's database (gConnection).

// Back Up Database...: asks where to put a copy, then writes it there, complete or not at all.
void BackUpDatabase(QWidget* parent);

// Tools > Copy Database To...: every row of the open database into a new file or an empty
// database on a server, checked before it is kept.
void CopyDatabaseTo(QWidget* parent);

// Restore From Backup...: lists the dated backups beside the database, newest first (see
// RestoreDialog). leaveGuard settles work being typed on the screens first; reload shows the
// restored file on every screen.
void RestoreFromBackup(QWidget* parent, const std::function<bool()>& leaveGuard,
                       const std::function<void()>& reload);

// Puts the backup in place of the program's database after asking: the current file is kept
// among the backups, the connection is closed meanwhile and opened again on the restored file.
// False when nothing changed (the user said no, or the backup could not be put in place).
bool RestoreDatabase(const BackupFile& backup, const std::function<bool()>& leaveGuard,
                     const std::function<void()>& reload);
