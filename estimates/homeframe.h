#pragma once

#include <QGroupBox>

class QLabel;
class QPushButton;
class QTableView;

// The Home screen: the company's details and today's date, the month shown and its arrows, the
// estimate buttons, and the month's estimates.
class HomeFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit HomeFrame(QWidget* parent = nullptr);

    // Stretches the month's list to the frame's lower right corner.
    void fitEstimatesList();

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
};
