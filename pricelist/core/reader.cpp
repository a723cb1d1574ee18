#include "pricelist/core/reader.h"
#include "pricelist/core/formats.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <algorithm>

namespace {

// How much of the file's start tells text from binary.
constexpr qint64 kSniffedBytes = 64 * 1024;

bool startsWith(const QByteArray& bytes, const char* magic, qsizetype length) {
    return bytes.startsWith(QByteArrayView(magic, length));
}

// Zip archives (an .xlsx is one) start with a local file header, or with the end of the central
// directory when empty.
bool isZip(const QByteArray& head) {
    return startsWith(head, "PK\x03\x04", 4) || startsWith(head, "PK\x05\x06", 4);
}

// The compound file of Office 97-2003 documents (.xls), which encrypted .xlsx files use as well.
bool isCompoundFile(const QByteArray& head) {
    return startsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

bool isUtf16(const QByteArray& head) {
    return startsWith(head, "\xFF\xFE", 2) || startsWith(head, "\xFE\xFF", 2);
}

// NUL bytes, or more than one byte in ten a control character other than tab, line feed,
// carriage return and form feed.
bool looksBinary(const QByteArray& head) {
    qsizetype controls = 0;
    for (const char c : head) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            return true;
        if ((byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f') ||
            byte == 0x7F)
            ++controls;
    }
    return controls * 10 > head.size();
}

QString megabytes(qint64 bytes) {
    return QString::number(bytes / (1024.0 * 1024.0), 'f', 0);
}

} // namespace

PriceListRow::PriceListRow(QStringList texts, QList<int> columns) : m_texts(std::move(texts)) {
    Q_ASSERT(m_texts.size() == columns.size());
    if (columns.isEmpty())
        return;
    // A row with few gaps costs less with them filled than with a column for each cell.
    const int width = columns.last() + 1;
    if (width == m_texts.size())
        return; // no gaps
    if (width > 2 * m_texts.size() + 8) {
        m_columns = std::move(columns);
        return;
    }
    QStringList plain(width);
    for (qsizetype i = 0; i < columns.size(); ++i)
        plain[columns[i]] = std::move(m_texts[i]);
    m_texts = std::move(plain);
}

QString PriceListRow::cell(int column) const {
    if (column < 0)
        return {};
    if (m_columns.isEmpty())
        return column < m_texts.size() ? m_texts[column] : QString();
    const auto found = std::lower_bound(m_columns.cbegin(), m_columns.cend(), column);
    return found != m_columns.cend() && *found == column
               ? m_texts[std::distance(m_columns.cbegin(), found)]
               : QString();
}

QStringList PriceListRow::cells() const {
    if (m_columns.isEmpty())
        return m_texts;
    QStringList plain(width());
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        plain[m_columns[i]] = m_texts[i];
    return plain;
}

namespace pricelist {

std::nullopt_t failure(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return std::nullopt;
}

bool keepReading(const PriceListProgress& progress, qint64 done, qint64 total, QString* error) {
    if (!progress || progress(done, total))
        return true;
    failure(error, QObject::tr("Cancelled."));
    return false;
}

} // namespace pricelist

std::optional<PriceListTable> readPriceList(const QString& path, QString* error,
                                            const QString& sheet,
                                            const PriceListProgress& progress) {
    using pricelist::failure;
    const QFileInfo info(path);
    if (!info.exists())
        return failure(error, QObject::tr("The file %1 does not exist.").arg(path));
    if (info.isDir())
        return failure(error, QObject::tr("%1 is a folder, not a price list.").arg(path));
    if (info.size() > kLargestPriceList)
        return failure(error, QObject::tr("The file is too large (%1 MB): a price list can have "
                                          "at most %2 MB.")
                                  .arg(megabytes(info.size()), megabytes(kLargestPriceList)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(error, QObject::tr("The file cannot be read: %1").arg(file.errorString()));
    const QByteArray head = file.peek(kSniffedBytes);
    if (head.isEmpty())
        return failure(error, QObject::tr("The file is empty."));
    if (isZip(head)) {
        file.close();
        return pricelist::readWorkbook(path, sheet, error, progress);
    }
    if (isCompoundFile(head))
        return failure(error, QObject::tr("The file is an Excel 97-2003 workbook (.xls) or a "
                                          "password-protected one, which cannot be read: save "
                                          "it as an Excel workbook (.xlsx) or as CSV."));
    if (!isUtf16(head) && looksBinary(head))
        return failure(error, QObject::tr("The file is neither CSV text nor an Excel workbook "
                                          "(.xlsx)."));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failure(error, QObject::tr("The file cannot be read: %1").arg(file.errorString()));
    return pricelist::readCsv(bytes, error, progress);
}
