#pragma once

#include "data/dberror.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>
#include <QSet>
#include <functional>

class RecordSet;
class RecordStore;

// A table model over a record set's rows, for the grids. It reads the rows in place (nothing is
// copied into the view) and follows rows written, added or deleted through any cursor of the
// set. An edit moves the record set to the row, writes the field and saves the row.
//
// With setAllowAddNew(true) (and updates allowed on a set that is not read-only) one empty line
// follows the last record: typing into it adds a record, and a fresh empty line follows again.
// rowCount() counts that line; recordCount() counts the records only. With setHoldNewLine(true)
// the line gathers its cells until submit() writes it as one record (revert() drops it), as a
// grid does when the user leaves the line or presses Enter on it.
class RecordSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Runs before a cell is written; may change the value; false refuses it (the cell keeps
    // its previous value). On the new-row line (see isNewRow) the old value is empty.
    using BeforeColumnUpdate =
        std::function<bool(int row, int column, const QVariant& oldValue, QVariant& newValue)>;
    using AfterColumnUpdate = std::function<void(int row, int column)>;
    // Runs on a record just added from the new-row line, before the typed value is set: fills
    // the record's defaults.
    using AddNewHook = std::function<void(RecordSet& record)>;
    // Runs once the edited value is set on the record and before the row is written: derives
    // the row's other fields from it, so that they are written together.
    using BeforeRowUpdate = std::function<void(RecordSet& record, int column)>;
    // Gives the text colour of a cell, or an invalid colour for the default.
    using CellColour = std::function<QColor(int row, int column)>;

    explicit RecordSetModel(QObject* parent = nullptr);

    void setRecordSet(RecordSet* recordSet);
    RecordSet* recordSet() const { return m_recordSet; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Presentation of a column: caption, display format (see formatValue), alignment.
    void setCaption(int column, const QString& caption);
    // What the column's heading says when the mouse rests on it.
    void setHeaderToolTip(int column, const QString& tip) { m_headerToolTips.insert(column, tip); }
    void setFormat(int column, const QString& format);
    QString format(int column) const { return m_formats.value(column); }
    void setAlignment(int column, Qt::Alignment alignment);
    // Aligns every heading alike, whatever the alignment of its column's cells.
    void setHeaderAlignment(Qt::Alignment alignment) { m_headerAlignment = alignment; }
    void setCellColour(CellColour colour) { m_colour = std::move(colour); }
    // What an empty cell of the column shows (formatted as the column is): a sum over no lines
    // is 0, say. By default an empty cell shows nothing.
    void setNullValue(int column, const QVariant& value) { m_nullValues.insert(column, value); }

    void setAllowUpdate(bool allow);
    bool allowUpdate() const { return m_allowUpdate; }
    // Off by default. The line shows only while updates are allowed too.
    void setAllowAddNew(bool allow);
    bool allowAddNew() const { return m_allowAddNew; }
    // Off by default: the first cell typed on the new-row line writes the record at once.
    void setHoldNewLine(bool hold) { m_holdNewLine = hold; }
    // Whether the new-row line holds typed cells not written yet.
    bool newLineStarted() const;
    // Writes the new-row line's record when it holds one; false (writeFailed emitted, the line
    // dropped) when the database refused it.
    bool submit() override;
    // Drops the new-row line's unwritten record.
    void revert() override;
    // Whether row is the line for a new entry.
    bool isNewRow(int row) const { return hasNewRowLine() && row == recordCount(); }
    int recordCount() const;
    // Makes the row header a record selector instead of row numbers: "▸" marks the current row
    // (see setCurrentRow), "*" the new-row line, and other rows show nothing.
    void setRecordSelectors(bool on);
    void setCurrentRow(int row);
    // A column the grid shows but never lets the user edit (a key the database fills, say).
    void setColumnReadOnly(int column, bool readOnly = true);
    void setBeforeColumnUpdate(BeforeColumnUpdate hook) { m_before = std::move(hook); }
    void setAfterColumnUpdate(AfterColumnUpdate hook) { m_after = std::move(hook); }
    void setOnAddNew(AddNewHook hook) { m_onAddNew = std::move(hook); }
    void setBeforeRowUpdate(BeforeRowUpdate hook) { m_beforeRow = std::move(hook); }

    // Deletes the record shown on this row from its table, writing a started new-row line first.
    // False (writeFailed emitted) when the database refused; the row then stays.
    bool deleteRow(int row);

    // The raw value of a cell.
    QVariant value(int row, int column) const;
    // The row showing the record with this bookmark, or -1.
    int rowOfBookmark(int bookmark) const;

signals:
    // A cell edit that the database refused.
    void writeFailed(const DbError& error);

private:
    void attachStore();
    bool hasNewRowLine() const;
    bool lineShownWith(bool allowUpdate, bool allowAddNew) const;
    void setLineSettings(bool allowUpdate, bool allowAddNew);
    bool addRecord(int row, int column, const QVariant& value);
    bool holdInNewLine(int row, int column, const QVariant& value);
    bool deriveAndUpdate(RecordSet& rs, int column);
    bool failWrite(RecordSet& rs);

    QPointer<RecordSet> m_recordSet;
    QPointer<RecordStore> m_store;
    QHash<int, QString> m_captions;
    QHash<int, QString> m_formats;
    QHash<int, Qt::Alignment> m_alignments;
    QHash<int, QVariant> m_nullValues;
    QHash<int, QString> m_headerToolTips;
    CellColour m_colour;
    Qt::Alignment m_headerAlignment = {};
    bool m_allowUpdate = false;
    bool m_allowAddNew = false;
    bool m_recordSelectors = false;
    bool m_holdNewLine = false;
    bool m_newLineStarted = false;
    int m_newLineColumn = -1; // the cell of the held line typed last
    int m_currentRow = -1;
    QSet<int> m_readOnlyColumns;
    BeforeColumnUpdate m_before;
    AfterColumnUpdate m_after;
    AddNewHook m_onAddNew;
    BeforeRowUpdate m_beforeRow;
    QList<QMetaObject::Connection> m_storeConnections;
};
