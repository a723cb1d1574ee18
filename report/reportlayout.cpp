#include "report/reportlayout.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <cmath>

QFont ReportFont::font() const {
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
    QTextLayout layout(text, font.font());
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
        QString part = text.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && part.back().isSpace())
            part.chop(1);
        lines.append(part);
    }
    layout.endLayout();
    if (height)
        *height = int(std::ceil(y));
    return lines;
}

double reportLineSpacing(const ReportFont& font) {
    return QFontMetricsF(font.font()).height();
}
