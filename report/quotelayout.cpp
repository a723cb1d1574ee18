#include "report/quotelayout.h"

#include "data/formats.h"

#include <algorithm>
#include <cmath>

namespace {
using namespace ReportPaper;

const ReportFont kDefault{QStringLiteral("Liberation Sans"), 8.25, false};
// The cut of EB Garamond drawn for 12-point text.
const ReportFont kCompany{QStringLiteral("EB Garamond 12"), 12, false};
const ReportFont kHeaderCaption{QStringLiteral("Liberation Sans"), 9, true};
const ReportFont kHeaderValue{QStringLiteral("Liberation Sans"), 9, false};
const ReportFont kHeading{QStringLiteral("Liberation Sans"), 9.75, true};
const ReportFont kType{QStringLiteral("Liberation Sans"), 12, true};
// The grand total stands out from the sums above it.
const ReportFont kTotal{QStringLiteral("Liberation Sans"), 8.25, true};

constexpr Qt::Alignment kRight = Qt::AlignRight;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft;

// Section heights, in twips.
constexpr int kPageHeaderHeight = 1065;
constexpr int kGroupHeaderHeight = 360;
constexpr int kDetailHeight = 288;
constexpr int kGroupFooterHeight = 390;
constexpr int kTotalsHeight = 2202;
constexpr int kPageFooterHeight = 650;
constexpr int kFooterTop = kHeight - kBottomMargin - kPageFooterHeight;

// A control of a section, at its designed place within the section.
struct Control {
    const char* name;
    ReportItem::Kind kind;
    QRect rect;
    QString text;
    ReportFont font = kDefault;
    Qt::Alignment alignment = kLeft;
    bool wraps = false;
};

Control label(const char* name, QRect rect, const QString& text, const ReportFont& font = kDefault,
              Qt::Alignment alignment = kLeft) {
    return {name, ReportItem::Label, rect, text, font, alignment};
}

Control field(const char* name, QRect rect, const QString& text, Qt::Alignment alignment = kLeft,
              const ReportFont& font = kDefault) {
    return {name, ReportItem::Field, rect, text, font, alignment};
}

// A section ready to be placed: its controls, its height, and the height it grows to.
struct Section {
    QString name;
    int height = 0;
    QList<Control> controls;
    QList<QStringList> wrapped; // the lines of each wrapping control
    int grownHeight = 0;
};

// The tallest a section may grow: a whole page below the page header.
constexpr int kTallestSection = kFooterTop - kTopMargin - kPageHeaderHeight;

Section section(const char* name, int height, QList<Control> controls) {
    Section s{QString::fromLatin1(name), height, std::move(controls), {}, height};
    for (const Control& c : s.controls) {
        QStringList lines;
        int bottom = c.rect.bottom() + 1;
        if (c.wraps) {
            int textHeight = 0;
            lines = wrapReportText(c.text, c.font, c.rect.width(), &textHeight);
            const double spacing = reportLineSpacing(c.font);
            // A text taller than a page keeps the lines a page holds.
            const int room = kTallestSection - c.rect.top();
            if (textHeight > room) {
                lines = lines.mid(0, std::max(1, int(room / spacing)));
                lines.last() += QChar(0x2026);
                textHeight = int(std::ceil(lines.size() * spacing));
            }
            bottom = c.rect.top() + std::max(c.rect.height(), textHeight);
        }
        s.wrapped.append(lines);
        // A control that shows nothing does not make its section grow.
        if (!c.text.isEmpty() || c.kind == ReportItem::Rule || c.kind == ReportItem::Picture)
            s.grownHeight = std::max(s.grownHeight, bottom);
    }
    return s;
}

void placeSection(ReportPage& page, const Section& s, int top) {
    page.bands.append({s.name, top, s.height, s.grownHeight});
    for (qsizetype i = 0; i < s.controls.size(); ++i) {
        const Control& c = s.controls[i];
        QRect rect = c.rect.translated(kLeftMargin, top);
        if (c.wraps)
            rect.setHeight(s.grownHeight - c.rect.top());
        page.items.append({c.kind, s.name, QString::fromLatin1(c.name), rect, c.text, c.font,
                           c.alignment, s.wrapped[i]});
    }
}

// Places sections one below the other, starting a page (with its page header) when the next
// one does not fit above the page footer.
class Composer {
public:
    Composer(ReportLayout& layout, Section pageHeader)
        : m_layout(layout), m_pageHeader(std::move(pageHeader)) {}

    void startPage() {
        m_layout.pages.append(ReportPage{});
        m_y = kTopMargin;
        if (m_layout.pages.size() > 1)
            place(m_pageHeader);
    }
    bool fits(int height) const { return m_y + height <= kFooterTop; }
    void placeOrBreak(const Section& s) {
        if (!fits(s.grownHeight))
            startPage();
        place(s);
    }
    void place(const Section& s) {
        placeSection(m_layout.pages.last(), s, m_y);
        m_y += s.grownHeight;
    }
    void placePageHeader() { place(m_pageHeader); }

private:
    ReportLayout& m_layout;
    Section m_pageHeader;
    int m_y = kTopMargin;
};

QString money(Money amount) {
    return formatMoney(amount);
}

QString optionalMoney(const std::optional<Money>& amount) {
    return amount ? formatMoney(*amount) : QString();
}

// The logo fits the picture's box, keeping its proportions, at the box's top right.
QRect logoRect(const QImage& logo, const QRect& box) {
    if (logo.isNull() || logo.width() <= 0 || logo.height() <= 0)
        return box;
    const QSize fitted = logo.size().scaled(box.size(), Qt::KeepAspectRatio);
    return QRect(box.right() + 1 - fitted.width(), box.top(), fitted.width(), fitted.height());
}

Section reportHeader(const QuoteTexts& texts) {
    QList<Control> controls;
    if (!texts.logo.isNull())
        controls.append({"Image1", ReportItem::Picture,
                         logoRect(texts.logo, QRect(5760, 0, 3465, texts.headerHeight)),
                         QString()});
    controls << label("lblCompanyName", {144, 288, 3735, 285}, texts.companyName, kCompany)
             << label("lblCompanyAddress", {144, 576, 3735, 300}, texts.companyAddress, kCompany)
             << label("lblCompanyCity", {144, 864, 3735, 285}, texts.companyCity, kCompany)
             << label("lblPhone", {144, 1152, 5328, 285}, texts.phoneLine, kCompany)
             << label("lblEmail", {144, 1440, 5328, 300}, texts.emailLine, kCompany);
    return section("ReportHeader", texts.headerHeight, controls);
}

Section pageHeader(const QuoteTexts& texts) {
    return section(
        "PageHeader", kPageHeaderHeight,
        {label("Label16", {144, 0, 1152, 285}, QStringLiteral("Reference #"), kHeaderCaption),
         label("QuoteNumber", {1296, 0, 2880, 288}, texts.quoteNumber, kHeaderValue),
         label("Label18", {144, 288, 1152, 288}, QStringLiteral("Estimator"), kHeaderCaption),
         label("Estimator", {1296, 288, 2880, 288}, texts.estimator, kHeaderValue),
         label("Label1", {0, 720, 870, 345}, QStringLiteral("Quantity"), kHeaderCaption, kCentre),
         label("Label2", {864, 720, 6330, 345}, QStringLiteral("Description"), kHeading, kCentre),
         label("Label4", {7200, 720, 1005, 345}, QStringLiteral("Each"), kHeading, kCentre),
         label("Label5", {8208, 720, 1005, 345}, QStringLiteral("Cost"), kHeading, kCentre)});
}

Section groupHeader(const QuoteGroup& group) {
    return section("rptDetail_Grouping_Header", kGroupHeaderHeight,
                   {field("txtType", {0, 0, 4170, 315}, group.type, kLeft, kType)});
}

Section detail(const QuoteLine& line) {
    Control description = field("txtDescription", {1008, 0, 5760, 288}, line.description);
    description.wraps = true;
    const QString quantity =
        line.quantity ? formatValue(QVariant(*line.quantity), QString()) : QString();
    return section(
        "rptDetail_Detail", kDetailHeight,
        {field("txtQuantity", {0, 0, 576, 288}, quantity, kRight), description,
         field("txtPrice", {6912, 0, 1155, 288}, line.price ? formatPrice(*line.price) : QString(),
               kRight),
         field("txtExtension", {8208, 0, 1008, 288}, optionalMoney(line.extension), kRight)});
}

Section groupFooter(const QuoteGroup& group) {
    return section(
        "rptDetail_Grouping_Footer", kGroupFooterHeight,
        {label("Label3", {5184, 0, 1290, 285}, QStringLiteral("Subtotal"), kDefault, kRight),
         field("Text1", {6624, 0, 1440, 240}, group.type),
         field("txtCosts", {8208, 0, 999, 390}, money(group.costs), kRight)});
}

Section totals(const QuoteHeader& h) {
    return section(
        "rptMain_Grouping_Footer", kTotalsHeight,
        {label("Label7", {6768, 432, 1290, 240}, QStringLiteral("Materials")),
         field("txtTotalMaterial", {8208, 432, 1005, 240}, money(h.totalMaterial), kRight),
         label("Label10", {6768, 720, 570, 240}, QStringLiteral("Tax @")),
         field("txtTaxRate", {7344, 720, 435, 240}, formatPercent2(h.taxRate)),
         field("txtTax", {8208, 720, 1005, 240}, money(h.tax), kRight),
         label("Label6", {6768, 1008, 1305, 240}, QStringLiteral("Labor")),
         field("txtTotalLabor", {8208, 1008, 1005, 240}, money(h.totalLabor), kRight),
         label("Label8", {6768, 1296, 1305, 240}, QStringLiteral("Shipping:")),
         field("txtShipping", {8208, 1296, 1005, 240}, money(h.shipping), kRight),
         {"Line1", ReportItem::Rule, QRect(8208, 1584, 1005, 0), QString()},
         label("Label9", {6768, 1728, 1305, 240}, QStringLiteral("TOTAL"), kTotal),
         field("txtGrandTotal", {8208, 1728, 1005, 240}, money(h.grandTotal), kRight, kTotal)});
}

Section pageFooter(const QString& date, int page, int pages) {
    return section(
        "PageFooter", kPageFooterHeight,
        {label("Label11", {288, 288, 1155, 285}, date),
         label("Label15", {7056, 288, 855, 285}, QStringLiteral("Page "), kDefault, kRight),
         label("Label14", {7920, 288, 255, 285}, QString::number(page)),
         label("Label13", {8208, 288, 255, 285}, QStringLiteral("of")),
         label("Label12", {8496, 288, 570, 285}, QString::number(pages))});
}

// A section that holds no controls.
Section empty(const char* name, int height) {
    return section(name, height, {});
}
} // namespace

ReportLayout layOutQuote(const QuoteData& data, const QuoteTexts& texts, const QDate& printed) {
    ReportLayout layout;
    layout.caption = QStringLiteral("Estimate ");
    layout.title = layout.caption + texts.quoteNumber;
    layout.logo = texts.logo;
    Composer composer(layout, pageHeader(texts));
    composer.startPage();
    composer.place(reportHeader(texts));
    composer.placePageHeader();
    composer.placeOrBreak(empty("rptMain_Grouping_Header", 15));
    for (const QuoteGroup& group : data.groups) {
        const Section header = groupHeader(group);
        QList<Section> lines;
        lines.reserve(group.lines.size());
        for (const QuoteLine& line : group.lines)
            lines.append(detail(line));
        // A type's heading stays with its first line.
        const int firstLine = lines.isEmpty() ? 0 : lines.first().grownHeight;
        if (!composer.fits(header.grownHeight + firstLine))
            composer.startPage();
        composer.place(header);
        for (const Section& line : lines)
            composer.placeOrBreak(line);
        composer.placeOrBreak(groupFooter(group));
    }
    composer.placeOrBreak(empty("rptMain_Footer", 15));
    composer.placeOrBreak(totals(data.header));
    composer.placeOrBreak(empty("ReportFooter", 5));

    const QString date = formatGeneralDate(QDateTime(printed, QTime(0, 0)));
    const int pages = int(layout.pages.size());
    for (int i = 0; i < pages; ++i)
        placeSection(layout.pages[i], pageFooter(date, i + 1, pages), kFooterTop);
    return layout;
}
