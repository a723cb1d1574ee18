// libFuzzer target for the parsers of amounts, percentages, dates, search conditions and tokens.
// Built only with -DPLENWICK_FUZZ=ON under clang; see docs/RELIABILITY.md.

#include "fuzz/parserinvariants.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
// The first byte chooses how the rest reads as text: UTF-8 (what a file holds) or raw UTF-16
// (what a text box holds, lone surrogates included).
QString textOf(const uint8_t* data, size_t size) {
    if (size == 0)
        return {};
    const auto* rest = reinterpret_cast<const char*>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    if (data[0] & 1)
        return QString::fromUtf8(rest, length);
    QString text(length / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(uint8_t(rest[2 * i]) | (uint8_t(rest[2 * i + 1]) << 8)));
    return text;
}

void require(const QString& broken) {
    if (broken.isEmpty())
        return;
    std::fprintf(stderr, "%s\n", qPrintable(broken));
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const parserinvariants::CriteriaCheck criteria;
    const QString text = textOf(data, size);
    require(parserinvariants::checkAmounts(text));
    require(parserinvariants::checkDate(text));
    require(criteria.check(text));
    require(criteria.check(criteria.fieldNames().at(size % 6) + QLatin1Char('=') + text));
    require(parserinvariants::checkTokens(text, QStringLiteral(" ,;")));
    return 0;
}
