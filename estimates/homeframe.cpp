#include "estimates/homeframe.h"

#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "estimates/duplicateestimate.h"
#include "estimates/estimatebook.h"
#include "estimates/estimatesmonthlist.h"
#include "settings/settingsstore.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/screencontrols.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QTableView>

using Controls::button;
using Controls::caption;
using Twips::place;

HomeFrame::HomeFrame(QWidget* parent, EstimateBook* estimates)
    : QGroupBox(parent), book(estimates), monthList(new EstimatesMonthList(this, estimates)) {
    setObjectName(QStringLiteral("frMain"));
    setTitle(QStringLiteral("Plenwick"));

    frCompanyInfo = place<QGroupBox>(this, QStringLiteral("frCompanyInfo"), 12, 26, 761, 92);
    frCompanyInfo->setTitle(tr("Company"));
    lblCompanyNameLabel =
        caption(frCompanyInfo, QStringLiteral("lblCompanyNameLabel"), tr("Name:"), 10, 24, 70, 20);
    lblCompanyName =
        place<QLabel>(frCompanyInfo, QStringLiteral("lblCompanyName"), 88, 24, 420, 20);
    lblCompanyName->setProperty("role", QStringLiteral("emphasis"));
    lblCompanyAddressLabel = caption(frCompanyInfo, QStringLiteral("lblCompanyAddressLabel"),
                                     tr("Address:"), 10, 45, 70, 20);
    lblCompanyAddress =
        place<QLabel>(frCompanyInfo, QStringLiteral("lblCompanyAddress"), 88, 45, 420, 20);
    lblCompanyCity =
        place<QLabel>(frCompanyInfo, QStringLiteral("lblCompanyCity"), 88, 64, 420, 20);
    // Where the name shows once there is one: a new user's first step towards a quote.
    cmdCompanyDetails = button(frCompanyInfo, QStringLiteral("cmdCompanyDetails"),
                               tr("Enter your company's details for your quotes"),
                               tr("Open Preferences on the Company tab"), 6, 22, 330, 22);
    cmdCompanyDetails->setProperty("role", QStringLiteral("link"));
    cmdCompanyDetails->setCursor(Qt::PointingHandCursor);
    // Enter follows the link as Space does, as a user expects of a link.
    cmdCompanyDetails->setAutoDefault(true);
    cmdCompanyDetails->hide();
    lblToday = place<QLabel>(frCompanyInfo, QStringLiteral("lblToday"), 519, 24, 230, 20);
    lblToday->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblToday->setProperty("role", QStringLiteral("emphasis"));

    lblMonthYear = monthList->lblMonthYear;
    cmdDateDown = monthList->cmdDateDown;
    cmdDateUp = monthList->cmdDateUp;
    txtFind = monthList->txtFind;
    DGEstimatesAll = monthList->DGEstimatesAll;
    // Alt letters clear of the menu bar's (F, E, V, T, H).
    cmdEstimate = button(this, QStringLiteral("cmdEstimate"), tr("&New Estimate"),
                         tr("Create New Estimate"), 300, 130, 120);
    cmdEstimate->setProperty("role", QStringLiteral("primary"));
    cmdEditEstimate = button(this, QStringLiteral("cmdEditEstimate"), tr("E&dit"),
                             tr("Edit Estimate"), 426, 130, 84);
    cmdEstimateDelete = button(this, QStringLiteral("cmdEstimateDelete"), tr("De&lete"),
                               tr("Delete Estimate"), 516, 130, 84);
    const QList<QWidget*> order = {cmdCompanyDetails, cmdDateDown,       cmdDateUp, cmdEstimate,
                                   cmdEditEstimate,   cmdEstimateDelete, txtFind,   DGEstimatesAll};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(cmdEstimate, &QPushButton::clicked, this, &HomeFrame::cmdEstimate_Click);
    connect(cmdCompanyDetails, &QPushButton::clicked, this, &HomeFrame::companyDetailsRequested);
    connect(cmdEditEstimate, &QPushButton::clicked, this, &HomeFrame::cmdEditEstimate_Click);
    connect(cmdEstimateDelete, &QPushButton::clicked, this, &HomeFrame::cmdEstimateDelete_Click);
    connect(monthList, &EstimatesMonthList::estimateChosen, this,
            &HomeFrame::cmdEditEstimate_Click);
    connect(monthList, &EstimatesMonthList::listed, this, &HomeFrame::CheckEditEstimateButtonState);
    // Estimates saved on the Estimate screen, or deleted here, show at once.
    connect(book, &EstimateBook::estimatesChanged, monthList,
            &EstimatesMonthList::SetupEstimatesAllGrid);
}

void HomeFrame::applySettings() {
    // A detail set later (in Preferences) shows again with its caption.
    auto show = [](QLabel* value, QLabel* caption, const QString& text) {
        value->setText(text);
        value->setVisible(!text.isEmpty());
        if (caption)
            caption->setVisible(!text.isEmpty());
    };
    show(lblCompanyName, lblCompanyNameLabel, gSettings ? gSettings->CompanyName() : QString());
    show(lblCompanyAddress, lblCompanyAddressLabel,
         gSettings ? gSettings->CompanyAdress() : QString());
    show(lblCompanyCity, nullptr, gSettings ? gSettings->CompanyCity() : QString());
    cmdCompanyDetails->setVisible(lblCompanyName->isHidden());
}

LayoutRows HomeFrame::layoutRows() const {
    return {{frCompanyInfo, 0, 0, 1, 0}, {lblToday, 1, 0, 1, 0}};
}

void HomeFrame::reload() {
    // The month's list starts on the current month.
    monthList->showMonth(QDate::currentDate());
}

void HomeFrame::activate() {
    monthList->SetupEstimatesAllGrid();
}

void HomeFrame::CheckEditEstimateButtonState() {
    const bool any = monthList->listedCount() > 0;
    cmdEditEstimate->setEnabled(any);
    cmdEstimateDelete->setEnabled(any);
    book->clearNewEstimateFlag();
    emit estimatesListed(any);
}

bool HomeFrame::canEditRecord() const {
    return cmdEditEstimate->isEnabled();
}

void HomeFrame::editRecord() {
    // As the button does: nothing while it is off.
    if (cmdEditEstimate->isEnabled())
        cmdEditEstimate_Click();
}

bool HomeFrame::canDuplicate() const {
    return monthList->selectedEstimateId() > 0;
}

void HomeFrame::duplicate() {
    if (DuplicateAndOpen(window(), *book, monthList->selectedEstimateId()) > 0)
        emit estimateScreenRequested();
}

void HomeFrame::cmdEstimate_Click() {
    // Works on an empty database too: the first estimate has to start somewhere.
    if (!book->addNew()) {
        if (book->lastError().isSet())
            ShowError(book->lastError().text(), QStringLiteral("frmMain / cmdEstimate_Click"));
        return;
    }
    emit estimateScreenRequested();
}

void HomeFrame::cmdEditEstimate_Click() {
    const int estimateId = monthList->selectedEstimateId();
    if (estimateId <= 0)
        return;
    if (!book->open(estimateId)) {
        // An estimate no longer stored leaves the screen as it is; a refused write of the
        // estimate being left is reported.
        if (book->lastError().isSet() && book->lastError().number != ErrorNumber::kRowNotFound)
            ShowDatabaseError(book->dcEstimates->connection(), book->lastError(),
                              QStringLiteral("frmMain / cmdEditEstimate_Click"));
        return;
    }
    emit estimateScreenRequested();
}

void HomeFrame::cmdEstimateDelete_Click() {
    const int estimateId = monthList->selectedEstimateId();
    if (estimateId <= 0)
        return;
    if (showMessage(tr("Do you really want to delete the selected estimate?"),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                    QCoreApplication::applicationName()) != QMessageBox::Yes)
        return;
    // The book re-queries this list when the estimate is gone (estimatesChanged).
    if (book->remove(estimateId) || !book->lastError().isSet())
        return;
    if (book->lastError().number == ErrorNumber::kRowNotFound)
        showMessage(tr("Failed to delete record"), QMessageBox::Ok, QMessageBox::NoIcon,
                    QStringLiteral("cmdEstimateDelete_Click"));
    else
        ShowDatabaseError(book->dcEstimates->connection(), book->lastError(),
                          QStringLiteral("frmMain / cmdEstimateDelete_Click"));
}

void HomeFrame::showStartTime(const QDateTime& now) {
    lblToday->setText(formatGeneralDate(now));
}

void HomeFrame::showToday(const QDate& today) {
    lblToday->setText(formatMediumDate(today));
}

void HomeFrame::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    fitEstimatesList();
}

void HomeFrame::fitEstimatesList() {
    QRectF g = Twips::geometry(DGEstimatesAll);
    const QRectF frame = Twips::geometry(this);
    g.setWidth(std::max(0.0, frame.width() - g.left() - Twips::px(12)));
    g.setHeight(std::max(0.0, frame.height() - g.top() - Twips::px(12)));
    Twips::setGeometry(DGEstimatesAll, g);
    QRectF find = Twips::geometry(txtFind);
    find.setWidth(g.width());
    Twips::setGeometry(txtFind, find);
}
