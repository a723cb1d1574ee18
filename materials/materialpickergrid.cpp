#include "materials/materialpickergrid.h"

#include "data/recordset.h"
#include "widgets/recordsetmodel.h"

#include <QApplication>

MaterialPickerGrid::MaterialPickerGrid(QWidget* parent) : QTableView(parent) {}

void MaterialPickerGrid::keyboardSearch(const QString& search) {
    if (search.isEmpty() || !m_search)
        return;
    // The same pause that ends a search in any item view starts a new one here.
    if (!m_sinceTyped.isValid() || m_sinceTyped.elapsed() > QApplication::keyboardInputInterval())
        m_typed.clear();
    m_sinceTyped.start();
    m_typed += search;
    const int column = currentIndex().isValid() ? currentIndex().column() : -1;
    const int row = m_search(m_typed, column);
    if (row < 0)
        return;
    const QModelIndex target = model()->index(row, column >= 0 ? column : 0);
    setCurrentIndex(target);
    scrollTo(target);
}

QByteArray nocaseKey(const QString& text) {
    QByteArray key = text.toUtf8();
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return key;
}

namespace {

// The first row whose (text, key) is not below the given ones, in the list's order.
int lowerBound(const RecordSetModel& model, int column, const QByteArray& text, int keyColumn,
               qint64 key) {
    int low = 0;
    int high = model.recordCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const int order = nocaseKey(model.value(middle, column).toString()).compare(text);
        const bool below = order < 0 || (order == 0 && keyColumn >= 0 &&
                                         model.value(middle, keyColumn).toLongLong() < key);
        if (below)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

} // namespace

int firstRowStartingWith(const RecordSetModel& model, int column, const QString& prefix) {
    const QByteArray wanted = nocaseKey(prefix);
    const int row = lowerBound(model, column, wanted, -1, 0);
    if (row >= model.recordCount() ||
        !nocaseKey(model.value(row, column).toString()).startsWith(wanted))
        return -1;
    return row;
}

int rowOfTextAndKey(const RecordSetModel& model, int column, const QString& text, int keyColumn,
                    qint64 key) {
    const int row = lowerBound(model, column, nocaseKey(text), keyColumn, key);
    if (row >= model.recordCount() || model.value(row, keyColumn).toLongLong() != key)
        return -1;
    return row;
}
