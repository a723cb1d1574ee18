#pragma once

#include <QDialog>
#include <functional>

struct FileDialogRequest;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

// The Preferences dialog: the company details printed on quotes, the logo's path, what a new
// quote starts with (its validity, terms and acceptance line) and the database file. A file chosen
// with "..." is only tried; OK switches to it, and only when the file opens, so the program never
// ends up without its database.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(QWidget* parent = nullptr);

    // Fills the boxes from the settings.
    void ReadConfiguration();
    // Switches the database when its path changed, copies the boxes into the settings and saves
    // them. False, with nothing changed, when the new database cannot be opened (the reason has
    // been shown) or the program may not leave the old one now.
    bool SaveConfiguration();

    // Shows the Company tab with the focus on the company's name.
    void showCompanyDetails();

    // Asked before the program leaves its database for another, so that work being typed is
    // saved or dropped as the user says; false keeps the old database.
    void setLeaveGuard(std::function<bool()> guard) { m_leaveGuard = std::move(guard); }

    QTabWidget* tabPreferences;
    QGroupBox* frCompanyInfo;
    QLineEdit* txtCompanyName;
    QLineEdit* txtCompanyAdress;
    QLineEdit* txtCompanyCity;
    QLineEdit* txtCompanyPhone;
    QLineEdit* txtCompanyFax;
    QLineEdit* txtEMail;
    QLineEdit* txtWebPage;
    QLineEdit* txtLogoPath;
    QPushButton* btnLogoBrowse;
    // The logo as quotes print it, and a line saying when it cannot be read.
    QLabel* lblLogoPreview;
    QLabel* lblLogoStatus;
    QSpinBox* spnQuoteValidDays;
    QPlainTextEdit* txtQuoteTerms;
    QLabel* lblQuoteTermsCount;
    QCheckBox* chkQuoteAcceptanceLine;
    QLineEdit* txtPathToDB;
    QPushButton* btnSelectDB;
    QPushButton* cmdCreateDB;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

signals:
    // OK saved the settings; databaseChanged when the program now works on another file.
    void settingsSaved(bool databaseChanged);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* createCompanyTab();
    QWidget* createQuotesTab();
    QWidget* createDatabaseTab();
    // Shows how much of the terms' room is used, in red once they are too long.
    void showTermsCount();
    // False, with the reason shown and the typing kept, when the terms are longer than the
    // database keeps.
    bool termsFit();
    void Form_Load();
    void Form_KeyDown();
    void btnSelectDB_Click();
    void cmdCreateDB_Click();
    void btnLogoBrowse_Click();
    // The logo dialog starts in the pictures folder, else beside the current logo, else at home.
    QString logoStartFolder() const;
    // Loads the picture the path box names into the preview, or says why it cannot.
    void showLogoPreview();
    void cmdOK_Click();
    void cmdCancel_Click();
    // The one file dialog of both "..." buttons: it starts where it was last when the request
    // names no folder.
    QString chooseFile(FileDialogRequest request);
    bool switchDatabase(QString path);

    QWidget* m_quotesTab = nullptr;
    QWidget* m_databaseTab = nullptr;
    QString mOldPathToDB;
    QString m_lastFolder;
    bool m_centred = false;
    std::function<bool()> m_leaveGuard;
};
