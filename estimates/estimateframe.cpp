#include "estimates/estimateframe.h"

#include "data/datacontrol.h"
#include "data/globals.h"
#include "estimates/estimatebook.h"
#include "estimates/estimateheader.h"
#include "estimates/estimatelines.h"
#include "estimates/estimatetotals.h"
#include "estimates/laborlines.h"
#include "estimates/materiallines.h"
#include "widgets/datanavigator.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/screencontrols.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

EstimateFrame::EstimateFrame(QWidget* parent, EstimateBook* estimates)
    : QGroupBox(parent), book(estimates), header(new EstimateHeader(this, estimates)),
      lines(new EstimateLines(this)),
      totals(new EstimateTotalsPanel(this, header->txtTaxRate, header->txtShippning)),
      txtQuoteNumber(header->txtQuoteNumber), cbEstimator(header->cbEstimator),
      cbQuoteStatus(header->cbQuoteStatus), txtTaxRate(header->txtTaxRate),
      txtShippning(header->txtShippning),
      cmdEstimateSaveCurrentRecord(header->cmdEstimateSaveCurrentRecord),
      dcEstimates(header->dcEstimates), grdMaterialEstimate(lines->grdMaterialEstimate),
      btnMaterialEstimate(lines->btnMaterialEstimate),
      cmdUpdateCosts(Controls::button(this, QStringLiteral("cmdUpdateCosts"), tr("Update &Costs"),
                                      tr("Update Costs From Catalogue"), 118, 292, 104, 26)),
      grdLaborEstimate(lines->grdLaborEstimate), txtSubtotal(totals->txtSubtotal),
      txtTax(totals->txtTax), txtTotalEstimate(totals->txtTotalEstimate),
      txtTotalMaterialCost(totals->txtTotalMaterialCost),
      txtTotalMaterialMargin(totals->txtTotalMaterialMargin),
      txtTotalMaterailExtension(totals->txtTotalMaterailExtension),
      txtTotalLabourExtension(totals->txtTotalLabourExtension) {
    setObjectName(QStringLiteral("frEstimating"));
    setTitle(tr("Estimate"));

    QList<QWidget*> order = header->tabOrder();
    order += QList<QWidget*>{grdMaterialEstimate, btnMaterialEstimate, cmdUpdateCosts,
                             grdLaborEstimate, dcEstimates};
    connect(cmdUpdateCosts, &QPushButton::clicked, this, &EstimateFrame::updateCosts);
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // A line carries its estimate's key, so a new estimate is written before its first line.
    lines->setEstimateWriter([this] { return header->hasReference() && save(); });
    // No line may take the totals beyond what a quote can show.
    const auto withinRange = [this](Money materials, Money cost, Money labor) {
        return totals->staysWithinRange(materials, cost, labor);
    };
    lines->material->setTotalsCheck(withinRange);
    lines->labor->setTotalsCheck(withinRange);
    connect(lines, &EstimateLines::materialLinesChanged, this,
            [this] { totals->UpdateMaterialExtension(lines->materialLines()); });
    connect(lines, &EstimateLines::laborLinesChanged, this,
            [this] { totals->UpdateLaborExtension(lines->laborLines()); });
    connect(header, &EstimateHeader::lineEntryRuleChanged, this,
            &EstimateFrame::ApplyLineEntryRule);
    connect(header, &EstimateHeader::taxOrShippingChanged, this,
            [this] { totals->UpdEstimateTotals(gCurrentEstimateID, book->records()); });
    connect(book, &EstimateBook::saved, this, &EstimateFrame::recordSaved);
    connect(book, &EstimateBook::newEstimateStarted, this, [this] {
        totals->clear();
        header->prepareNewEstimate();
        ApplyLineEntryRule();
    });
}

void EstimateFrame::reloadLater() {
    if (!book->removeUnnumbered())
        ShowDatabaseError(gConnection, book->lastError(),
                          QStringLiteral("frmMain / InitDBControls"));
    m_reloadPending = true;
    book->setOpenFirst([this] { finishReload(); });
}

void EstimateFrame::finishReload() {
    if (m_reloadPending)
        reload();
}

void EstimateFrame::reload() {
    m_reloadPending = false;
    book->setOpenFirst({});
    if (!book->load())
        ShowDatabaseError(book->dcEstimates->connection(), book->lastError(),
                          QStringLiteral("frmMain / InitDBControls"));
    header->SetupEstimatesControls();
    // Connected once the fields are bound, so that they show the new record before the rule
    // reads the reference number.
    if (!m_moveConnected) {
        m_moveConnected = true;
        connect(book->dcEstimates, &DataControl::moveComplete, this,
                &EstimateFrame::dcEstimates_MoveComplete);
    }
    dcEstimates_MoveComplete();
    ApplyLineEntryRule();
}

void EstimateFrame::dcEstimates_MoveComplete() {
    gCurrentEstimateID = book->currentEstimateId();
    lines->showLinesOf(gCurrentEstimateID);
    totals->UpdEstimateTotals(gCurrentEstimateID, book->records());
    const bool hasReference = header->hasReference();
    lines->setAddMaterialsEnabled(hasReference);
    enableUpdateCosts(hasReference);
    emit saveEnabledChanged(hasReference);
}

void EstimateFrame::enableUpdateCosts(bool enabled) {
    cmdUpdateCosts->setEnabled(enabled);
    // Disabled, it says what it waits for, as Add Materials does.
    cmdUpdateCosts->setToolTip(enabled ? tr("Update Costs From Catalogue")
                                       : tr("Type a reference number first"));
}

void EstimateFrame::ApplyLineEntryRule() {
    const bool hasReference = header->hasReference();
    lines->setLineEntryEnabled(hasReference);
    enableUpdateCosts(hasReference);
    emit saveEnabledChanged(hasReference);
}

void EstimateFrame::activate() {
    finishReload();
    // A new estimate stays current; otherwise the estimate chosen on Home is opened.
    const bool started = book->takeNewEstimateFlag();
    if (!started && book->selectedEstimate() > 0 &&
        book->selectedEstimate() != book->currentEstimateId())
        book->open(book->selectedEstimate());
    ApplyLineEntryRule();
    // A new estimate starts at its reference number, now that the screen can take the focus
    // (the first estimate of a file is started while the screen's tab is still disabled).
    if (started)
        txtQuoteNumber->setFocus(Qt::OtherFocusReason);
}

bool EstimateFrame::deactivate() {
    RecordSet* records = book->records();
    if (!records)
        return true;
    if (header->hasReference())
        return records->editMode() == RecordSet::EditNone || save();
    if (records->editMode() == RecordSet::EditNone)
        return true;
    // Without a reference number the estimate cannot be stored; its changes are dropped only
    // when the user says so.
    const auto answer =
        showMessage(tr("This estimate has no reference number, so it cannot be saved. Discard "
                       "its changes?"),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                    QCoreApplication::applicationName());
    if (answer != QMessageBox::Yes) {
        txtQuoteNumber->setFocus(Qt::OtherFocusReason);
        return false;
    }
    book->clearNewEstimateFlag();
    records->cancelUpdate();
    return true;
}

bool EstimateFrame::canLeave() {
    // Closing the window leaves no focus behind that would write a line being typed.
    lines->writeNewLines();
    RecordSet* records = book->records();
    if (!records || records->editMode() == RecordSet::EditNone)
        return true;
    if (!header->hasReference())
        return deactivate();
    switch (showMessage(tr("The estimate has changes that are not saved. Do you want to save "
                           "them?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                        QMessageBox::Question, QCoreApplication::applicationName())) {
    case QMessageBox::Yes:
        return save();
    case QMessageBox::No:
        records->cancelUpdate();
        return true;
    default:
        return false;
    }
}

bool EstimateFrame::canSave() const {
    return header->hasReference();
}

bool EstimateFrame::save() {
    return header->cmdEstimateSaveCurrentRecord_Click();
}

LayoutRows EstimateFrame::layoutRows() const {
    // The material lines take this share of the window's growth in height, the labor lines most
    // of the rest; the buttons under the material lines and their totals move with them.
    constexpr float kMaterialShare = 0.28f;
    return LayoutRows{{grdMaterialEstimate, 0, 0, 1, kMaterialShare},
                      {grdLaborEstimate, 0, kMaterialShare, 1, 0.9f},
                      {btnMaterialEstimate, 0, kMaterialShare, 0, kMaterialShare},
                      {cmdUpdateCosts, 0, kMaterialShare, 0, kMaterialShare}} +
           header->layoutRows() + totals->layoutRows(kMaterialShare);
}

void EstimateFrame::applyColumnFractions() {
    lines->applyColumnFractions();
}
