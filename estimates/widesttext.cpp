#include "estimates/widesttext.h"

#include <QFontMetricsF>
#include <QSet>
#include <array>
#include <cmath>
#include <optional>

namespace {

// Advances of the Latin-1 characters, each measured once.
class CharAdvances {
public:
    explicit CharAdvances(const QFont& font) : m_metrics(font) {}

    // The sum of the characters' advances; none for a text with other characters.
    std::optional<qreal> estimate(const QString& text) {
        qreal sum = 0;
        for (const QChar c : text) {
            if (c.unicode() >= m_advances.size())
                return std::nullopt;
            qreal& advance = m_advances[c.unicode()];
            if (advance < 0)
                advance = m_metrics.horizontalAdvance(c);
            sum += advance;
        }
        return sum;
    }
    qreal measure(const QString& text) const { return m_metrics.horizontalAdvance(text); }

private:
    QFontMetricsF m_metrics;
    std::array<qreal, 256> m_advances = [] {
        std::array<qreal, 256> unknown{};
        unknown.fill(-1);
        return unknown;
    }();
};

} // namespace

QList<int> widestTexts(const QStringList& texts, const QFont& font, qreal atLeast) {
    CharAdvances advances(font);
    QList<qreal> estimates(texts.size());
    qreal widest = -1;
    qsizetype longest = 0;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        // A text of other characters is measured at once.
        const std::optional<qreal> estimate = advances.estimate(texts[i]);
        estimates[i] = estimate ? *estimate : advances.measure(texts[i]);
        widest = std::max(widest, estimates[i]);
        longest = std::max(longest, texts[i].size());
    }
    // Kerning changes a text's width by well under a pixel per pair of characters: a text that
    // falls further behind can never be the widest.
    const qreal slack = 2 + 0.5 * qreal(longest);
    const qreal least = std::max(widest - slack, atLeast - slack);
    QSet<QString> measured;
    QList<int> found;
    qreal best = -1;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (estimates[i] <= least || measured.contains(texts[i]))
            continue;
        measured.insert(texts[i]);
        // Views round a text's width up to whole pixels.
        const qreal width = std::ceil(advances.measure(texts[i]));
        if (width <= atLeast)
            continue;
        if (width > best) {
            best = width;
            found.clear();
        }
        if (width == best)
            found.append(int(i));
    }
    return found;
}

int textWidth(const QString& text, const QFont& font) {
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}
