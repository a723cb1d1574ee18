#include "pricelist/pricelistmodels.h"

#include "data/formats.h"

#include <QBrush>
#include <QColor>

namespace {
constexpr int kSampleRows = 50;

// The names a new material would take: "Cascade / Valves" in the note, where room is short, and
// in words in the tool tip. A name the list does not give is said to be missing, so that no part
// of either is left empty.
QString namesNote(const NewMaterialRow& row) {
    if (row.manufacturer.isEmpty() && row.category.isEmpty())
        return PriceListPreviewModel::tr("No manufacturer or category");
    return (row.manufacturer.isEmpty() ? PriceListPreviewModel::tr("No manufacturer")
                                       : row.manufacturer) +
           QStringLiteral(" / ") +
           (row.category.isEmpty() ? PriceListPreviewModel::tr("no category") : row.category);
}

QString namesInWords(const NewMaterialRow& row) {
    using Model = PriceListPreviewModel;
    return Model::tr("The list names %1 and %2.")
        .arg(row.manufacturer.isEmpty()
                 ? Model::tr("no manufacturer")
                 : Model::tr("manufacturer %1").arg(row.manufacturer.toHtmlEscaped()),
             row.category.isEmpty() ? Model::tr("no category")
                                    : Model::tr("category %1").arg(row.category.toHtmlEscaped()));
}

QString refusedNote(const RefusedRow& row) {
    if (row.value.isEmpty())
        return QStringLiteral("%1: %2").arg(row.column, row.reason);
    return QStringLiteral("%1 \"%2\": %3").arg(row.column, row.value, row.reason);
}
} // namespace

void PriceListSampleModel::setTable(const PriceListTable* table, bool firstRowIsHeader) {
    beginResetModel();
    m_table = table;
    m_header = firstRowIsHeader;
    m_columns = 0;
    if (m_table)
        for (qsizetype i = 0; i < std::min<qsizetype>(m_table->rows.size(), kSampleRows + 1); ++i)
            m_columns = std::max(m_columns, m_table->rows[i].width());
    endResetModel();
}

int PriceListSampleModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_table)
        return 0;
    const int data = int(m_table->rows.size()) - (m_header ? 1 : 0);
    return std::clamp(data, 0, kSampleRows);
}

int PriceListSampleModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant PriceListSampleModel::data(const QModelIndex& index, int role) const {
    if (!m_table || !index.isValid() || role != Qt::DisplayRole)
        return {};
    return m_table->rows[index.row() + (m_header ? 1 : 0)].cell(index.column());
}

QVariant PriceListSampleModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + (m_header ? 2 : 1); // the row's number in the file
    const QString letter = columnLetter(section);
    const QString name = m_header && m_table && !m_table->rows.isEmpty()
                             ? m_table->rows.first().cell(section)
                             : QString();
    return name.isEmpty() ? letter : letter + QStringLiteral(": ") + name;
}

QString PriceListSampleModel::columnLetter(int column) {
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

void PriceListPreviewModel::setPreview(PriceListPreview* preview, const QString& supplier) {
    beginResetModel();
    m_preview = preview;
    m_supplier = supplier;
    m_lines.clear();
    if (m_preview) {
        for (int i = 0; i < m_preview->changed.size(); ++i)
            m_lines.append({m_preview->changed[i].flagged ? Flagged : Changed, i});
        for (int i = 0; i < m_preview->added.size(); ++i)
            m_lines.append({m_preview->added[i].isListedElsewhere() ? ListedElsewhere : New, i});
        for (int i = 0; i < m_preview->refused.size(); ++i)
            m_lines.append({Refused, i});
    }
    endResetModel();
}

void PriceListPreviewModel::setTicksShown(bool shown) {
    m_ticksShown = shown;
    if (!m_lines.isEmpty())
        emit dataChanged(index(0, Status), index(rowCount() - 1, Status), {Qt::CheckStateRole});
}

bool PriceListPreviewModel::isTickable(const QModelIndex& index) const {
    return m_ticksShown && m_preview && index.isValid() && index.column() == Status &&
           m_lines[index.row()].kind == ListedElsewhere;
}

Qt::ItemFlags PriceListPreviewModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return isTickable(index) ? flags | Qt::ItemIsUserCheckable : flags;
}

bool PriceListPreviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !isTickable(index))
        return false;
    m_preview->added[m_lines[index.row()].index].ticked =
        value.value<Qt::CheckState>() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

QString PriceListPreviewModel::toolTip(const Line& line) const {
    const QString supplier =
        m_supplier.isEmpty() ? tr("this supplier") : m_supplier.toHtmlEscaped();
    const QString dated = tr("<p>Apply sets the new unit cost and stamps today's price date.</p>");
    switch (line.kind) {
    case Changed:
        return tr("<p><b>Price change</b>: the list's price differs from the unit cost in the "
                  "catalogue, by no more than the mark set under \"Mark changes over\".</p>") +
               dated;
    case Flagged:
        return tr("<p><b>Large change</b>: the list's price differs from the unit cost in the "
                  "catalogue by more than the mark set under \"Mark changes over\": worth a "
                  "second look before applying.</p>") +
               dated;
    case New:
        return tr("<p><b>New material</b>: no supplier in the catalogue has this part number. "
                  "%2</p>"
                  "<p>When \"Add new materials\" is ticked, Apply adds it under %1. A "
                  "manufacturer or category the list does not give, or that is not on its list, "
                  "takes the default chosen below (or is added to its list when \"Add missing "
                  "manufacturers and categories\" is ticked); without one, the row is not added "
                  "and the report says why. Otherwise Apply leaves the row out.</p>")
            .arg(supplier, namesInWords(m_preview->added[line.index]));
    case ListedElsewhere: {
        const NewMaterialRow& row = m_preview->added[line.index];
        const QString others = row.listedUnder.join(QStringLiteral(", ")).toHtmlEscaped();
        return tr("<p><b>Listed under %1</b>: the catalogue holds this part number under %1, "
                  "not under %2, so the row is most likely that supplier's material.</p>"
                  "<p>Apply leaves it out, so that the material is not listed twice. When %2 "
                  "sells the same article, tick \"Add new materials\" and then this row's box: "
                  "Apply adds it under %2 as a new material. %3</p>")
            .arg(others, supplier, namesInWords(row));
    }
    case Refused:
        return tr("<p><b>Refused</b>: %1.</p><p>The row cannot go into the catalogue as it is, "
                  "and Apply leaves it out. Correct it in the list and import the list "
                  "again.</p>")
            .arg(refusedNote(m_preview->refused[line.index]).toHtmlEscaped());
    }
    return {};
}

int PriceListPreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_lines.size());
}

int PriceListPreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PriceListPreviewModel::data(const QModelIndex& index, int role) const {
    if (!m_preview || !index.isValid())
        return {};
    const Line& line = m_lines[index.row()];
    if (role == KindRole)
        return line.kind;
    if (role == Qt::ToolTipRole)
        return toolTip(line);
    if (role == Qt::CheckStateRole)
        return isTickable(index)
                   ? QVariant(m_preview->added[line.index].ticked ? Qt::Checked : Qt::Unchecked)
                   : QVariant();
    if (role == Qt::TextAlignmentRole)
        return index.column() == Row || index.column() == OldCost || index.column() == NewCost ||
                       index.column() == Change
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == Qt::ForegroundRole && index.column() == Status) {
        if (line.kind == Flagged || line.kind == Refused)
            return QBrush(QColor(0xb0, 0x1c, 0x1c));
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const bool sortValue = role == Qt::EditRole;
    switch (line.kind) {
    case Changed:
    case Flagged: {
        const PriceChange& c = m_preview->changed[line.index];
        switch (index.column()) {
        case Row:
            return c.row;
        case Status:
            return line.kind == Flagged ? tr("Large change") : tr("Price change");
        case PartNumber:
            return c.partNumber;
        case Description:
            return c.description;
        case OldCost:
            return sortValue ? QVariant(c.oldCost.toDouble()) : QVariant(formatMoney(c.oldCost));
        case NewCost:
            return sortValue ? QVariant(c.newCost.toDouble()) : QVariant(formatMoney(c.newCost));
        case Change:
            return sortValue ? QVariant(c.changePercent)
                             : QVariant(formatPercent1(c.changePercent / 100));
        default:
            return {};
        }
    }
    case New:
    case ListedElsewhere: {
        const NewMaterialRow& n = m_preview->added[line.index];
        switch (index.column()) {
        case Row:
            return n.row;
        case Status:
            return line.kind == New ? tr("New material") : listedUnderText(n.listedUnder);
        case PartNumber:
            return n.partNumber;
        case Description:
            return n.description;
        case NewCost:
            return sortValue ? QVariant(n.unitCost.toDouble()) : QVariant(formatMoney(n.unitCost));
        case Note:
            return namesNote(n);
        default:
            return {};
        }
    }
    case Refused: {
        const RefusedRow& r = m_preview->refused[line.index];
        switch (index.column()) {
        case Row:
            return r.row;
        case Status:
            return tr("Refused");
        case PartNumber:
            return r.column == ColumnMapping::roleName(ColumnMapping::PartNumber) ? r.value
                                                                                  : QString();
        case Note:
            return refusedNote(r);
        default:
            return {};
        }
    }
    }
    return {};
}

QVariant PriceListPreviewModel::headerData(int section, Qt::Orientation orientation,
                                           int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const captions[ColumnCount] = {
        "Row", "Status", "Part Number", "Description", "Old Cost", "New Cost", "Change", "Note"};
    return tr(captions[section]);
}

void PriceListPreviewFilter::setKind(int kind) {
    m_kind = kind;
    invalidateFilter();
}

void PriceListPreviewFilter::setSearch(const QString& text) {
    m_words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    invalidateFilter();
}

bool PriceListPreviewFilter::filterAcceptsRow(int sourceRow, const QModelIndex& parent) const {
    const QAbstractItemModel* model = sourceModel();
    const int kind =
        model->index(sourceRow, 0, parent).data(PriceListPreviewModel::KindRole).toInt();
    // "Price changes" take the flagged ones too.
    if (m_kind >= 0 && kind != m_kind &&
        !(m_kind == PriceListPreviewModel::Changed && kind == PriceListPreviewModel::Flagged))
        return false;
    if (m_words.isEmpty())
        return true;
    QString text;
    for (int column = 0; column < model->columnCount(parent); ++column)
        text += model->index(sourceRow, column, parent).data().toString() + u' ';
    for (const QString& word : m_words)
        if (!text.contains(word, Qt::CaseInsensitive))
            return false;
    return true;
}

bool PriceListPreviewFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QVariant a = left.data(Qt::EditRole);
    const QVariant b = right.data(Qt::EditRole);
    if (a.typeId() != QMetaType::QString || b.typeId() != QMetaType::QString)
        return a.toDouble() < b.toDouble();
    return QString::localeAwareCompare(a.toString(), b.toString()) < 0;
}
