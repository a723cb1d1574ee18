#include "app/restoredialog.h"

#include "data/formats.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

RestoreDialog::RestoreDialog(const QList<BackupFile>& backups, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(QStringLiteral("Restore From Backup"));
    auto* layout = new QVBoxLayout(this);
    auto* caption =
        new QLabel(backups.isEmpty() ? QStringLiteral("There are no backups of this database yet.")
                                     : QStringLiteral("&Backups, newest first:"),
                   this);
    layout->addWidget(caption);
    lstBackups = new QListWidget(this);
    lstBackups->setObjectName(QStringLiteral("lstBackups"));
    caption->setBuddy(lstBackups);
    for (const BackupFile& backup : backups)
        lstBackups->addItem(QStringLiteral("%1    %2")
                                .arg(formatGeneralDate(backup.made),
                                     QDir::toNativeSeparators(QFileInfo(backup.path).fileName())));
    layout->addWidget(lstBackups);

    auto* buttons = new QDialogButtonBox(this);
    cmdRestore = buttons->addButton(QStringLiteral("&Restore"), QDialogButtonBox::ActionRole);
    cmdRestore->setObjectName(QStringLiteral("cmdRestore"));
    cmdClose = buttons->addButton(QDialogButtonBox::Close);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    layout->addWidget(buttons);
    connect(cmdRestore, &QPushButton::clicked, this, &RestoreDialog::requestRestore);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstBackups, &QListWidget::itemDoubleClicked, this, &RestoreDialog::requestRestore);
    connect(lstBackups, &QListWidget::currentRowChanged, this,
            [this](int row) { cmdRestore->setEnabled(row >= 0); });
    if (!backups.isEmpty())
        lstBackups->setCurrentRow(0);
    cmdRestore->setEnabled(!backups.isEmpty());
    resize(480, 320);
}

void RestoreDialog::requestRestore() {
    if (const int row = lstBackups->currentRow(); row >= 0)
        emit restoreRequested(row);
}
