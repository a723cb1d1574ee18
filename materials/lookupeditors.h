#pragma once

#include "data/dberror.h"

#include <QDialog>
#include <QStringList>

class DataControl;
class QPushButton;
class QTableView;
class RecordSetModel;

// What sets one lookup list apart from the others: its table, texts and grid columns.
struct LookupList {
    QString formName;
    QString caption;
    QString loadSource;   // the unsorted record source
    QString sortedSource; // followed by a field name after a click on a heading
    QStringList fields;   // key, name
    QStringList captions; // of the grid's columns; an empty one shows the field name
    QString renameWarning;
    QString warningTitle;
};

// A small modal window in which the user adds to and renames the entries of one lookup list:
// one editable grid over the table (the last line takes a new entry) and a button that closes
// it. Every change is written as soon as a cell is left; there is no separate save step. The
// caller shows it with exec() and then re-reads the list itself.
class LookupListEditor : public QDialog {
    Q_OBJECT
public:
    DataControl* Adodc1;
    QTableView* DataGrid1;
    QPushButton* btnCancel;

    ~LookupListEditor() override;

    RecordSetModel* model() const { return m_model; }
    // Puts a name on the new-row line, typed but not yet written, as if the user had just typed
    // it there: Enter or closing the window adds it, Esc drops it.
    void proposeName(const QString& name);

protected:
    LookupListEditor(LookupList list, QWidget* parent);

    // A name still being typed is written before the window goes, as leaving its cell would.
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    bool DataGrid1_BeforeColUpdate(int row, int column, const QVariant& oldValue,
                                   QVariant& newValue);
    void DataGrid1_HeadClick(int column);
    void btnCancel_Click();

    void reload(const QString& procedure);
    void reportWriteFailure(const DbError& error);
    void commitOpenEdit();
    void typeProposedName();

    LookupList m_list;
    RecordSetModel* m_model;
    QString m_proposedName;
};

class frmAddCategory : public LookupListEditor {
    Q_OBJECT
public:
    explicit frmAddCategory(QWidget* parent = nullptr);
};

class frmAddManufacturer : public LookupListEditor {
    Q_OBJECT
public:
    explicit frmAddManufacturer(QWidget* parent = nullptr);
};

class frmAddSupplier : public LookupListEditor {
    Q_OBJECT
public:
    explicit frmAddSupplier(QWidget* parent = nullptr);
};

class frmAddEstimator : public LookupListEditor {
    Q_OBJECT
public:
    explicit frmAddEstimator(QWidget* parent = nullptr);
};
