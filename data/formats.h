#pragma once

#include "data/money.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <optional>

// Every display format of the program lives here, so a grid, a bound box, the totals panel and
// the printed quote show a value the same way. Text is United States English unless a function
// is handed another locale; the locale supplies separators, month names and the currency
// pattern, while the patterns themselves ("$" literal, day-month-year order of "Medium Date")
// stay as the program defines them.
//
// Rules shared by all money and percent formats:
// - A negative amount shows a leading minus in front of everything else: -$1,234.50, -8.25%.
//   This holds for the locale's currency format too, whose own negative pattern (parentheses
//   for United States English) is not used: one sign convention everywhere on screen and paper.
// - Amounts are shown to the cent, rounding halves away from zero as Money::roundedToCents
//   does (the rule a printed quote adds up by); an amount that rounds to zero shows no minus
//   sign. A unit price shows every decimal it holds (two to four), so that quantity times price
//   can be checked against the line's cost. Percentages round their decimals half to even.

// The locale the program shows its values in: English (United States).
QLocale displayLocale();

// Named formats the program uses.
namespace DisplayFormat {
inline const QString Money = QStringLiteral("\"$\"#,##0.00");      // grids and bound boxes
inline const QString Price = QStringLiteral("\"$\"#,##0.00##");    // unit prices, 2 to 4 decimals
inline const QString Sum = QStringLiteral("$###,###,##0.00");      // sums read from the database
inline const QString Currency = QStringLiteral("Currency");        // totals the program computes
inline const QString Percent2 = QStringLiteral("0.00%");           // tax rate
inline const QString Percent1 = QStringLiteral("0.0%");            // line margin
inline const QString MediumDate = QStringLiteral("Medium Date");   // price date, 06 Dec 26
inline const QString ShortListDate = QStringLiteral("dd MMM yy");  // Home list, 06 Dec 26
inline const QString MonthYear = QStringLiteral("mmmm yyyy");      // month caption
inline const QString GeneralDate = QStringLiteral("General Date"); // clock, 12/6/2026 8:43:13 AM
} // namespace DisplayFormat

// Formats a value by one of the names above (compared without regard to case). The value may
// hold Money, a number, numeric or date text, a QDate or a QDateTime:
// - money and percent formats take Money and numbers as they are and text through
//   parseNumber(); text that is not numeric is shown unchanged;
// - date formats take dates as they are, text through parseDateText() (unchanged when it is
//   not a date) and numbers as date serial numbers;
// - an empty or unknown format gives the plain text of the value: numbers without grouping,
//   Money with the decimals it needs ("1234.5"), dates as "General Date".
// A null or invalid QVariant gives the empty text.
QString formatValue(const QVariant& value, const QString& format,
                    const QLocale& locale = displayLocale());

QString formatMoney(Money amount, const QLocale& locale = displayLocale());       // $1,234.50
QString formatPrice(Money amount, const QLocale& locale = displayLocale());       // $0.0495
QString formatSum(Money amount, const QLocale& locale = displayLocale());         // $1,234.50
QString formatCurrency(Money amount, const QLocale& locale = displayLocale());    // locale's
QString formatPercent2(double fraction, const QLocale& locale = displayLocale()); // 8.25%
QString formatPercent1(double fraction, const QLocale& locale = displayLocale()); // 12.5%
QString formatMediumDate(const QDate& date, const QLocale& locale = displayLocale());
QString formatMediumDate(const QDateTime& dateTime, const QLocale& locale = displayLocale());
QString formatShortListDate(const QDate& date, const QLocale& locale = displayLocale());
QString formatShortListDate(const QDateTime& dateTime, const QLocale& locale = displayLocale());
QString formatMonthYear(const QDate& date, const QLocale& locale = displayLocale());
// Date and time; the date alone at midnight, the time alone on the day of serial 0
// (1899-12-30), as the classic general date does.
QString formatGeneralDate(const QDateTime& dateTime, const QLocale& locale = displayLocale());

// Whether the text is a number as the program shows or a user types one. Accepted:
// blanks around the text and after a leading sign or symbol; one optional sign (minus or plus)
// before or after an optional currency symbol ("$" or the locale's), so "-$3.00" and "$-3.00" both
// count; the locale's currency symbol may also follow the number; digits with an optional decimal
// point (".5" and "12." count); grouping separators only in their proper places ("1,234,567" yes,
// "1,23" no, since a misplaced comma is more likely a typing slip than grouping). Not accepted:
// text without digits ("", "$", "-"), a second decimal point, parentheses for negatives (the
// program never shows them), exponents, a percent sign (see parsePercent()), blanks inside the
// number, a magnitude beyond the range of a double (about 1.8e308). parseCurrency() additionally
// limits the range to that of Money.
bool isNumericText(const QString& text, const QLocale& locale = displayLocale());
// Whether a value's type is one of the built-in number types (whole or floating).
bool isNumberType(int typeId);

// The value of numeric text (see isNumericText()), correctly rounded to a double.
std::optional<double> parseNumber(const QString& text, const QLocale& locale = displayLocale());

// The amount of numeric text (see isNumericText()), computed from the decimal digits themselves,
// never through floating point; digits past the fourth decimal round half to even. Amounts
// beyond the range of Money (+/- Money::kLargestText once rounded) are refused.
std::optional<Money> parseCurrency(const QString& text, const QLocale& locale = displayLocale());

// A percentage as shown or typed, as a fraction: "8.25%" and "8.25" both give 0.0825 (a number
// typed into a percent box means the percentage the user reads there). Grouping and a minus are
// allowed as for isNumericText(); a currency symbol is not.
std::optional<double> parsePercent(const QString& text, const QLocale& locale = displayLocale());

// "December 2026" (as formatMonthYear() shows it) gives 2026-12-01. Month names, full or
// abbreviated, are matched without regard to case, in the locale's language or in English; the
// year has four digits.
std::optional<QDate> parseMonthYear(const QString& text, const QLocale& locale = displayLocale());

// A date the program shows or a user types: "06-Dec-26", "06 Dec 26", "12/6/2026" (month first
// for United States English, otherwise in the order of the locale's short date), "2026-12-06",
// "December 6, 2026", "December 2026" (its first day), optionally followed by a time such as
// "8:43:13 AM" or "14:05"; ISO date-times ("2026-12-06T08:43:13") and a time alone (on the day
// of serial 0) are accepted too. A two-digit year means 1930 to 2029. Impossible dates such as
// February 30 are refused. The result is in local time.
std::optional<QDateTime> parseDateText(const QString& text,
                                       const QLocale& locale = displayLocale());

// Date serial numbers: 0 is 1899-12-30 00:00, the whole part counts days and the fraction is the
// time of day (for negative serials the fraction still counts forward from midnight: -1.25 is
// 1899-12-29 06:00). Times are kept to the millisecond. A serial that is not finite or lies
// outside the years 100 to 9999 gives an invalid QDateTime; an invalid QDateTime gives 0.
QDateTime dateFromSerial(double serial);
double serialFromDate(const QDateTime& dateTime);
