// Price lists in Excel workbooks (.xlsx): a zip archive of XML files. The workbook file names the
// sheets, its relationships lead to each sheet's file, and the cells' text is in the sheet or in
// the shared string table.
#include "pricelist/core/formats.h"

#include "data/formats.h"

#include <QBuffer>
#include <QDir>
#include <QHash>
#include <QObject>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace {

const pricelist::WorkbookBounds& bounds() {
    return pricelist::workbookBounds();
}

const QString kWorkbookEntry = QStringLiteral("xl/workbook.xml");
const QString kWorkbookRelationships = QStringLiteral("xl/_rels/workbook.xml.rels");
const QString kSharedStringsEntry = QStringLiteral("xl/sharedStrings.xml");
// Excel's widest sheet (column XFD) and its longest (row 1,048,576).
constexpr int kMostColumns = 16384;
constexpr int kMostRows = 1048576;
// Excel's longest cell text.
constexpr qsizetype kLongestCell = 32767;
// How often reading tells its progress, in rows.
constexpr int kProgressRows = 500;
// How much of an archive's file is unpacked at a time.
constexpr qint64 kUnpackChunk = 1024 * 1024;

// Why the workbook cannot be read; "damaged" reasons say what is wrong where.
class WorkbookError {
public:
    explicit WorkbookError(QString reason) : m_reason(std::move(reason)) {}
    static WorkbookError damaged(const QString& what) {
        return WorkbookError(QObject::tr("The workbook is damaged: %1").arg(what));
    }
    const QString& reason() const { return m_reason; }

private:
    QString m_reason;
};

// Text that Excel escaped as _xHHHH_ (characters XML cannot hold, such as carriage returns).
QString unescaped(QString text) {
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& m : escape.globalMatch(text)) {
        out += QStringView(text).sliced(from, m.capturedStart() - from);
        out += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        from = m.capturedEnd();
    }
    out += QStringView(text).sliced(from);
    return out;
}

// One file of the archive, unpacked for its XML. Unpacked whole rather than read as it unpacks,
// so that a file that fails to unpack is told at once and its XML has a definite end.
class ArchiveXml {
public:
    ArchiveXml(QuaZip& zip, const QString& name) : m_name(name) {
        if (!zip.setCurrentFile(name, QuaZip::csInsensitive))
            throw WorkbookError::damaged(QObject::tr("%1 is missing.").arg(name));
        QuaZipFileInfo64 info;
        if (zip.getCurrentFileInfo(&info)) {
            if (qint64(info.uncompressedSize) > bounds().largestEntry)
                throw tooLarge();
            m_bytes.reserve(qint64(info.uncompressedSize));
        }
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly))
            throw unpackingFailed();
        // A piece at a time, so that an archive whose sizes lie is stopped at the limit too.
        while (!file.atEnd()) {
            const QByteArray piece = file.read(kUnpackChunk);
            if (piece.isEmpty())
                break;
            if (m_bytes.size() + piece.size() > bounds().largestEntry)
                throw tooLarge();
            m_bytes += piece;
        }
        file.close(); // checks what was unpacked against its checksum
        if (file.getZipError() != UNZ_OK)
            throw unpackingFailed();
        // Read through a device, which the reader decodes a few kilobytes at a time; data added
        // whole would be decoded whole, doubling the cost.
        m_buffer.setBuffer(&m_bytes);
        m_buffer.open(QIODevice::ReadOnly);
        m_xml.setDevice(&m_buffer);
    }
    ArchiveXml(const ArchiveXml&) = delete;
    ArchiveXml& operator=(const ArchiveXml&) = delete;

    QXmlStreamReader& xml() { return m_xml; }
    // How far reading has come, in characters (about bytes), and the file's size in bytes.
    qint64 position() const { return qMin(m_xml.characterOffset(), size()); }
    qint64 size() const { return m_bytes.size(); }

    // The next start of an element, false at the end of the file.
    bool nextElement() {
        while (!m_xml.atEnd()) {
            if (m_xml.readNext() == QXmlStreamReader::StartElement)
                return true;
        }
        check();
        return false;
    }
    // Whether the element just started is named so (whatever its namespace).
    bool at(QLatin1String name) const { return m_xml.name() == name; }
    QString attribute(QLatin1String name) const {
        return m_xml.attributes().value(name).toString();
    }
    // The relationship id of the element just started (r:id, whatever the prefix stands for).
    QString relationshipId() const {
        for (const QXmlStreamAttribute& a : m_xml.attributes()) {
            if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty())
                return a.value().toString();
        }
        return {};
    }

    // The text of the string item just started (<si> or <is>): its own <t>, or its runs'
    // concatenated; phonetic guides (<rPh>) left out.
    QString stringItem() {
        const QString item = m_xml.name().toString();
        QString text;
        while (!m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = m_xml.readNext();
            if (token == QXmlStreamReader::EndElement && m_xml.name() == item)
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (at(QLatin1String("t")))
                text +=
                    checkedLength(m_xml.readElementText(QXmlStreamReader::IncludeChildElements));
            else if (at(QLatin1String("rPh")))
                m_xml.skipCurrentElement();
        }
        check();
        return unescaped(checkedLength(std::move(text)));
    }

    // The text, refused when longer than a cell of Excel's can be.
    QString checkedLength(QString text) const {
        if (text.size() > kLongestCell)
            throw WorkbookError::damaged(QObject::tr("%1 holds a text of more than %2 characters, "
                                                     "longer than a cell can hold.")
                                             .arg(m_name, displayLocale().toString(kLongestCell)));
        return text;
    }

    // Throws if the XML is not well-formed.
    void check() const {
        if (m_xml.hasError())
            throw WorkbookError::damaged(QStringLiteral("%1: %2 (line %3)")
                                             .arg(m_name, m_xml.errorString())
                                             .arg(m_xml.lineNumber()));
    }

private:
    WorkbookError tooLarge() const {
        return WorkbookError(
            QObject::tr("The workbook is too large to read: its part %1 unpacks to more than %2.")
                .arg(m_name, displayLocale().formattedDataSize(
                                 bounds().largestEntry, 0, QLocale::DataSizeTraditionalFormat)));
    }
    WorkbookError unpackingFailed() const {
        return WorkbookError::damaged(QObject::tr("%1 cannot be unpacked.").arg(m_name));
    }

    QString m_name;
    QByteArray m_bytes;
    QBuffer m_buffer;
    QXmlStreamReader m_xml;
};

struct SheetEntry {
    QString name;
    QString file;
};

// A file named by a relationship's target, which is relative to the workbook's folder unless it
// starts at the archive's root.
QString resolvedTarget(const QString& target) {
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target.mid(1));
    return QDir::cleanPath(QStringLiteral("xl/") + target);
}

// The sheets in their order, each with its file.
QList<SheetEntry> sheetEntries(QuaZip& zip) {
    QHash<QString, QString> targets;
    {
        ArchiveXml relationships(zip, kWorkbookRelationships);
        while (relationships.nextElement()) {
            if (relationships.at(QLatin1String("Relationship")))
                targets.insert(relationships.attribute(QLatin1String("Id")),
                               resolvedTarget(relationships.attribute(QLatin1String("Target"))));
        }
    }
    QList<SheetEntry> sheets;
    ArchiveXml workbook(zip, kWorkbookEntry);
    while (workbook.nextElement()) {
        if (!workbook.at(QLatin1String("sheet")))
            continue;
        const QString name = workbook.attribute(QLatin1String("name"));
        const QString id = workbook.relationshipId();
        if (!targets.contains(id))
            throw WorkbookError::damaged(
                QObject::tr("the file of sheet \"%1\" is not named.").arg(name));
        sheets.append({name, targets.value(id)});
    }
    return sheets;
}

// The shared string table, empty when the workbook has none.
QStringList sharedStrings(QuaZip& zip) {
    QStringList strings;
    if (!zip.setCurrentFile(kSharedStringsEntry, QuaZip::csInsensitive))
        return strings;
    ArchiveXml table(zip, kSharedStringsEntry);
    while (table.nextElement()) {
        if (!table.at(QLatin1String("si")))
            continue;
        if (strings.size() == bounds().mostCells)
            throw WorkbookError(QObject::tr("The workbook is too large to read: its shared "
                                            "strings hold more than %1 texts.")
                                    .arg(displayLocale().toString(bounds().mostCells)));
        strings.append(table.stringItem());
    }
    return strings;
}

// The column (from 0) and row (from 1) of a reference such as "AB12"; -1 for what is missing.
std::pair<int, int> cellPosition(QStringView reference) {
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size(); ++i) {
        const char16_t letter = reference[i].toUpper().unicode();
        if (letter < u'A' || letter > u'Z')
            break;
        column = column * 26 + (letter - u'A' + 1);
        if (column > kMostColumns)
            return {-1, -1};
    }
    bool ok = false;
    const int row = reference.sliced(i).toInt(&ok);
    return {column - 1, ok ? row : -1};
}

// The last row of the sheet's dimension ("A1:F200" -> 200), 0 when it does not say.
int lastRow(const QString& dimension) {
    return cellPosition(QStringView(dimension).sliced(dimension.indexOf(QLatin1Char(':')) + 1))
        .second;
}

// The cells of a sheet, row by row.
class SheetReader {
public:
    SheetReader(ArchiveXml& entry, const QStringList& strings, const PriceListProgress& progress)
        : m_entry(entry), m_strings(strings), m_progress(progress) {}

    // False when cancelled.
    bool read(QList<PriceListRow>& rows, QString* error) {
        int rowNumber = 0;
        int rowsRead = 0;
        while (m_entry.nextElement()) {
            if (m_entry.at(QLatin1String("dimension"))) {
                m_lastRow = qMax(0, lastRow(m_entry.attribute(QLatin1String("ref"))));
            } else if (m_entry.at(QLatin1String("row"))) {
                const int numbered = m_entry.attribute(QLatin1String("r")).toInt();
                rowNumber = numbered > 0 ? numbered : rowNumber + 1;
                if (rowNumber > kMostRows || ++rowsRead > kMostRows)
                    throw WorkbookError(QObject::tr("The sheet has more rows than a workbook can "
                                                    "hold (%1).")
                                            .arg(displayLocale().toString(kMostRows)));
                PriceListRow cells = row(rowNumber);
                if (cells.width() > 0)
                    rows.append(std::move(cells));
                if (rowsRead % kProgressRows == 0 && !tell(rowNumber, error))
                    return false;
            }
        }
        return tell(m_lastRow > 0 ? m_lastRow : rowNumber, error);
    }

private:
    // Rows done of the dimension's, or bytes when the sheet gives no dimension.
    bool tell(int rowNumber, QString* error) {
        if (m_lastRow > 0)
            return pricelist::keepReading(m_progress, qMin(rowNumber, m_lastRow), m_lastRow, error);
        return pricelist::keepReading(m_progress, m_entry.position(), m_entry.size(), error);
    }

    // The cells of the row just started that hold something, each with its column; refused
    // beyond the bounds on cells.
    PriceListRow row(int rowNumber) {
        QList<std::pair<int, QString>> cells;
        int column = -1;
        QXmlStreamReader& xml = m_entry.xml();
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && m_entry.at(QLatin1String("row")))
                break;
            if (token != QXmlStreamReader::StartElement || !m_entry.at(QLatin1String("c")))
                continue;
            const QString reference = m_entry.attribute(QLatin1String("r"));
            column = reference.isEmpty() ? column + 1 : cellPosition(reference).first;
            if (column < 0 || column >= kMostColumns)
                throw WorkbookError::damaged(
                    QObject::tr("a cell has the reference \"%1\".").arg(reference));
            QString text = cell();
            if (text.isEmpty())
                continue;
            if (cells.size() == bounds().mostCellsInRow)
                throw WorkbookError(QObject::tr("Row %1 of the sheet holds more than %2 cells, "
                                                "more than a price list has.")
                                        .arg(rowNumber)
                                        .arg(displayLocale().toString(bounds().mostCellsInRow)));
            if (++m_cells > bounds().mostCells)
                throw WorkbookError(QObject::tr("The sheet holds more than %1 cells, more than "
                                                "a price list has.")
                                        .arg(displayLocale().toString(bounds().mostCells)));
            cells.append({column, std::move(text)});
        }
        m_entry.check();
        // Cells in the order of their columns; of a column given twice, the last.
        std::stable_sort(cells.begin(), cells.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QStringList texts;
        QList<int> columns;
        texts.reserve(cells.size());
        columns.reserve(cells.size());
        for (auto& [at, text] : cells) {
            if (!columns.isEmpty() && columns.last() == at) {
                texts.last() = std::move(text);
                --m_cells;
                continue;
            }
            columns.append(at);
            texts.append(std::move(text));
        }
        return PriceListRow(std::move(texts), std::move(columns));
    }

    // The text of the cell just started, as stored: numbers as written ("12.5"), booleans as
    // TRUE or FALSE, errors as their code ("#N/A").
    QString cell() {
        const QString type = m_entry.attribute(QLatin1String("t"));
        QXmlStreamReader& xml = m_entry.xml();
        QString value;
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && m_entry.at(QLatin1String("c")))
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (m_entry.at(QLatin1String("v")))
                value = m_entry.checkedLength(
                    xml.readElementText(QXmlStreamReader::IncludeChildElements));
            else if (m_entry.at(QLatin1String("is")))
                value = m_entry.stringItem();
            else
                xml.skipCurrentElement();
        }
        m_entry.check();
        if (type == QLatin1String("s")) {
            bool ok = false;
            const int index = value.toInt(&ok);
            if (!ok || index < 0 || index >= m_strings.size())
                throw WorkbookError::damaged(QObject::tr("a cell refers to shared string %1 of %2.")
                                                 .arg(value)
                                                 .arg(m_strings.size()));
            return m_strings.at(index);
        }
        if (type == QLatin1String("b"))
            return value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        if (type == QLatin1String("str"))
            return unescaped(value);
        return value;
    }

    ArchiveXml& m_entry;
    const QStringList& m_strings;
    const PriceListProgress& m_progress;
    int m_lastRow = 0;
    qsizetype m_cells = 0;
};

} // namespace

namespace pricelist {

WorkbookBounds& workbookBounds() {
    static WorkbookBounds bounds;
    return bounds;
}

std::optional<PriceListTable> readWorkbook(const QString& path, const QString& sheet,
                                           QString* error, const PriceListProgress& progress) {
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return failure(error, QObject::tr("The file looks like an Excel workbook (.xlsx) but is "
                                          "damaged: it cannot be opened as a zip archive."));
    if (!zip.setCurrentFile(kWorkbookEntry, QuaZip::csInsensitive))
        return failure(error, QObject::tr("The file is a zip archive, not an Excel workbook "
                                          "(.xlsx)."));
    try {
        const QList<SheetEntry> sheets = sheetEntries(zip);
        PriceListTable table;
        for (const SheetEntry& entry : sheets)
            table.sheetNames.append(entry.name);
        if (sheets.isEmpty())
            return failure(error, QObject::tr("The workbook has no sheets."));
        const auto chosen =
            sheet.isEmpty()
                ? sheets.cbegin()
                : std::find_if(sheets.cbegin(), sheets.cend(), [&](const SheetEntry& e) {
                      return e.name.compare(sheet, Qt::CaseInsensitive) == 0;
                  });
        if (chosen == sheets.cend())
            return failure(error, QObject::tr("The workbook has no sheet \"%1\"; its sheets are: "
                                              "%2.")
                                      .arg(sheet, table.sheetNames.join(QLatin1String(", "))));
        const QStringList strings = sharedStrings(zip);
        ArchiveXml entry(zip, chosen->file);
        if (!SheetReader(entry, strings, progress).read(table.rows, error))
            return std::nullopt;
        table.description = QObject::tr("Excel workbook, sheet \"%1\"").arg(chosen->name);
        return table;
    } catch (const WorkbookError& e) {
        return failure(error, e.reason());
    }
}

} // namespace pricelist
