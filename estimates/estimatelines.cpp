#include "estimates/estimatelines.h"

#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "settings/gridformat.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"
#include "widgets/screencontrols.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>

using namespace Controls;
using Twips::place;

namespace {

// The material lines' columns, in the order the grid shows them; the first three hold keys.
struct Column {
    const char* caption;
    QString format;
    bool number = false; // shown right-aligned, as amounts are
};
const QList<Column> kMaterialColumns = {{"MaterialEstimateID", {}},
                                        {"MaterialsID", {}},
                                        {"EstimateID", {}},
                                        {"Qty", {}, true},
                                        {"Part #", {}},
                                        {"Description", {}},
                                        {"Unit Cost", DisplayFormat::Money},
                                        {"Total Cost", DisplayFormat::Money},
                                        {"Price", DisplayFormat::Money},
                                        {" Extension", DisplayFormat::Money},
                                        {"  Margin", DisplayFormat::Percent1}};
constexpr int kMaterialKeys = 3;
constexpr int kMaterialDescription = 5;
const QList<Column> kLaborColumns = {{"LaborEstimateID", {}},
                                     {"EstimateID", {}},
                                     {"Hours", {}, true},
                                     {"Description", {}},
                                     {"Rate", DisplayFormat::Money},
                                     {"Extension", DisplayFormat::Money}};
constexpr int kLaborKeys = 2;
constexpr int kLaborDescription = 3;

// The columns' shares of the grid's width, from the quantity (hours) on; the description is the
// third and takes what the others leave.
const QList<double> kMaterialFractions = {0.0528, 0.1057, 0.345,  0.0885,
                                          0.0885, 0.0885, 0.0885, 0.0885};
const QList<double> kLaborFractions = {0.0806, 0.712, 0.0885, 0.0885};
constexpr int kNarrowestDescription = 120;

// Gives the columns their shares, then the whole width: a cut-off amount or part number would
// mislead, so such a column keeps room for the text it shows and the description gives it up.
void fitLineColumns(QTableView* grid, int first, const QList<double>& fractions, int description) {
    setColumnFractions(grid, first, fractions);
    int spare = grid->viewport()->width();
    for (int column = first; column < first + fractions.size(); ++column) {
        if (column != description) {
            // Public through the base class: the widest text among the rows shown.
            const auto* view = static_cast<const QAbstractItemView*>(grid);
            const int needed = std::max(view->sizeHintForColumn(column),
                                        grid->horizontalHeader()->sectionSizeHint(column));
            grid->setColumnWidth(column, std::max(grid->columnWidth(column), needed));
        }
        spare -= grid->columnWidth(column);
    }
    grid->setColumnWidth(description,
                         std::max(kNarrowestDescription, grid->columnWidth(description) + spare));
}

QTableView* lineGrid(QWidget* parent, const QString& name, double top, double height,
                     RecordSetModel* model, const QList<Column>& columns) {
    auto* grid = place<QTableView>(parent, name, 12, top, 761, height);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->setDefaultSectionSize(24);
    grid->verticalHeader()->setMinimumWidth(18);
    grid->horizontalHeader()->setHighlightSections(false);
    for (int i = 0; i < columns.size(); ++i) {
        model->setCaption(i, QString::fromLatin1(columns[i].caption));
        if (!columns[i].format.isEmpty())
            model->setFormat(i, columns[i].format);
        if (!columns[i].format.isEmpty() || columns[i].number)
            model->setAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
    }
    model->setRecordSelectors(true);
    grid->setModel(model);
    return grid;
}

} // namespace

EstimateLines::EstimateLines(QWidget* screen)
    : QObject(screen), dcMaterialEstimate(new DataControl(this)),
      dcLaborEstimate(new DataControl(this)), m_materialModel(new RecordSetModel(this)),
      m_laborModel(new RecordSetModel(this)) {
    setObjectName(QStringLiteral("estimateLines"));
    dcMaterialEstimate->setObjectName(QStringLiteral("dcMaterialEstimate"));
    dcLaborEstimate->setObjectName(QStringLiteral("dcLaborEstimate"));
    grdMaterialEstimate = lineGrid(screen, QStringLiteral("grdMaterialEstimate"), 134, 152,
                                   m_materialModel, kMaterialColumns);
    grdMaterialEstimate->setToolTip(tr("Material lines of the estimate"));
    btnMaterialEstimate = button(screen, QStringLiteral("btnMaterialEstimate"),
                                 tr("&Add Materials"), tr("Add Material Items"), 12, 292, 120, 26);
    grdLaborEstimate =
        lineGrid(screen, QStringLiteral("grdLaborEstimate"), 326, 160, m_laborModel, kLaborColumns);
    grdLaborEstimate->setToolTip(tr("Labor lines of the estimate"));
    for (QTableView* grid : {grdMaterialEstimate, grdLaborEstimate})
        grid->viewport()->installEventFilter(this);
    for (DataControl* lines : {dcMaterialEstimate, dcLaborEstimate})
        connect(lines, &DataControl::recordSetChanged, this, [this, lines](RecordSet* records) {
            (lines == dcMaterialEstimate ? m_materialModel : m_laborModel)->setRecordSet(records);
        });
}

bool EstimateLines::showLinesOf(int estimateId) {
    bool ok = true;
    const QVariantList key = {estimateId};
    dcMaterialEstimate->setConnectionString(gConnectionString);
    dcMaterialEstimate->setRecordSource(
        QStringLiteral(
            "SELECT * FROM MaterialEstimateTBL WHERE MaterialEstimateTBL.EstimateID = ?"),
        key);
    dcLaborEstimate->setConnectionString(gConnectionString);
    dcLaborEstimate->setRecordSource(
        QStringLiteral("SELECT * FROM LaborEstimateTBL WHERE EstimateID = ?"), key);
    for (DataControl* lines : {dcMaterialEstimate, dcLaborEstimate})
        if (!lines->refresh()) {
            ok = false;
            const DbError& error = lines->lastError();
            showMessage(QString::number(error.number) + QStringLiteral(" - ") + error.description,
                        QMessageBox::Ok, QMessageBox::NoIcon, QStringLiteral("Move Complete"));
        }
    // The keys are the program's, not the user's.
    for (int column = 0; column < kMaterialKeys; ++column)
        grdMaterialEstimate->setColumnHidden(column, true);
    for (int column = 0; column < kLaborKeys; ++column)
        grdLaborEstimate->setColumnHidden(column, true);
    applyColumnFractions();
    return ok;
}

void EstimateLines::setLineEntryEnabled(bool enabled) {
    grdMaterialEstimate->setEnabled(enabled);
    grdLaborEstimate->setEnabled(enabled);
    btnMaterialEstimate->setEnabled(enabled);
}

void EstimateLines::setAddMaterialsEnabled(bool enabled) {
    btnMaterialEstimate->setEnabled(enabled);
}

RecordSet* EstimateLines::materialLines() const {
    return dcMaterialEstimate->recordSet();
}

RecordSet* EstimateLines::laborLines() const {
    return dcLaborEstimate->recordSet();
}

void EstimateLines::applyColumnFractions() {
    fitLineColumns(grdMaterialEstimate, kMaterialKeys, kMaterialFractions, kMaterialDescription);
    fitLineColumns(grdLaborEstimate, kLaborKeys, kLaborFractions, kLaborDescription);
}

bool EstimateLines::eventFilter(QObject* watched, QEvent* event) {
    // A grid on a hidden tab learns its width only when shown: the columns follow it then.
    if (event->type() == QEvent::Resize)
        applyColumnFractions();
    return QObject::eventFilter(watched, event);
}
