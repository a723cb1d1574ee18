#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The saved column layout of the main window's grids: a caption and a size (a percentage of the
// grid's width, as text) per column, kept in keyed collections whose keys ignore letter case.

class clsColumn {
public:
    QString ColumnSize() const { return m_columnSize; }
    void setColumnSize(const QString& value) { m_columnSize = value; }
    QString ColumnCaption() const { return m_columnCaption; }
    void setColumnCaption(const QString& value) { m_columnCaption = value; }
    QString Key() const { return m_key; }
    void setKey(const QString& value) { m_key = value; }

private:
    QString m_columnSize;
    QString m_columnCaption;
    QString m_key;
};

// Shows a collection's failure in a plain box with the application's title.
void showCollectionMessage(const char* text);

// An ordered collection of shared items, each under a text key given when it was added. Keys
// compare without regard to letter case; items keep the order in which they were added.
// Positions are 1-based. Texts names the messages shown when adding or removing fails.
template <typename T, typename Texts> class KeyedCollection {
public:
    using Ptr = std::shared_ptr<T>;

    // Adds the item under its own Key. A key already present (or no item) shows a message and
    // leaves the collection unchanged; the caller goes on.
    bool Add(const Ptr& item) {
        if (!item || indexOf(item->Key()) >= 0) {
            showCollectionMessage(Texts::addFailed);
            return false;
        }
        m_index.insert(item->Key().toCaseFolded(), Count());
        m_items.push_back(item);
        m_keys.append(item->Key());
        return true;
    }

    // Removes by 1-based position, by key, or by the item's Key; a miss shows a message.
    bool Remove(int position) { return removeAt(position - 1); }
    bool Remove(const QString& key) { return removeAt(indexOf(key)); }
    bool Remove(const Ptr& item) { return removeAt(item ? indexOf(item->Key()) : -1); }

    // The item at a 1-based position, under a key, or under the item's Key; nullptr when there
    // is none (no message: callers ask in order to learn whether an item exists).
    Ptr Item(int position) const { return itemAt(position - 1); }
    Ptr Item(const QString& key) const { return itemAt(indexOf(key)); }
    Ptr Item(const Ptr& item) const { return item ? Item(item->Key()) : nullptr; }

    int Count() const { return int(m_items.size()); }
    auto begin() const { return m_items.cbegin(); }
    auto end() const { return m_items.cend(); }

private:
    // By a hash of the folded keys: loading a long stored layout adds each column after a
    // lookup, which a scan of the keys would make quadratic.
    int indexOf(const QString& key) const { return m_index.value(key.toCaseFolded(), -1); }
    Ptr itemAt(int index) const {
        return index >= 0 && index < Count() ? m_items[size_t(index)] : nullptr;
    }
    bool removeAt(int index) {
        if (index < 0 || index >= Count()) {
            showCollectionMessage(Texts::removeFailed);
            return false;
        }
        m_items.erase(m_items.begin() + index);
        m_keys.removeAt(index);
        // Removing is rare; the positions after the removed item all move.
        m_index.clear();
        for (int i = 0; i < m_keys.size(); ++i)
            m_index.insert(m_keys.at(i).toCaseFolded(), i);
        return true;
    }

    std::vector<Ptr> m_items;
    QStringList m_keys;          // the key each item was added under, in the same order
    QHash<QString, int> m_index; // folded key to position
};

struct ColumnCollectionTexts {
    static constexpr char addFailed[] = "Error while adding new Column item to the collection";
    static constexpr char removeFailed[] = "Error removing Column object from collection";
};
struct GridCollectionTexts {
    static constexpr char addFailed[] = "Error while adding new Grid item to the collection";
    static constexpr char removeFailed[] = "Error removing Grid object from collection";
};

using colColumns = KeyedCollection<clsColumn, ColumnCollectionTexts>;

// The layout of one grid. Its columns live and die with it.
class clsGrid {
public:
    clsGrid() = default;
    clsGrid(const clsGrid&) = delete;
    clsGrid& operator=(const clsGrid&) = delete;

    colColumns& Columns() { return m_columns; }
    const colColumns& Columns() const { return m_columns; }
    QString GridName() const { return m_gridName; }
    void setGridName(const QString& value) { m_gridName = value; }
    QString Key() const { return m_key; }
    void setKey(const QString& value) { m_key = value; }
    // Kept in memory only; set from the built-in defaults on every load.
    bool IsRowMarker() const { return m_isRowMarker; }
    void setIsRowMarker(bool value) { m_isRowMarker = value; }

private:
    colColumns m_columns;
    QString m_gridName;
    QString m_key;
    bool m_isRowMarker = false;
};

using colGrids = KeyedCollection<clsGrid, GridCollectionTexts>;
