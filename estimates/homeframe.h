#pragma once

#include "widgets/screen.h"

#include <QGroupBox>

class EstimateBook;
class EstimatesMonthList;
class QDate;
class QDateTime;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The Home screen: the company's details and today's date, the month shown and its arrows, the
// estimate buttons, and the month's estimates.
class HomeFrame : public QGroupBox, public ScreenInterface {
    Q_OBJECT
public:
    HomeFrame(QWidget* parent, EstimateBook* book);

    // Company details that are not set are hidden with their captions; without a company name,
    // a link to Preferences takes the name's place.
    void applySettings() override;
    // Lists the current month.
    void reload() override;
    // Lists the month shown again: estimates may have been saved or deleted meanwhile.
    void activate() override;
    bool canEditRecord() const override;
    void editRecord() override;
    // Copies the selected estimate and opens the copy on the Estimate screen.
    bool canDuplicate() const override;
    void duplicate() override;
    LayoutRows layoutRows() const override;

    // The clock: the date and time the program started, then the date alone from the first
    // tick of the window's timer.
    void showStartTime(const QDateTime& now);
    void showToday(const QDate& today);
    // New Estimate (the button, and File > New Estimate from any screen).
    void cmdEstimate_Click();
    // Edit, Delete, Edit > Edit Record and the Estimate tab need an estimate in the list.
    void CheckEditEstimateButtonState();

    EstimateBook* const book;
    EstimatesMonthList* const monthList;

    QGroupBox* frCompanyInfo;
    QLabel* lblCompanyNameLabel;
    QLabel* lblCompanyName;
    QLabel* lblCompanyAddressLabel;
    QLabel* lblCompanyAddress;
    QLabel* lblCompanyCity;
    QPushButton* cmdCompanyDetails;
    QLabel* lblToday;
    QPushButton* cmdDateDown;
    QLabel* lblMonthYear;
    QPushButton* cmdDateUp;
    QPushButton* cmdEstimate;
    QPushButton* cmdEditEstimate;
    QPushButton* cmdEstimateDelete;
    QLineEdit* txtFind;
    QTableView* DGEstimatesAll;

signals:
    // Never emitted: nothing on this screen is saved from the Edit menu.
    void saveEnabledChanged(bool enabled);
    // An estimate was opened or started: the Estimate screen is to be shown.
    void estimateScreenRequested();
    // The month's list was loaded: whether it holds any estimate (the Estimate tab and
    // Edit > Edit Record follow).
    void estimatesListed(bool any);
    // The company has no name yet: Preferences is to open on its Company tab.
    void companyDetailsRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void cmdEditEstimate_Click();
    void cmdEstimateDelete_Click();
    // Stretches the month's list to the frame's lower right corner, and the Find box above it.
    void fitEstimatesList();
};
