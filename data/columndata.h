#pragma once

#include "data/fieldtype.h"

#include <QByteArray>
#include <QVariant>
#include <memory_resource>
#include <vector>

class Statement;

// One column of a record set's rows, held compactly by kind: whole numbers, currency units and
// dates as 64-bit integers, text as UTF-8 in one buffer. A large catalogue then costs a few
// dozen bytes a row instead of a QVariant per cell.
class ColumnData {
public:
    // The column's arrays are taken from memory (the heap by default; a large record set's own
    // memory, see RowMemory).
    explicit ColumnData(StorageKind kind,
                        std::pmr::memory_resource* memory = std::pmr::get_default_resource());
    ~ColumnData() = default;
    ColumnData(ColumnData&&) = default;
    ColumnData& operator=(ColumnData&&) = default;
    ColumnData(const ColumnData&) = delete;
    ColumnData& operator=(const ColumnData&) = delete;

    StorageKind kind() const { return m_kind; }
    int size() const { return int(m_null.size()); }
    void reserve(int rows);
    // Sizes a text column's buffer for expectedRows rows like the rows read so far, with a
    // margin; other kinds are sized by reserve().
    void reserveTextLike(int rowsRead, int expectedRows);

    // Appends a value read from the database. A value the column's kind cannot hold turns the
    // column into a general one, so nothing read is ever altered.
    void appendStored(const QVariant& value);
    // Appends column i of the statement's current row, reading SQLite's own value without a
    // QVariant in between when it is of the column's kind.
    void appendFromStatement(const Statement& statement, int i);
    // Replaces or appends a value given by a caller; false when the value does not suit the
    // column's kind (the column is left unchanged).
    bool set(int row, const QVariant& value);
    bool append(const QVariant& value);

    bool isNull(int row) const { return m_null[size_t(row)]; }
    QVariant value(int row) const;
    // Fast read paths for searching.
    qint64 intAt(int row) const { return m_ints[size_t(row)]; }
    double doubleAt(int row) const { return m_doubles[size_t(row)]; }
    QByteArray utf8At(int row) const;

    // Whether row holds what otherRow of other holds, as stored (text byte for byte, amounts to
    // the ten-thousandth).
    bool sameAs(int row, const ColumnData& other, int otherRow) const;

    // Converts a value to what this column would store; false when it cannot.
    bool normalise(const QVariant& in, QVariant* out) const;

    // Packed date-time: Julian day times a day's milliseconds plus the time of day.
    static qint64 packDate(const QDateTime& dt);
    static QDateTime unpackDate(qint64 packed);
    // Reads "yyyy-MM-dd", optionally followed by " hh:mm[:ss[.zzz]]" or "Thh:mm...".
    static bool parseIsoDate(const QString& text, qint64* packed);
    // How a date is stored: "yyyy-MM-dd" alone, or "yyyy-MM-ddTHH:mm:ss" when it has a time.
    static QString isoText(const QDateTime& dateTime);
    static bool parseIsoDate(const char* text, int length, qint64* packed);

private:
    // UTF-8 of a text column's values, one after the other: copied in whole, grown by doubling.
    class TextBuffer {
    public:
        explicit TextBuffer(std::pmr::memory_resource* memory) : m_memory(memory) {}
        ~TextBuffer() { release(); }
        TextBuffer(TextBuffer&& other) noexcept;
        TextBuffer& operator=(TextBuffer&& other) noexcept;
        TextBuffer(const TextBuffer&) = delete;
        TextBuffer& operator=(const TextBuffer&) = delete;

        size_t size() const { return m_size; }
        size_t capacity() const { return m_capacity; }
        char* data() { return m_data; }
        const char* data() const { return m_data; }
        void reserve(size_t bytes);
        // Grows or shrinks; bytes added are left as they are, for the caller to fill.
        void resize(size_t bytes);
        void append(const char* text, size_t bytes);
        void clear() { m_size = 0; }

    private:
        void release();
        std::pmr::memory_resource* m_memory;
        char* m_data = nullptr;
        size_t m_size = 0;
        size_t m_capacity = 0;
    };

    enum class Fit { Stored, Null, Mismatch };
    Fit put(size_t row, const QVariant& value, bool appending);
    void becomeVariant();

    StorageKind m_kind;
    std::pmr::vector<bool> m_null;
    std::pmr::vector<qint64> m_ints;     // Int, Money (ten-thousandths), Date (packed)
    std::pmr::vector<double> m_doubles;  // Double
    std::pmr::vector<quint32> m_offsets; // Text: start in m_text
    std::pmr::vector<quint32> m_lengths; // Text: byte length
    TextBuffer m_text;                   // Text: UTF-8, appended to on every write
    std::vector<QVariant> m_variants;
};
