#include "materials/pricelistmodels.h"

#include "data/formats.h"

#include <QBrush>
#include <QColor>

namespace {
constexpr int kSampleRows = 50;
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

void PriceListPreviewModel::setPreview(const PriceListPreview* preview) {
    beginResetModel();
    m_preview = preview;
    m_lines.clear();
    if (m_preview) {
        for (int i = 0; i < m_preview->changed.size(); ++i)
            m_lines.append({m_preview->changed[i].flagged ? Flagged : Changed, i});
        for (int i = 0; i < m_preview->added.size(); ++i)
            m_lines.append({New, i});
        for (int i = 0; i < m_preview->refused.size(); ++i)
            m_lines.append({Refused, i});
    }
    endResetModel();
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
    case New: {
        const NewMaterialRow& n = m_preview->added[line.index];
        switch (index.column()) {
        case Row:
            return n.row;
        case Status:
            return tr("New material");
        case PartNumber:
            return n.partNumber;
        case Description:
            return n.description;
        case NewCost:
            return sortValue ? QVariant(n.unitCost.toDouble()) : QVariant(formatMoney(n.unitCost));
        case Note:
            return QStringList{n.manufacturer, n.category}.join(QStringLiteral(" / "));
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
            return QStringLiteral("%1 \"%2\": %3").arg(r.column, r.value, r.reason);
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
