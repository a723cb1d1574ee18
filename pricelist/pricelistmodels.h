#pragma once

#include "pricelist/core/import.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

// The first rows of a price list as the file gives them, under its header row (or under the
// column letters when the first row is data).
class PriceListSampleModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setTable(const PriceListTable* table, bool firstRowIsHeader);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // "A", "B", ... "Z", "AA", as a spreadsheet names its columns.
    static QString columnLetter(int column);

private:
    const PriceListTable* m_table = nullptr;
    bool m_header = true;
    int m_columns = 0;
};

// Every row of the preview, one line each: price changes, new materials, part numbers listed
// under another supplier, refused rows (the unchanged ones are only counted). Each line's tool
// tip says what its status means and what Apply does with it. A part number listed under another
// supplier carries a tick box while new materials are to be added: ticked, it is added too.
class PriceListPreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Row,
        Status,
        PartNumber,
        Description,
        OldCost,
        NewCost,
        Change,
        Note,
        ColumnCount
    };
    enum Kind { Changed, Flagged, New, ListedElsewhere, Refused };
    static constexpr int KindRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;
    // The ticks are kept in the preview's rows. supplier: the list's, as the tool tips name it.
    void setPreview(PriceListPreview* preview, const QString& supplier);
    // Shows the tick boxes (while "Add new materials" is ticked) or hides them.
    void setTicksShown(bool shown);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Line {
        Kind kind;
        int index; // into the preview's list of that kind
    };
    bool isTickable(const QModelIndex& index) const;
    QString toolTip(const Line& line) const;

    PriceListPreview* m_preview = nullptr;
    QString m_supplier;
    bool m_ticksShown = false;
    QList<Line> m_lines;
};

// Shows the lines of one kind (or all) whose text holds the search words; sorts numbers as
// numbers.
class PriceListPreviewFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    // -1: every kind.
    void setKind(int kind);
    void setSearch(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    int m_kind = -1;
    QStringList m_words;
};
