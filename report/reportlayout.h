#pragma once

#include <QFont>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

// A laid-out report: pages of positioned items, in twips (1440 to the inch) from the paper's
// top left corner. The preview, the printer, the PDF and the HTML file all draw from it, so they
// show the same texts at the same places in the same order.
namespace ReportPaper {
// US Letter, portrait.
constexpr int kWidth = 12240;
constexpr int kHeight = 15840;
constexpr int kLeftMargin = 1200;
constexpr int kTopMargin = 1440;
constexpr int kBottomMargin = 1440;
constexpr int kReportWidth = 9690;
} // namespace ReportPaper

// A font as the layout names it; the text is measured and drawn at points x 20 pixels in a
// coordinate system of twips, so every device wraps it alike.
struct ReportFont {
    QString family;
    double points = 8.25;
    bool bold = false;

    // The font, made once for the whole program.
    QFont font() const;
    QFont makeFont() const;
    bool operator==(const ReportFont&) const = default;
};

struct ReportItem {
    enum Kind { Label, Field, Picture, Rule };
    Kind kind = Label;
    QString section;
    QString name;
    QRect rect; // on the page
    QString text;
    ReportFont font;
    Qt::Alignment alignment = Qt::AlignLeft;
    // Text that wraps to the item's width, broken into lines by the layout (empty when the text
    // is drawn on one line).
    QStringList lines;
};

// A section as placed on a page: its height as designed (or set at run time) and the height it
// took once its contents grew.
struct ReportBand {
    QString section;
    int top = 0;
    int height = 0;
    int grownHeight = 0;
};

struct ReportPage {
    QList<ReportBand> bands;
    QList<ReportItem> items;

    const ReportItem* item(const QString& name) const;
    QList<const ReportItem*> itemsNamed(const QString& name) const;
};

struct ReportLayout {
    QString caption; // of the preview window
    QString title;   // of the document: "Estimate 1002"
    QList<ReportPage> pages;
    QImage logo; // drawn into the item of kind Picture
};

// Breaks text into the lines it takes at width twips: at word boundaries, or anywhere in a word
// longer than the line. The height of those lines, in twips, goes to height.
QStringList wrapReportText(const QString& text, const ReportFont& font, int width, int* height);
// The width of text drawn on one line, in twips, rounded up.
int reportTextWidth(const QString& text, const ReportFont& font);
// The distance from one wrapped line to the next, in twips.
double reportLineSpacing(const ReportFont& font);
