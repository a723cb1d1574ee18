#pragma once

#include "data/dberror.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <memory>

class DataControl;
class QLineEdit;
class QPushButton;
class QTableView;
class RecordSetModel;

// The lookup lists whose entries the user adds and renames.
enum class LookupKind { Category, Manufacturer, Supplier, Estimator };

// What sets one lookup list apart from the others: its table, texts and grid columns.
struct LookupList {
    QString formName;
    QString caption;
    QString loadSource;   // the unsorted record source
    QString sortedSource; // followed by a field name after a click on a heading
    QStringList fields;   // key, name
    QString nameCaption;  // of the name column; the key column is not shown
    QString renameWarning;
    QString warningTitle;
    // Asked, after the typed name, when a combo's text is on no entry of the list.
    QString notOnListQuestion;
    QString notOnListTitle;
};

const LookupList& lookupList(LookupKind kind);

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
    // it there. Enter then adds it and closes the window; Esc closes it without adding.
    void proposeName(const QString& name);
    // The key of the entry the proposed name was added as; invalid while none was.
    QVariant addedKey() const { return m_addedKey; }

protected:
    LookupListEditor(LookupKind kind, QWidget* parent);

    // A name still being typed is written before the window goes, as leaving its cell would.
    void done(int result) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    bool DataGrid1_BeforeColUpdate(int row, int column, const QVariant& oldValue,
                                   QVariant& newValue);
    void DataGrid1_AfterColUpdate(int row);
    void DataGrid1_HeadClick(int column);
    void btnCancel_Click();

    void reload(const QString& procedure);
    bool isOnList(const QString& name, int exceptRow) const;
    void keepRefusedName(int row, const QString& name);
    void reportWriteFailure(const DbError& error);
    void commitOpenEdit();
    void typeProposedName();
    QLineEdit* typeName(int row, const QString& name);
    void storeProposedName();

    LookupList m_list;
    RecordSetModel* m_model;
    QString m_proposedName;
    // The cell that holds the proposed name while it is being typed.
    QPointer<QLineEdit> m_proposalCell;
    QVariant m_addedKey;
    // The cell being written: its row and name, for the report of a refusal, and whether it
    // adds an entry.
    int m_writingRow = -1;
    QString m_writingName;
    bool m_writingAdd = false;
    // A name was refused: it is typed into its cell again.
    bool m_refused = false;
};

// The editor of one list, owned by parent.
std::unique_ptr<LookupListEditor> makeLookupEditor(LookupKind kind, QWidget* parent = nullptr);

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
