#pragma once

#include "data/backup.h"

#include <QDialog>

class QListWidget;
class QPushButton;

// Restore From Backup: the dated backups of the database, newest first, with the time each was
// made. Restore (or a double click) asks for the chosen one through restoreRequested(); the
// command closes the dialog once it is restored.
class RestoreDialog : public QDialog {
    Q_OBJECT
public:
    explicit RestoreDialog(const QList<BackupFile>& backups, QWidget* parent = nullptr);

    QListWidget* lstBackups;
    QPushButton* cmdRestore;
    QPushButton* cmdClose;

signals:
    void restoreRequested(int index);

private:
    void requestRestore();
};
