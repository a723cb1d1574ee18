#include "help/instructionalvideo.h"

#include "help/desktopprograms.h"
#include "help/linklabel.h"
#include "widgets/messagebox.h"
#include "widgets/shellopen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("PX Instructional Video");
// A free player that plays MIDI files on every desktop the program runs on.
const QString kPlayerAddress = QStringLiteral("https://www.videolan.org/vlc/");
} // namespace

frmVideo::frmVideo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmVideo"));
    setWindowTitle(tr("Instructional Video"));
    setModal(true);

    Label1 = new QLabel(tr("In order to view the instructional video, you must have Windows Media "
                           "Player version 7 (or later) installed on your system.  It may be "
                           "downloaded from the following site:"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label2 = linkLabel(this, QStringLiteral("Label2"), kPlayerAddress);
    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setToolTip(tr("Close (Enter or Esc)"));
    cmdOK->setDefault(true);
    cmdOK->setMinimumWidth(88);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(12);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addLayout(buttons);
    setFixedWidth(420);
    cmdOK->setFocus();
}

QString instructionalVideoPath() {
    return QDir::toNativeSeparators(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("canyon.mid")));
}

void WatchInstructionalVideo(QWidget* owner) {
    const QString media = instructionalVideoPath();
    if (!QFileInfo::exists(media)) {
        showMessage(QStringLiteral("File not found: ") + media, QMessageBox::Ok,
                    QMessageBox::NoIcon, kTitle);
        return;
    }
    if (hasPlayerFor(media)) {
        ShellOpen(media);
        return;
    }
    frmVideo video(owner);
    video.exec();
}
