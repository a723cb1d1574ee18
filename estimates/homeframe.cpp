#include "estimates/homeframe.h"

#include "data/formats.h"
#include "settings/settingsstore.h"
#include "widgets/screencontrols.h"

#include <QDateTime>
#include <QHeaderView>
#include <QTableView>

using Controls::button;
using Controls::caption;
using Twips::place;

HomeFrame::HomeFrame(QWidget* parent, EstimateBook* estimates)
    : QGroupBox(parent), book(estimates) {
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
    lblToday = place<QLabel>(frCompanyInfo, QStringLiteral("lblToday"), 519, 24, 230, 20);
    lblToday->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblToday->setProperty("role", QStringLiteral("emphasis"));

    cmdDateDown = button(this, QStringLiteral("cmdDateDown"), QStringLiteral("◀"),
                         tr("Scroll Backward"), 12, 130, 34);
    lblMonthYear = place<QLabel>(this, QStringLiteral("lblMonthYear"), 50, 130, 170, 28);
    lblMonthYear->setAlignment(Qt::AlignCenter);
    lblMonthYear->setProperty("role", QStringLiteral("heading"));
    cmdDateUp = button(this, QStringLiteral("cmdDateUp"), QStringLiteral("▶"), tr("Scroll Forward"),
                       224, 130, 34);
    cmdEstimate = button(this, QStringLiteral("cmdEstimate"), tr("New Estimate"),
                         tr("Create New Estimate"), 300, 130, 120);
    cmdEstimate->setProperty("role", QStringLiteral("primary"));
    cmdEditEstimate = button(this, QStringLiteral("cmdEditEstimate"), tr("Edit"),
                             tr("Edit Estimate"), 426, 130, 84);
    cmdEstimateDelete = button(this, QStringLiteral("cmdEstimateDelete"), tr("Delete"),
                               tr("Delete Estimate"), 516, 130, 84);

    DGEstimatesAll = place<QTableView>(this, QStringLiteral("DGEstimatesAll"), 12, 166, 761, 356);
    DGEstimatesAll->setSelectionBehavior(QAbstractItemView::SelectRows);
    DGEstimatesAll->setSelectionMode(QAbstractItemView::SingleSelection);
    DGEstimatesAll->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DGEstimatesAll->setAlternatingRowColors(true);
    DGEstimatesAll->verticalHeader()->hide();
    DGEstimatesAll->horizontalHeader()->setStretchLastSection(true);

    connect(cmdEditEstimate, &QPushButton::clicked, this, &HomeFrame::cmdEditEstimate_Click);
}

void HomeFrame::applySettings() {
    auto show = [](QLabel* value, QLabel* caption, const QString& text) {
        if (!text.isEmpty()) {
            value->setText(text);
            return;
        }
        value->hide();
        if (caption)
            caption->hide();
    };
    show(lblCompanyName, lblCompanyNameLabel, gSettings ? gSettings->CompanyName() : QString());
    show(lblCompanyAddress, lblCompanyAddressLabel,
         gSettings ? gSettings->CompanyAdress() : QString());
    show(lblCompanyCity, nullptr, gSettings ? gSettings->CompanyCity() : QString());
}

void HomeFrame::reload() {
    // The month's list starts on the current month.
    lblMonthYear->setText(formatMonthYear(QDate::currentDate()));
}

void HomeFrame::editRecord() {
    // As the button does: nothing while it is off.
    if (cmdEditEstimate->isEnabled())
        cmdEditEstimate_Click();
}

void HomeFrame::cmdEditEstimate_Click() {
    emit estimateScreenRequested();
}

void HomeFrame::cmdEstimate_Click() {}

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
}
