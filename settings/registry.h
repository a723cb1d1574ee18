#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;
class clsColumn;

// The program's per-user settings store: string values in a tree of keys. Keys are given
// relative to the user's Software root with backslashes, e.g. "Dorvane\PX\Grids\grdMaterialsList":
// the first level is the organisation, the second the application (one QSettings store; on
// Windows exactly HKEY_CURRENT_USER\Software\Dorvane\PX), the rest a group path inside it. A key
// with fewer than two levels names no store: reads fail, writes do nothing, enumerations give
// nothing.
//
// On every platform: opening a key creates it and its missing levels; names of keys and values
// compare without regard to letter case (an existing spelling is kept); enumerations come in
// the order names were first created; values of any length read back whole. No operation
// shows a message or raises; a store that cannot be read or written is noted for
// TakeRegStoreProblems().

// An open key: a store and the group path of the key inside it.
class RegKeyHandle {
public:
    RegKeyHandle();
    RegKeyHandle(std::unique_ptr<QSettings> store, QString group);
    RegKeyHandle(RegKeyHandle&&) noexcept;
    RegKeyHandle& operator=(RegKeyHandle&&) noexcept;
    ~RegKeyHandle();

    bool isOpen() const { return bool(m_store); }
    QSettings* store() const { return m_store.get(); }
    QString group() const { return m_group; }

private:
    std::unique_ptr<QSettings> m_store;
    QString m_group;
};

// Opens a key, creating it when missing; a closed handle when the key names no store.
RegKeyHandle OpenRegKey(const QString& key);
// Writes what the handle changed and closes it; a handle never opened is no harm.
void CloseRegKey(RegKeyHandle& handle);

// True when the value exists (an empty value counts), with value holding it. A missing value
// gives false and an empty value; a key naming no store leaves value untouched.
bool ReadRegString(const QString& key, const QString& valueName, QString& value);
// Sets the value, creating the key path as needed. An empty value name writes nothing.
void WriteRegString(const QString& key, const QString& valueName, const QString& value);
// The names of the key's subkeys, or nothing when the key names no store.
std::optional<QStringList> EnumRegKeys(const QString& key);
// One new column per value of the key (caption and Key = the value's name, size = its data), or
// nothing when the key names no store.
std::optional<QList<std::shared_ptr<clsColumn>>> EnumRegColumns(const QString& key);
// A subkey's name and its columns.
struct RegSubkeyColumns {
    QString name;
    QList<std::shared_ptr<clsColumn>> columns;
};
// EnumRegColumns() of each of the first `most` subkeys of the key, in EnumRegKeys() order, read
// through one opening of the store: opening a large store once per subkey would read it whole
// each time. total, when given, receives the number of subkeys. Nothing when the key names no
// store.
std::optional<QList<RegSubkeyColumns>> EnumRegSubkeyColumns(const QString& key, qsizetype most,
                                                            qsizetype* total = nullptr);
// What went wrong with a store since the last call (which clears it): a store that could not
// be read, or whose changes could not be written, and the file of the first such store.
// Operations themselves go on as if the store were empty or the write done.
struct RegStoreProblems {
    bool unreadable = false;
    bool unwritable = false;
    QString fileName;
};
RegStoreProblems TakeRegStoreProblems();
// Whether the key exists; never creates it.
bool RegKeyExists(const QString& key);
// The part of text before its first NUL character.
QString TrimAtNull(const QString& text);
