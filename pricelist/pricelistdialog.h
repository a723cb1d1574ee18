#pragma once

#include "pricelist/core/import.h"
#include "pricelist/pricelistmodels.h"

#include <QDialog>
#include <optional>

class BackgroundWork;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QStandardItemModel;
class QTableView;

// Tools > Import Price List...: a supplier's price list brought into the catalogue in four
// steps: the file and its supplier, the columns, a preview of what would change, and the report
// of what did. Reading, matching and applying run off the window's thread, with a progress bar
// and Stop.
class frmImportPriceList : public QDialog {
    Q_OBJECT
public:
    enum Step { ChooseFile, MapColumns, Preview, Report };

    explicit frmImportPriceList(QWidget* parent = nullptr);
    ~frmImportPriceList() override;

    Step step() const;
    const PriceListPreview& preview() const { return m_preview; }
    const ApplyResult& result() const { return m_result; }

    QStackedWidget* pages;
    // Choose the file.
    QLineEdit* txtFile;
    QPushButton* cmdBrowse;
    QComboBox* cbSheet;
    QLabel* lblFileKind;
    QComboBox* cbSupplier;
    // Map the columns.
    QComboBox* cbColumn[ColumnMapping::RoleCount];
    QCheckBox* chkHeaderRow;
    QTableView* grdSample;
    // Preview.
    QLabel* lblCounts;
    QDoubleSpinBox* spnFlagPercent;
    QComboBox* cbShow;
    QLineEdit* txtSearch;
    QTableView* grdPreview;
    QCheckBox* chkAddNew;
    QCheckBox* chkCreateNames;
    QComboBox* cbDefaultManufacturer;
    QComboBox* cbDefaultCategory;
    // Report.
    QLabel* lblReport;
    QTableView* grdReport;
    QPushButton* cmdSaveReport;
    // Along the bottom.
    QProgressBar* barProgress;
    QPushButton* cmdStop;
    QPushButton* cmdBack;
    QPushButton* cmdNext;
    QPushButton* cmdClose;

signals:
    // Prices were changed or materials added: the catalogue's lists should be read again.
    void catalogueChanged();

protected:
    void reject() override;

private:
    QWidget* makeFilePage();
    QWidget* makeMappingPage();
    QWidget* makePreviewPage();
    QWidget* makeReportPage();
    void showStep(Step step);
    void cmdBrowse_Click();
    void cmdBack_Click();
    void cmdNext_Click();
    bool readFile();
    bool chooseSupplier();
    void showMapping();
    ColumnMapping mapping() const;
    bool makePreview();
    void showPreviewCounts();
    void fitPreviewColumns();
    void applyFlagPercent();
    bool apply();
    void cmdSaveReport_Click();
    void runInBackground(const std::function<void(const PriceListProgress&)>& work);
    void fillLookup(QComboBox* combo, const QString& sql, bool withNone);

    BackgroundWork* m_work;
    PriceListTable m_table;
    QString m_readPath;
    qint64 m_supplierId = 0;
    PriceListPreview m_preview;
    ApplyResult m_result;
    PriceListSampleModel* m_sampleModel;
    PriceListPreviewModel* m_previewModel;
    PriceListPreviewFilter* m_previewFilter;
    QStandardItemModel* m_reportModel;
};
