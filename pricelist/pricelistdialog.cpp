#include "pricelist/pricelistdialog.h"

#include "data/backup.h"
#include "data/connection.h"
#include "data/database.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/partialfile.h"
#include "materials/addtolist.h"
#include "pricelist/backgroundwork.h"
#include "pricelist/mappingmemory.h"
#include "widgets/filedialog.h"
#include "widgets/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Import Price List");

void tell(const QString& text) {
    showMessage(text, QMessageBox::Ok, QMessageBox::Warning, kTitle);
}

QTableView* makeGrid(QWidget* parent, const char* name) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->horizontalHeader()->setHighlightSections(false);
    return grid;
}

// "1 price changed", "2 prices changed": the count as the display locale writes it.
QString counted(qint64 count, const QString& one, const QString& many) {
    return displayLocale().toString(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    label->setFont(bold);
    return label;
}
} // namespace

frmImportPriceList::frmImportPriceList(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmImportPriceList"));
    setWindowTitle(kTitle);
    pages = new QStackedWidget(this);
    pages->addWidget(makeFilePage());
    pages->addWidget(makeMappingPage());
    pages->addWidget(makePreviewPage());
    pages->addWidget(makeReportPage());

    barProgress = new QProgressBar(this);
    barProgress->setObjectName(QStringLiteral("barProgress"));
    barProgress->setTextVisible(false);
    barProgress->hide();
    cmdStop = new QPushButton(tr("S&top"), this);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setToolTip(tr("Stop the work; nothing is changed"));
    cmdStop->hide();
    cmdBack = new QPushButton(tr("< &Back"), this);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdNext = new QPushButton(tr("&Next >"), this);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdNext->setDefault(true);
    cmdClose = new QPushButton(tr("Cancel"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    m_work = new BackgroundWork(barProgress, cmdStop, this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(barProgress, 1);
    buttons->addWidget(cmdStop);
    buttons->addStretch();
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdNext);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages, 1);
    layout->addLayout(buttons);

    connect(cmdBack, &QPushButton::clicked, this, &frmImportPriceList::cmdBack_Click);
    connect(cmdNext, &QPushButton::clicked, this, &frmImportPriceList::cmdNext_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmImportPriceList::reject);
    // The preview's eight columns want room: as wide as the screen allows, up to 1,200 pixels.
    resize(std::min(1200, screen()->availableGeometry().width() * 9 / 10), 640);
    showStep(ChooseFile);
}

frmImportPriceList::~frmImportPriceList() = default;

QWidget* frmImportPriceList::makeFilePage() {
    auto* page = new QWidget(this);
    txtFile = new QLineEdit(page);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    txtFile->setPlaceholderText(tr("A CSV file or an Excel workbook (.xlsx)"));
    cmdBrowse = new QPushButton(tr("&Browse..."), page);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    cbSheet = new QComboBox(page);
    cbSheet->setObjectName(QStringLiteral("cbSheet"));
    cbSheet->setToolTip(tr("The sheet of the workbook that holds the prices"));
    cbSheet->setEnabled(false);
    lblFileKind = new QLabel(page);
    lblFileKind->setObjectName(QStringLiteral("lblFileKind"));
    cbSupplier = new QComboBox(page);
    cbSupplier->setObjectName(QStringLiteral("cbSupplier"));
    cbSupplier->setEditable(true);
    cbSupplier->setInsertPolicy(QComboBox::NoInsert);
    cbSupplier->setToolTip(tr("The supplier the price list comes from; its materials are matched "
                              "by part number"));
    fillLookup(cbSupplier,
               QStringLiteral("SELECT SuppliersID, Company FROM SuppliersTBL "
                              "ORDER BY Company COLLATE NOCASE"),
               false);
    cbSupplier->setCurrentIndex(-1);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(txtFile, 1);
    fileRow->addWidget(cmdBrowse);
    auto* form = new QFormLayout;
    auto* fileLabel = new QLabel(tr("&File:"), page);
    fileLabel->setBuddy(txtFile);
    form->addRow(fileLabel, fileRow);
    form->addRow(tr("S&heet:"), cbSheet);
    form->addRow(QString(), lblFileKind);
    form->addRow(tr("&Supplier:"), cbSupplier);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(tr("Choose the price list and its supplier"), page));
    layout->addWidget(new QLabel(tr("Columns are chosen in the next step. Nothing changes in the "
                                    "catalogue until you apply the preview."),
                                 page));
    layout->addLayout(form);
    auto* hints = new QLabel(
        tr("<p>A price list is a CSV file (comma, semicolon or tab between the columns) or an "
           "Excel workbook (.xlsx). It needs a column of part numbers and a column of prices; "
           "descriptions, manufacturers and categories are used for new materials.</p>"
           "<p>Materials are matched to the supplier's by part number, without regard to "
           "blanks around it or to letter case. Prices are written with a point before the "
           "cents: 12.50, $1,234.50.</p>"),
        page);
    hints->setObjectName(QStringLiteral("lblHints"));
    hints->setWordWrap(true);
    hints->setStyleSheet(QStringLiteral("color: #4a5560;"));
    layout->addSpacing(12);
    layout->addWidget(hints);
    layout->addStretch();
    connect(cmdBrowse, &QPushButton::clicked, this, &frmImportPriceList::cmdBrowse_Click);
    return page;
}

QWidget* frmImportPriceList::makeMappingPage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout;
    const char* names[ColumnMapping::RoleCount] = {"cbPartNumberColumn", "cbUnitCostColumn",
                                                   "cbDescriptionColumn", "cbManufacturerColumn",
                                                   "cbCategoryColumn"};
    const char* labels[ColumnMapping::RoleCount] = {
        "&Part number:", "&Unit cost:", "&Description:", "&Manufacturer:", "Cate&gory:"};
    for (int role = 0; role < ColumnMapping::RoleCount; ++role) {
        cbColumn[role] = new QComboBox(page);
        cbColumn[role]->setObjectName(QString::fromLatin1(names[role]));
        form->addRow(tr(labels[role]), cbColumn[role]);
    }
    cbColumn[ColumnMapping::PartNumber]->setToolTip(tr("Required: materials are matched by it"));
    cbColumn[ColumnMapping::UnitCost]->setToolTip(tr("Required: the new unit cost"));
    chkHeaderRow = new QCheckBox(tr("&The first row holds the column names"), page);
    chkHeaderRow->setObjectName(QStringLiteral("chkHeaderRow"));
    chkHeaderRow->setChecked(true);
    form->addRow(QString(), chkHeaderRow);
    grdSample = makeGrid(page, "grdSample");
    m_sampleModel = new PriceListSampleModel(this);
    grdSample->setModel(m_sampleModel);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(tr("Which column holds what"), page));
    layout->addLayout(form);
    layout->addWidget(new QLabel(tr("The first rows of the list:"), page));
    layout->addWidget(grdSample, 1);
    connect(chkHeaderRow, &QCheckBox::toggled, this, [this] {
        const ColumnMapping kept = mapping();
        showMapping();
        for (int role = 0; role < ColumnMapping::RoleCount; ++role)
            cbColumn[role]->setCurrentIndex(kept.columns[role] + 1);
    });
    return page;
}

QWidget* frmImportPriceList::makePreviewPage() {
    auto* page = new QWidget(this);
    lblCounts = new QLabel(page);
    lblCounts->setObjectName(QStringLiteral("lblCounts"));
    lblCounts->setWordWrap(true);
    spnFlagPercent = new QDoubleSpinBox(page);
    spnFlagPercent->setObjectName(QStringLiteral("spnFlagPercent"));
    spnFlagPercent->setRange(0, 10000);
    spnFlagPercent->setDecimals(0);
    spnFlagPercent->setSuffix(QStringLiteral("%"));
    spnFlagPercent->setValue(25);
    spnFlagPercent->setToolTip(tr("A price that changes by more than this is marked for a second "
                                  "look"));
    cbShow = new QComboBox(page);
    cbShow->setObjectName(QStringLiteral("cbShow"));
    cbShow->addItem(tr("All rows"), -1);
    cbShow->addItem(tr("Price changes"), PriceListPreviewModel::Changed);
    cbShow->addItem(tr("Large changes to check"), PriceListPreviewModel::Flagged);
    cbShow->addItem(tr("New materials"), PriceListPreviewModel::New);
    cbShow->addItem(tr("Listed under another supplier"), PriceListPreviewModel::ListedElsewhere);
    cbShow->addItem(tr("Refused rows"), PriceListPreviewModel::Refused);
    txtSearch = new QLineEdit(page);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setPlaceholderText(tr("Search part numbers and descriptions"));
    txtSearch->setClearButtonEnabled(true);
    grdPreview = makeGrid(page, "grdPreview");
    m_previewModel = new PriceListPreviewModel(this);
    m_previewFilter = new PriceListPreviewFilter(this);
    m_previewFilter->setSourceModel(m_previewModel);
    grdPreview->setModel(m_previewFilter);
    grdPreview->setSortingEnabled(true);
    grdPreview->sortByColumn(PriceListPreviewModel::Row, Qt::AscendingOrder);
    // The notes take what the other columns leave.
    grdPreview->horizontalHeader()->setSectionResizeMode(PriceListPreviewModel::Note,
                                                         QHeaderView::Stretch);
    chkAddNew = new QCheckBox(tr("Add ne&w materials"), page);
    chkAddNew->setObjectName(QStringLiteral("chkAddNew"));
    chkAddNew->setToolTip(tr("Part numbers no supplier has a material for become new materials "
                             "of this supplier; a part number listed under another supplier "
                             "only when its row is ticked"));
    chkCreateNames = new QCheckBox(tr("Add &missing manufacturers and categories"), page);
    chkCreateNames->setObjectName(QStringLiteral("chkCreateNames"));
    cbDefaultManufacturer = new QComboBox(page);
    cbDefaultManufacturer->setObjectName(QStringLiteral("cbDefaultManufacturer"));
    cbDefaultManufacturer->setToolTip(tr("For a new material whose manufacturer is not given"));
    fillLookup(cbDefaultManufacturer,
               QStringLiteral("SELECT ManufacturerID, ManufacturerName FROM ManufacturersTBL "
                              "ORDER BY ManufacturerName COLLATE NOCASE"),
               true);
    cbDefaultCategory = new QComboBox(page);
    cbDefaultCategory->setObjectName(QStringLiteral("cbDefaultCategory"));
    cbDefaultCategory->setToolTip(tr("For a new material whose category is not given"));
    fillLookup(cbDefaultCategory,
               QStringLiteral("SELECT CatagoryID, Catagory FROM CatagoryTBL "
                              "ORDER BY Catagory COLLATE NOCASE"),
               true);

    auto* filters = new QHBoxLayout;
    auto* showLabel = new QLabel(tr("S&how:"), page);
    showLabel->setBuddy(cbShow);
    auto* flagLabel = new QLabel(tr("Mark &changes over:"), page);
    flagLabel->setBuddy(spnFlagPercent);
    filters->addWidget(showLabel);
    filters->addWidget(cbShow);
    filters->addWidget(txtSearch, 1);
    filters->addWidget(flagLabel);
    filters->addWidget(spnFlagPercent);
    auto* newRows = new QHBoxLayout;
    newRows->addWidget(chkAddNew);
    newRows->addWidget(chkCreateNames);
    newRows->addStretch();
    auto* defaults = new QHBoxLayout;
    auto* manufacturerLabel = new QLabel(tr("Defaults: ma&nufacturer"), page);
    manufacturerLabel->setBuddy(cbDefaultManufacturer);
    auto* categoryLabel = new QLabel(tr("categ&ory"), page);
    categoryLabel->setBuddy(cbDefaultCategory);
    defaults->addWidget(manufacturerLabel);
    defaults->addWidget(cbDefaultManufacturer, 1);
    defaults->addWidget(categoryLabel);
    defaults->addWidget(cbDefaultCategory, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(tr("What the list would change"), page));
    layout->addWidget(lblCounts);
    layout->addLayout(filters);
    layout->addWidget(grdPreview, 1);
    layout->addLayout(newRows);
    layout->addLayout(defaults);

    connect(cbShow, &QComboBox::currentIndexChanged, this,
            [this] { m_previewFilter->setKind(cbShow->currentData().toInt()); });
    connect(txtSearch, &QLineEdit::textChanged, m_previewFilter,
            &PriceListPreviewFilter::setSearch);
    connect(spnFlagPercent, &QDoubleSpinBox::valueChanged, this,
            &frmImportPriceList::applyFlagPercent);
    for (QWidget* w :
         {static_cast<QWidget*>(chkCreateNames), static_cast<QWidget*>(cbDefaultManufacturer),
          static_cast<QWidget*>(cbDefaultCategory)})
        w->setEnabled(false);
    connect(chkAddNew, &QCheckBox::toggled, this, [this](bool on) {
        for (QWidget* w :
             {static_cast<QWidget*>(chkCreateNames), static_cast<QWidget*>(cbDefaultManufacturer),
              static_cast<QWidget*>(cbDefaultCategory)})
            w->setEnabled(on);
        // The rows listed under another supplier get their tick boxes, room included.
        m_previewModel->setTicksShown(on);
        fitPreviewColumns();
    });
    return page;
}

QWidget* frmImportPriceList::makeReportPage() {
    auto* page = new QWidget(this);
    lblReport = new QLabel(page);
    lblReport->setObjectName(QStringLiteral("lblReport"));
    grdReport = makeGrid(page, "grdReport");
    m_reportModel = new QStandardItemModel(this);
    grdReport->setModel(m_reportModel);
    cmdSaveReport = new QPushButton(tr("&Save Report..."), page);
    cmdSaveReport->setObjectName(QStringLiteral("cmdSaveReport"));
    cmdSaveReport->setToolTip(tr("Save the changes as a CSV file"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(tr("What was changed"), page));
    layout->addWidget(lblReport);
    layout->addWidget(grdReport, 1);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cmdSaveReport);
    layout->addLayout(row);
    connect(cmdSaveReport, &QPushButton::clicked, this, &frmImportPriceList::cmdSaveReport_Click);
    return page;
}

void frmImportPriceList::fillLookup(QComboBox* combo, const QString& sql, bool withNone) {
    combo->clear();
    if (withNone)
        combo->addItem(tr("(none)"), 0);
    if (!gConnection || !gConnection->isOpen())
        return;
    Statement list(gConnection->database(), sql);
    while (list.next())
        combo->addItem(list.value(1).toString(), list.integer(0));
}

frmImportPriceList::Step frmImportPriceList::step() const {
    return Step(pages->currentIndex());
}

void frmImportPriceList::showStep(Step step) {
    pages->setCurrentIndex(step);
    cmdBack->setVisible(step == MapColumns || step == Preview);
    cmdNext->setVisible(step != Report);
    cmdNext->setText(step == Preview ? tr("&Apply") : tr("&Next >"));
    cmdNext->setToolTip(step == Preview ? tr("Change the catalogue as the preview shows, in one "
                                             "step")
                                        : QString());
    cmdClose->setText(step == Report ? tr("Close") : tr("Cancel"));
    QWidget* first = step == ChooseFile   ? static_cast<QWidget*>(txtFile)
                     : step == MapColumns ? static_cast<QWidget*>(cbColumn[0])
                     : step == Preview    ? static_cast<QWidget*>(grdPreview)
                                          : static_cast<QWidget*>(grdReport);
    first->setFocus();
}

void frmImportPriceList::reject() {
    // Closing while work runs stops it first.
    if (m_work->isRunning()) {
        cmdStop->click();
        return;
    }
    QDialog::reject();
}

void frmImportPriceList::cmdBrowse_Click() {
    FileDialogRequest request;
    request.title = tr("Choose a Price List");
    request.filter = tr("Price lists (*.csv *.txt *.xlsx);;All files (*)");
    request.folder = txtFile->text().isEmpty()
                         ? QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)
                         : QFileInfo(txtFile->text()).absolutePath();
    const QString path = askForFileName(request, this);
    if (!path.isEmpty())
        txtFile->setText(QDir::toNativeSeparators(path));
}

void frmImportPriceList::cmdBack_Click() {
    showStep(Step(std::max(0, pages->currentIndex() - 1)));
}

void frmImportPriceList::cmdNext_Click() {
    switch (step()) {
    case ChooseFile:
        if (chooseSupplier() && readFile()) {
            showMapping();
            showStep(MapColumns);
        }
        break;
    case MapColumns:
        if (makePreview())
            showStep(Preview);
        break;
    case Preview:
        if (apply())
            showStep(Report);
        break;
    case Report:
        break;
    }
}

void frmImportPriceList::runInBackground(
    const std::function<void(const PriceListProgress&)>& work) {
    const QList<QWidget*> busy = {pages, cmdBack, cmdNext, cmdClose};
    for (QWidget* w : busy)
        w->setEnabled(false);
    m_work->run(work);
    for (QWidget* w : busy)
        w->setEnabled(true);
}

bool frmImportPriceList::chooseSupplier() {
    const QString typed = cbSupplier->currentText().trimmed();
    if (typed.isEmpty()) {
        tell(tr("Choose the supplier the price list comes from."));
        cbSupplier->setFocus();
        return false;
    }
    int row = cbSupplier->findText(typed, Qt::MatchFixedString);
    if (row < 0) {
        const QVariant key = askToAddToList(LookupKind::Supplier, typed, this, [this] {
            fillLookup(cbSupplier,
                       QStringLiteral("SELECT SuppliersID, Company FROM SuppliersTBL "
                                      "ORDER BY Company COLLATE NOCASE"),
                       false);
        });
        if (key.isValid())
            row = cbSupplier->findData(key.toLongLong());
    }
    if (row < 0) {
        cbSupplier->setEditText(typed);
        cbSupplier->setFocus();
        return false;
    }
    cbSupplier->setCurrentIndex(row);
    m_supplierId = cbSupplier->itemData(row).toLongLong();
    return true;
}

bool frmImportPriceList::readFile() {
    const QString path = QDir::fromNativeSeparators(txtFile->text().trimmed());
    if (path.isEmpty()) {
        tell(tr("Choose the price list's file."));
        txtFile->setFocus();
        return false;
    }
    const QString sheet =
        cbSheet->isEnabled() && path == m_readPath ? cbSheet->currentText() : QString();
    std::optional<PriceListTable> table;
    QString error;
    runInBackground([&](const PriceListProgress& progress) {
        table = readPriceList(path, &error, sheet, progress);
    });
    if (!table) {
        tell(tr("The price list could not be read.\n\n%1").arg(error));
        txtFile->setFocus();
        return false;
    }
    m_table = std::move(*table);
    m_readPath = path;
    {
        const QSignalBlocker quiet(cbSheet);
        cbSheet->clear();
        cbSheet->addItems(m_table.sheetNames);
        cbSheet->setEnabled(!m_table.sheetNames.isEmpty());
        if (!sheet.isEmpty())
            cbSheet->setCurrentText(sheet);
    }
    const qsizetype rows = m_table.rows.size();
    lblFileKind->setText(
        tr("%1, %2").arg(m_table.description, counted(rows, tr("row"), tr("rows"))));
    if (rows < 2) {
        tell(rows == 0 ? tr("The file holds no rows.")
                       : tr("The file holds one row only: a header without prices."));
        return false;
    }
    return true;
}

void frmImportPriceList::showMapping() {
    const bool header = chkHeaderRow->isChecked();
    m_sampleModel->setTable(&m_table, header);
    const QStringList names =
        header && !m_table.rows.isEmpty() ? m_table.rows.first().cells() : QStringList();
    const ColumnMapping guess = rememberedMapping(cbSupplier->currentText(), names);
    for (int role = 0; role < ColumnMapping::RoleCount; ++role) {
        QComboBox* combo = cbColumn[role];
        combo->clear();
        combo->addItem(tr("(none)"));
        for (int column = 0; column < m_sampleModel->columnCount(); ++column)
            combo->addItem(m_sampleModel->headerData(column, Qt::Horizontal).toString());
        combo->setCurrentIndex(guess.columns[role] + 1);
    }
    grdSample->resizeColumnsToContents();
}

ColumnMapping frmImportPriceList::mapping() const {
    ColumnMapping m;
    for (int role = 0; role < ColumnMapping::RoleCount; ++role)
        m.columns[role] = cbColumn[role]->currentIndex() - 1;
    return m;
}

bool frmImportPriceList::makePreview() {
    PreviewOptions options;
    options.supplierId = m_supplierId;
    options.mapping = mapping();
    options.firstRowIsHeader = chkHeaderRow->isChecked();
    options.flagPercent = spnFlagPercent->value();
    if (!options.mapping.isComplete()) {
        tell(tr("Choose the columns that hold the part number and the unit cost."));
        cbColumn[options.mapping[ColumnMapping::PartNumber] < 0 ? ColumnMapping::PartNumber
                                                                : ColumnMapping::UnitCost]
            ->setFocus();
        return false;
    }
    if (options.firstRowIsHeader)
        rememberMapping(cbSupplier->currentText(), m_table.rows.first().cells(), options.mapping);
    bool ok = false;
    DbError error;
    PriceListPreview preview;
    runInBackground([&](const PriceListProgress& progress) {
        ok = gConnection &&
             previewPriceList(*gConnection, m_table, options, &preview, &error, progress);
    });
    if (!ok) {
        tell(tr("The preview could not be made.\n\n%1").arg(error.description));
        return false;
    }
    m_preview = std::move(preview);
    m_previewModel->setPreview(&m_preview, cbSupplier->currentText());
    showPreviewCounts();
    fitPreviewColumns();
    return true;
}

void frmImportPriceList::fitPreviewColumns() {
    // Columns as wide as their values; the status (which names a supplier) at most a quarter of
    // the window and the description a fifth, so that the notes keep the rest. A cut status or
    // note is whole in the row's tool tip. The notes, stretched, are left alone: sized to their
    // contents in a shown grid, they would stop stretching.
    for (int column = 0; column < PriceListPreviewModel::Note; ++column)
        grdPreview->resizeColumnToContents(column);
    for (const auto& [column, share] : {std::pair{PriceListPreviewModel::Status, 4},
                                        std::pair{PriceListPreviewModel::Description, 5}})
        grdPreview->setColumnWidth(
            column, std::min(grdPreview->columnWidth(column), pages->width() / share));
}

void frmImportPriceList::showPreviewCounts() {
    const QList<NewMaterialRow>& added = m_preview.added;
    const qsizetype flagged = std::count_if(m_preview.changed.cbegin(), m_preview.changed.cend(),
                                            [](const PriceChange& c) { return c.flagged; });
    const qsizetype elsewhere = std::count_if(
        added.cbegin(), added.cend(), [](const auto& row) { return row.isListedElsewhere(); });
    const QString listed = elsewhere == 0 ? QString()
                                          : tr(", <b>%1 listed under another supplier</b>")
                                                .arg(displayLocale().toString(elsewhere));
    lblCounts->setText(
        tr("%1 read: <b>%2</b> (%3 marked to check), %4 unchanged, <b>%5</b>%6, <b>%7</b>.")
            .arg(counted(m_preview.rows, tr("row"), tr("rows")),
                 counted(m_preview.changed.size(), tr("price changed"), tr("prices changed")),
                 displayLocale().toString(flagged), displayLocale().toString(m_preview.unchanged),
                 counted(added.size() - elsewhere, tr("new material"), tr("new materials")), listed,
                 counted(m_preview.refused.size(), tr("refused row"), tr("refused rows"))));
}

void frmImportPriceList::applyFlagPercent() {
    for (PriceChange& change : m_preview.changed)
        change.flagged = std::abs(change.changePercent) > spnFlagPercent->value();
    m_previewModel->setPreview(&m_preview, cbSupplier->currentText());
    showPreviewCounts();
}

bool frmImportPriceList::apply() {
    ApplyOptions options;
    options.supplierId = m_supplierId;
    options.addNew = chkAddNew->isChecked();
    options.createMissingNames = chkCreateNames->isChecked();
    options.defaultManufacturerId = cbDefaultManufacturer->currentData().toLongLong();
    options.defaultCategoryId = cbDefaultCategory->currentData().toLongLong();
    const QList<NewMaterialRow>& added = m_preview.added;
    const qsizetype additions =
        options.addNew ? std::count_if(added.cbegin(), added.cend(),
                                       [](const auto& row) { return row.isToBeAdded(); })
                       : 0;
    if (m_preview.changed.isEmpty() && additions == 0) {
        const bool newOnes = std::any_of(added.cbegin(), added.cend(),
                                         [](const auto& row) { return !row.isListedElsewhere(); });
        tell(added.isEmpty() ? tr("There is nothing to apply: no price changes.")
             : newOnes && !options.addNew
                 ? tr("There is nothing to apply: no price changes. Tick \"Add new materials\" "
                      "to add the new ones.")
                 : tr("There is nothing to apply: no price changes. A part number listed under "
                      "another supplier is added only when \"Add new materials\" and its row "
                      "are ticked."));
        return false;
    }
    bool ok = false;
    DbError error;
    ApplyResult result;
    runInBackground([&](const PriceListProgress& progress) {
        ok = gConnection &&
             applyPriceList(*gConnection, m_preview, options, &result, &error, progress);
    });
    if (!ok) {
        tell(tr("Nothing was changed in the catalogue.\n\n%1").arg(error.description));
        return false;
    }
    m_result = std::move(result);
    emit catalogueChanged();

    m_reportModel->clear();
    m_reportModel->setHorizontalHeaderLabels({tr("Row"), tr("Part Number"), tr("Description"),
                                              tr("Change"), tr("Old Unit Cost"),
                                              tr("New Unit Cost"), tr("Note")});
    for (const AppliedChange& c : m_result.changes) {
        const bool priced =
            c.kind == AppliedChange::PriceChanged || c.kind == AppliedChange::ChangedMeanwhile;
        QList<QStandardItem*> row;
        row << new QStandardItem(QString::number(c.row)) << new QStandardItem(c.partNumber)
            << new QStandardItem(c.description) << new QStandardItem(appliedChangeName(c))
            << new QStandardItem(priced ? formatMoney(c.oldCost) : QString())
            << new QStandardItem(formatMoney(c.newCost)) << new QStandardItem(c.note);
        m_reportModel->appendRow(row);
    }
    grdReport->resizeColumnsToContents();
    const qsizetype notAdded =
        std::count_if(m_result.changes.cbegin(), m_result.changes.cend(),
                      [](const AppliedChange& c) { return c.kind == AppliedChange::NotAdded; });
    QString summary = counted(m_result.priceChanges, tr("price changed"), tr("prices changed")) +
                      QStringLiteral(", ") +
                      counted(m_result.added, tr("material added"), tr("materials added"));
    if (notAdded > 0)
        summary += (notAdded == 1 ? tr(", %1 not added (see its note)")
                                  : tr(", %1 not added (see their notes)"))
                       .arg(displayLocale().toString(notAdded));
    summary += tr(". Prices that changed carry today's date.");
    if (m_result.changedMeanwhile > 0)
        summary +=
            (m_result.changedMeanwhile == 1
                 ? tr(" <b>1 left as it was: changed since the preview</b> (saved in another "
                      "window or program); see its note.")
                 : tr(" <b>%1 left as they were: changed since the preview</b> (saved in "
                      "another window or program); see their notes.")
                       .arg(displayLocale().toString(m_result.changedMeanwhile)));
    lblReport->setText(summary);
    return true;
}

void frmImportPriceList::cmdSaveReport_Click() {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Save;
    request.title = tr("Save the Change Report");
    request.filter = tr("CSV file (*.csv)");
    request.defaultSuffix = QStringLiteral("csv");
    request.fileName =
        QDir(QFileInfo(m_readPath).absolutePath())
            .filePath(QFileInfo(m_readPath).completeBaseName() + QStringLiteral(" changes.csv"));
    const QString path = askForFileName(request, this);
    if (path.isEmpty())
        return;
    QString reason =
        gConnection ? databaseFileReason(gConnection->databasePath(), path) : QString();
    if (!reason.isEmpty() || !writeWholeFile(path, changeReportCsv(m_result), &reason))
        tell(tr("The report could not be saved as \"%1\": %2")
                 .arg(QDir::toNativeSeparators(path), reason));
}
