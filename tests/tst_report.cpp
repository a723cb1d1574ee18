// The printed quote as data: the work table, the laid-out pages (section, item, rectangle in
// twips, text, font), and the HTML and PDF made from them.
#include "data/money.h"
#include "report/datareport.h"
#include "report/quotesource.h"
#include "report/reporthtml.h"
#include "report/reportpainter.h"
#include "support/quotefixture.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QtTest>
#include <algorithm>
#include <unistd.h>

namespace {
using namespace ReportPaper;

constexpr int kFooterTop = kHeight - kBottomMargin - 650;

const CompanyDetails kCompany{QStringLiteral("Hollis & Marsh"),
                              QStringLiteral("1480 Quarry Road"),
                              QStringLiteral("Millbrook, PA 17011"),
                              QStringLiteral("555-0142"),
                              QStringLiteral("555-0143"),
                              QStringLiteral("office@hm.example"),
                              QString(),
                              QString(),
                              false};

// A customer with every line, a job, a validity and two paragraphs of terms.
const QuoteJobSpec kJob{{"Reyes Family Trust", "Dana Reyes", "22 Elm Street", "Millbrook, PA 17011",
                         "555-0190", "dana@reyes.example"},
                        "Kitchen remodel",
                        "22 Elm Street, rear entrance",
                        "2027-01-05",
                        "A deposit of 50% is due when the quote is accepted; the balance is due "
                        "on completion.\n\nPrices hold until the date above."};

// A quote laid out from the database, as the preview shows it.
struct Quote {
    DataEnvironment source;
    std::unique_ptr<DataReport1> report;
    ReportLayout layout;

    Quote(TestDatabase& db, int estimateId, const CompanyDetails& company = kCompany) {
        if (!source.fillWorkTable(db.connection(), estimateId) ||
            !source.rptMain_Grouping(db.connection(), estimateId))
            qWarning("the quote could not be read: %s", qPrintable(source.lastError().text()));
        report = std::make_unique<DataReport1>(source, company);
        report->DataReport_Initialize();
        layout = report->layout(QDate(2026, 12, 6));
    }
    const ReportPage& page(int i) const { return layout.pages.at(i); }
    QString text(const QString& name, int onPage = 0) const {
        const ReportItem* item = page(onPage).item(name);
        return item ? item->text : QStringLiteral("<missing>");
    }
    const ReportBand* band(const QString& section, int onPage = 0) const {
        for (const ReportBand& b : page(onPage).bands)
            if (b.section == section)
                return &b;
        return nullptr;
    }
    // Every shown text, page by page, in the order the pages draw them.
    QStringList texts() const {
        QStringList all;
        for (const ReportPage& p : layout.pages)
            for (const ReportItem& item : p.items)
                if (!item.text.isEmpty())
                    all << (item.lines.isEmpty() ? QStringList{item.text} : item.lines);
        return all;
    }
};

// An item's rectangle within its section, as the layout's table gives it.
QRect designed(const ReportItem& item, const ReportBand& band) {
    return item.rect.translated(-kLeftMargin, -band.top);
}

// The box a text's ink takes: as wide as it measures, where its alignment puts it within the
// item, as tall as its lines.
QRect textBox(const ReportItem& item) {
    const QStringList lines = item.lines.isEmpty() ? QStringList{item.text} : item.lines;
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, reportTextWidth(line, item.font));
    const int height = int(std::ceil(lines.size() * reportLineSpacing(item.font)));
    int left = item.rect.left();
    if (item.alignment & Qt::AlignRight)
        left = item.rect.right() + 1 - width;
    else if (item.alignment & Qt::AlignHCenter)
        left += (item.rect.width() - width) / 2;
    return QRect(left, item.rect.top(), width, height);
}

QString words(const QString& text) {
    return text.simplified();
}

QImage picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    return image;
}

// The ink of a text on a picture of a page, at the item's place: where it lies (pixels darker
// than mid-grey), how much there is, and how many horizontal strokes it crosses, row by row.
struct Ink {
    QRect box;
    double mass = 0;
    int strokes = 0;
    // The mean width of a stroke: thicker for bold.
    double strokeWidth() const { return strokes ? mass / strokes : 0; }
};

Ink inkIn(const QImage& gray, const QRect& region) {
    Ink ink;
    const QRect r = region & gray.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        bool inStroke = false;
        for (int x = r.left(); x <= r.right(); ++x) {
            const int dark = 255 - row[x];
            const bool isInk = dark >= 128;
            if (isInk) {
                ink.box |= QRect(x, y, 1, 1);
                ink.strokes += inStroke ? 0 : 1;
            }
            inStroke = isInk;
            ink.mass += dark / 255.0;
        }
    }
    return ink;
}

// The rows of a picture that hold ink.
QList<int> inkRows(const QImage& gray) {
    QList<int> rows;
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* row = gray.constScanLine(y);
        if (std::any_of(row, row + gray.width(), [](uchar v) { return v < 128; }))
            rows << y;
    }
    return rows;
}

// The rows of one list with no row of the other within tolerance.
QList<int> unmatchedRows(const QList<int>& rows, const QList<int>& other, int tolerance) {
    QList<int> unmatched;
    for (int y : rows) {
        const auto near = std::lower_bound(other.cbegin(), other.cend(), y - tolerance);
        if (near == other.cend() || *near > y + tolerance)
            unmatched << y;
    }
    return unmatched;
}

// The first white sheet on a browser's picture of the page: the box of the pure white pixels of
// the first rows that hold any.
QRect whiteSheet(const QImage& shot) {
    QRect sheet;
    for (int y = 0; y < shot.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        int first = -1, last = -1;
        for (int x = 0; x < shot.width(); ++x)
            if ((row[x] & 0xffffff) == 0xffffff) {
                last = x;
                first = first < 0 ? x : first;
            }
        if (first >= 0)
            sheet |= QRect(first, y, last - first + 1, 1);
        else if (!sheet.isNull())
            break;
    }
    return sheet;
}

// Runs a program to its end; its error output when it cannot be started or fails.
QString run(const QString& program, const QStringList& arguments, int timeoutMs = 60000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return process.errorString();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return QStringLiteral("%1 took longer than %2 s").arg(program).arg(timeoutMs / 1000);
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("%1 ended with status %2: %3")
            .arg(program)
            .arg(process.exitCode())
            .arg(QString::fromLocal8Bit(process.readAll()).right(2000));
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(QuoteJobSpec)

class TestReport : public QObject {
    Q_OBJECT
private slots:
    void init() { registerMoneyMetaType(); }
    void sectionsAsDesigned();
    void totalsOfTheQuote();
    void materialsOnly();
    void companyLines();
    void logoRule();
    void workTableHoldsTheLastEstimateOnly();
    void aLongDescriptionGrowsItsLine();
    void aThousandLinesPaginate();
    void whomAndWhatTheQuoteIsFor();
    void anEstimateWithoutACustomer();
    void nothingOverlapsAndEveryTextFits_data();
    void nothingOverlapsAndEveryTextFits();
    void longTermsRunOnToTheNextPage();
    void htmlEscapesAndFollowsTheLayout();
    void pdfCarriesTheSameTexts();
    void htmlInABrowserLooksLikeThePdf();
};

void TestReport::sectionsAsDesigned() {
    TestDatabase db;
    const int id = addQuote(db, {1002,
                                 QStringLiteral("Dana Reyes"),
                                 0.08,
                                 10,
                                 {{2, QStringLiteral("Copper pipe"), 5, 10}},
                                 {{3, QStringLiteral("Install"), 40, 120}}});
    const Quote q(db, id);
    QCOMPARE(q.layout.caption, QStringLiteral("Estimate "));
    QCOMPARE(q.layout.pages.size(), 1);
    const ReportPage& page = q.page(0);

    struct Expected {
        const char* section;
        const char* name;
        QRect rect;
        const char* family;
        double points;
        bool bold;
        Qt::Alignment alignment;
    };
    const Expected expected[] = {
        {"ReportHeader",
         "lblCompanyName",
         {144, 288, 3735, 285},
         "EB Garamond",
         12,
         false,
         Qt::AlignLeft},
        {"ReportHeader",
         "lblEmail",
         {144, 1440, 5328, 300},
         "EB Garamond",
         12,
         false,
         Qt::AlignLeft},
        {"PageHeader", "Label16", {144, 0, 1152, 285}, "Liberation Sans", 9, true, Qt::AlignLeft},
        {"PageHeader",
         "Estimator",
         {1296, 288, 2880, 288},
         "Liberation Sans",
         9,
         false,
         Qt::AlignLeft},
        {"PageHeader", "Label1", {0, 720, 870, 345}, "Liberation Sans", 9, true, Qt::AlignHCenter},
        {"PageHeader",
         "Label2",
         {864, 720, 6330, 345},
         "Liberation Sans",
         9.75,
         true,
         Qt::AlignHCenter},
        {"PageHeader",
         "Label5",
         {8208, 720, 1005, 345},
         "Liberation Sans",
         9.75,
         true,
         Qt::AlignHCenter},
        {"rptDetail_Grouping_Header",
         "txtType",
         {144, 0, 4170, 315},
         "Liberation Sans",
         12,
         true,
         Qt::AlignLeft},
        {"rptDetail_Detail",
         "txtQuantity",
         {0, 0, 576, 288},
         "Liberation Sans",
         8.25,
         false,
         Qt::AlignRight},
        {"rptDetail_Detail",
         "txtDescription",
         {1008, 0, 5760, 288},
         "Liberation Sans",
         8.25,
         false,
         Qt::AlignLeft},
        {"rptDetail_Detail",
         "txtPrice",
         {6912, 0, 1155, 288},
         "Liberation Sans",
         8.25,
         false,
         Qt::AlignRight},
        {"rptDetail_Grouping_Footer",
         "txtCosts",
         {8208, 0, 999, 390},
         "Liberation Sans",
         8.25,
         false,
         Qt::AlignRight},
        {"rptMain_Grouping_Footer",
         "txtGrandTotal",
         {8208, 1728, 1005, 240},
         "Liberation Sans",
         8.25,
         true,
         Qt::AlignRight},
        {"PageFooter",
         "lblPage",
         {6768, 288, 2445, 285},
         "Liberation Sans",
         8.25,
         false,
         Qt::AlignRight},
    };
    for (const Expected& e : expected) {
        const ReportItem* item = page.item(QString::fromLatin1(e.name));
        QVERIFY2(item, e.name);
        QCOMPARE(item->section, QString::fromLatin1(e.section));
        const ReportBand* band = q.band(item->section);
        QVERIFY(band);
        QCOMPARE(designed(*item, *band), e.rect);
        QVERIFY2(item->font.family.startsWith(QLatin1String(e.family)), e.name);
        QCOMPARE(item->font.points, e.points);
        QCOMPARE(item->font.bold, e.bold);
        QCOMPARE(item->alignment, e.alignment);
    }
    // The rule above the total, and the sections one below the other in their order.
    const ReportItem* rule = page.item(QStringLiteral("Line1"));
    QVERIFY(rule);
    QCOMPARE(designed(*rule, *q.band(QStringLiteral("rptMain_Grouping_Footer"))),
             QRect(8208, 1584, 1005, 0));
    QStringList order;
    int bottom = kTopMargin;
    for (const ReportBand& band : page.bands) {
        order << band.section;
        if (band.section != u"PageFooter") {
            QCOMPARE(band.top, bottom);
            bottom += band.grownHeight;
        }
    }
    QCOMPARE(order, QStringList({"ReportHeader", "PageHeader", "rptMain_Grouping_Header",
                                 "rptDetail_Grouping_Header", "rptDetail_Detail",
                                 "rptDetail_Grouping_Footer", "rptDetail_Grouping_Header",
                                 "rptDetail_Detail", "rptDetail_Grouping_Footer", "rptMain_Footer",
                                 "rptMain_Grouping_Footer", "ReportFooter", "PageFooter"}));
    QCOMPARE(q.band(QStringLiteral("PageHeader"))->height, 1065);
    QCOMPARE(q.band(QStringLiteral("rptMain_Grouping_Footer"))->height, 2202);
    QCOMPARE(q.band(QStringLiteral("PageFooter"))->top, kFooterTop);
    // The page header's values and the footer's date and page numbers.
    QCOMPARE(q.text(QStringLiteral("QuoteNumber")), QStringLiteral("1002"));
    QCOMPARE(q.text(QStringLiteral("Estimator")), QStringLiteral("Dana Reyes"));
    QCOMPARE(q.text(QStringLiteral("Label11")), QStringLiteral("12/6/2026"));
    QCOMPARE(q.text(QStringLiteral("lblPage")), QStringLiteral("Page 1 of 1"));
    // The type headings keep the margin of the texts above them.
    QCOMPARE(page.item(QStringLiteral("txtType"))->rect.left(),
             page.item(QStringLiteral("Label16"))->rect.left());
    QCOMPARE(page.item(QStringLiteral("txtType"))->rect.left(),
             page.item(QStringLiteral("lblCompanyName"))->rect.left());
}

void TestReport::totalsOfTheQuote() {
    TestDatabase db;
    const int id = addQuote(db, {1003,
                                 QStringLiteral("Dana Reyes"),
                                 0.0825,
                                 10,
                                 {{4, QStringLiteral("Valve"), 25, 100}},
                                 {{1, QStringLiteral("Labor"), 50, 50}}});
    const Quote q(db, id);
    QCOMPARE(q.text(QStringLiteral("txtTotalMaterial")), QStringLiteral("$100.00"));
    QCOMPARE(q.text(QStringLiteral("txtTax")), QStringLiteral("$8.25"));
    QCOMPARE(q.text(QStringLiteral("txtTaxRate")), QStringLiteral("8.25%"));
    QCOMPARE(q.text(QStringLiteral("txtTotalLabor")), QStringLiteral("$50.00"));
    QCOMPARE(q.text(QStringLiteral("txtShipping")), QStringLiteral("$10.00"));
    QCOMPARE(q.text(QStringLiteral("txtGrandTotal")), QStringLiteral("$168.25"));
    // The work table's grand total agrees with the printed one.
    QCOMPARE(db.scalar(QStringLiteral("SELECT GrandTotal FROM Test")).toDouble(), 168.25);
    // Each type's subtotal, headed by the type.
    const QList<const ReportItem*> costs = q.page(0).itemsNamed(QStringLiteral("txtCosts"));
    QCOMPARE(costs.size(), 2);
    QCOMPARE(costs[0]->text, QStringLiteral("$100.00"));
    QCOMPARE(costs[1]->text, QStringLiteral("$50.00"));
    QCOMPARE(q.page(0).itemsNamed(QStringLiteral("Text1"))[1]->text, QStringLiteral("Labor"));
}

void TestReport::materialsOnly() {
    TestDatabase db;
    // Cents that floating point cannot hold exactly still add up to the cent.
    const int id = addQuote(db, {1004,
                                 QStringLiteral("Dana Reyes"),
                                 0.07,
                                 12.5,
                                 {{3, QStringLiteral("Fitting"), 0.1, 0.3},
                                  {7, QStringLiteral("Elbow"), 0.1, 0.7},
                                  {1, QStringLiteral("Pipe"), 1234.56, 1234.56}},
                                 {}});
    const Quote q(db, id);
    QCOMPARE(q.page(0).itemsNamed(QStringLiteral("txtType")).size(), 1);
    QCOMPARE(q.text(QStringLiteral("txtType")), QStringLiteral("Materials"));
    QCOMPARE(q.text(QStringLiteral("txtTotalLabor")), QStringLiteral("$0.00"));
    QCOMPARE(q.text(QStringLiteral("txtTotalMaterial")), QStringLiteral("$1,235.56"));
    // 1,235.56 x 1.07 = 1,322.0492, plus 12.50 shipping.
    QCOMPARE(q.text(QStringLiteral("txtGrandTotal")), QStringLiteral("$1,334.55"));
    const QuoteHeader& h = q.source.data().header;
    QCOMPARE(h.grandTotal, h.totalMaterial + h.tax + h.shipping);
    // An estimate without any line prints its shipping as the total.
    const int bare = addQuote(db, {1005, QStringLiteral("Dana Reyes"), 0.05, 7, {}, {}});
    const Quote empty(db, bare);
    QCOMPARE(empty.text(QStringLiteral("txtTotalMaterial")), QStringLiteral("$0.00"));
    QCOMPARE(empty.text(QStringLiteral("txtGrandTotal")), QStringLiteral("$7.00"));
    QVERIFY(empty.page(0).itemsNamed(QStringLiteral("txtType")).isEmpty());
}

void TestReport::companyLines() {
    TestDatabase db;
    const int id = addQuote(db, {});
    const Quote full(db, id);
    QCOMPARE(full.text(QStringLiteral("lblCompanyName")), QStringLiteral("Hollis & Marsh"));
    QCOMPARE(full.text(QStringLiteral("lblCompanyAddress")), QStringLiteral("1480 Quarry Road"));
    QCOMPARE(full.text(QStringLiteral("lblPhone")),
             QStringLiteral("Phone: 555-0142 Fax: 555-0143"));
    QCOMPARE(full.text(QStringLiteral("lblEmail")), QStringLiteral("EMail: office@hm.example"));
    QVERIFY(!full.page(0).item(QStringLiteral("lblWebSite")));

    CompanyDetails sparse = kCompany;
    sparse.phone.clear();
    sparse.fax.clear();
    sparse.email.clear();
    const Quote bare(db, id, sparse);
    QCOMPARE(bare.text(QStringLiteral("lblPhone")), QStringLiteral("Phone:  Fax: "));
    QCOMPARE(bare.text(QStringLiteral("lblEmail")), QString());
    // The empty e-mail line takes no room: the page header follows the phone line.
    QCOMPARE(bare.band(QStringLiteral("PageHeader"))->top, kTopMargin + 1152 + 285);
    // The web site follows the last line above it.
    for (CompanyDetails company : {kCompany, sparse}) {
        company.webSite = QStringLiteral("www.hm.example");
        const Quote q(db, id, company);
        const ReportItem* site = q.page(0).item(QStringLiteral("lblWebSite"));
        QCOMPARE(site->text, QStringLiteral("Web: www.hm.example"));
        const QString above = company.email.isEmpty() ? "lblPhone" : "lblEmail";
        QCOMPARE(site->rect.top() - q.page(0).item(above)->rect.top(), 288);
    }
}

void TestReport::logoRule() {
    TestDatabase db;
    const int id = addQuote(db, {});
    const QString logoPath = db.dir() + QStringLiteral("/logo.png");
    QVERIFY(picture(400, 100).save(logoPath));
    const QString brokenPath = db.dir() + QStringLiteral("/broken.png");
    {
        QFile broken(brokenPath);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a picture");
    }

    const Quote none(db, id);
    QCOMPARE(none.band(QStringLiteral("ReportHeader"))->height, 300);
    QVERIFY(!none.page(0).item(QStringLiteral("Image1")));
    QVERIFY(!none.report->logoFailed());

    CompanyDetails withLogo = kCompany;
    withLogo.logoPath = logoPath;
    const Quote logo(db, id, withLogo);
    QCOMPARE(logo.band(QStringLiteral("ReportHeader"))->height, 1080);
    const ReportItem* image = logo.page(0).item(QStringLiteral("Image1"));
    QVERIFY(image);
    // Kept in proportion within its box, at the box's top right.
    QCOMPARE(image->rect.right(), kLeftMargin + 5760 + 3465 - 1);
    QCOMPARE(image->rect.top(), kTopMargin);
    QCOMPARE(image->rect.width(), 3465);
    QCOMPARE(image->rect.height(), 3465 / 4);
    QVERIFY(!logo.layout.logo.isNull());

    // A picture that cannot be loaded: no logo, and every company line and header value shows.
    withLogo.logoPath = brokenPath;
    const Quote broken(db, id, withLogo);
    QVERIFY(broken.report->logoFailed());
    QCOMPARE(broken.band(QStringLiteral("ReportHeader"))->height, 300);
    QVERIFY(!broken.page(0).item(QStringLiteral("Image1")));
    QCOMPARE(broken.text(QStringLiteral("lblCompanyAddress")), QStringLiteral("1480 Quarry Road"));
    QCOMPARE(broken.text(QStringLiteral("QuoteNumber")), QStringLiteral("1001"));
    QCOMPARE(broken.text(QStringLiteral("Estimator")), QStringLiteral("Dana Reyes"));

    // A huge picture is kept at a size paper needs.
    QVERIFY(picture(8000, 2000).save(logoPath));
    withLogo.logoPath = logoPath;
    const Quote huge(db, id, withLogo);
    QVERIFY(huge.layout.logo.width() <= 3465 * 600 / 1440);
}

void TestReport::workTableHoldsTheLastEstimateOnly() {
    TestDatabase db;
    const int first = addQuote(
        db, {2001, QStringLiteral("Ann"), 0, 0, {{1, QStringLiteral("First's line"), 1, 1}}, {}});
    const int second = addQuote(
        db, {2002, QStringLiteral("Bo"), 0, 0, {{1, QStringLiteral("Second's line"), 2, 2}}, {}});
    const Quote a(db, first);
    const Quote b(db, second);
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Test")).toInt(), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT EstimateID FROM Test")).toInt(), second);
    QCOMPARE(b.text(QStringLiteral("QuoteNumber")), QStringLiteral("2002"));
    QCOMPARE(b.text(QStringLiteral("txtDescription")), QStringLiteral("Second's line"));
    QVERIFY(!b.texts().contains(QStringLiteral("First's line")));
    // A key that is not stored leaves the work table empty and is reported.
    DataEnvironment missing;
    QVERIFY(missing.fillWorkTable(db.connection(), 999999));
    QVERIFY(!missing.rptMain_Grouping(db.connection(), 999999));
    QVERIFY(missing.lastError().isSet());
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Test")).toInt(), 0);
}

void TestReport::aLongDescriptionGrowsItsLine() {
    TestDatabase db;
    QString long600;
    while (long600.size() < 600)
        long600 += QStringLiteral("threaded galvanised fitting ");
    long600.truncate(600);
    QList<QuoteLineSpec> lines = numberedLines(30);
    lines.insert(1, {1, long600, 3, 3});
    const int id = addQuote(db, {3001, QStringLiteral("Ann"), 0, 0, lines, {}});
    const Quote q(db, id);
    const QList<const ReportItem*> descriptions =
        q.page(0).itemsNamed(QStringLiteral("txtDescription"));
    const ReportItem* grown = descriptions.at(1);
    QCOMPARE(grown->text, long600);
    QVERIFY2(grown->lines.size() >= 4, qPrintable(QString::number(grown->lines.size())));
    QCOMPARE(grown->lines.join(QLatin1Char(' ')).simplified(), long600.simplified());
    QVERIFY(grown->rect.height() > 288);
    // The next line starts below the grown one.
    QCOMPARE(descriptions.at(2)->rect.top(), grown->rect.bottom() + 1);
    // And the page holds fewer lines than it would have: the break moves up.
    TestDatabase plainDb;
    const Quote plain(
        plainDb, addQuote(plainDb, {3002, QStringLiteral("Ann"), 0, 0, numberedLines(31), {}}));
    QVERIFY(descriptions.size() <
            plain.page(0).itemsNamed(QStringLiteral("txtDescription")).size());
    // A word longer than the line breaks inside itself rather than running off the page.
    TestDatabase wordDb;
    const Quote word(
        wordDb,
        addQuote(
            wordDb,
            {3003, QStringLiteral("Ann"), 0, 0, {{1, QString(300, QLatin1Char('W')), 1, 1}}, {}}));
    const ReportItem* wide = word.page(0).item(QStringLiteral("txtDescription"));
    QVERIFY(wide->lines.size() > 1);
}

void TestReport::aThousandLinesPaginate() {
    TestDatabase db;
    const int id = addQuote(db, {4001, QStringLiteral("Ann"), 0.05, 25, numberedLines(1000),
                                 numberedLines(200, QStringLiteral("Hour"))});
    const Quote q(db, id);
    const int pages = int(q.layout.pages.size());
    // Page 1 holds 32 lines below the company block, every other page 39.
    QCOMPARE(pages, 32);
    int details = 0;
    for (int p = 0; p < pages; ++p) {
        const ReportPage& page = q.page(p);
        QCOMPARE(page.itemsNamed(QStringLiteral("Label16")).size(), 1); // the page header
        QCOMPARE(q.text(QStringLiteral("lblPage"), p),
                 QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages));
        details += int(page.itemsNamed(QStringLiteral("txtQuantity")).size());
        // Nothing reaches into the page footer, and no page ends on a type's heading.
        QString last;
        for (const ReportBand& band : page.bands)
            if (band.section != u"PageFooter") {
                QVERIFY(band.top + band.grownHeight <= kFooterTop);
                if (band.grownHeight > 0)
                    last = band.section;
            }
        QVERIFY(last != u"rptDetail_Grouping_Header");
    }
    QCOMPARE(details, 1200);
    QCOMPARE(q.text(QStringLiteral("txtTotalMaterial"), pages - 1), QStringLiteral("$2,500.00"));
    QCOMPARE(q.text(QStringLiteral("txtTotalLabor"), pages - 1), QStringLiteral("$500.00"));
    QCOMPARE(q.text(QStringLiteral("txtGrandTotal"), pages - 1), QStringLiteral("$3,150.00"));
}

void TestReport::whomAndWhatTheQuoteIsFor() {
    TestDatabase db;
    const int id = addQuote(db, {1101, "Ann", 0.0825, 0, numberedLines(2), {}});
    setQuoteJob(db, id, kJob);
    db.exec("UPDATE EstimateTBL SET EstimateData = '2026-12-01'");
    const Quote q(db, id);
    const ReportPage& page = q.page(0);
    // Each in its band, as placed.
    const QStringList expected[] = {{"lblTitle", "Quote"},
                                    {"txtDate", "12/1/2026"},
                                    {"txtValidUntil", "1/5/2027"},
                                    {"lblPreparedFor", "Prepared For"},
                                    {"lblJob", "Job:"},
                                    {"txtJobName", "Kitchen remodel"},
                                    {"lblTerms", "Terms"},
                                    {"txtJobAddress", "22 Elm Street, rear entrance"}};
    QStringList shown;
    for (const char* name : {"txtCustomerName", "txtContact", "txtCustomerAddress",
                             "txtCustomerCity", "txtCustomerPhone", "txtCustomerEmail"})
        shown << q.text(name);
    QCOMPARE(shown, kJob.customer);
    for (const QStringList& e : expected) {
        const ReportItem* item = page.item(e[0]);
        QVERIFY2(item && item->text == e[1], qPrintable(e[0]));
        const ReportBand* band = q.band(item->section);
        QCOMPARE(item->section, e[0] == u"lblTerms" ? "Terms" : "ReportHeader");
        QVERIFY(item->rect.top() >= band->top &&
                item->rect.bottom() < band->top + band->grownHeight);
    }
    // Whom for and the job side by side below the company block and the dates.
    const QRect whom = page.item("lblPreparedFor")->rect;
    QCOMPARE(page.item("lblJob")->rect.top(), whom.top());
    QVERIFY(whom.top() > std::max(page.item("lblEmail")->rect.bottom(),
                                  page.item("txtValidUntil")->rect.bottom()));
    // The terms follow the totals, wrapped at the report's width into their paragraphs.
    const ReportBand* totals = q.band("rptMain_Grouping_Footer");
    QCOMPARE(q.band("Terms")->top, totals->top + totals->grownHeight);
    const QStringList terms = page.item("txtTerms")->lines;
    QCOMPARE(words(terms.join(u' ')), words(kJob.terms));
    QCOMPARE(terms.at(terms.indexOf(QString()) + 1), "Prices hold until the date above.");

    // A customer's empty lines are left out: the next line moves up.
    db.exec("UPDATE CustomersTBL SET ContactName = NULL, Phone = ''");
    const Quote sparse(db, id);
    QVERIFY(!sparse.page(0).item("txtContact") && !sparse.page(0).item("txtCustomerPhone"));
    QCOMPARE(sparse.page(0).item("txtCustomerAddress")->rect.top() -
                 sparse.page(0).item("txtCustomerName")->rect.top(),
             288);
}

// Prints as before, with the title and the dates beside the company block.
void TestReport::anEstimateWithoutACustomer() {
    TestDatabase db;
    const int id = addQuote(db, {1102, "Ann", 0.05, 0, numberedLines(3), {}});
    const Quote q(db, id);
    QCOMPARE(q.text("lblTitle"), "Quote");
    QVERIFY(!q.text("txtDate").isEmpty());
    for (const char* absent : {"txtValidUntil", "lblPreparedFor", "lblJob", "lblTerms"})
        QVERIFY2(!q.page(0).item(absent), absent);
    QCOMPARE(q.band("PageHeader")->top, kTopMargin + 1440 + 300);
    // A job without a customer: the job alone.
    setQuoteJob(db, id, {{}, "Garage", {}, {}, {}});
    const Quote job(db, id);
    QCOMPARE(job.text("txtJobName"), "Garage");
    QVERIFY(!job.page(0).item("lblPreparedFor"));
}

void TestReport::nothingOverlapsAndEveryTextFits_data() {
    QTest::addColumn<bool>("logo");
    QTest::addColumn<bool>("acceptance");
    QTest::addColumn<QuoteJobSpec>("job");
    QTest::newRow("customer, logo, acceptance") << true << true << kJob;
    QTest::newRow("no customer, no acceptance") << false << false << QuoteJobSpec{};
    QuoteJobSpec longer = kJob;
    longer.customer[0] = "The Millbrook Township Volunteer Fire Company and Ambulance Service";
    longer.jobAddress = "Rear lot behind the station, 1400 block of Quarry Road, gate code at "
                        "the office";
    longer.terms = kJob.terms.repeated(6);
    QTest::newRow("long texts wrap") << false << true << longer;
}

void TestReport::nothingOverlapsAndEveryTextFits() {
    QFETCH(bool, logo);
    QFETCH(bool, acceptance);
    QFETCH(QuoteJobSpec, job);
    TestDatabase db;
    const int id = addQuote(db, {1103, "Ann", 0.0825, 12.5, numberedLines(24),
                                 numberedLines(3, QStringLiteral("Hour"))});
    setQuoteJob(db, id, job);
    CompanyDetails company = kCompany;
    company.webSite = QStringLiteral("www.hollis-marsh.example");
    company.acceptanceLine = acceptance;
    company.logoPath = logo ? db.dir() + QStringLiteral("/logo.png") : QString();
    QVERIFY(!logo || picture(600, 400).save(company.logoPath));
    const Quote q(db, id, company);
    for (const ReportPage& page : q.layout.pages) {
        QList<QRect> taken;
        for (const ReportItem& item : page.items) {
            if (item.kind == ReportItem::Rule ||
                (item.kind != ReportItem::Picture && item.text.isEmpty()))
                continue;
            const QRect box = item.kind == ReportItem::Picture ? item.rect : textBox(item);
            QVERIFY2(item.rect.contains(box) && box.right() < kLeftMargin + kReportWidth &&
                         (box.bottom() < kFooterTop || item.section == u"PageFooter"),
                     qPrintable(item.name));
            for (const QRect& other : std::as_const(taken))
                QVERIFY2(!box.intersects(other), qPrintable(item.name));
            taken << box;
        }
    }
    // The acceptance line as the preference says, right after the terms.
    const int last = int(q.layout.pages.size()) - 1;
    QCOMPARE(q.page(last).itemsNamed("lblAcceptedBy").size(), int(acceptance));
    if (const ReportBand* terms = q.band("Terms", last); acceptance)
        QCOMPARE(q.band("Acceptance", last)->top, terms->top + terms->grownHeight);
}

void TestReport::longTermsRunOnToTheNextPage() {
    QStringList forty;
    for (int i = 1; i <= 40; ++i)
        forty << QStringLiteral("%1. The work is done as the drawings show it.").arg(i);
    TestDatabase db;
    const int id = addQuote(db, {1104, "Ann", 0.05, 0, numberedLines(10), {}});
    QCOMPARE(Quote(db, id).layout.pages.size(), 1);
    setQuoteJob(db, id, {kJob.customer, {}, {}, {}, forty.join(u'\n')});
    const Quote q(db, id);
    QCOMPARE(q.layout.pages.size(), 2);
    // Every line once, in order: the first page full, the rest under a heading on the next.
    QStringList lines;
    for (int p = 0; p < 2; ++p) {
        const ReportItem* part = q.page(p).item("txtTerms");
        QVERIFY(part->lines.size() >= 2);
        lines << part->lines;
        QCOMPARE(q.text("lblPage", p), QStringLiteral("Page %1 of 2").arg(p + 1));
    }
    QCOMPARE(lines, forty);
    const ReportBand* first = q.band("Terms", 0);
    QVERIFY(kFooterTop - (first->top + first->grownHeight) <
            2 * reportLineSpacing(q.page(0).item("txtTerms")->font));
    QCOMPARE(q.text("lblTerms", 1), "Terms (continued)");
    QVERIFY(q.band("Terms", 1)->top > q.band("PageHeader", 1)->top);
}

void TestReport::htmlEscapesAndFollowsTheLayout() {
    TestDatabase db;
    const QString tricky = QStringLiteral("<b>&\"' 5% off </p>\x01");
    CompanyDetails company = kCompany;
    company.name = QStringLiteral("Smith & <Sons>");
    company.logoPath = db.dir() + QStringLiteral("/logo.png");
    QVERIFY(picture(300, 100).save(company.logoPath));
    const int id = addQuote(db, {5001,
                                 QStringLiteral("O'Neil"),
                                 0.05,
                                 0,
                                 {{1, tricky, 4, 4}},
                                 numberedLines(60, QStringLiteral("Hour"))});
    setQuoteJob(
        db, id,
        {{"<b>&\"Smith\"</b>"}, "Deck & <porch>", {}, {}, "Net 30 <strong>\n& no \"surprises\""});
    const Quote q(db, id, company);
    QVERIFY(q.layout.pages.size() >= 2);
    const QByteArray html = reportHtml(q.layout);
    QVERIFY(!html.contains("<b>&"));
    QVERIFY(html.contains("&lt;b&gt;&amp;&quot;' 5% off &lt;/p&gt;"));
    for (const char* text :
         {">&lt;b&gt;&amp;&quot;Smith&quot;&lt;/b&gt;<", ">Deck &amp; &lt;porch&gt;<",
          ">Net 30 &lt;strong&gt;\n&amp; no &quot;surprises&quot;<"})
        QVERIFY2(html.contains(text), text);
    QVERIFY(!html.contains("<strong>") && !html.contains("\"Smith"));
    QVERIFY(html.contains("data:image/png;base64,"));
    // Every font an item names is one the page's style sheet defines.
    static const QRegularExpression fontClass(QStringLiteral("<p class=\"i (f\\d+)"));
    int fontsNamed = 0;
    for (const QRegularExpressionMatch& m : fontClass.globalMatch(QString::fromUtf8(html))) {
        QVERIFY2(html.contains('.' + m.captured(1).toLatin1() + "{font-family:'"),
                 qPrintable(m.captured(1)));
        ++fontsNamed;
    }
    QVERIFY(fontsNamed > 60);

    // Well-formed, and its paragraphs carry the layout's texts in the layout's order.
    QXmlStreamReader xml(html);
    QStringList paragraphs;
    int sheets = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"p")
            paragraphs << xml.readElementText();
        else if (xml.name() == u"div" &&
                 xml.attributes().value(QStringLiteral("class")) == u"sheet")
            ++sheets;
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(sheets, q.layout.pages.size());
    QStringList expected;
    for (const ReportPage& page : q.layout.pages)
        for (const ReportItem& item : page.items)
            if (!item.text.isEmpty())
                expected << item.text;
    expected.replace(expected.indexOf(tricky), QStringLiteral("<b>&\"' 5% off </p>"));
    QCOMPARE(paragraphs, expected);
}

void TestReport::pdfCarriesTheSameTexts() {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    TestDatabase db;
    const int id =
        addQuote(db, {6001,
                      QStringLiteral("Ann"),
                      0.0825,
                      15,
                      numberedLines(45),
                      {{2.5, QStringLiteral("Rough-in plumbing, two bathrooms"), 40, 100}}});
    setQuoteJob(db, id, kJob);
    CompanyDetails company = kCompany;
    company.webSite = QStringLiteral("www.hm.example");
    company.acceptanceLine = true;
    const Quote q(db, id, company);
    const QString path = db.dir() + QStringLiteral("/quote.pdf");
    QString error;
    QVERIFY2(writeReportPdf(q.layout, path, &error), qPrintable(error));
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-raw"), path, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString extracted = QString::fromUtf8(text.readAllStandardOutput());
    QCOMPARE(extracted.count(QLatin1Char('\f')), q.layout.pages.size());
    QCOMPARE(words(extracted), words(q.texts().join(QLatin1Char(' '))));
    // Texts placed side by side read as one, a space apart.
    const qsizetype pages = q.layout.pages.size();
    for (const QString& joined :
         {QStringLiteral("Tax @ 8.25%"), QStringLiteral("Page 1 of %1").arg(pages),
          QStringLiteral("Page %1 of %1").arg(pages)})
        QVERIFY2(extracted.contains(joined), qPrintable(joined));
    // The fonts travel inside the file.
    QProcess fonts;
    fonts.start(QStandardPaths::findExecutable(QStringLiteral("pdffonts")), {path});
    QVERIFY(fonts.waitForFinished(30000));
    const QStringList rows = QString::fromUtf8(fonts.readAllStandardOutput())
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                 .mid(2);
    QVERIFY(rows.size() >= 3);
    for (const QString& row : rows)
        QVERIFY2(row.split(QLatin1Char(' '), Qt::SkipEmptyParts).at(4) == u"yes", qPrintable(row));
    // An export that cannot be written leaves no file behind.
    QVERIFY(!writeReportPdf(q.layout, db.dir() + QStringLiteral("/no/such/folder/q.pdf"), &error));
    QVERIFY(!error.isEmpty());
}

// The HTML page as a browser draws it, beside the PDF's first page drawn at the same size: the
// same texts on the same rows, as wide, as dark, the bold ones as thick.
void TestReport::htmlInABrowserLooksLikeThePdf() {
    QString browser;
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"})
        if (browser.isEmpty())
            browser = QStandardPaths::findExecutable(QLatin1String(name));
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (browser.isEmpty() || pdftoppm.isEmpty())
        QSKIP("No browser to draw the HTML page (chromium) or no pdftoppm (poppler-utils)");
    // A description that wraps: its lines as far apart as on paper.
    const QString kLongLine = QStringLiteral(
        "Rough-in plumbing for two bathrooms: supply and drain lines, vents, shower valves and "
        "the stub-outs for two vanities, set and tested before the walls close");
    TestDatabase db;
    const int id =
        addQuote(db, {7001,
                      QStringLiteral("Dana Reyes"),
                      0.0825,
                      15,
                      {{4, QStringLiteral("Ball valve 3/4\""), 25, 100},
                       {12, QStringLiteral("Copper pipe, type L, 10 ft"), 18.4, 220.8},
                       {30, QStringLiteral("Pipe strap"), 0.35, 10.5}},
                      {{6, kLongLine, 65, 390}, {2, QStringLiteral("Fit valves"), 50, 100}}});
    setQuoteJob(db, id, kJob);
    CompanyDetails company = kCompany;
    company.webSite = QStringLiteral("www.hm.example");
    company.acceptanceLine = true;
    const Quote q(db, id, company);
    const QString html = db.dir() + QStringLiteral("/quote.htm");
    const QString pdf = db.dir() + QStringLiteral("/quote.pdf");
    QString error;
    QVERIFY2(writeReportHtml(q.layout, html, &error), qPrintable(error));
    QVERIFY2(writeReportPdf(q.layout, pdf, &error), qPrintable(error));

    // Both at 192 pixels to the inch: a CSS pixel is two of the screenshot's.
    constexpr int kDpi = 192;
    const QString shot = db.dir() + QStringLiteral("/browser.png");
    QStringList arguments{QStringLiteral("--headless"),
                          QStringLiteral("--disable-gpu"),
                          QStringLiteral("--hide-scrollbars"),
                          QStringLiteral("--no-first-run"),
                          QStringLiteral("--force-device-scale-factor=2"),
                          QStringLiteral("--window-size=816,1100"),
                          QStringLiteral("--user-data-dir=") + db.dir() +
                              QStringLiteral("/browser"),
                          QStringLiteral("--screenshot=") + shot,
                          QUrl::fromLocalFile(html).toString()};
    if (geteuid() == 0)
        arguments.prepend(QStringLiteral("--no-sandbox"));
    const QString browserError = run(browser, arguments);
    if (!QFile::exists(shot))
        QSKIP(qPrintable(QStringLiteral("The browser made no picture of the page: ") +
                         (browserError.isEmpty() ? browser : browserError)));
    const QString pdfPage = db.dir() + QStringLiteral("/pdf");
    QCOMPARE(run(pdftoppm, {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-f"),
                            QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                            QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, pdfPage}),
             QString());
    const QImage printed =
        QImage(pdfPage + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
    const QImage screen(shot);
    QCOMPARE(printed.size(), QSize(kWidth * kDpi / 1440, kHeight * kDpi / 1440));
    const QRect sheet = whiteSheet(screen.convertToFormat(QImage::Format_RGB32));
    QVERIFY2(sheet.width() == printed.width() && sheet.height() >= printed.height() - 4,
             qPrintable(QStringLiteral("sheet %1x%2").arg(sheet.width()).arg(sheet.height())));
    const QImage shown = screen.copy(QRect(sheet.topLeft(), printed.size()))
                             .convertToFormat(QImage::Format_Grayscale8);
    if (qEnvironmentVariableIsSet("PLENWICK_KEEP_PICTURES")) {
        shown.save(qEnvironmentVariable("PLENWICK_KEEP_PICTURES") + QStringLiteral("/html.png"));
        printed.save(qEnvironmentVariable("PLENWICK_KEEP_PICTURES") + QStringLiteral("/pdf.png"));
    }

    // Every row that holds ink on one holds it on the other, give or take a pixel or two.
    constexpr int kNear = 3;
    const QList<int> shownRows = inkRows(shown), printedRows = inkRows(printed);
    QVERIFY(printedRows.size() > 300);
    for (const QList<int>& stray : {unmatchedRows(shownRows, printedRows, kNear),
                                    unmatchedRows(printedRows, shownRows, kNear)})
        QVERIFY2(stray.isEmpty(), qPrintable(QStringLiteral("%1 rows hold ink on one picture only, "
                                                            "the first at %2 px")
                                                 .arg(stray.size())
                                                 .arg(stray.value(0))));

    // Each text where the layout puts it, in its font: the same box of ink, as much of it, in
    // strokes as thick.
    QStringList unlike;
    double strokes[2][2] = {}; // [on screen, on paper][regular, bold], summed
    int counted[2] = {};
    for (const ReportItem& item : q.page(0).items) {
        if (item.text.isEmpty() || item.kind == ReportItem::Picture ||
            item.kind == ReportItem::Rule)
            continue;
        const int lines = std::max<int>(1, item.lines.size());
        const int height =
            std::max(item.rect.height(), int(std::ceil(lines * reportLineSpacing(item.font))));
        const QRect region(item.rect.left() * kDpi / 1440, item.rect.top() * kDpi / 1440,
                           item.rect.width() * kDpi / 1440, height * kDpi / 1440);
        const Ink onScreen = inkIn(shown, region), onPaper = inkIn(printed, region);
        const QRect s = onScreen.box, p = onPaper.box;
        const double mass = onScreen.mass / onPaper.mass;
        const double stroke = onScreen.strokeWidth() / onPaper.strokeWidth();
        if (std::abs(s.top() - p.top()) > kNear || std::abs(s.bottom() - p.bottom()) > kNear ||
            std::abs(s.left() - p.left()) > kNear || std::abs(s.right() - p.right()) > kNear ||
            mass < 0.85 || mass > 1.15 || stroke < 0.85 || stroke > 1.15)
            unlike << QStringLiteral("%1 \"%2\": ink at %3,%4-%5,%6 on screen, %7,%8-%9,%10 on "
                                     "paper; screen/paper ink %11, stroke %12")
                          .arg(item.name, item.text)
                          .arg(s.left())
                          .arg(s.top())
                          .arg(s.right())
                          .arg(s.bottom())
                          .arg(p.left())
                          .arg(p.top())
                          .arg(p.right())
                          .arg(p.bottom())
                          .arg(mass, 0, 'f', 2)
                          .arg(stroke, 0, 'f', 2);
        strokes[0][item.font.bold] += onScreen.strokeWidth();
        strokes[1][item.font.bold] += onPaper.strokeWidth();
        ++counted[item.font.bold];
    }
    QVERIFY2(unlike.isEmpty(), qPrintable(unlike.join(QLatin1Char('\n'))));
    // The bold texts (headings, captions, the grand total) stand out on both alike.
    QVERIFY(counted[0] > 20 && counted[1] > 8);
    for (const auto& sums : strokes)
        QVERIFY2(sums[1] / counted[1] > 1.4 * sums[0] / counted[0],
                 qPrintable(QStringLiteral("bold strokes %1 px, regular %2 px")
                                .arg(sums[1] / counted[1])
                                .arg(sums[0] / counted[0])));
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
