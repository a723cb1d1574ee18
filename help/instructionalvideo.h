#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Shown when no player is registered for the instructional video: where to get one.
class frmVideo : public QDialog {
    Q_OBJECT
public:
    explicit frmVideo(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* cmdOK;
};

// The instructional media file, "canyon.mid" in the program's folder.
QString instructionalVideoPath();

// Help > Watch Instructional Video: plays the media file with the desktop's player for its type;
// says so when the file is missing, and shows frmVideo, owned by owner, when no player is
// registered.
void WatchInstructionalVideo(QWidget* owner);
