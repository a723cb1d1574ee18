#include "report/reporthtml.h"

#include "data/partialfile.h"

#include <QBuffer>

namespace {
// Twips as CSS points.
QString pt(int twips) {
    return QString::number(twips / 20.0, 'f', 2) + QStringLiteral("pt");
}

// Text as HTML character data: markup characters escaped, and the control characters that HTML
// and XML forbid left out.
QString escaped(const QString& text) {
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n')
            clean.append(c);
    return clean.toHtmlEscaped();
}

// A font as CSS: the family the layout names, then its kin under other systems' names, so a
// browser without the first draws in the nearest. The line height is the one the layout spaces
// wrapped lines by; with no extra leading the baseline falls where the printed page draws it.
QString fontStyle(const ReportFont& font) {
    QStringList families{font.family};
    families << (font.family.contains(QStringLiteral("Garamond"))
                     ? QStringList{QStringLiteral("EB Garamond"), QStringLiteral("Garamond"),
                                   QStringLiteral("Times New Roman")}
                     : QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                   QStringLiteral("Helvetica")});
    families.removeDuplicates();
    for (QString& family : families)
        family = u'\'' + family + u'\'';
    families << (font.family.contains(QStringLiteral("Garamond")) ? QStringLiteral("serif")
                                                                  : QStringLiteral("sans-serif"));
    return QStringLiteral("font-family:%1;font-size:%2pt;font-weight:%3;line-height:%4pt")
        .arg(families.join(u','), QString::number(font.points))
        .arg(font.bold ? 700 : 400)
        .arg(QString::number(reportLineSpacing(font) / 20.0, 'f', 2));
}

// Each font of the report as a class of the page's style sheet (f0, f1, ...), so an item names
// it in a few characters.
struct FontClasses {
    QList<ReportFont> fonts;

    explicit FontClasses(const ReportLayout& layout) {
        for (const ReportPage& page : layout.pages)
            for (const ReportItem& item : page.items)
                if (!fonts.contains(item.font))
                    fonts.append(item.font);
    }
    QString of(const ReportFont& font) const {
        return QStringLiteral("f") + QString::number(fonts.indexOf(font));
    }
    QString styleSheet() const {
        QString css;
        for (qsizetype i = 0; i < fonts.size(); ++i)
            css += QStringLiteral(".f%1{%2}").arg(i).arg(fontStyle(fonts[i]));
        return css;
    }
};

// Left is the default; right and centred text have a class of their own.
QString alignment(Qt::Alignment a) {
    if (a & Qt::AlignRight)
        return QStringLiteral(" ar");
    if (a & Qt::AlignHCenter)
        return QStringLiteral(" ac");
    return QString();
}

QString logoDataUri(const QImage& logo) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    logo.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

const char* const kStyle =
    "body{margin:0;background:#e9ebee;color:#000}"
    ".sheet{position:relative;width:612pt;height:792pt;margin:16pt auto;background:#fff;"
    "box-shadow:0 1pt 6pt rgba(0,0,0,.25);overflow:hidden;page-break-after:always}"
    ".sheet:last-child{page-break-after:auto}"
    // Glyphs one by one, as the printed page draws them: no kerning, no ligatures.
    ".i{position:absolute;margin:0;white-space:pre;font-kerning:none;"
    "font-variant-ligatures:none}"
    ".w{white-space:pre-wrap;overflow-wrap:anywhere}"
    ".r{position:absolute;border-top:.75pt solid #000;height:0}"
    ".ar{text-align:right}.ac{text-align:center}"
    "@page{size:letter;margin:0}"
    "@media print{body{background:#fff}.sheet{margin:0;box-shadow:none}}";
} // namespace

QByteArray reportHtml(const ReportLayout& layout) {
    const FontClasses fonts(layout);
    QString html;
    html.reserve(256 * 1024);
    html +=
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n"
                       "<title>%1</title>\n<style>%2%3</style>\n</head>\n<body>\n")
            .arg(escaped(layout.title.trimmed()), QLatin1String(kStyle), fonts.styleSheet());
    const QString logo = layout.logo.isNull() ? QString() : logoDataUri(layout.logo);
    for (qsizetype p = 0; p < layout.pages.size(); ++p) {
        html += QStringLiteral("<div class=\"sheet\" id=\"page-%1\">\n").arg(p + 1);
        QString section;
        for (const ReportItem& item : layout.pages[p].items) {
            if (item.section != section) {
                if (!section.isEmpty())
                    html += QStringLiteral("</div>\n");
                section = item.section;
                html += QStringLiteral("<div class=\"%1\">\n").arg(section);
            }
            const QRect& r = item.rect;
            const QString box = QStringLiteral("left:%1;top:%2;width:%3")
                                    .arg(pt(r.left()), pt(r.top()), pt(r.width()));
            switch (item.kind) {
            case ReportItem::Picture:
                html += QStringLiteral("<img class=\"i\" alt=\"Logo\" src=\"%1\" "
                                       "style=\"%2;height:%3\"/>\n")
                            .arg(logo, box, pt(r.height()));
                break;
            case ReportItem::Rule:
                html += QStringLiteral("<div class=\"r\" style=\"%1\"></div>\n").arg(box);
                break;
            case ReportItem::Label:
            case ReportItem::Field:
                if (item.text.isEmpty())
                    break;
                html +=
                    QStringLiteral("<p class=\"i %1%2%3\" data-item=\"%4\" style=\"%5\">%6</p>\n")
                        .arg(fonts.of(item.font), alignment(item.alignment),
                             item.lines.isEmpty() ? QString() : QStringLiteral(" w"), item.name,
                             box, escaped(item.text));
                break;
            }
        }
        if (!section.isEmpty())
            html += QStringLiteral("</div>\n");
        html += QStringLiteral("</div>\n");
    }
    html += QStringLiteral("</body>\n</html>\n");
    return html.toUtf8();
}

bool writeReportHtml(const ReportLayout& layout, const QString& path, QString* error) {
    return writeWholeFile(path, reportHtml(layout), error);
}
