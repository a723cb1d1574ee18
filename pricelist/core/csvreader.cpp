// Price lists in CSV: the separator and the encoding found from the bytes, the fields split by
// libcsv.
#include "pricelist/core/formats.h"

#include <QObject>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <csv.h>

namespace {

// How much of the file's start, and how many of its rows, decide the separator.
constexpr qsizetype kSampleBytes = 64 * 1024;
constexpr int kSampleRows = 50;
// How often reading tells its progress, in bytes.
constexpr qsizetype kProgressStep = 256 * 1024;

enum class Encoding { Utf8, Utf16, Windows1252 };

// A libcsv parser, freed with its owner. Blanks around fields are not dropped: they belong to
// the cells, which the caller trims.
class CsvParser {
public:
    CsvParser(char separator, unsigned char options) {
        csv_init(&m_parser, options);
        csv_set_delim(&m_parser, static_cast<unsigned char>(separator));
        csv_set_space_func(&m_parser, [](unsigned char) { return 0; });
    }
    ~CsvParser() { csv_free(&m_parser); }
    CsvParser(const CsvParser&) = delete;
    CsvParser& operator=(const CsvParser&) = delete;

    csv_parser* get() { return &m_parser; }

private:
    csv_parser m_parser{};
};

// How many fields each row of the sample has with the given separator.
QList<int> fieldCounts(const QByteArray& sample, char separator) {
    struct Counts {
        QList<int> rows;
        int fields = 0;
    } counts;
    CsvParser parser(separator, 0);
    csv_parse(
        parser.get(), sample.constData(), size_t(sample.size()),
        [](void*, size_t, void* data) { ++static_cast<Counts*>(data)->fields; },
        [](int, void* data) {
            auto* c = static_cast<Counts*>(data);
            c->rows.append(c->fields);
            c->fields = 0;
        },
        &counts);
    return counts.rows.mid(0, kSampleRows);
}

// The separator whose field count is the same over most rows of the sample (the most fields on a
// tie), among comma, semicolon and tab; a comma when none splits the rows.
char detectSeparator(const QByteArray& bytes) {
    const QByteArray sample = bytes.left(kSampleBytes);
    char best = ',';
    int bestRows = 0;
    int bestFields = 1;
    for (const char separator : {',', ';', '\t'}) {
        const QList<int> counts = fieldCounts(sample, separator);
        for (const int fields : counts) {
            const auto rows = int(counts.count(fields));
            if (fields > 1 && (rows > bestRows || (rows == bestRows && fields > bestFields))) {
                best = separator;
                bestRows = rows;
                bestFields = fields;
            }
        }
    }
    return best;
}

QString separatorName(char separator) {
    switch (separator) {
    case ';':
        return QObject::tr("semicolon-separated");
    case '\t':
        return QObject::tr("tab-separated");
    default:
        return QObject::tr("comma-separated");
    }
}

// The UTF-8 sequences of more than one byte (accented letters, signs) and the bytes that belong
// to none. Windows-1252 text seldom forms such a sequence, while a UTF-8 file forms many.
struct Utf8Census {
    qsizetype sequences = 0;
    qsizetype strays = 0;
};

Utf8Census utf8Census(QByteArrayView bytes) {
    Utf8Census census;
    const qsizetype n = bytes.size();
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    for (qsizetype i = 0; i < n;) {
        const unsigned char lead = at(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        bool valid = length > 0 && i + length <= n;
        for (int k = 1; valid && k < length; ++k)
            valid = (at(i + k) & 0xC0) == 0x80;
        // Overlong forms, surrogates and code points beyond U+10FFFF.
        if (valid && length > 2) {
            const unsigned char next = at(i + 1);
            valid = !(lead == 0xE0 && next < 0xA0) && !(lead == 0xED && next > 0x9F) &&
                    !(lead == 0xF0 && next < 0x90) && !(lead == 0xF4 && next > 0x8F);
        }
        if (valid) {
            ++census.sequences;
            i += length;
        } else {
            ++census.strays;
            ++i;
        }
    }
    return census;
}

// Windows-1252 is Latin-1 but for 0x80-0x9F, mapped here rather than through a codec, which
// Qt has only when built with ICU. The five bytes Windows leaves undefined stay control characters.
QString fromWindows1252(QByteArrayView bytes) {
    static constexpr std::array<char16_t, 32> k80to9F = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(k80to9F[byte - 0x80]) : QChar(byte);
    }
    return text;
}

// The cells so far, as libcsv hands over fields and rows.
struct CsvRows {
    bool utf8 = true;
    // Whether UTF-8 fields may hold bytes that are not UTF-8, and the rows (from 1) that do.
    bool strays = false;
    QList<int> rowsWithStrays;
    QStringList fields;
    QList<PriceListRow> rows;
    // Where the row being read began: the line of the file, and whether one has begun.
    int rowLine = 0;
    bool inRow = false;

    void addField(QByteArrayView bytes) {
        fields.append(utf8 ? QString::fromUtf8(bytes) : fromWindows1252(bytes));
        const int row = int(rows.size()) + 1;
        if (strays && fields.constLast().contains(QChar::ReplacementCharacter) &&
            (rowsWithStrays.isEmpty() || rowsWithStrays.constLast() != row))
            rowsWithStrays.append(row);
    }
    // Blank rows (no cell holding more than blanks) are left out.
    void endRow() {
        const bool blank = std::all_of(fields.cbegin(), fields.cend(),
                                       [](const QString& f) { return f.trimmed().isEmpty(); });
        if (!blank)
            rows.append(PriceListRow(std::move(fields)));
        fields.clear();
        inRow = false;
    }
};

void onField(void* field, size_t length, void* data) {
    static_cast<CsvRows*>(data)->addField(
        QByteArrayView(static_cast<const char*>(field), qsizetype(length)));
}

void onRowEnd(int, void* data) {
    static_cast<CsvRows*>(data)->endRow();
}

// "row 4", "rows 4, 9, 12", the first ten and how many more.
QString rowList(const QList<int>& rows) {
    constexpr int kNamed = 10;
    QStringList named;
    for (qsizetype i = 0; i < qMin<qsizetype>(rows.size(), kNamed); ++i)
        named << QString::number(rows[i]);
    QString text = (rows.size() == 1 ? QObject::tr("row %1") : QObject::tr("rows %1"))
                       .arg(named.join(QLatin1String(", ")));
    if (rows.size() > kNamed)
        text += QObject::tr(" and %1 more").arg(rows.size() - kNamed);
    return text;
}

QString unbalancedQuote(const CsvRows& read, const QString& what) {
    return QObject::tr("Unbalanced quote in row %1 (line %2 of the file): %3")
        .arg(read.rows.size() + 1)
        .arg(read.rowLine)
        .arg(what);
}

} // namespace

namespace pricelist {

std::optional<PriceListTable> readCsv(const QByteArray& fileBytes, QString* error,
                                      const PriceListProgress& progress) {
    QByteArray bytes = fileBytes;
    Encoding encoding = Encoding::Utf8;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // Excel's "Unicode text": read on as UTF-8.
        QStringDecoder decoder(
            QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf16LE));
        bytes = QString(decoder(bytes)).toUtf8();
        encoding = Encoding::Utf16;
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    // Decided on the whole file: UTF-8 unless it has more stray bytes than UTF-8 sequences, so
    // that one stray byte does not turn every accent of a UTF-8 file into two signs.
    const Utf8Census census = encoding == Encoding::Utf8 ? utf8Census(bytes) : Utf8Census{};
    if (census.strays > 0 && census.strays >= census.sequences)
        encoding = Encoding::Windows1252;
    const char separator = detectSeparator(bytes);

    CsvRows read;
    read.utf8 = encoding != Encoding::Windows1252;
    read.strays = read.utf8 && census.strays > 0;
    // Lenient: a quote inside an unquoted field (an inch mark, 1/2" pipe, in a hand-made list)
    // is text. Only a quoted field that is never closed is refused, below.
    CsvParser parser(separator, 0);
    // Line by line, to know which line a row begins on.
    const qsizetype total = bytes.size();
    qsizetype lastTold = 0;
    int line = 0;
    for (qsizetype at = 0; at < total;) {
        const qsizetype newline = bytes.indexOf('\n', at);
        const qsizetype end = newline < 0 ? total : newline + 1;
        const QByteArrayView text = QByteArrayView(bytes).sliced(at, end - at);
        ++line;
        if (!read.inRow && !text.trimmed().isEmpty()) {
            read.inRow = true;
            read.rowLine = line;
        }
        if (csv_parse(parser.get(), text.data(), size_t(text.size()), onField, onRowEnd, &read) !=
            size_t(text.size()))
            // Lenient parsing fails only for want of memory or on a field too large.
            return failure(error,
                           QObject::tr("The file cannot be read: %1")
                               .arg(QString::fromUtf8(csv_strerror(csv_error(parser.get())))));
        at = end;
        if (at - lastTold >= kProgressStep) {
            lastTold = at;
            if (!keepReading(progress, at, total, error))
                return std::nullopt;
        }
    }
    // libcsv's states: 2 is "inside a field", which at the end of a quoted one means its closing
    // quote never came.
    constexpr int kInsideField = 2;
    if ((parser.get()->pstate == kInsideField && parser.get()->quoted) ||
        csv_fini(parser.get(), onField, onRowEnd, &read) != 0)
        return failure(error, unbalancedQuote(read, QObject::tr("a quoted field is never "
                                                                "closed.")));
    if (!keepReading(progress, total, total, error))
        return std::nullopt;

    PriceListTable table;
    table.rows = std::move(read.rows);
    const QString encodingName = encoding == Encoding::Utf8    ? QStringLiteral("UTF-8")
                                 : encoding == Encoding::Utf16 ? QStringLiteral("UTF-16")
                                                               : QStringLiteral("Windows-1252");
    table.description = QObject::tr("CSV, %1, %2").arg(separatorName(separator), encodingName);
    if (!read.rowsWithStrays.isEmpty())
        table.description += QObject::tr("; bytes that are not UTF-8 (shown as \uFFFD) in %1")
                                 .arg(rowList(read.rowsWithStrays));
    return table;
}

} // namespace pricelist
