#pragma once

#include <QElapsedTimer>
#include <QTableView>
#include <functional>

class RecordSetModel;

// The picker's list: a table view whose type-ahead jumps through a handler rather than Qt's
// linear match over every row, so typing stays instant on a catalogue of any size. Letters typed
// within the keyboard-search interval add up to one prefix, as in any item view.
class MaterialPickerGrid : public QTableView {
    Q_OBJECT
public:
    // Given the typed prefix and the current column; returns the row to make current, or -1.
    using Search = std::function<int(const QString& prefix, int column)>;

    explicit MaterialPickerGrid(QWidget* parent);
    void setSearch(Search search) { m_search = std::move(search); }
    void keyboardSearch(const QString& search) override;

private:
    Search m_search;
    QString m_typed;
    QElapsedTimer m_sinceTyped;
};

// The text as SQLite's NOCASE collation compares it: UTF-8 with only the ASCII letters folded
// to lower case, compared byte by byte.
QByteArray nocaseKey(const QString& text);

// Over a model whose rows are ordered by column NOCASE (then by the key column): the first row
// whose text in column starts with prefix (ignoring ASCII case), or -1. A binary search.
int firstRowStartingWith(const RecordSetModel& model, int column, const QString& prefix);
// The row holding text in column and key in keyColumn, or -1. A binary search, in the same
// order.
int rowOfTextAndKey(const RecordSetModel& model, int column, const QString& text, int keyColumn,
                    qint64 key);
