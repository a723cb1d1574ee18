#pragma once

#include "settings/gridlayout.h"

#include "data/dberror.h"

#include <QString>

// The program's settings while it runs: the database path and the saved grid layouts (from the
// per-user settings store) and the company details (from the database's MyCompany row).
class clsSettings {
public:
    clsSettings();
    ~clsSettings();
    clsSettings(const clsSettings&) = delete;
    clsSettings& operator=(const clsSettings&) = delete;

    // The longest database path taken from the store; a longer one is ignored as damaged.
    static constexpr qsizetype kLongestPath = 4096;

    // Created with the object and never replaced, so a reference to it stays valid.
    colGrids& Grids() { return m_grids; }
    const colGrids& Grids() const { return m_grids; }

    QString PathToDB() const { return m_pathToDB; }
    void setPathToDB(const QString& value) { m_pathToDB = value; }
    QString WebPage() const { return m_webPage; }
    void setWebPage(const QString& value) { m_webPage = value; }
    QString LogoPath() const { return m_logoPath; }
    void setLogoPath(const QString& value) { m_logoPath = value; }
    QString CompanyName() const { return m_companyName; }
    void setCompanyName(const QString& value) { m_companyName = value; }
    QString CompanyAdress() const { return m_companyAdress; }
    void setCompanyAdress(const QString& value) { m_companyAdress = value; }
    QString EMail() const { return m_eMail; }
    void setEMail(const QString& value) { m_eMail = value; }
    QString CompanyCity() const { return m_companyCity; }
    void setCompanyCity(const QString& value) { m_companyCity = value; }
    QString CompanyPhone() const { return m_companyPhone; }
    void setCompanyPhone(const QString& value) { m_companyPhone = value; }
    QString CompanyFax() const { return m_companyFax; }
    void setCompanyFax(const QString& value) { m_companyFax = value; }

    // What a new estimate's quote starts with, kept beside the company details so that every
    // estimator of a shared file prints the same: the days it holds, its terms, and whether it
    // prints a line for the customer's acceptance.
    static constexpr int kDefaultValidDays = 30;
    static constexpr int kLongestValidity = 3650;
    static constexpr int kTermsLimit = 4000;
    int QuoteValidDays() const { return m_quoteValidDays; }
    void setQuoteValidDays(int value) { m_quoteValidDays = value; }
    QString QuoteTerms() const { return m_quoteTerms; }
    void setQuoteTerms(const QString& value) { m_quoteTerms = value; }
    bool QuoteAcceptanceLine() const { return m_quoteAcceptanceLine; }
    void setQuoteAcceptanceLine(bool value) { m_quoteAcceptanceLine = value; }

    // Reads the database path, opens gConnection on it, reads the company row and the grid
    // layouts (stored first, then the built-in defaults). Reports its own failures; leaves
    // gConnection closed when the database could not be opened.
    void LoadSettings();
    // Writes the company row, the database path and every grid layout. Reports its own failures.
    void SaveSettings();
    // Loads the settings again.
    void Refresh();
    // Reads the company details from the MyCompany row of the database gConnection has open.
    DbError LoadCompany();

private:
    // Tells the user, once each while the program runs, that the settings store could not be
    // read or written.
    void reportStoreProblems();

    colGrids m_grids;
    bool m_toldUnreadable = false;
    bool m_toldUnwritable = false;
    QString m_pathToDB;
    QString m_webPage;
    QString m_logoPath;
    QString m_companyName;
    QString m_companyAdress;
    QString m_eMail;
    QString m_companyCity;
    QString m_companyPhone;
    QString m_companyFax;
    int m_quoteValidDays = kDefaultValidDays;
    QString m_quoteTerms;
    bool m_quoteAcceptanceLine = true;
};

// The program's one settings object, created at start-up.
extern clsSettings* gSettings;
