#include "data/columndata.h"

#include "data/database.h"
#include "data/money.h"

#include <QDateTime>
#include <QStringEncoder>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

namespace {
constexpr qint64 kMsecsPerDay = 86400000;

bool isNumberType(int id) {
    switch (id) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool isFloating(int typeId) {
    return typeId == QMetaType::Double || typeId == QMetaType::Float;
}

bool toInt(const QVariant& v, qint64* out) {
    const int id = v.typeId();
    // Floating point first: converting a double beyond 64 bits to an integer is undefined.
    if (isFloating(id)) {
        const double d = v.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.2e18) {
            *out = qint64(d);
            return true;
        }
        return false;
    }
    if (isNumberType(id)) {
        *out = v.toLongLong();
        return true;
    }
    if (id == QMetaType::QString) {
        bool ok = false;
        *out = v.toString().trimmed().toLongLong(&ok);
        return ok;
    }
    if (id == qMetaTypeId<Money>()) {
        const Money m = v.value<Money>();
        if (m.units() % Money::kScale != 0)
            return false;
        *out = m.units() / Money::kScale;
        return true;
    }
    return false;
}

bool toDouble(const QVariant& v, double* out) {
    const int id = v.typeId();
    if (isNumberType(id) || id == QMetaType::Double || id == QMetaType::Float) {
        *out = v.toDouble();
        return std::isfinite(*out);
    }
    if (id == qMetaTypeId<Money>()) {
        *out = v.value<Money>().toDouble();
        return true;
    }
    if (id == QMetaType::QString) {
        bool ok = false;
        *out = v.toString().trimmed().toDouble(&ok);
        return ok && std::isfinite(*out);
    }
    return false;
}

// An amount beyond Money's range does not fit: it is refused, or kept as read, never wrapped.
bool toMoney(const QVariant& v, qint64* out) {
    const int id = v.typeId();
    std::optional<Money> m;
    if (id == qMetaTypeId<Money>()) {
        m = v.value<Money>();
    } else if (isNumberType(id) && !isFloating(id)) {
        if ((id == QMetaType::ULongLong || id == QMetaType::ULong) &&
            v.toULongLong() > quint64(Money::kLargestUnits))
            return false;
        m = Money::fromWholeChecked(v.toLongLong());
    } else if (double d = 0; toDouble(v, &d)) {
        m = Money::fromDoubleChecked(d);
    }
    if (!m || !Money::inRange(m->units()))
        return false;
    *out = m->units();
    return true;
}

template <typename Ch> int digits(const Ch* p, int n, bool* ok) {
    int value = 0;
    for (int i = 0; i < n; ++i) {
        const auto c = char16_t(p[i]);
        if (c < u'0' || c > u'9') {
            *ok = false;
            return 0;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}
} // namespace

ColumnData::ColumnData(StorageKind kind, std::pmr::memory_resource* memory)
    : m_kind(kind), m_null(memory), m_ints(memory), m_doubles(memory), m_offsets(memory),
      m_lengths(memory), m_text(memory) {}

ColumnData::TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : m_memory(other.m_memory), m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)), m_capacity(std::exchange(other.m_capacity, 0)) {}

ColumnData::TextBuffer& ColumnData::TextBuffer::operator=(TextBuffer&& other) noexcept {
    if (this != &other) {
        release();
        m_memory = other.m_memory;
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

void ColumnData::TextBuffer::release() {
    if (m_data)
        m_memory->deallocate(m_data, m_capacity, 1);
    m_data = nullptr;
    m_capacity = 0;
}

void ColumnData::TextBuffer::reserve(size_t bytes) {
    if (bytes <= m_capacity)
        return;
    auto* grown = static_cast<char*>(m_memory->allocate(bytes, 1));
    if (m_size > 0)
        std::memcpy(grown, m_data, m_size);
    const size_t size = m_size;
    release();
    m_data = grown;
    m_size = size;
    m_capacity = bytes;
}

void ColumnData::TextBuffer::resize(size_t bytes) {
    reserve(bytes);
    m_size = bytes;
}

void ColumnData::TextBuffer::append(const char* text, size_t bytes) {
    if (m_size + bytes > m_capacity)
        reserve(std::max(m_size + bytes, 2 * m_capacity + 64));
    if (bytes > 0)
        std::memcpy(m_data + m_size, text, bytes);
    m_size += bytes;
}

void ColumnData::reserve(int rows) {
    m_null.reserve(size_t(rows));
    switch (m_kind) {
    case StorageKind::Int:
    case StorageKind::Money:
    case StorageKind::Date:
        m_ints.reserve(size_t(rows));
        break;
    case StorageKind::Double:
        m_doubles.reserve(size_t(rows));
        break;
    case StorageKind::Text:
        m_offsets.reserve(size_t(rows));
        m_lengths.reserve(size_t(rows));
        break;
    case StorageKind::Variant:
        m_variants.reserve(size_t(rows));
        break;
    }
}

void ColumnData::reserveTextLike(int rowsRead, int expectedRows) {
    if (m_kind != StorageKind::Text || rowsRead <= 0 || expectedRows <= rowsRead)
        return;
    const double perRow = double(m_text.size()) / rowsRead;
    const double bytes = perRow * expectedRows * 1.15 + 4096;
    if (bytes < double(std::numeric_limits<quint32>::max()))
        m_text.reserve(size_t(bytes));
}

qint64 ColumnData::packDate(const QDateTime& dt) {
    return dt.date().toJulianDay() * kMsecsPerDay + dt.time().msecsSinceStartOfDay();
}

QDateTime ColumnData::unpackDate(qint64 packed) {
    qint64 day = packed / kMsecsPerDay;
    qint64 ms = packed % kMsecsPerDay;
    if (ms < 0) {
        ms += kMsecsPerDay;
        --day;
    }
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

namespace {
template <typename Ch> bool parseIso(const Ch* p, int n, qint64* packed) {
    if (n < 10 || p[4] != Ch('-') || p[7] != Ch('-'))
        return false;
    bool ok = true;
    const int y = digits(p, 4, &ok), mo = digits(p + 5, 2, &ok), d = digits(p + 8, 2, &ok);
    if (!ok)
        return false;
    const QDate date(y, mo, d);
    if (!date.isValid())
        return false;
    int h = 0, mi = 0, s = 0, ms = 0;
    if (n > 10) {
        if ((p[10] != Ch(' ') && p[10] != Ch('T')) || n < 16 || p[13] != Ch(':'))
            return false;
        h = digits(p + 11, 2, &ok);
        mi = digits(p + 14, 2, &ok);
        if (n >= 19 && p[16] == Ch(':'))
            s = digits(p + 17, 2, &ok);
        if (n >= 23 && p[19] == Ch('.'))
            ms = digits(p + 20, 3, &ok);
        if (!ok || h > 23 || mi > 59 || s > 59)
            return false;
    }
    *packed = date.toJulianDay() * kMsecsPerDay + ((h * 60 + mi) * 60 + s) * 1000 + ms;
    return true;
}
} // namespace

QString ColumnData::isoText(const QDateTime& dt) {
    return dt.time() == QTime(0, 0) ? dt.date().toString(Qt::ISODate)
                                    : dt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

bool ColumnData::parseIsoDate(const QString& text, qint64* packed) {
    return parseIso(reinterpret_cast<const char16_t*>(text.utf16()), int(text.size()), packed);
}

bool ColumnData::parseIsoDate(const char* text, int length, qint64* packed) {
    return parseIso(text, length, packed);
}

void ColumnData::appendFromStatement(const Statement& st, int i) {
    using Type = Statement::Type;
    const Type type = st.type(i);
    auto stored = [this](auto& vec, auto v) {
        vec.push_back(v);
        m_null.push_back(false);
    };
    switch (m_kind) {
    case StorageKind::Int:
        if (type == Type::Integer)
            return stored(m_ints, st.integer(i));
        break;
    case StorageKind::Money:
        if (type == Type::Integer) {
            if (const auto m = Money::fromWholeChecked(st.integer(i)))
                return stored(m_ints, m->units());
        } else if (type == Type::Real) {
            if (const auto m = Money::fromDoubleChecked(st.real(i)))
                return stored(m_ints, m->units());
        }
        break;
    case StorageKind::Double:
        if (type == Type::Integer || type == Type::Real)
            return stored(m_doubles, st.real(i));
        break;
    case StorageKind::Date:
        if (type == Type::Text) {
            qint64 packed = 0;
            const QByteArrayView text = st.utf8(i);
            if (parseIsoDate(text.data(), int(text.size()), &packed))
                return stored(m_ints, packed);
        }
        break;
    case StorageKind::Text:
        if (type == Type::Text) {
            // The engine hands out UTF-8, which is how the column keeps text: copied as it is.
            const QByteArrayView text = st.utf8(i);
            m_offsets.push_back(quint32(m_text.size()));
            m_lengths.push_back(quint32(text.size()));
            m_text.append(text.data(), size_t(text.size()));
            m_null.push_back(false);
            return;
        }
        break;
    case StorageKind::Variant:
        break;
    }
    appendStored(st.value(i));
}

bool ColumnData::normalise(const QVariant& in, QVariant* out) const {
    if (in.isNull() || !in.isValid() ||
        (in.typeId() == QMetaType::QString && in.toString().isEmpty() &&
         m_kind != StorageKind::Text)) {
        *out = QVariant();
        return true;
    }
    switch (m_kind) {
    case StorageKind::Int: {
        qint64 i = 0;
        if (!toInt(in, &i))
            return false;
        *out = i;
        return true;
    }
    case StorageKind::Double: {
        double d = 0;
        if (!toDouble(in, &d))
            return false;
        *out = d;
        return true;
    }
    case StorageKind::Money: {
        qint64 u = 0;
        if (!toMoney(in, &u))
            return false;
        *out = QVariant::fromValue(Money::fromUnits(u));
        return true;
    }
    case StorageKind::Date: {
        qint64 packed = 0;
        if (in.typeId() == QMetaType::QDateTime && in.toDateTime().isValid())
            packed = packDate(in.toDateTime());
        else if (in.typeId() == QMetaType::QDate && in.toDate().isValid())
            packed = packDate(in.toDate().startOfDay());
        else if (in.typeId() != QMetaType::QString || !parseIsoDate(in.toString(), &packed))
            return false;
        *out = unpackDate(packed);
        return true;
    }
    case StorageKind::Text:
        if (!in.canConvert<QString>())
            return false;
        *out = in.toString();
        return true;
    case StorageKind::Variant:
        *out = in;
        return true;
    }
    return false;
}

ColumnData::Fit ColumnData::put(size_t row, const QVariant& value, bool appending) {
    const bool null = value.isNull() || !value.isValid();
    auto slot = [&](auto& vec, auto v) {
        if (appending)
            vec.push_back(v);
        else
            vec[row] = v;
    };
    switch (m_kind) {
    case StorageKind::Int:
    case StorageKind::Money:
    case StorageKind::Date: {
        qint64 i = 0;
        if (!null) {
            bool ok = false;
            if (m_kind == StorageKind::Int)
                ok = toInt(value, &i);
            else if (m_kind == StorageKind::Money)
                ok = toMoney(value, &i);
            else if (value.typeId() == QMetaType::QString)
                ok = parseIsoDate(value.toString(), &i);
            else if (value.typeId() == QMetaType::QDateTime && value.toDateTime().isValid()) {
                i = packDate(value.toDateTime());
                ok = true;
            } else if (value.typeId() == QMetaType::QDate && value.toDate().isValid()) {
                i = packDate(value.toDate().startOfDay());
                ok = true;
            }
            if (!ok)
                return Fit::Mismatch;
        }
        slot(m_ints, i);
        break;
    }
    case StorageKind::Double: {
        double d = 0;
        if (!null && !toDouble(value, &d))
            return Fit::Mismatch;
        slot(m_doubles, d);
        break;
    }
    case StorageKind::Text: {
        quint32 offset = 0;
        quint32 length = 0;
        if (!null) {
            // Encoded straight into the buffer: no temporary array per value.
            const QString text = value.toString();
            const size_t start = m_text.size();
            const size_t room = start + size_t(text.size()) * 3;
            if (m_text.capacity() < room)
                m_text.reserve(std::max(room, m_text.capacity() * 2));
            m_text.resize(room);
            QStringEncoder encoder(QStringEncoder::Utf8);
            char* end = encoder.appendToBuffer(m_text.data() + start, text);
            m_text.resize(size_t(end - m_text.data()));
            offset = quint32(start);
            length = quint32(m_text.size() - start);
        }
        slot(m_offsets, offset);
        slot(m_lengths, length);
        break;
    }
    case StorageKind::Variant:
        slot(m_variants, value);
        break;
    }
    if (appending)
        m_null.push_back(null);
    else
        m_null[row] = null;
    return null ? Fit::Null : Fit::Stored;
}

void ColumnData::becomeVariant() {
    std::vector<QVariant> values;
    values.reserve(m_null.size());
    for (int r = 0; r < size(); ++r)
        values.push_back(value(r));
    m_ints.clear();
    m_doubles.clear();
    m_offsets.clear();
    m_lengths.clear();
    m_text.clear();
    m_kind = StorageKind::Variant;
    m_variants = std::move(values);
}

void ColumnData::appendStored(const QVariant& value) {
    if (put(m_null.size(), value, true) == Fit::Mismatch) {
        becomeVariant();
        put(m_null.size(), value, true);
    }
}

bool ColumnData::append(const QVariant& value) {
    return put(m_null.size(), value, true) != Fit::Mismatch;
}

bool ColumnData::set(int row, const QVariant& value) {
    return put(size_t(row), value, false) != Fit::Mismatch;
}

QByteArray ColumnData::utf8At(int row) const {
    return QByteArray::fromRawData(m_text.data() + m_offsets[size_t(row)],
                                   qsizetype(m_lengths[size_t(row)]));
}

bool ColumnData::sameAs(int row, const ColumnData& other, int otherRow) const {
    if (m_kind != other.m_kind || m_kind == StorageKind::Variant)
        return value(row) == other.value(otherRow);
    const auto r = size_t(row);
    const auto o = size_t(otherRow);
    if (m_null[r] || other.m_null[o])
        return m_null[r] == other.m_null[o];
    switch (m_kind) {
    case StorageKind::Int:
    case StorageKind::Money:
    case StorageKind::Date:
        return m_ints[r] == other.m_ints[o];
    case StorageKind::Double:
        return m_doubles[r] == other.m_doubles[o];
    case StorageKind::Text:
        return utf8At(row) == other.utf8At(otherRow);
    case StorageKind::Variant:
        break;
    }
    return false;
}

QVariant ColumnData::value(int row) const {
    const auto r = size_t(row);
    if (m_kind == StorageKind::Variant)
        return m_variants[r];
    if (m_null[r])
        return QVariant();
    switch (m_kind) {
    case StorageKind::Int:
        return m_ints[r];
    case StorageKind::Money:
        return QVariant::fromValue(Money::fromUnits(m_ints[r]));
    case StorageKind::Date:
        return unpackDate(m_ints[r]);
    case StorageKind::Double:
        return m_doubles[r];
    case StorageKind::Text:
        return QString::fromUtf8(m_text.data() + m_offsets[r], qsizetype(m_lengths[r]));
    case StorageKind::Variant:
        break;
    }
    return QVariant();
}
