#include "pricelist/core/import.h"

#include "data/connection.h"
#include "data/database.h"
#include "data/formats.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {
// Column sizes of the catalogue.
constexpr int kLongestPartNumber = 50;
constexpr int kLongestDescription = 255;
constexpr int kLongestName = 50;
// How often the work tells its progress, in rows.
constexpr int kProgressStep = 1024;

const DbError kCancelled{ErrorNumber::kGenericFailure, QStringLiteral("Cancelled.")};

// Part numbers match without regard to surrounding blanks and letter case.
QString matchKey(const QString& partNumber) {
    return partNumber.trimmed().toCaseFolded();
}

// The supplier's materials by part number. A large catalogue costs one hash entry and one
// small record a material: descriptions are read only for the materials whose price changes.
class Catalogue {
public:
    struct Entry {
        qint64 id;
        Money cost;
        qsizetype next; // the next material of the same part number, or -1
    };

    bool read(Connection& connection, qint64 supplierId, DbError* error) {
        Statement materials(connection.database(),
                            QStringLiteral("SELECT MaterialsID, PartNumber, UnitCost "
                                           "FROM MaterialsTBL WHERE SuppliersID = ?"));
        materials.bindAll({supplierId});
        while (materials.next()) {
            const QString key = matchKey(materials.value(1).toString());
            const auto first = m_first.constFind(key);
            m_entries.append({materials.integer(0), Money::fromDouble(materials.real(2)),
                              first == m_first.cend() ? -1 : *first});
            m_first.insert(key, m_entries.size() - 1);
        }
        return done(materials, error);
    }
    // The first material of the part number's chain, or -1.
    qsizetype find(const QString& key) const { return m_first.value(key, -1); }
    const Entry& at(qsizetype i) const { return m_entries[i]; }

    // Fills in the catalogue's descriptions of the changed materials.
    bool describe(Connection& connection, qint64 supplierId, QList<PriceChange>* changed,
                  DbError* error) const {
        if (changed->isEmpty())
            return true;
        QHash<qint64, qsizetype> byId;
        byId.reserve(changed->size());
        for (qsizetype i = 0; i < changed->size(); ++i)
            byId.insert(changed->at(i).materialId, i);
        Statement materials(connection.database(),
                            QStringLiteral("SELECT MaterialsID, ManufacturerDescription, "
                                           "PartNumber FROM MaterialsTBL WHERE SuppliersID = ?"));
        materials.bindAll({supplierId});
        while (materials.next())
            if (const auto found = byId.constFind(materials.integer(0)); found != byId.cend()) {
                (*changed)[*found].description = materials.value(1).toString();
                (*changed)[*found].storedPartNumber = materials.value(2).toString();
            }
        return done(materials, error);
    }

private:
    static bool done(const Statement& statement, DbError* error) {
        if (statement.failed()) {
            *error = statement.error();
            return false;
        }
        return true;
    }

    QHash<QString, qsizetype> m_first;
    QList<Entry> m_entries;
};

// Why a price is refused, or nothing when it is an amount the catalogue takes.
QString priceProblem(const QString& text, Money* amount) {
    if (text.isEmpty())
        return QStringLiteral("no price");
    const std::optional<Money> parsed = parseCurrency(text);
    if (!parsed && isNumericText(text))
        return QStringLiteral("must lie between -%1 and %1")
            .arg(QLatin1String(Money::kLargestText));
    if (!parsed) {
        static const QRegularExpression decimalComma(
            QStringLiteral("^\\$?\\d{1,3}(\\.\\d{3})*,\\d{1,4}$"));
        if (decimalComma.match(text).hasMatch())
            return QStringLiteral("not an amount: write the decimals after a point (12.50)");
        return QStringLiteral("not an amount");
    }
    if (*parsed < Money())
        return QStringLiteral("negative");
    *amount = *parsed;
    return {};
}

// A data row read under the mapping.
struct ListRow {
    int row = 0;
    QString partNumber;
    QString key; // matchKey(partNumber)
    Money cost;
    QString description;
    QString manufacturer;
    QString category;
};

QString cell(const PriceListRow& cells, int column) {
    return cells.cell(column).trimmed();
}

bool isBlank(const PriceListRow& cells) {
    for (const QString& c : cells.texts())
        if (!c.trimmed().isEmpty())
            return false;
    return true;
}

// Characters as a reader counts them: an emoji is one, not the two halves it is stored as.
qsizetype characterCount(QStringView text) {
    return text.size() -
           std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLowSurrogate(); });
}

// The text cut to at most length characters, where a character ends: an accent typed after its
// letter (a combining mark) and the parts of a flag or a family emoji stay with the rest.
QString cutToCharacters(const QString& text, qsizetype length) {
    if (characterCount(text) <= length)
        return text;
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    qsizetype cut = 0;
    qsizetype counted = 0;
    for (qsizetype next = boundaries.toNextBoundary(); next > 0;
         next = boundaries.toNextBoundary()) {
        counted += characterCount(QStringView(text).sliced(cut, next - cut));
        if (counted > length)
            break;
        cut = next;
    }
    return text.left(cut);
}

// Why a text cannot be stored as it came: a control character (a NUL, an escape, a line break
// in a part number), or bytes that were not UTF-8; empty when it can. Descriptions may hold tabs
// and line breaks.
QString textProblem(const QString& text, bool lineBreaksAllowed) {
    for (const QChar c : text) {
        if (c == QChar::ReplacementCharacter)
            return QStringLiteral("holds bytes that are not UTF-8 (shown as \uFFFD)");
        const bool allowed = lineBreaksAllowed && (c == u'\t' || c == u'\n' || c == u'\r');
        if (c.category() == QChar::Other_Control && !allowed)
            return QStringLiteral("holds the control character U+%1")
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
    }
    return {};
}

// Reads the rows, refusing those the catalogue cannot take.
QList<ListRow> readRows(const PriceListTable& table, const PreviewOptions& options,
                        PriceListPreview* preview, const PriceListProgress& progress,
                        bool* cancelled) {
    const ColumnMapping& m = options.mapping;
    const int needed = std::max(m[ColumnMapping::PartNumber], m[ColumnMapping::UnitCost]) + 1;
    QList<ListRow> rows;
    const qsizetype first = options.firstRowIsHeader ? 1 : 0;
    for (qsizetype i = first; i < table.rows.size(); ++i) {
        if (progress && i % kProgressStep == 0 && !progress(i, table.rows.size())) {
            *cancelled = true;
            return {};
        }
        const PriceListRow& cells = table.rows[i];
        if (isBlank(cells))
            continue;
        ++preview->rows;
        const int rowNumber = int(i) + 1;
        auto refuse = [&](ColumnMapping::Role role, const QString& value, const QString& reason) {
            preview->refused.append({rowNumber, ColumnMapping::roleName(role), value, reason});
        };
        if (cells.width() < needed) {
            refuse(cells.width() <= m[ColumnMapping::PartNumber] ? ColumnMapping::PartNumber
                                                                 : ColumnMapping::UnitCost,
                   QString(),
                   QStringLiteral("the row has %1 of the %2 columns needed")
                       .arg(cells.width())
                       .arg(needed));
            continue;
        }
        ListRow row;
        row.row = rowNumber;
        row.partNumber = cell(cells, m[ColumnMapping::PartNumber]);
        if (row.partNumber.isEmpty()) {
            refuse(ColumnMapping::PartNumber, QString(), QStringLiteral("no part number"));
            continue;
        }
        row.key = matchKey(row.partNumber);
        if (characterCount(row.partNumber) > kLongestPartNumber) {
            refuse(ColumnMapping::PartNumber, row.partNumber,
                   QStringLiteral("longer than %1 characters").arg(kLongestPartNumber));
            continue;
        }
        if (const QString problem = textProblem(row.partNumber, false); !problem.isEmpty()) {
            refuse(ColumnMapping::PartNumber, row.partNumber, problem);
            continue;
        }
        const QString price = cell(cells, m[ColumnMapping::UnitCost]);
        if (const QString problem = priceProblem(price, &row.cost); !problem.isEmpty()) {
            refuse(ColumnMapping::UnitCost, price, problem);
            continue;
        }
        row.description =
            cutToCharacters(cell(cells, m[ColumnMapping::Description]), kLongestDescription);
        row.manufacturer =
            cutToCharacters(cell(cells, m[ColumnMapping::Manufacturer]), kLongestName);
        row.category = cutToCharacters(cell(cells, m[ColumnMapping::Category]), kLongestName);
        QString problem;
        for (const auto& [role, text] : {std::pair{ColumnMapping::Description, &row.description},
                                         std::pair{ColumnMapping::Manufacturer, &row.manufacturer},
                                         std::pair{ColumnMapping::Category, &row.category}}) {
            problem = textProblem(*text, role == ColumnMapping::Description);
            if (!problem.isEmpty()) {
                refuse(role, *text, problem);
                break;
            }
        }
        if (!problem.isEmpty())
            continue;
        rows.append(row);
    }
    return rows;
}

// A part number given twice: with one price the repeats are left out, with two prices every one
// of its rows is, since the list does not say which is right.
QList<ListRow> withoutDuplicates(QList<ListRow> rows, PriceListPreview* preview) {
    // Each part number's first row; the rows of part numbers given more than once, apart.
    QHash<QString, int> first;
    first.reserve(rows.size());
    QHash<QString, QList<int>> repeated;
    for (int i = 0; i < rows.size(); ++i) {
        const auto found = first.constFind(rows[i].key);
        if (found == first.cend())
            first.insert(rows[i].key, i);
        else
            repeated[rows[i].key].append(i);
    }
    std::vector<char> keep(size_t(rows.size()), 1);
    for (auto it = repeated.cbegin(); it != repeated.cend(); ++it) {
        QList<int> same = it.value();
        same.prepend(first.value(it.key()));
        bool onePrice = true;
        QStringList rowNumbers;
        for (int i : same) {
            onePrice = onePrice && rows[i].cost == rows[same.first()].cost;
            rowNumbers << QString::number(rows[i].row);
        }
        for (int i : same) {
            if (onePrice && i == same.first())
                continue;
            keep[size_t(i)] = 0;
            const QString reason =
                onePrice ? QStringLiteral("repeats row %1").arg(rows[same.first()].row)
                         : QStringLiteral("given in rows %1 with different prices")
                               .arg(rowNumbers.join(QStringLiteral(", ")));
            preview->refused.append({rows[i].row,
                                     ColumnMapping::roleName(ColumnMapping::PartNumber),
                                     rows[i].partNumber, reason});
        }
    }
    if (repeated.isEmpty())
        return rows;
    QList<ListRow> kept;
    kept.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i)
        if (keep[size_t(i)])
            kept.append(std::move(rows[i]));
    return kept;
}

// Names the other suppliers that the catalogue lists each new part number under: one pass over
// their materials, looking each up among the new rows.
bool markListedElsewhere(Connection& connection, qint64 supplierId, QList<NewMaterialRow>* added,
                         DbError* error) {
    if (added->isEmpty())
        return true;
    QHash<QString, qsizetype> byKey;
    byKey.reserve(added->size());
    for (qsizetype i = 0; i < added->size(); ++i)
        byKey.insert(matchKey(added->at(i).partNumber), i);
    // As on the Materials screen, a material whose supplier is gone is not listed.
    Statement others(connection.database(),
                     QStringLiteral("SELECT MaterialsTBL.PartNumber, SuppliersTBL.Company "
                                    "FROM MaterialsTBL INNER JOIN SuppliersTBL "
                                    "ON SuppliersTBL.SuppliersID = MaterialsTBL.SuppliersID "
                                    "WHERE MaterialsTBL.SuppliersID <> ?"));
    others.bindAll({supplierId});
    while (others.next()) {
        const auto found = byKey.constFind(matchKey(others.value(0).toString()));
        if (found == byKey.cend())
            continue;
        QStringList& names = (*added)[*found].listedUnder;
        QString name = others.value(1).toString().trimmed();
        if (name.isEmpty())
            name = QStringLiteral("a supplier without a name");
        if (!names.contains(name))
            names.append(name);
    }
    if (others.failed()) {
        *error = others.error();
        return false;
    }
    for (NewMaterialRow& row : *added)
        row.listedUnder.sort(Qt::CaseInsensitive);
    return true;
}

double changePercent(Money from, Money to) {
    if (from.isZero())
        return 100;
    return (to - from).toDouble() / from.toDouble() * 100;
}
} // namespace

bool previewPriceList(Connection& connection, const PriceListTable& table,
                      const PreviewOptions& options, PriceListPreview* preview, DbError* error,
                      const PriceListProgress& progress) {
    *preview = {};
    if (!options.mapping.isComplete()) {
        *error = {ErrorNumber::kGenericFailure,
                  QStringLiteral("Choose the columns of the part number and the unit cost.")};
        return false;
    }
    bool cancelled = false;
    // The list's rows first, so their look-ups are gone before the catalogue is read.
    const QList<ListRow> rows =
        withoutDuplicates(readRows(table, options, preview, progress, &cancelled), preview);
    if (cancelled) {
        *error = kCancelled;
        return false;
    }
    std::sort(preview->refused.begin(), preview->refused.end(),
              [](const RefusedRow& a, const RefusedRow& b) { return a.row < b.row; });
    Catalogue catalogue;
    if (!catalogue.read(connection, options.supplierId, error))
        return false;
    for (const ListRow& row : rows) {
        qsizetype material = catalogue.find(row.key);
        if (material < 0) {
            preview->added.append({row.row, row.partNumber, row.description, row.manufacturer,
                                   row.category, row.cost});
            continue;
        }
        bool changed = false;
        for (; material >= 0; material = catalogue.at(material).next) {
            const Catalogue::Entry& entry = catalogue.at(material);
            if (entry.cost == row.cost)
                continue;
            changed = true;
            const double percent = changePercent(entry.cost, row.cost);
            preview->changed.append({row.row, entry.id, row.partNumber, QString(), QString(),
                                     entry.cost, row.cost, percent,
                                     std::abs(percent) > options.flagPercent});
        }
        if (!changed)
            ++preview->unchanged;
    }
    return catalogue.describe(connection, options.supplierId, &preview->changed, error) &&
           markListedElsewhere(connection, options.supplierId, &preview->added, error);
}

QString listedUnderText(const QStringList& suppliers) {
    return QStringLiteral("Listed under %1").arg(suppliers.join(QStringLiteral(", ")));
}
