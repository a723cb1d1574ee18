#include "estimates/estimatesmonthlist.h"

#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "estimates/estimatebook.h"
#include "settings/gridformat.h"
#include "widgets/recordhelpers.h"
#include "widgets/recordsetmodel.h"
#include "widgets/screencontrols.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QTableView>
#include <QTimer>

namespace {

// The columns of EstimatesAll, in the order the list shows them.
enum Column {
    kEstimateID,
    kReference,
    kCustomer,
    kJob,
    kEstimator,
    kStatus,
    kDate,
    kMaterials,
    kGrandTotal
};
// Shares of the grid's width from the reference number on; the key is hidden.
const QList<double> kColumnFractions = {0.10, 0.18, 0.16, 0.12, 0.09, 0.10, 0.12, 0.13};

// A range on the stored ISO dates rather than functions of them, so the EstimateByDate index
// finds the month's rows and gives them in date order.
const QString kMonthQuery =
    QStringLiteral("SELECT * FROM EstimatesAll WHERE [Date] >= ? AND [Date] < ? "
                   "ORDER BY [Date], EstimateID");

// Every month's estimates whose reference number, customer, job or customer's contact holds the
// typed text, the latest first. The contacts are matched on the customers' table and reach the
// estimates through the EstimateByCustomer index; the sums of the view are taken only for the
// rows found.
const QString kFindQuery = QStringLiteral(
    "SELECT * FROM EstimatesAll WHERE CAST([Reference #] AS TEXT) LIKE ? ESCAPE '\\' "
    "OR Customer LIKE ? ESCAPE '\\' OR Job LIKE ? ESCAPE '\\' "
    "OR EstimateID IN (SELECT EstimateID FROM EstimateTBL WHERE CustomerID IN "
    "(SELECT CustomerID FROM CustomersTBL WHERE ContactName LIKE ? ESCAPE '\\')) "
    "ORDER BY [Date] DESC, EstimateID DESC");

// The typed text as a LIKE pattern that finds it anywhere: its own % and _ are plain characters.
QString containsPattern(QString text) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('%'), QStringLiteral("\\%"))
        .replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + text + QLatin1Char('%');
}

// A pause this long in the typing runs the search.
constexpr int kFindDelayMs = 250;

// Holding an arrow: the first step after 1400 ms, the next after 900, then one every 400.
constexpr int kFirstRepeatMs = 1400;
constexpr int kRepeatSpeedUpMs = 500;

} // namespace

EstimatesMonthList::EstimatesMonthList(QWidget* screen, EstimateBook* estimates)
    : QObject(screen), AdodcEstimatesAll(new DataControl(this)), book(estimates),
      m_model(new RecordSetModel(this)) {
    using Controls::button;
    setObjectName(QStringLiteral("estimatesMonthList"));
    AdodcEstimatesAll->setObjectName(QStringLiteral("AdodcEstimatesAll"));
    AdodcEstimatesAll->setReadOnly(true);

    cmdDateDown = button(screen, QStringLiteral("cmdDateDown"), QStringLiteral("◀"),
                         tr("Scroll Backward"), 12, 130, 34);
    lblMonthYear = Twips::place<QLabel>(screen, QStringLiteral("lblMonthYear"), 50, 130, 170, 28);
    lblMonthYear->setAlignment(Qt::AlignCenter);
    lblMonthYear->setProperty("role", QStringLiteral("heading"));
    cmdDateUp = button(screen, QStringLiteral("cmdDateUp"), QStringLiteral("▶"),
                       tr("Scroll Forward"), 224, 130, 34);

    // The keys are told where the screen reader and What's This look, the tips keep their words.
    cmdDateDown->setWhatsThis(tr("Shows the month before. Alt+Left does the same."));
    cmdDateDown->setAccessibleDescription(cmdDateDown->whatsThis());
    cmdDateUp->setWhatsThis(tr("Shows the month after. Alt+Right does the same."));
    cmdDateUp->setAccessibleDescription(cmdDateUp->whatsThis());

    tmrDateChange = new QTimer(this);
    tmrDateChange->setObjectName(QStringLiteral("tmrDateChange"));
    tmrDateChange->setInterval(0);
    connect(tmrDateChange, &QTimer::timeout, this, &EstimatesMonthList::tmrDateChange_Timer);
    for (auto [arrow, months] : {std::pair{cmdDateDown, -1}, std::pair{cmdDateUp, 1}}) {
        connect(arrow, &QPushButton::pressed, this, [this, arrow] { arrowPressed(arrow); });
        connect(arrow, &QPushButton::released, this, &EstimatesMonthList::arrowReleased);
        connect(arrow, &QPushButton::clicked, this, [this, months] { arrowClicked(months); });
    }
    // The months are a key away from anywhere on the screen.
    m_back = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), screen);
    m_back->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_back, &QShortcut::activated, this, &EstimatesMonthList::cmdDateDown_Click);
    m_forward = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), screen);
    m_forward->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_forward, &QShortcut::activated, this, &EstimatesMonthList::cmdDateUp_Click);

    txtFind = Twips::place<QLineEdit>(screen, QStringLiteral("txtFind"), 12, 166, 761, 24);
    txtFind->setPlaceholderText(tr("Find by reference, customer, job or contact"));
    txtFind->setToolTip(tr("Lists the estimates of every month whose reference number, customer, "
                           "job or contact holds what you type (Ctrl+F). Esc returns to the "
                           "month."));
    // Anywhere in the window while Home is shown: the focus may be on the tab bar, outside it.
    auto* findKey = new QShortcut(QKeySequence::Find, screen);
    findKey->setContext(Qt::WindowShortcut);
    connect(findKey, &QShortcut::activated, this, [this] {
        if (!txtFind->isVisible())
            return;
        txtFind->setFocus(Qt::ShortcutFocusReason);
        txtFind->selectAll();
    });
    txtFind->setAccessibleName(tr("Find estimates"));
    txtFind->setClearButtonEnabled(true);
    txtFind->installEventFilter(this);
    m_findDelay = new QTimer(this);
    m_findDelay->setSingleShot(true);
    m_findDelay->setInterval(kFindDelayMs);
    connect(m_findDelay, &QTimer::timeout, this, [this] { find(txtFind->text()); });
    connect(txtFind, &QLineEdit::textChanged, this, [this](const QString& text) {
        // Clearing the box returns to the month at once; typing waits for a pause.
        if (text.trimmed().isEmpty())
            find(QString());
        else
            m_findDelay->start();
    });

    DGEstimatesAll =
        Twips::place<QTableView>(screen, QStringLiteral("DGEstimatesAll"), 12, 198, 761, 324);
    DGEstimatesAll->setSelectionBehavior(QAbstractItemView::SelectRows);
    DGEstimatesAll->setSelectionMode(QAbstractItemView::SingleSelection);
    DGEstimatesAll->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DGEstimatesAll->setAlternatingRowColors(true);
    DGEstimatesAll->setWordWrap(false);
    DGEstimatesAll->verticalHeader()->hide();
    DGEstimatesAll->horizontalHeader()->setHighlightSections(false);
    DGEstimatesAll->setToolTip(tr("Double-click an estimate, or press Enter, to open it"));

    const QString captions[] = {tr("EstimateID"), tr("Reference #"), tr("Customer"),
                                tr("Job"),        tr("Estimator"),   tr("Status"),
                                tr("Date"),       tr("Materials"),   tr("Total Estimate")};
    static_assert(std::size(captions) == kGrandTotal + 1);
    for (int column = kEstimateID; column <= kGrandTotal; ++column)
        m_model->setCaption(column, captions[column]);
    m_model->setFormat(kDate, DisplayFormat::ShortListDate);
    m_model->setFormat(kMaterials, DisplayFormat::Money);
    // An estimate without material lines has no materials sum: it shows $0.00.
    m_model->setNullValue(kMaterials, 0);
    m_model->setFormat(kGrandTotal, DisplayFormat::Money);
    for (int column : {kReference, kDate})
        m_model->setAlignment(column, Qt::AlignCenter);
    for (int column : {kMaterials, kGrandTotal})
        m_model->setAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    m_model->setHeaderAlignment(Qt::AlignCenter);
    DGEstimatesAll->setModel(m_model);
    // The key stays the first column, for Edit and Delete, but a contractor has no use for it.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        DGEstimatesAll->setColumnHidden(kEstimateID, true);
        fitColumns();
    });
    connect(DGEstimatesAll->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { book->setSelectedEstimate(selectedEstimateId()); });
    connect(DGEstimatesAll, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    emit estimateChosen();
            });
    DGEstimatesAll->installEventFilter(this);
    DGEstimatesAll->viewport()->installEventFilter(this);

    // An empty month says so, in the middle of the grid.
    m_emptyNote = new QLabel(DGEstimatesAll->viewport());
    m_emptyNote->setAlignment(Qt::AlignCenter);
    m_emptyNote->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_emptyNote->setForegroundRole(QPalette::PlaceholderText);
    m_emptyNote->hide();
}

QDate EstimatesMonthList::shownMonth() const {
    if (isSearching())
        return m_month;
    const QDate today = QDate::currentDate();
    return parseMonthYear(lblMonthYear->text()).value_or(QDate(today.year(), today.month(), 1));
}

void EstimatesMonthList::showMonth(const QDate& month) {
    if (isSearching()) {
        m_month = QDate(month.year(), month.month(), 1);
        leaveSearch();
        return;
    }
    lblMonthYear->setText(formatMonthYear(month));
    SetupEstimatesAllGrid();
}

void EstimatesMonthList::find(const QString& text) {
    m_findDelay->stop();
    const QString wanted = text.trimmed();
    if (wanted == m_findText)
        return;
    if (!isSearching())
        m_month = shownMonth();
    m_findText = wanted;
    setArrowsEnabled(!isSearching());
    if (!isSearching())
        lblMonthYear->setText(formatMonthYear(m_month));
    SetupEstimatesAllGrid();
}

QVariantList EstimatesMonthList::findValues(const QString& text) {
    const QString pattern = containsPattern(text.trimmed());
    return {pattern, pattern, pattern, pattern};
}

void EstimatesMonthList::leaveSearch() {
    // Emptying the box leaves the search through its textChanged.
    txtFind->clear();
    find(QString());
}

void EstimatesMonthList::setArrowsEnabled(bool enabled) {
    if (!enabled)
        arrowReleased();
    for (QPushButton* arrow : {cmdDateDown, cmdDateUp})
        arrow->setEnabled(enabled);
    for (QShortcut* key : {m_back, m_forward})
        key->setEnabled(enabled);
}

void EstimatesMonthList::SetupEstimatesAllGrid() {
    const int keep = book->selectedEstimate();
    AdodcEstimatesAll->setConnectionString(gConnectionString);
    if (isSearching()) {
        AdodcEstimatesAll->setRecordSource(kFindQuery, findValues(m_findText));
    } else {
        const QDate first = shownMonth();
        AdodcEstimatesAll->setRecordSource(kMonthQuery, {first, first.addMonths(1)});
    }
    const bool loaded = AdodcEstimatesAll->refresh();
    // The grid shows the data control's own rows; nothing is copied.
    m_model->setRecordSet(loaded ? AdodcEstimatesAll->recordSet() : nullptr);
    if (!loaded)
        ShowDatabaseError(AdodcEstimatesAll->connection(), AdodcEstimatesAll->lastError(),
                          QStringLiteral("frmMain / SetupEstimatesAllGrid"));
    selectEstimate(keep);
    if (isSearching())
        lblMonthYear->setText(listedCount() == 1 ? tr("1 found")
                                                 : tr("%1 found").arg(listedCount()));
    showEmptyMonthNote(listedCount() == 0);
    emit listed(listedCount());
}

int EstimatesMonthList::listedCount() const {
    return m_model->recordCount();
}

int EstimatesMonthList::selectedEstimateId() const {
    const QModelIndex current = DGEstimatesAll->currentIndex();
    return current.isValid() ? m_model->value(current.row(), kEstimateID).toInt() : 0;
}

// The estimate's row, or the first one when it is not listed.
void EstimatesMonthList::selectEstimate(int estimateId) {
    const int rows = listedCount();
    int row = 0;
    for (int i = 0; i < rows; ++i)
        if (m_model->value(i, kEstimateID).toInt() == estimateId) {
            row = i;
            break;
        }
    if (rows > 0) {
        const QModelIndex index = m_model->index(row, kReference);
        DGEstimatesAll->setCurrentIndex(index);
        DGEstimatesAll->scrollTo(index);
    }
    book->setSelectedEstimate(selectedEstimateId());
}

void EstimatesMonthList::showEmptyMonthNote(bool empty) {
    m_emptyNote->setText(isSearching() ? tr("No estimate matches \u201c%1\u201d").arg(m_findText)
                                       : tr("No estimates in %1").arg(lblMonthYear->text()));
    m_emptyNote->setGeometry(DGEstimatesAll->viewport()->rect());
    m_emptyNote->setVisible(empty);
}

void EstimatesMonthList::fitColumns() {
    setColumnFractions(DGEstimatesAll, kReference, kColumnFractions);
}

void EstimatesMonthList::cmdDateDown_Click() {
    stepMonth(-1);
}

void EstimatesMonthList::cmdDateUp_Click() {
    stepMonth(1);
}

void EstimatesMonthList::stepMonth(int months) {
    // The months rest while the list shows what was found.
    if (isSearching())
        return;
    showMonth(shownMonth().addMonths(months));
}

void EstimatesMonthList::arrowPressed(QPushButton* arrow) {
    m_heldArrow = arrow;
    m_repeated = false;
    tmrDateChange->start(kFirstRepeatMs);
}

void EstimatesMonthList::arrowReleased() {
    tmrDateChange->stop();
    tmrDateChange->setInterval(0);
    m_heldArrow = nullptr;
}

void EstimatesMonthList::arrowClicked(int months) {
    // A hold that already stepped is not a click as well: the months move only while held.
    if (m_repeated) {
        m_repeated = false;
        return;
    }
    stepMonth(months);
}

void EstimatesMonthList::tmrDateChange_Timer() {
    const int interval = tmrDateChange->interval();
    if (interval == 0 || !m_heldArrow)
        return;
    if (interval > kRepeatSpeedUpMs)
        tmrDateChange->setInterval(interval - kRepeatSpeedUpMs);
    m_repeated = true;
    if (m_heldArrow == cmdDateDown)
        cmdDateDown_Click();
    else
        cmdDateUp_Click();
}

bool EstimatesMonthList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtFind && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape && (isSearching() || !txtFind->text().isEmpty())) {
            leaveSearch();
            return true;
        }
        // Down goes on to the estimates found, as in a search field of any list.
        if (key == Qt::Key_Down) {
            DGEstimatesAll->setFocus(Qt::TabFocusReason);
            return true;
        }
    } else if (watched == DGEstimatesAll && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            DGEstimatesAll->currentIndex().isValid()) {
            emit estimateChosen();
            return true;
        }
    } else if (watched == DGEstimatesAll->viewport() && event->type() == QEvent::Resize) {
        m_emptyNote->setGeometry(DGEstimatesAll->viewport()->rect());
        fitColumns();
    }
    return QObject::eventFilter(watched, event);
}
