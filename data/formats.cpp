#include "data/formats.h"

#include <QRegularExpression>
#include <QTime>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 kMsecsPerDay = 86400000;

// Digits of a decimal number as scanned from text, before any conversion.
struct DecimalText {
    bool negative = false;
    QString whole;    // ASCII digits, may be empty when fraction is not
    QString fraction; // ASCII digits after the decimal point
};

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Skips blanks starting at i.
void skipBlanks(const QString& s, qsizetype& i) {
    while (i < s.size() && s.at(i).isSpace())
        ++i;
}

// Takes one of the candidates at i (the longest that matches); returns whether it did.
bool takeAny(const QString& s, qsizetype& i, const QStringList& candidates) {
    qsizetype best = 0;
    for (const QString& c : candidates) {
        if (!c.isEmpty() && c.size() > best && QStringView(s).mid(i).startsWith(c))
            best = c.size();
    }
    i += best;
    return best > 0;
}

// The integer part: plain digits, or groups of three after a first group of one to three.
bool validGrouping(const QString& whole, const QString& separator) {
    if (separator.isEmpty() || !whole.contains(separator))
        return true;
    const QStringList groups = whole.split(separator);
    if (groups.first().isEmpty() || groups.first().size() > 3)
        return false;
    for (qsizetype g = 1; g < groups.size(); ++g) {
        if (groups.at(g).size() != 3)
            return false;
    }
    return true;
}

enum class Extras { Currency, Percent };

// Reads a whole text as one number with its optional sign and either a currency symbol or a
// trailing percent sign; *hadPercent tells whether the sign was there.
std::optional<DecimalText> scanNumber(const QString& text, const QLocale& locale, Extras extras,
                                      bool* hadPercent = nullptr) {
    const QString s = text.trimmed();
    const QStringList minusSigns{locale.negativeSign(), QStringLiteral("-")};
    const QStringList plusSigns{locale.positiveSign(), QStringLiteral("+")};
    const QStringList symbols{QStringLiteral("$"), locale.currencySymbol()};
    const QString group = locale.groupSeparator();
    const QString point = locale.decimalPoint();

    DecimalText out;
    qsizetype i = 0;
    bool haveSign = false;
    bool haveSymbol = false;
    auto takeSign = [&] {
        if (haveSign)
            return;
        if (takeAny(s, i, minusSigns))
            out.negative = haveSign = true;
        else if (takeAny(s, i, plusSigns))
            haveSign = true;
        skipBlanks(s, i);
    };

    takeSign();
    if (extras == Extras::Currency) {
        haveSymbol = takeAny(s, i, symbols);
        skipBlanks(s, i);
        takeSign();
    }

    QString whole;
    while (i < s.size()) {
        if (isAsciiDigit(s.at(i))) {
            whole += s.at(i++);
        } else if (!group.isEmpty() && !whole.isEmpty() &&
                   QStringView(s).mid(i).startsWith(group) && i + group.size() < s.size() &&
                   isAsciiDigit(s.at(i + group.size()))) {
            whole += group;
            i += group.size();
        } else {
            break;
        }
    }
    if (QStringView(s).mid(i).startsWith(point)) {
        i += point.size();
        while (i < s.size() && isAsciiDigit(s.at(i)))
            out.fraction += s.at(i++);
    }
    if (whole.isEmpty() && out.fraction.isEmpty())
        return std::nullopt;
    if (!validGrouping(whole, group))
        return std::nullopt;
    out.whole = whole;
    if (!group.isEmpty())
        out.whole.remove(group);

    skipBlanks(s, i);
    bool percent = false;
    if (extras == Extras::Currency && !haveSymbol && takeAny(s, i, symbols))
        skipBlanks(s, i);
    if (extras == Extras::Percent && takeAny(s, i, {QStringLiteral("%"), locale.percent()})) {
        percent = true;
    }
    if (i != s.size())
        return std::nullopt;
    if (hadPercent)
        *hadPercent = percent;
    return out;
}

// The correctly rounded double of the digits, scaled by 10^exponent.
double toDouble(const DecimalText& d, int exponent = 0) {
    QString c = (d.negative ? QStringLiteral("-") : QString()) +
                (d.whole.isEmpty() ? QStringLiteral("0") : d.whole) + u'.' + d.fraction + u'0' +
                u'e' + QString::number(exponent);
    return c.toDouble();
}

// A number too large for a double (more than 308 digits) is refused, never taken as infinite.
std::optional<double> finiteOrNothing(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// Rounds a non-negative integer given by the digits of `digits` with `drop` of them being
// decimals, half to even; returns the rounded digit string (leading zeros kept).
QString roundDigitsHalfEven(QString digits, qsizetype drop) {
    if (drop <= 0)
        return digits;
    const QString kept = digits.left(digits.size() - drop);
    const QString gone = digits.right(drop);
    bool up = false;
    if (gone.at(0) > u'5') {
        up = true;
    } else if (gone.at(0) == u'5') {
        const bool exactHalf = gone.mid(1).count(u'0') == gone.size() - 1;
        const bool odd = !kept.isEmpty() && (kept.back().unicode() - u'0') % 2 == 1;
        up = !exactHalf || odd;
    }
    QString result = kept.isEmpty() ? QStringLiteral("0") : kept;
    if (up) {
        qsizetype k = result.size() - 1;
        while (k >= 0 && result.at(k) == u'9')
            result[k--] = u'0';
        if (k < 0)
            result.prepend(u'1');
        else
            result[k] = QChar(result.at(k).unicode() + 1);
    }
    return result;
}

// The digits of an unsigned integer with the locale's grouping.
QString groupedWhole(const QString& digits, const QLocale& locale) {
    const QString group = locale.groupSeparator();
    if (locale.numberOptions().testFlag(QLocale::OmitGroupSeparator) || group.isEmpty())
        return digits;
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype k = 0; k < n; ++k) {
        if (k > 0 && (n - k) % 3 == 0)
            out += group;
        out += digits.at(k);
    }
    return out;
}

bool allZeros(const QString& digits) {
    return digits.count(u'0') == digits.size();
}

// Money as a positive number text with exactly two decimals, half a cent rounded away from zero
// (as Money::roundedToCents rounds), in the locale's separators; *negative tells whether a minus
// belongs in front.
QString moneyNumberText(Money amount, const QLocale& locale, bool* negative) {
    const qint64 units = amount.units();
    // The magnitude in unsigned arithmetic so that the most negative amount is safe too.
    const quint64 magnitude = units < 0 ? 0 - quint64(units) : quint64(units);
    quint64 cents = magnitude / 100;
    if (magnitude % 100 >= 50)
        ++cents;
    *negative = units < 0 && cents != 0;
    const QString fraction = QStringLiteral("%1").arg(cents % 100, 2, 10, QChar(u'0'));
    return groupedWhole(QString::number(cents / 100), locale) + locale.decimalPoint() + fraction;
}

QString dollarAmount(Money amount, const QLocale& locale) {
    bool negative = false;
    const QString number = moneyNumberText(amount, locale, &negative);
    return (negative ? locale.negativeSign() : QString()) + u'$' + number;
}

// An amount with every decimal it holds, two at the least: $14.99, $0.0495, $0.045.
QString priceAmount(Money amount, const QLocale& locale) {
    const qint64 units = amount.units();
    const quint64 magnitude = units < 0 ? 0 - quint64(units) : quint64(units);
    QString fraction = QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QChar(u'0'));
    while (fraction.size() > 2 && fraction.endsWith(u'0'))
        fraction.chop(1);
    const QString whole = groupedWhole(QString::number(magnitude / 10000), locale);
    return (units < 0 ? locale.negativeSign() : QString()) + u'$' + whole + locale.decimalPoint() +
           fraction;
}

// A fraction as a percentage with the given decimals. The double's shortest decimal text is what
// the user typed or the program stored, so rounding works on those digits rather than on a
// binary product that may sit just below a half.
QString percentText(double fraction, int decimals, const QLocale& locale) {
    if (!std::isfinite(fraction))
        return QString::number(fraction);
    const QString sci = QString::number(fraction, 'e', QLocale::FloatingPointShortest);
    const qsizetype e = sci.indexOf(u'e');
    const bool negative = sci.startsWith(u'-');
    QString mantissa = sci.left(e);
    mantissa.remove(u'-').remove(u'.');
    const int exponent = sci.mid(e + 1).toInt() + 2; // times 100
    // Value = mantissa * 10^(exponent - (digits - 1)); write it with `decimals` decimals.
    const int scale = exponent - int(mantissa.size() - 1) + decimals;
    QString digits;
    if (scale >= 0) {
        if (scale > 400) // far beyond any percentage the program meets
            return QString::number(fraction * 100) + locale.percent();
        digits = mantissa + QString(scale, u'0');
    } else {
        const int drop = -scale;
        if (drop > mantissa.size() + 1)
            digits = QStringLiteral("0");
        else
            digits =
                roundDigitsHalfEven(QString(drop - mantissa.size() + 1, u'0') + mantissa, drop);
    }
    while (digits.size() > decimals + 1 && digits.startsWith(u'0'))
        digits.remove(0, 1);
    while (digits.size() <= decimals)
        digits.prepend(u'0');
    const QString whole = digits.left(digits.size() - decimals);
    QString text = whole;
    if (decimals > 0)
        text += locale.decimalPoint() + digits.right(decimals);
    const bool showMinus = negative && !allZeros(digits);
    return (showMinus ? locale.negativeSign() : QString()) + text + locale.percent();
}

bool isUs(const QLocale& locale) {
    return locale.language() == QLocale::English && locale.territory() == QLocale::UnitedStates;
}

// The locale's short date with a four-digit year, and a long time with seconds.
QString generalDatePattern(const QLocale& locale) {
    if (isUs(locale))
        return QStringLiteral("M/d/yyyy");
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QStringLiteral("yyyy")))
        pattern.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return pattern;
}

QString generalTimePattern(const QLocale& locale) {
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    const bool twelveHour = shortTime.contains(u'A') || shortTime.contains(u'a');
    return twelveHour ? QStringLiteral("h:mm:ss AP") : QStringLiteral("HH:mm:ss");
}

const QDate& serialEpoch() {
    static const QDate epoch(1899, 12, 30);
    return epoch;
}

// The plain text of a number: no grouping, the locale's decimal point.
QString plainNumber(double value, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 15);
}

QString plainMoney(Money amount, const QLocale& locale) {
    const qint64 units = amount.units();
    const quint64 magnitude = units < 0 ? 0 - quint64(units) : quint64(units);
    QString text = QString::number(magnitude / quint64(Money::kScale));
    QString fraction =
        QStringLiteral("%1").arg(magnitude % quint64(Money::kScale), 4, 10, QChar(u'0'));
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += locale.decimalPoint() + fraction;
    return (units < 0 ? locale.negativeSign() : QString()) + text;
}

enum class Kind {
    Plain,
    Money,
    Price,
    Sum,
    Currency,
    Percent2,
    Percent1,
    Medium,
    ShortList,
    MonthYear,
    General
};

Kind kindOf(const QString& format) {
    using namespace DisplayFormat;
    const struct {
        const QString& name;
        Kind kind;
    } known[] = {{DisplayFormat::Money, Kind::Money},
                 {DisplayFormat::Price, Kind::Price},
                 {Sum, Kind::Sum},
                 {DisplayFormat::Currency, Kind::Currency},
                 {Percent2, Kind::Percent2},
                 {Percent1, Kind::Percent1},
                 {MediumDate, Kind::Medium},
                 {ShortListDate, Kind::ShortList},
                 {MonthYear, Kind::MonthYear},
                 {GeneralDate, Kind::General}};
    for (const auto& k : known) {
        if (format.compare(k.name, Qt::CaseInsensitive) == 0)
            return k.kind;
    }
    return Kind::Plain;
}

bool isIntegerType(int typeId) {
    return isNumberType(typeId) && typeId != QMetaType::Double && typeId != QMetaType::Float;
}

// A value as Money for the money formats; nothing when it is not a number or out of range.
std::optional<Money> moneyOf(const QVariant& value, const QLocale& locale) {
    const int type = value.userType();
    if (type == qMetaTypeId<Money>())
        return value.value<Money>();
    if (type == QMetaType::QString)
        return parseCurrency(value.toString(), locale);
    if (isIntegerType(type)) {
        if (type == QMetaType::ULongLong || type == QMetaType::ULong) {
            const qulonglong u = value.toULongLong();
            if (u > qulonglong(std::numeric_limits<qint64>::max()))
                return std::nullopt;
            return Money::fromWholeChecked(qint64(u));
        }
        return Money::fromWholeChecked(value.toLongLong());
    }
    if (isNumberType(type))
        return Money::fromDoubleChecked(value.toDouble());
    return std::nullopt;
}

std::optional<double> numberOf(const QVariant& value, const QLocale& locale) {
    const int type = value.userType();
    if (type == qMetaTypeId<Money>())
        return value.value<Money>().toDouble();
    if (type == QMetaType::QString)
        return parseNumber(value.toString(), locale);
    if (isNumberType(type))
        return value.toDouble();
    return std::nullopt;
}

std::optional<QDateTime> dateTimeOf(const QVariant& value, const QLocale& locale) {
    const int type = value.userType();
    if (type == QMetaType::QDateTime)
        return value.toDateTime();
    if (type == QMetaType::QDate)
        return value.toDate().startOfDay();
    if (type == QMetaType::QString)
        return parseDateText(value.toString(), locale);
    if (auto n = numberOf(value, locale)) {
        const QDateTime dt = dateFromSerial(*n);
        if (dt.isValid())
            return dt;
    }
    return std::nullopt;
}

QString plainText(const QVariant& value, const QLocale& locale) {
    const int type = value.userType();
    if (type == qMetaTypeId<Money>())
        return plainMoney(value.value<Money>(), locale);
    if (type == QMetaType::Double || type == QMetaType::Float)
        return plainNumber(value.toDouble(), locale);
    if (type == QMetaType::QDate)
        return formatGeneralDate(value.toDate().startOfDay(), locale);
    if (type == QMetaType::QDateTime)
        return formatGeneralDate(value.toDateTime(), locale);
    return value.toString();
}

// Month number (1-12) of a full or abbreviated month name in the locale or in English.
int monthFromName(const QString& name, const QLocale& locale) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (const QLocale& loc : {locale, english}) {
        for (int m = 1; m <= 12; ++m) {
            for (auto format : {QLocale::LongFormat, QLocale::ShortFormat}) {
                QString candidate = loc.monthName(m, format);
                if (candidate.endsWith(u'.'))
                    candidate.chop(1);
                if (name.compare(candidate, Qt::CaseInsensitive) == 0)
                    return m;
            }
        }
    }
    return 0;
}

// A two-digit year means 1930 to 2029, as the classic date input does.
int fullYear(const QString& digits) {
    const int y = digits.toInt();
    if (digits.size() > 2)
        return y;
    return y < 30 ? 2000 + y : 1900 + y;
}

std::optional<QTime> parseTimeText(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    const int second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    if (!m.captured(4).isEmpty()) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        const bool pm = m.captured(4).at(0).toUpper() == u'P';
        hour = hour % 12 + (pm ? 12 : 0);
    }
    const QTime t(hour, minute, second);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

// Whether the locale's short date puts the day before the month.
bool dayFirst(const QLocale& locale) {
    if (isUs(locale))
        return false;
    const QString f = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype d = f.indexOf(u'd');
    const qsizetype m = f.indexOf(u'M');
    return d >= 0 && m >= 0 && d < m;
}

std::optional<QDate> parseDatePart(const QString& text, const QLocale& locale) {
    static const QRegularExpression iso(QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})$)"));
    static const QRegularExpression numeric(
        QStringLiteral(R"(^(\d{1,2})([/.-])(\d{1,2})\2(\d{4}|\d{2})$)"));
    static const QRegularExpression dayMonthName(
        QStringLiteral(R"(^(\d{1,2})[- ](\p{L}+)\.?[- ](\d{4}|\d{2})$)"));
    static const QRegularExpression monthNameDay(
        QStringLiteral(R"(^(\p{L}+)\.?\s+(\d{1,2}),?\s+(\d{4}|\d{2})$)"));

    QDate date;
    if (auto m = iso.match(text); m.hasMatch()) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    } else if (auto m = numeric.match(text); m.hasMatch()) {
        int month = m.captured(1).toInt();
        int day = m.captured(3).toInt();
        if (dayFirst(locale))
            std::swap(month, day);
        date = QDate(fullYear(m.captured(4)), month, day);
    } else if (auto m = dayMonthName.match(text); m.hasMatch()) {
        const int month = monthFromName(m.captured(2), locale);
        if (month == 0)
            return std::nullopt;
        date = QDate(fullYear(m.captured(3)), month, m.captured(1).toInt());
    } else if (auto m = monthNameDay.match(text); m.hasMatch()) {
        const int month = monthFromName(m.captured(1), locale);
        if (month == 0)
            return std::nullopt;
        date = QDate(fullYear(m.captured(3)), month, m.captured(2).toInt());
    } else if (auto my = parseMonthYear(text, locale)) {
        date = *my;
    }
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace

QLocale displayLocale() {
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

QString formatMoney(Money amount, const QLocale& locale) {
    return dollarAmount(amount, locale);
}

QString formatPrice(Money amount, const QLocale& locale) {
    return priceAmount(amount, locale);
}

QString formatSum(Money amount, const QLocale& locale) {
    return dollarAmount(amount, locale);
}

QString formatCurrency(Money amount, const QLocale& locale) {
    bool negative = false;
    const QString number = moneyNumberText(amount, locale, &negative);
    // The locale's positive pattern (symbol and its place) around our exact digits.
    const QString pattern = locale.toCurrencyString(1.0, QString(), 2);
    const QString one = locale.toString(1.0, 'f', 2);
    QString text = pattern;
    const qsizetype at = pattern.indexOf(one);
    if (at >= 0)
        text.replace(at, one.size(), number);
    else
        text = locale.currencySymbol() + number;
    return (negative ? locale.negativeSign() : QString()) + text;
}

QString formatPercent2(double fraction, const QLocale& locale) {
    return percentText(fraction, 2, locale);
}

QString formatPercent1(double fraction, const QLocale& locale) {
    return percentText(fraction, 1, locale);
}

// The screens show every date one way, as the Home list does.
QString formatMediumDate(const QDate& date, const QLocale& locale) {
    return formatShortListDate(date, locale);
}

QString formatMediumDate(const QDateTime& dateTime, const QLocale& locale) {
    return formatMediumDate(dateTime.date(), locale);
}

QString formatShortListDate(const QDate& date, const QLocale& locale) {
    return locale.toString(date, QStringLiteral("dd MMM yy"));
}

QString formatShortListDate(const QDateTime& dateTime, const QLocale& locale) {
    return formatShortListDate(dateTime.date(), locale);
}

QString formatMonthYear(const QDate& date, const QLocale& locale) {
    return locale.toString(date, QStringLiteral("MMMM yyyy"));
}

QString formatGeneralDate(const QDateTime& dateTime, const QLocale& locale) {
    if (!dateTime.isValid())
        return QString();
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    const bool midnight = time.hour() == 0 && time.minute() == 0 && time.second() == 0;
    const QString timeText = locale.toString(time, generalTimePattern(locale));
    if (date == serialEpoch() && !midnight)
        return timeText;
    const QString dateText = locale.toString(date, generalDatePattern(locale));
    return midnight ? dateText : dateText + u' ' + timeText;
}

QString formatValue(const QVariant& value, const QString& format, const QLocale& locale) {
    if (!value.isValid() || value.isNull())
        return QString();
    const Kind kind = kindOf(format);
    switch (kind) {
    case Kind::Money:
    case Kind::Price:
    case Kind::Sum:
    case Kind::Currency: {
        const auto amount = moneyOf(value, locale);
        if (!amount)
            break;
        if (kind == Kind::Price)
            return priceAmount(*amount, locale);
        return kind == Kind::Currency ? formatCurrency(*amount, locale)
                                      : dollarAmount(*amount, locale);
    }
    case Kind::Percent2:
    case Kind::Percent1: {
        const auto n = numberOf(value, locale);
        if (!n)
            break;
        return percentText(*n, kind == Kind::Percent2 ? 2 : 1, locale);
    }
    case Kind::Medium:
    case Kind::ShortList:
    case Kind::MonthYear:
    case Kind::General: {
        const auto dt = dateTimeOf(value, locale);
        if (!dt || !dt->isValid())
            break;
        if (kind == Kind::Medium)
            return formatMediumDate(*dt, locale);
        if (kind == Kind::ShortList)
            return formatShortListDate(*dt, locale);
        if (kind == Kind::MonthYear)
            return formatMonthYear(dt->date(), locale);
        return formatGeneralDate(*dt, locale);
    }
    case Kind::Plain:
        break;
    }
    return plainText(value, locale);
}

bool isNumberType(int typeId) {
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isNumericText(const QString& text, const QLocale& locale) {
    return parseNumber(text, locale).has_value();
}

std::optional<double> parseNumber(const QString& text, const QLocale& locale) {
    const auto d = scanNumber(text, locale, Extras::Currency);
    if (!d)
        return std::nullopt;
    return finiteOrNothing(toDouble(*d));
}

std::optional<Money> parseCurrency(const QString& text, const QLocale& locale) {
    const auto d = scanNumber(text, locale, Extras::Currency);
    if (!d)
        return std::nullopt;
    // All digits as ten-thousandths, the surplus decimals rounded half to even.
    QString digits = d->whole + d->fraction.leftJustified(4, u'0');
    digits = roundDigitsHalfEven(digits, qMax<qsizetype>(0, d->fraction.size() - 4));
    while (digits.size() > 1 && digits.startsWith(u'0'))
        digits.remove(0, 1);
    if (digits.size() > 19)
        return std::nullopt;
    bool ok = false;
    const quint64 magnitude = digits.toULongLong(&ok);
    if (!ok || magnitude > quint64(Money::kLargestUnits))
        return std::nullopt;
    const qint64 units = d->negative ? qint64(0 - magnitude) : qint64(magnitude);
    return Money::fromUnits(units);
}

std::optional<double> parsePercent(const QString& text, const QLocale& locale) {
    const auto d = scanNumber(text, locale, Extras::Percent);
    if (!d)
        return std::nullopt;
    return finiteOrNothing(toDouble(*d, -2));
}

std::optional<QDate> parseMonthYear(const QString& text, const QLocale& locale) {
    static const QRegularExpression re(QStringLiteral(R"(^(\p{L}+)\.?\s+(\d{4})$)"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int month = monthFromName(m.captured(1), locale);
    if (month == 0)
        return std::nullopt;
    return QDate(m.captured(2).toInt(), month, 1);
}

std::optional<QDateTime> parseDateText(const QString& text, const QLocale& locale) {
    const QString s = text.simplified();
    if (s.isEmpty())
        return std::nullopt;

    // ISO date-times as stored by the program ("2026-12-06T08:43:13").
    if (s.size() > 10 && s.at(4) == u'-' && s.at(10) == u'T') {
        const QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
        if (!dt.isValid())
            return std::nullopt;
        return dt.toLocalTime(); // a stored offset or UTC shows as the local clock
    }

    if (auto t = parseTimeText(s))
        return QDateTime(serialEpoch(), *t);

    // A date, optionally followed by a time; the time starts at the last blank before a colon.
    QString datePart = s;
    QTime time(0, 0);
    const qsizetype colon = s.indexOf(u':');
    if (colon > 0) {
        const qsizetype blank = s.lastIndexOf(u' ', colon);
        if (blank <= 0)
            return std::nullopt;
        const auto t = parseTimeText(s.mid(blank + 1));
        if (!t)
            return std::nullopt;
        time = *t;
        datePart = s.left(blank);
    }
    const auto date = parseDatePart(datePart, locale);
    if (!date)
        return std::nullopt;
    return QDateTime(*date, time);
}

QDateTime dateFromSerial(double serial) {
    // The years 100 to 9999, as the classic date type allows.
    constexpr double kFirst = -657434.0;
    constexpr double kLast = 2958466.0;
    if (!std::isfinite(serial) || serial <= kFirst - 1 || serial >= kLast)
        return QDateTime();
    qint64 days = qint64(std::trunc(serial));
    qint64 msecs = qint64(std::llround(std::abs(serial - double(days)) * kMsecsPerDay));
    if (msecs >= kMsecsPerDay) { // the fraction rounded up to a whole day
        days += serial < 0 ? -1 : 1;
        msecs = 0;
    }
    const QDate date = serialEpoch().addDays(days);
    if (date.year() < 100 || date.year() > 9999)
        return QDateTime();
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

double serialFromDate(const QDateTime& dateTime) {
    if (!dateTime.isValid())
        return 0.0;
    const double days = double(serialEpoch().daysTo(dateTime.date()));
    const double fraction = double(dateTime.time().msecsSinceStartOfDay()) / kMsecsPerDay;
    return days < 0 ? days - fraction : days + fraction;
}
