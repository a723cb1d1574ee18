#pragma once

#include "data/money.h"
#include "materials/materialfilter.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QVariantList>
#include <optional>

class ComboBinding;
class DataControl;
class MaterialPickerGrid;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableView;
class QWidget;
class RecordSetModel;

// "Select a Material": the catalogue's part numbers, descriptions and unit costs, filtered by
// manufacturer, supplier and category, from which an estimate takes its material lines. Each
// chosen material is handed over at once (MaterialClicled) and the window stays open, so several
// can be added in one visit, its status line saying what was added; Cancel hides it, keeping its
// filters, and its size and position for the next visit and the next session. The filters are the
// ones the Materials screen remembers.
class frmMaterials : public QDialog {
    Q_OBJECT
public:
    // The window belongs to owner's window; see setUncovered for where it is first shown.
    explicit frmMaterials(QWidget* owner);
    ~frmMaterials() override;

    // Shows the window modally until it is cancelled or closed. Returns 0 after Cancel;
    // otherwise the key of the last material handed over, or MaterialNum when none was.
    int SelectMaterial(int& MaterialNum);

    // The list's statement for the current filters, and the values bound to it.
    QString materialsQuery(QVariantList* values) const;
    // The statement that finds the first listed material whose part number starts with the
    // bound pattern (its key and description), and the values bound to it.
    QString partNumberQuery(const QString& prefix, QVariantList* values) const;
    const RecordSetModel* listModel() const { return m_list; }

    // The widget the window leaves uncovered when it is first shown, where the screen has room
    // (the estimate's material lines); later visits keep where the user put it.
    void setUncovered(QWidget* widget) { m_uncovered = widget; }
    // Says on the window's status line that a material handed over became a line of the
    // estimate, with the count of lines added on this visit.
    void noteAdded(const QString& partNumber);
    // Does before the first showing what it would otherwise wait for (styles, layout, the
    // window system's window), so that the first Add Materials shows the list sooner.
    void prepare();

    void setVisible(bool visible) override;
    void reject() override;

    QTableView* grdMaterialsList;
    QGroupBox* frMaterialsFilter;
    QLabel* lblManufacturerFilter;
    QComboBox* cbManufacturerFilter;
    QLabel* lblSupplierFilter;
    QComboBox* cbSupplierFilter;
    QLabel* lblCategoryFilter;
    QComboBox* cbCategoryFilter;
    QPushButton* cbMaterialsFilterViewAll;
    QPushButton* btnSelect;
    QPushButton* btnCancel;
    QLabel* lblAdded;

signals:
    // One chosen material; raised while the window stays open.
    void MaterialClicled(int lMaterialID, const QString& PartNo, const QString& desc, Money cost);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Filter {
        QComboBox* combo;
        ComboBinding* binding;
        DataControl* rowSource;
        const char* column;
        QString MaterialFilterValues::*shared;
    };

    void createFilters();
    void createGrid();
    void createButtons();
    void layOut();
    void SetupSupplierCombo();
    void SetupCategoryCombo();
    void SetupManufacturerCombo();
    void setupFilterCombo(const Filter& filter, const QString& sql, const QString& title);
    // Reads a filter's list now, when it waits to be read.
    void loadFilterList(QComboBox* combo);
    void SetupMaterialsDataControl();
    // How many materials the catalogue holds; 0 when it cannot be counted.
    int catalogueSize() const;
    QString filterConditions(const MaterialFilterValues& filters, QVariantList* values) const;
    // The filter values the combos stand for now.
    MaterialFilterValues chosenFilters() const;
    void filterChanged(const Filter& filter);
    void cbMaterialsFilterViewAll_Click();
    void handOver();
    int findTyped(const QString& prefix, int column) const;
    void fitColumns();
    // The window's place on its first showing: where the user left it in an earlier session,
    // else beside the uncovered widget, else over the owner's window.
    void place();
    void rememberPlace();
    // Where the user last left the window (empty when nowhere yet), read once.
    const QByteArray& savedPlace();

    DataControl* dcMaterials;
    RecordSetModel* m_list;
    MaterialPickerGrid* m_grid;
    QList<Filter> m_filters;
    // The filters whose lists are read only once the user turns to them (see setupFilterCombo),
    // with the title of their errors.
    QHash<QComboBox*, QString> m_unreadLists;
    // The filter values the list was last loaded with.
    MaterialFilterValues m_applied;
    QPointer<QWidget> m_uncovered;
    std::optional<QByteArray> m_savedPlace;
    int m_addedThisVisit = 0;
    int m_selectedId = 0;
    bool m_placed = false;
    bool m_clearingFilters = false;
};
