#pragma once

#include "widgets/screen.h"

#include <QGroupBox>

class QDate;
class QDateTime;
class QLabel;
class QPushButton;
class QTableView;

// The Home screen: the company's details and today's date, the month shown and its arrows, the
// estimate buttons, and the month's estimates.
class HomeFrame : public QGroupBox, public ScreenInterface {
    Q_OBJECT
public:
    explicit HomeFrame(QWidget* parent = nullptr);

    // Company details that are not set are hidden with their captions.
    void applySettings() override;
    void reload() override;
    bool canEditRecord() const override { return true; }
    void editRecord() override;

    // The clock: the date and time the program started, then the date alone from the first
    // tick of the window's timer.
    void showStartTime(const QDateTime& now);
    void showToday(const QDate& today);

    QGroupBox* frCompanyInfo;
    QLabel* lblCompanyNameLabel;
    QLabel* lblCompanyName;
    QLabel* lblCompanyAddressLabel;
    QLabel* lblCompanyAddress;
    QLabel* lblCompanyCity;
    QLabel* lblToday;
    QPushButton* cmdDateDown;
    QLabel* lblMonthYear;
    QPushButton* cmdDateUp;
    QPushButton* cmdEstimate;
    QPushButton* cmdEditEstimate;
    QPushButton* cmdEstimateDelete;
    QTableView* DGEstimatesAll;

signals:
    // Never emitted: nothing on this screen is saved from the Edit menu.
    void saveEnabledChanged(bool enabled);
    // The user asked to edit the estimate chosen in the month's list (Edit, or Edit > Edit
    // Record). Opening it on the Estimate screen comes with the month's list.
    void editEstimateRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void cmdEditEstimate_Click();
    // Stretches the month's list to the frame's lower right corner.
    void fitEstimatesList();
};
