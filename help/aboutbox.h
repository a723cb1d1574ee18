#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: the product's logo, name, version, a notice line and its web address, and a
// button that starts the desktop's system-information program.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Starts the system-information program, or says that there is none.
    void StartSysInfo();

    QLabel* Image1;
    QLabel* lblTitle;
    QLabel* lblDescription;
    QLabel* lblVersion;
    QLabel* lblDisclaimer;
    QLabel* Label1;
    QLabel* lblDatabaseUsers;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;

private:
    void Form_Load();
};

// "Version " and the program's major.minor.revision ("Version 1.0.12").
QString programVersionText();
