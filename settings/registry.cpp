#include "settings/registry.h"

#include "settings/gridlayout.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSettings>
#include <QUrl>
#include <algorithm>
#include <utility>

// How the store keeps what QSettings does not.
//
// Names: QSettings treats '/' and '\' as level separators, so a name holding them is written
// with "%2F" and "%5C" (and a '%' that would start such a sequence, or "%25", as "%25"); every
// other name is written as given, so stores written by other programs read the same.
//
// Order and empty keys: QSettings lists names sorted and forgets groups without values. The
// bookkeeping group kOrderGroup, at the application level of each store, holds for every key
// it created two lists: "Keys/<tag>" (its subkeys in the order they were created; the entry
// itself marks that the key exists) and "Values/<tag>" (its values in the order they were
// first written). <tag> is the key's group path, case-folded and percent-encoded. Names found
// in the store but missing from these lists (written by someone else) follow, sorted. No
// caller can name the bookkeeping group: the name escaping above never yields "%25" followed
// by anything but an escaped sequence.

namespace {

const QString kOrderGroup = QStringLiteral("%25KeyOrder");
const QString kKeys = QStringLiteral("Keys");
const QString kValues = QStringLiteral("Values");

QStringList levelsOf(const QString& key) {
    return key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

bool escapedAt(const QString& text, qsizetype i) {
    const QStringView rest = QStringView(text).mid(i + 1, 2);
    return rest.compare(u"2F", Qt::CaseInsensitive) == 0 ||
           rest.compare(u"5C", Qt::CaseInsensitive) == 0 || rest == u"25";
}

QString escapeName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == QLatin1Char('/'))
            out += QLatin1String("%2F");
        else if (c == QLatin1Char('\\'))
            out += QLatin1String("%5C");
        else if (c == QLatin1Char('%') && escapedAt(name, i))
            out += QLatin1String("%25");
        else
            out += c;
    }
    return out;
}

QString unescapeName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name.at(i) == QLatin1Char('%') && escapedAt(name, i)) {
            const QStringView code = QStringView(name).mid(i + 1, 2);
            out += code == u"25"                                   ? QLatin1Char('%')
                   : code.compare(u"2F", Qt::CaseInsensitive) == 0 ? QLatin1Char('/')
                                                                   : QLatin1Char('\\');
            i += 2;
        } else {
            out += name.at(i);
        }
    }
    return out;
}

QString joined(const QString& group, const QString& name) {
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

QString recordKey(const QString& kind, const QString& group) {
    return kOrderGroup + QLatin1Char('/') + kind + QStringLiteral("/p") +
           QString::fromLatin1(QUrl::toPercentEncoding(group.toCaseFolded()));
}

QStringList recorded(const QSettings& s, const QString& kind, const QString& group) {
    return s.value(recordKey(kind, group)).toStringList();
}

void appendRecord(QSettings& s, const QString& kind, const QString& group, const QString& name) {
    s.setValue(recordKey(kind, group), recorded(s, kind, group) << name);
}

std::optional<QString> findName(const QStringList& names, const QString& name) {
    for (const QString& n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return n;
    return std::nullopt;
}

QStringList groupsIn(QSettings& s, const QString& group) {
    if (group.isEmpty()) {
        QStringList groups = s.childGroups();
        groups.removeAll(kOrderGroup);
        return groups;
    }
    s.beginGroup(group);
    const QStringList groups = s.childGroups();
    s.endGroup();
    return groups;
}

QStringList valuesIn(QSettings& s, const QString& group) {
    if (!group.isEmpty())
        s.beginGroup(group);
    const QStringList keys = s.childKeys();
    if (!group.isEmpty())
        s.endGroup();
    return keys;
}

// The present names: those of the record first, in its order, then the others, sorted. Names
// compare without regard to case through sets of folded names, so a key of thousands of values
// is ordered in linear time.
QStringList inStoredOrder(const QStringList& present, const QStringList& record) {
    QHash<QString, QString> spelling; // folded name to its first spelling present
    for (const QString& name : present) {
        const QString folded = name.toCaseFolded();
        if (!spelling.contains(folded))
            spelling.insert(folded, name);
    }
    QSet<QString> taken;
    QStringList ordered;
    for (const QString& name : record) {
        const QString folded = name.toCaseFolded();
        const auto found = spelling.constFind(folded);
        if (found != spelling.cend() && !taken.contains(folded)) {
            ordered << *found;
            taken.insert(folded);
        }
    }
    QStringList rest;
    for (const QString& name : present) {
        const QString folded = name.toCaseFolded();
        if (!taken.contains(folded)) {
            rest << name;
            taken.insert(folded);
        }
    }
    std::sort(rest.begin(), rest.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return ordered + rest;
}

QStringList subkeysOf(QSettings& s, const QString& group) {
    const QStringList record = recorded(s, kKeys, group);
    return inStoredOrder(groupsIn(s, group) + record, record);
}

// The group path of the key's levels below the application, each level in the spelling the
// store already has. Missing levels are created when asked to, otherwise the key is missing.
std::optional<QString> resolveGroup(QSettings& s, const QStringList& levels, bool create) {
    QString group;
    if (!s.contains(recordKey(kKeys, group))) {
        if (create)
            s.setValue(recordKey(kKeys, group), QStringList());
        else if (s.allKeys().isEmpty())
            return std::nullopt;
    }
    for (qsizetype i = 2; i < levels.size(); ++i) {
        const QString wanted = escapeName(levels.at(i));
        QString child;
        if (const auto found = findName(subkeysOf(s, group), wanted)) {
            child = *found;
        } else {
            if (!create)
                return std::nullopt;
            appendRecord(s, kKeys, group, wanted);
            child = wanted;
        }
        group = joined(group, child);
        if (create && !s.contains(recordKey(kKeys, group)))
            s.setValue(recordKey(kKeys, group), QStringList());
    }
    return group;
}

RegStoreProblems gProblems;

void noteProblem(const QSettings& s, bool RegStoreProblems::*kind) {
    gProblems.*kind = true;
    if (gProblems.fileName.isEmpty())
        gProblems.fileName = s.fileName();
}

// A store whose folder cannot be listed reads as empty, without an error of its own.
bool isReadable(const QString& fileName) {
    const QFileInfo folder(QFileInfo(fileName).absolutePath());
    if (folder.exists() && !(folder.isReadable() && folder.isExecutable()))
        return false;
    QFile file(fileName);
    return !file.exists() || file.open(QIODevice::ReadOnly);
}

std::unique_ptr<QSettings> storeFor(const QStringList& levels) {
    auto s = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                         levels.at(0), levels.at(1));
    // Only the user's own store counts, as with the user's registry hive.
    s->setFallbacksEnabled(false);
    // The store was read as it was created; its status also fails when the change an earlier
    // store could not write fails again, so whether it could be read is asked of the file.
    if (!isReadable(s->fileName()))
        noteProblem(*s, &RegStoreProblems::unreadable);
    else if (s->status() == QSettings::AccessError)
        noteProblem(*s, &RegStoreProblems::unwritable);
    return s;
}

QString textOf(const QVariant& value) {
    // A text with commas written by another program may come back from an INI file as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

} // namespace

RegKeyHandle::RegKeyHandle() = default;
RegKeyHandle::RegKeyHandle(std::unique_ptr<QSettings> store, QString group)
    : m_store(std::move(store)), m_group(std::move(group)) {}
RegKeyHandle::RegKeyHandle(RegKeyHandle&&) noexcept = default;
RegKeyHandle& RegKeyHandle::operator=(RegKeyHandle&&) noexcept = default;
RegKeyHandle::~RegKeyHandle() = default;

namespace {
// Opens a key that exists without writing to the store: writing makes closing rewrite the whole
// store, which reading a large store key by key would do once per key. A missing key is created
// as OpenRegKey() does.
RegKeyHandle openForReading(const QString& key) {
    const QStringList levels = levelsOf(key);
    if (levels.size() < 2)
        return {};
    auto s = storeFor(levels);
    if (const auto group = resolveGroup(*s, levels, false))
        return RegKeyHandle(std::move(s), *group);
    return OpenRegKey(key);
}
} // namespace

RegKeyHandle OpenRegKey(const QString& key) {
    const QStringList levels = levelsOf(key);
    if (levels.size() < 2)
        return {};
    auto s = storeFor(levels);
    const auto group = resolveGroup(*s, levels, true);
    return group ? RegKeyHandle(std::move(s), *group) : RegKeyHandle();
}

void CloseRegKey(RegKeyHandle& handle) {
    if (QSettings* s = handle.store()) {
        // A store that could be read but not written loses the changes: noted, not silent.
        const bool wasReadable = s->status() == QSettings::NoError;
        s->sync();
        if (wasReadable && s->status() == QSettings::AccessError)
            noteProblem(*s, &RegStoreProblems::unwritable);
    }
    handle = RegKeyHandle();
}

RegStoreProblems TakeRegStoreProblems() {
    return std::exchange(gProblems, RegStoreProblems());
}

bool ReadRegString(const QString& key, const QString& valueName, QString& value) {
    RegKeyHandle h = openForReading(key);
    if (!h.isOpen())
        return false;
    QSettings& s = *h.store();
    const auto name = valueName.isEmpty() ? std::nullopt
                                          : findName(valuesIn(s, h.group()), escapeName(valueName));
    value = name ? textOf(s.value(joined(h.group(), *name))) : QString();
    CloseRegKey(h);
    return name.has_value();
}

void WriteRegString(const QString& key, const QString& valueName, const QString& value) {
    RegKeyHandle h = OpenRegKey(key);
    if (!h.isOpen() || valueName.isEmpty())
        return;
    QSettings& s = *h.store();
    QString name = escapeName(valueName);
    if (const auto found = findName(valuesIn(s, h.group()), name))
        name = *found;
    else
        appendRecord(s, kValues, h.group(), name);
    s.setValue(joined(h.group(), name), value);
    CloseRegKey(h);
}

namespace {
// The subkeys of a group: each one's name as callers see it and its group in the store.
QList<std::pair<QString, QString>> namedSubkeys(QSettings& s, const QString& group) {
    QList<std::pair<QString, QString>> out;
    QSet<QString> seen;
    for (const QString& stored : subkeysOf(s, group)) {
        const QString name = TrimAtNull(unescapeName(stored));
        if (!seen.contains(name.toCaseFolded())) {
            seen.insert(name.toCaseFolded());
            out.append({name, joined(group, stored)});
        }
    }
    return out;
}

QList<std::shared_ptr<clsColumn>> columnsIn(QSettings& s, const QString& group) {
    QList<std::shared_ptr<clsColumn>> columns;
    for (const QString& stored : inStoredOrder(valuesIn(s, group), recorded(s, kValues, group))) {
        auto column = std::make_shared<clsColumn>();
        column->setColumnCaption(TrimAtNull(unescapeName(stored)));
        column->setColumnSize(TrimAtNull(textOf(s.value(joined(group, stored)))));
        column->setKey(column->ColumnCaption());
        columns << column;
    }
    return columns;
}
} // namespace

std::optional<QStringList> EnumRegKeys(const QString& key) {
    RegKeyHandle h = openForReading(key);
    if (!h.isOpen())
        return std::nullopt;
    QStringList names;
    for (const auto& subkey : namedSubkeys(*h.store(), h.group()))
        names << subkey.first;
    CloseRegKey(h);
    return names;
}

std::optional<QList<std::shared_ptr<clsColumn>>> EnumRegColumns(const QString& key) {
    RegKeyHandle h = openForReading(key);
    if (!h.isOpen())
        return std::nullopt;
    const auto columns = columnsIn(*h.store(), h.group());
    CloseRegKey(h);
    return columns;
}

std::optional<QList<RegSubkeyColumns>> EnumRegSubkeyColumns(const QString& key, qsizetype most,
                                                            qsizetype* total) {
    RegKeyHandle h = openForReading(key);
    if (!h.isOpen())
        return std::nullopt;
    const auto subkeys = namedSubkeys(*h.store(), h.group());
    if (total)
        *total = subkeys.size();
    QList<RegSubkeyColumns> out;
    for (const auto& [name, group] : subkeys.mid(0, most))
        out.append({name, columnsIn(*h.store(), group)});
    CloseRegKey(h);
    return out;
}

bool RegKeyExists(const QString& key) {
    const QStringList levels = levelsOf(key);
    if (levels.size() < 2)
        return false;
    auto s = storeFor(levels);
    return resolveGroup(*s, levels, false).has_value();
}

QString TrimAtNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}
