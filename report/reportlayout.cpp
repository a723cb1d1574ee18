#include "report/reportlayout.h"

#include <QFontMetricsF>
#include <QHash>
#include <QTextLayout>
#include <cmath>
#include <memory>

namespace {
// The fonts and metrics of a layout, made once each: a long quote measures thousands of texts in
// the same few fonts.
struct MeasuredFont {
    QFont font;
    QFontMetricsF metrics;
};

const MeasuredFont& measured(const ReportFont& font) {
    static QHash<QString, std::shared_ptr<MeasuredFont>> cache;
    const QString key =
        font.family + u'/' + QString::number(font.points) + (font.bold ? u'b' : u'r');
    auto found = cache.constFind(key);
    if (found == cache.cend()) {
        const QFont made = font.makeFont();
        found = cache.insert(
            key, std::make_shared<MeasuredFont>(MeasuredFont{made, QFontMetricsF(made)}));
    }
    return **found;
}
} // namespace

QFont ReportFont::font() const {
    return measured(*this).font;
}

QFont ReportFont::makeFont() const {
    QFont f(family);
    f.setPixelSize(qRound(points * 20));
    f.setBold(bold);
    // Unhinted outlines keep advances proportional to the size: the layout measured in twips
    // holds on the screen, the printer and in the PDF alike.
    f.setHintingPreference(QFont::PreferNoHinting);
    // No ligatures or contextual forms: every character stays a glyph of its own, so the text
    // copied or searched in the PDF reads as it was typed ("office", not "o ce").
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferNoShaping));
    return f;
}

const ReportItem* ReportPage::item(const QString& name) const {
    for (const ReportItem& i : items)
        if (i.name == name)
            return &i;
    return nullptr;
}

QList<const ReportItem*> ReportPage::itemsNamed(const QString& name) const {
    QList<const ReportItem*> found;
    for (const ReportItem& i : items)
        if (i.name == name)
            found.append(&i);
    return found;
}

QStringList wrapReportText(const QString& text, const ReportFont& font, int width, int* height) {
    const MeasuredFont& m = measured(font);
    // Most texts fit on their line: they need no layout.
    if (!text.contains(u'\n') && m.metrics.horizontalAdvance(text) <= width) {
        if (height)
            *height = int(std::ceil(m.metrics.height()));
        return {text};
    }
    QString prepared = text;
    prepared.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(prepared, m.font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    double y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        QString part = prepared.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && part.back().isSpace())
            part.chop(1);
        lines.append(part);
    }
    layout.endLayout();
    if (height)
        *height = int(std::ceil(y));
    return lines;
}

int reportTextWidth(const QString& text, const ReportFont& font) {
    return int(std::ceil(measured(font).metrics.horizontalAdvance(text)));
}

double reportLineSpacing(const ReportFont& font) {
    return measured(font).metrics.height();
}
