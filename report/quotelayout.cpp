#include "report/quotelayout.h"

#include "data/formats.h"

#include <QByteArrayView>
#include <QHash>
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
const ReportFont kTitle{QStringLiteral("Liberation Sans"), 20, true};

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

// Where the texts of the report header and the terms stand, in twips within their section: the
// margin every text keeps, the right column beside the company block (the logo, the title and
// dates, the job), and the right edge the figures end at.
constexpr int kMargin = 144;
constexpr int kRightEdge = 9213;
constexpr int kColumn = 5760;
constexpr int kCaptionWidth = 1296;
constexpr int kRowHeight = 288;
constexpr int kTitleHeight = 480;
constexpr int kBlockWidth = kColumn - 288 - kMargin;

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

// A section's or control's name as one string shared by every item of that name: a long quote
// places tens of thousands of items under a few dozen names.
QString sharedName(const char* name) {
    static QHash<QByteArrayView, QString> names;
    const QByteArrayView key(name);
    auto found = names.constFind(key);
    if (found == names.cend())
        found = names.insert(key, QString::fromLatin1(name));
    return *found;
}

Section section(const char* name, int height, QList<Control> controls) {
    Section s{sharedName(name), height, std::move(controls), {}, height};
    for (Control& c : s.controls) {
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
            c.rect.setBottom(bottom - 1);
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
        page.items.append({c.kind, s.name, sharedName(c.name), c.rect.translated(kLeftMargin, top),
                           c.text, c.font, c.alignment, s.wrapped[i]});
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

QString dateText(const QDate& date) {
    return date.isValid() ? formatGeneralDate(QDateTime(date, QTime(0, 0))) : QString();
}

Control wrapping(const char* name, QRect rect, const QString& text, const ReportFont& font) {
    Control c = field(name, rect, text, kLeft, font);
    c.wraps = true;
    return c;
}

// Texts one below the other from top, each wrapping to width and pushing the next down; the
// empty ones take no room. Returns where the next text would start.
struct Stacked {
    const char* name;
    QString text;
};
int stack(QList<Control>& controls, int left, int top, int width, const QList<Stacked>& texts) {
    for (const Stacked& t : texts) {
        if (t.text.isEmpty())
            continue;
        int height = 0;
        wrapReportText(t.text, kHeaderValue, width, &height);
        controls << wrapping(t.name, {left, top, width, kRowHeight}, t.text, kHeaderValue);
        top += std::max(kRowHeight, height);
    }
    return top;
}

// The company block at the left; at the right the logo, the title and the estimate's dates;
// below both, whom the quote is prepared for and the job.
Section reportHeader(const QuoteHeader& h, const QuoteTexts& texts) {
    QList<Control> controls;
    int right = 0;
    if (!texts.logo.isNull()) {
        const QRect logo = logoRect(texts.logo, QRect(kColumn, 0, 3465, texts.headerHeight));
        controls.append({"Image1", ReportItem::Picture, logo, QString()});
        right = logo.bottom() + 1 + kRowHeight / 2;
    }
    controls << label("lblTitle", {kColumn, right, kRightEdge - kColumn, kTitleHeight},
                      QStringLiteral("Quote"), kTitle, kRight);
    right += kTitleHeight + kRowHeight / 2;
    const auto row = [&](const char* caption, const char* name, const QString& captionText,
                         const QString& value) {
        if (value.isEmpty())
            return;
        controls << label(caption, {kColumn, right, kCaptionWidth, kRowHeight}, captionText,
                          kHeaderCaption)
                 << field(name,
                          {kColumn + kCaptionWidth, right, kRightEdge - kColumn - kCaptionWidth,
                           kRowHeight},
                          value, kLeft, kHeaderValue);
        right += kRowHeight;
    };
    row("lblDate", "txtDate", QStringLiteral("Date:"), dateText(h.date.date()));
    row("lblValidUntil", "txtValidUntil", QStringLiteral("Valid Until:"), dateText(h.validUntil));

    controls << label("lblCompanyName", {144, 288, 3735, 285}, texts.companyName, kCompany)
             << label("lblCompanyAddress", {144, 576, 3735, 300}, texts.companyAddress, kCompany)
             << label("lblCompanyCity", {144, 864, 3735, 285}, texts.companyCity, kCompany)
             << label("lblPhone", {144, 1152, 5328, 285}, texts.phoneLine, kCompany)
             << label("lblEmail", {144, 1440, 5328, 300}, texts.emailLine, kCompany);
    int left = texts.emailLine.isEmpty() ? 1440 : 1728;
    if (!texts.webLine.isEmpty()) {
        controls << label("lblWebSite", {144, left, 5328, 300}, texts.webLine, kCompany);
        left += kRowHeight;
    }

    // Whom for and where: side by side below the company block and the dates.
    const QuoteCustomer& c = h.customer;
    const bool job = !h.jobName.isEmpty() || !h.jobAddress.isEmpty();
    if (c.name.isEmpty() && !job)
        return section("ReportHeader", texts.headerHeight, controls);
    const int top = std::max(left, right) + kRowHeight;
    // Two blocks alike: a heading, then their lines.
    const auto block = [&](const char* heading, const QString& headingText, int x,
                           const QList<Stacked>& lines) {
        const int width = std::min(kBlockWidth, kRightEdge - x);
        controls << label(heading, {x, top, width, kRowHeight}, headingText, kHeaderCaption);
        return stack(controls, x, top + kRowHeight, width, lines);
    };
    int bottom = top;
    if (!c.name.isEmpty())
        bottom = block("lblPreparedFor", QStringLiteral("Prepared For"), kMargin,
                       {{"txtCustomerName", c.name},
                        {"txtContact", c.contact},
                        {"txtCustomerAddress", c.address},
                        {"txtCustomerCity", c.city},
                        {"txtCustomerPhone", c.phone},
                        {"txtCustomerEmail", c.email}});
    if (job)
        bottom =
            std::max(bottom, block("lblJob", QStringLiteral("Job:"), kColumn,
                                   {{"txtJobName", h.jobName}, {"txtJobAddress", h.jobAddress}}));
    // A row's space between the blocks and the page header.
    return section("ReportHeader", std::max(texts.headerHeight, bottom + kRowHeight), controls);
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
                   {field("txtType", {kMargin, 0, 4170, 315}, group.type, kLeft, kType)});
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
    // The rate follows the caption a space apart, however wide either is.
    const QString taxCaption = QStringLiteral("Tax @");
    const QString rate = formatPercent2(h.taxRate);
    const int taxWidth = reportTextWidth(taxCaption + u' ', kDefault);
    const int rateWidth = std::max(435, reportTextWidth(rate, kDefault));
    return section(
        "rptMain_Grouping_Footer", kTotalsHeight,
        {label("Label7", {6768, 432, 1290, 240}, QStringLiteral("Materials")),
         field("txtTotalMaterial", {8208, 432, 1005, 240}, money(h.totalMaterial), kRight),
         label("Label10", {6768, 720, taxWidth, 240}, taxCaption),
         field("txtTaxRate", {6768 + taxWidth, 720, rateWidth, 240}, rate),
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
    return section("PageFooter", kPageFooterHeight,
                   {label("Label11", {288, 288, 1155, 285}, date),
                    label("lblPage", {6768, 288, kRightEdge - 6768, 285},
                          QStringLiteral("Page %1 of %2").arg(page).arg(pages), kDefault, kRight)});
}

// The terms below the totals, wrapped to the report's width and running on to the next page
// when this one is full: a heading and at least its first lines together, then as many lines as
// each page holds.
constexpr int kTermsWidth = kRightEdge - kMargin;

Section termsPart(const QStringList& lines, bool first) {
    QList<Control> controls;
    int top = 0;
    if (first) {
        controls << label("lblTerms", {kMargin, kRowHeight / 2, kBlockWidth, kRowHeight},
                          QStringLiteral("Terms"), kHeaderCaption);
        top = kRowHeight / 2 + kRowHeight;
    } else {
        controls << label("lblTerms", {kMargin, 0, kBlockWidth, kRowHeight},
                          QStringLiteral("Terms (continued)"), kHeaderCaption);
        top = kRowHeight;
    }
    controls << wrapping("txtTerms", {kMargin, top, kTermsWidth, kRowHeight}, lines.join(u'\n'),
                         kDefault);
    return section("Terms", top + kRowHeight, controls);
}

// The terms' last lines stay on the page of what follows them (tail high), so that section never
// stands alone.
void placeTerms(Composer& composer, const QString& terms, int tail) {
    if (terms.trimmed().isEmpty())
        return;
    const QStringList lines = wrapReportText(terms, kDefault, kTermsWidth, nullptr);
    for (qsizetype next = 0; next < lines.size();) {
        const bool first = next == 0;
        // As many lines as the page holds; a heading with fewer than two of its lines waits for
        // the next page.
        const qsizetype left = lines.size() - next;
        const auto fits = [&](qsizetype count) {
            return composer.fits(termsPart(lines.mid(next, count), first).grownHeight +
                                 (count == left ? tail : 0));
        };
        qsizetype count = left;
        while (count > 1 && !fits(count))
            --count;
        if (!fits(count) || count < std::min<qsizetype>(2, left)) {
            composer.startPage();
            continue;
        }
        composer.place(termsPart(lines.mid(next, count), first));
        next += count;
        // A page does not begin with the blank line between two paragraphs.
        while (next < lines.size() && lines[next].trimmed().isEmpty())
            ++next;
    }
}

Section acceptance() {
    return section(
        "Acceptance", 864,
        {label("lblAcceptedBy", {kMargin, 432, 1152, 240}, QStringLiteral("Accepted by")),
         {"lineAcceptedBy", ReportItem::Rule, QRect(1296, 624, 4320, 0), QString()},
         label("lblAcceptedDate", {6048, 432, 576, 240}, QStringLiteral("Date")),
         {"lineAcceptedDate", ReportItem::Rule, QRect(6624, 624, kRightEdge - 6624, 0),
          QString()}});
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
    composer.place(reportHeader(data.header, texts));
    composer.placePageHeader();
    composer.placeOrBreak(empty("rptMain_Grouping_Header", 15));
    for (const QuoteGroup& group : data.groups) {
        const Section header = groupHeader(group);
        // A type's heading stays with its first line. The lines are laid out one at a time, so
        // a long quote never holds them all twice.
        const int firstLine = group.lines.isEmpty() ? 0 : detail(group.lines.first()).grownHeight;
        if (!composer.fits(header.grownHeight + firstLine))
            composer.startPage();
        composer.place(header);
        for (const QuoteLine& line : group.lines)
            composer.placeOrBreak(detail(line));
        composer.placeOrBreak(groupFooter(group));
    }
    composer.placeOrBreak(empty("rptMain_Footer", 15));
    // The acceptance line follows the totals or the terms' last lines on their page.
    const Section signature = texts.acceptanceLine ? acceptance() : empty("Acceptance", 0);
    const Section sums = totals(data.header);
    const bool terms = !data.header.terms.trimmed().isEmpty();
    if (!composer.fits(sums.grownHeight + (terms ? 0 : signature.grownHeight)))
        composer.startPage();
    composer.place(sums);
    placeTerms(composer, data.header.terms, signature.grownHeight);
    if (texts.acceptanceLine)
        composer.placeOrBreak(signature);
    composer.placeOrBreak(empty("ReportFooter", 5));

    const QString date = formatGeneralDate(QDateTime(printed, QTime(0, 0)));
    const int pages = int(layout.pages.size());
    for (int i = 0; i < pages; ++i)
        placeSection(layout.pages[i], pageFooter(date, i + 1, pages), kFooterTop);
    return layout;
}
