// The printed quote as data: the work table, the laid-out pages (section, item, rectangle in
// twips, text, font), and the HTML and PDF made from them.
#include "data/money.h"
#include "demodata/demodata.h"
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

const CompanyDetails kCompany{"Hollis & Marsh", "1480 Quarry Road", "Millbrook, PA 17011",
                              "555-0142",       "555-0143",         "office@hm.example",
                              QString(),        QString(),          false};

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
        return item ? item->text : "<missing>";
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
    for (int y = 0; y < shot.height() && (sheet.isNull() || sheet.bottom() == y - 1); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if ((shot.pixel(x, y) & 0xffffff) == 0xffffff)
                sheet |= QRect(x, y, 1, 1);
    return sheet;
}

// Runs a program to its end; what went wrong when it cannot be started or fails.
QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return QString();
    return program + ": " + process.errorString() + QString::fromLocal8Bit(process.readAll());
}

} // namespace

Q_DECLARE_METATYPE(QuoteJobSpec)

class TestReport : public QObject {
    Q_OBJECT
private slots:
    void init() { registerMoneyMetaType(); }
    void theQuoteReadsInOrder();
    void totalsOfTheQuote();
    void companyLines();
    void logoRule();
    void workTableHoldsTheLastEstimateOnly();
    void aLongDescriptionGrowsItsLine();
    void aFileAndAServerQuoteTheSameFigures();
    void aThousandLinesPaginate();
    void aHeadingStaysWithItsFirstLine();
    void whomAndWhatTheQuoteIsFor();
    void anEstimateWithoutACustomer();
    void nothingOverlapsAndEveryTextFits_data();
    void nothingOverlapsAndEveryTextFits();
    void longTermsRunOnToTheNextPage();
    void htmlEscapesAndFollowsTheLayout();
    void pdfCarriesTheSameTexts();
    void htmlInABrowserLooksLikeThePdf();
};

void TestReport::theQuoteReadsInOrder() {
    TestDatabase db;
    const int id = addQuote(
        db, {1002, "Dana Reyes", 0.08, 10, {{2, "Copper pipe", 5, 10}}, {{3, "Install", 40, 120}}});
    const Quote q(db, id);
    QCOMPARE(q.layout.caption, "Estimate ");
    QCOMPARE(q.layout.pages.size(), 1);
    const ReportPage& page = q.page(0);
    // Read from the top: the company, the column headings, each type's heading, line and
    // subtotal, the totals, and the page's foot.
    int top = -1;
    for (const char* text : {"Hollis & Marsh", "Description", "Materials", "Copper pipe",
                             "Subtotal", "Labor", "Install", "Subtotal", "TOTAL", "Page 1 of 1"}) {
        const auto below = [&](const ReportItem& item) {
            return item.text == text && item.rect.top() > top;
        };
        const auto item = std::find_if(page.items.cbegin(), page.items.cend(), below);
        QVERIFY2(item != page.items.cend(), text);
        top = item->rect.top();
    }
    QCOMPARE(q.text("QuoteNumber"), "1002");
    QCOMPARE(q.text("Estimator"), "Dana Reyes");
    QCOMPARE(q.text("Label11"), "12/6/2026");
    // The headings and the grand total stand out; the lines do not.
    for (const char* name : {"Label16", "Label2", "txtType", "txtGrandTotal"})
        QVERIFY2(page.item(name)->font.bold, name);
    QVERIFY(!page.item("txtDescription")->font.bold);
    // The type headings keep the margin of the texts above them, and the cost column's figures
    // end at one edge.
    QCOMPARE(page.item("txtType")->rect.left(), page.item("lblCompanyName")->rect.left());
    const int edge = textBox(*page.item("txtExtension")).right();
    for (const char* name : {"txtCosts", "txtTotalMaterial", "txtTax", "txtGrandTotal"})
        QVERIFY2(std::abs(textBox(*page.item(name)).right() - edge) <= 10, name);
}

void TestReport::totalsOfTheQuote() {
    TestDatabase db;
    const int id = addQuote(
        db, {1003, "Dana Reyes", 0.0825, 10, {{4, "Valve", 25, 100}}, {{1, "Labor", 50, 50}}});
    const Quote q(db, id);
    const QStringList figures = {"txtTotalMaterial", "txtTaxRate",  "txtTax",
                                 "txtTotalLabor",    "txtShipping", "txtGrandTotal"};
    QStringList printed;
    for (const QString& name : figures)
        printed << q.text(name);
    QCOMPARE(printed, QStringList({"$100.00", "8.25%", "$8.25", "$50.00", "$10.00", "$168.25"}));
    // The work table's grand total agrees with the printed one.
    QCOMPARE(db.scalar("SELECT GrandTotal FROM Test").toDouble(), 168.25);
    // Each type's subtotal, headed by the type.
    const QList<const ReportItem*> costs = q.page(0).itemsNamed("txtCosts");
    QCOMPARE(costs.size(), 2);
    QCOMPARE(costs[0]->text, "$100.00");
    QCOMPARE(costs[1]->text, "$50.00");
    QCOMPARE(q.page(0).itemsNamed("Text1")[1]->text, "Labor");

    // Materials only, in cents floating point cannot hold exactly: 1,235.56 x 1.07 = 1,322.0492,
    // plus 12.50 shipping.
    const Quote m(
        db,
        addQuote(db,
                 {1004,
                  "Dana Reyes",
                  0.07,
                  12.5,
                  {{3, "Fitting", 0.1, 0.3}, {7, "Elbow", 0.1, 0.7}, {1, "Pipe", 1234.56, 1234.56}},
                  {}}));
    QCOMPARE(m.page(0).itemsNamed("txtType").size(), 1);
    QCOMPARE(m.text("txtTotalLabor"), "$0.00");
    QCOMPARE(m.text("txtTotalMaterial"), "$1,235.56");
    QCOMPARE(m.text("txtGrandTotal"), "$1,334.55");
    // An estimate without any line prints its shipping as the total, under no type heading.
    const Quote empty(db, addQuote(db, {1005, "Dana Reyes", 0.05, 7, {}, {}}));
    QCOMPARE(empty.text("txtGrandTotal"), "$7.00");
    QVERIFY(empty.page(0).itemsNamed("txtType").isEmpty());
}

void TestReport::companyLines() {
    TestDatabase db;
    const int id = addQuote(db, {});
    const Quote full(db, id);
    QCOMPARE(full.text("lblCompanyName"), "Hollis & Marsh");
    QCOMPARE(full.text("lblCompanyAddress"), "1480 Quarry Road");
    QCOMPARE(full.text("lblPhone"), "Phone: 555-0142 Fax: 555-0143");
    QCOMPARE(full.text("lblEmail"), "EMail: office@hm.example");
    QVERIFY(!full.page(0).item("lblWebSite"));

    CompanyDetails sparse = kCompany;
    sparse.phone.clear();
    sparse.fax.clear();
    sparse.email.clear();
    const Quote bare(db, id, sparse);
    QCOMPARE(bare.text("lblPhone"), "Phone:  Fax: ");
    QCOMPARE(bare.text("lblEmail"), QString());
    // The empty e-mail line takes no room: the page header follows the phone line.
    QCOMPARE(bare.band("PageHeader")->top, bare.page(0).item("lblPhone")->rect.bottom() + 1);
    // The web site follows the last line above it.
    for (CompanyDetails company : {kCompany, sparse}) {
        company.webSite = "www.hm.example";
        const Quote q(db, id, company);
        const ReportItem* site = q.page(0).item("lblWebSite");
        QCOMPARE(site->text, "Web: www.hm.example");
        const QString above = company.email.isEmpty() ? "lblPhone" : "lblEmail";
        QCOMPARE(site->rect.top() - q.page(0).item(above)->rect.top(), 288);
    }
}

void TestReport::logoRule() {
    TestDatabase db;
    const int id = addQuote(db, {});
    CompanyDetails company = kCompany;
    company.logoPath = db.dir() + "/logo.png";
    QVERIFY(picture(400, 100).save(company.logoPath));
    const Quote none(db, id);
    QVERIFY(!none.page(0).item("Image1") && !none.report->logoFailed());
    const Quote logo(db, id, company);
    // In proportion, at the top, right of the company block and within the report's width.
    const QRect image = logo.page(0).item("Image1")->rect;
    QVERIFY(std::abs(image.width() - 4 * image.height()) <= 4);
    QCOMPARE(image.top(), kTopMargin);
    QVERIFY(image.left() > logo.page(0).item("lblPhone")->rect.right());
    QVERIFY(image.right() < kLeftMargin + kReportWidth);
    QVERIFY(logo.band("PageHeader")->top > none.band("PageHeader")->top);

    // A picture that cannot be loaded: no logo, said once, and the header as without one.
    QFile broken(company.logoPath);
    QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a picture") > 0);
    broken.close();
    const Quote unloaded(db, id, company);
    QVERIFY(unloaded.report->logoFailed());
    QVERIFY(!unloaded.page(0).item("Image1"));
    QCOMPARE(unloaded.band("PageHeader")->top, none.band("PageHeader")->top);
    QCOMPARE(unloaded.texts(), none.texts());

    // A huge picture is kept at a size paper needs.
    QVERIFY(picture(8000, 2000).save(company.logoPath));
    QVERIFY(Quote(db, id, company).layout.logo.width() <= 3465 * 600 / 1440);
}

void TestReport::workTableHoldsTheLastEstimateOnly() {
    TestDatabase db;
    const int first = addQuote(db, {2001, "Ann", 0, 0, {{1, "First's line", 1, 1}}, {}});
    const int second = addQuote(db, {2002, "Bo", 0, 0, {{1, "Second's line", 2, 2}}, {}});
    const Quote a(db, first);
    const Quote b(db, second);
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM Test").toInt(), 1);
    QCOMPARE(db.scalar("SELECT EstimateID FROM Test").toInt(), second);
    QCOMPARE(b.text("QuoteNumber"), "2002");
    QCOMPARE(b.text("txtDescription"), "Second's line");
    QVERIFY(!b.texts().contains("First's line"));
    // A key that is not stored leaves the work table empty and is reported.
    DataEnvironment missing;
    QVERIFY(missing.fillWorkTable(db.connection(), 999999));
    QVERIFY(!missing.rptMain_Grouping(db.connection(), 999999));
    QVERIFY(missing.lastError().isSet());
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM Test").toInt(), 0);
}

void TestReport::aLongDescriptionGrowsItsLine() {
    TestDatabase db;
    QString long600;
    while (long600.size() < 600)
        long600 += "threaded galvanised fitting ";
    long600.truncate(600);
    QList<QuoteLineSpec> lines = numberedLines(30);
    lines.insert(1, {1, long600, 3, 3});
    const int id = addQuote(db, {3001, "Ann", 0, 0, lines, {}});
    const Quote q(db, id);
    const QList<const ReportItem*> descriptions = q.page(0).itemsNamed("txtDescription");
    const ReportItem* grown = descriptions.at(1);
    QCOMPARE(grown->text, long600);
    QVERIFY2(grown->lines.size() >= 4, qPrintable(QString::number(grown->lines.size())));
    QCOMPARE(grown->lines.join(QLatin1Char(' ')).simplified(), long600.simplified());
    QVERIFY(grown->rect.height() > 288);
    // The next line starts below the grown one.
    QCOMPARE(descriptions.at(2)->rect.top(), grown->rect.bottom() + 1);
    // And the page holds fewer lines than it would have: the break moves up.
    const Quote plain(db, addQuote(db, {3002, "Ann", 0, 0, numberedLines(31), {}}));
    QVERIFY(descriptions.size() < plain.page(0).itemsNamed("txtDescription").size());
    // A word longer than the line breaks inside itself rather than running off the page.
    const Quote word(db, addQuote(db, {3003, "Ann", 0, 0, {{1, QString(300, u'W'), 1, 1}}, {}}));
    const ReportItem* wide = word.page(0).item("txtDescription");
    QVERIFY(wide->lines.size() > 1);
}

void TestReport::aThousandLinesPaginate() {
    TestDatabase db;
    const int id =
        addQuote(db, {4001, "Ann", 0.05, 25, numberedLines(1000), numberedLines(200, "Hour")});
    const Quote q(db, id);
    const int pages = int(q.layout.pages.size());
    // Page 1 holds 32 lines below the company block, every other page 39.
    QCOMPARE(pages, 32);
    int details = 0;
    for (int p = 0; p < pages; ++p) {
        const ReportPage& page = q.page(p);
        QCOMPARE(page.itemsNamed("Label16").size(), 1); // the page header
        QCOMPARE(q.text("lblPage", p), QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages));
        details += int(page.itemsNamed("txtQuantity").size());
        // Nothing reaches into the page footer.
        for (const ReportBand& band : page.bands)
            QVERIFY(band.section == u"PageFooter" || band.top + band.grownHeight <= kFooterTop);
    }
    QCOMPARE(details, 1200);
    QCOMPARE(q.text("txtTotalMaterial", pages - 1), "$2,500.00");
    QCOMPARE(q.text("txtTotalLabor", pages - 1), "$500.00");
    QCOMPARE(q.text("txtGrandTotal", pages - 1), "$3,150.00");
}

// Wherever the page breaks, a type's heading is followed on its page by its first line.
void TestReport::aHeadingStaysWithItsFirstLine() {
    TestDatabase db;
    for (int lines = 20; lines <= 40; ++lines) {
        const Quote q(db, addQuote(db, {3100 + lines, "Ann", 0, 0, numberedLines(lines),
                                        numberedLines(2, "Hour")}));
        for (const ReportPage& page : q.layout.pages)
            for (qsizetype i = 0; i < page.bands.size(); ++i)
                if (page.bands[i].section == u"rptDetail_Grouping_Header")
                    QVERIFY2(page.bands.value(i + 1).section == u"rptDetail_Detail",
                             qPrintable(QStringLiteral("after %1 lines").arg(lines)));
    }
}

void TestReport::whomAndWhatTheQuoteIsFor() {
    TestDatabase db;
    const int id = addQuote(db, {1101, "Ann", 0.0825, 0, numberedLines(2), {}});
    setQuoteJob(db, id, kJob);
    db.exec("UPDATE EstimateTBL SET EstimateData = '2026-12-01'");
    const Quote q(db, id);
    const ReportPage& page = q.page(0);
    QStringList shown;
    for (const char* name :
         {"lblTitle", "txtDate", "txtValidUntil", "lblPreparedFor", "txtCustomerName", "txtContact",
          "txtCustomerAddress", "txtCustomerCity", "txtCustomerPhone", "txtCustomerEmail", "lblJob",
          "txtJobName", "txtJobAddress", "lblTerms"})
        shown << q.text(name);
    QCOMPARE(shown,
             QStringList({"Quote", "12/1/2026", "1/5/2027", "Prepared For"}) + kJob.customer +
                 QStringList({"Job:", "Kitchen remodel", "22 Elm Street, rear entrance", "Terms"}));
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
    QCOMPARE(q.band("PageHeader")->top, q.page(0).item("lblEmail")->rect.bottom() + 1);
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
    // Figures as wide as a column is meant for.
    QList<QuoteLineSpec> lines = numberedLines(24);
    lines << QuoteLineSpec{1250, "Copper wire, 12 gauge", 79.99, 99987.5};
    const int id = addQuote(db, {1103, "Ann", 0.0825, 12.5, lines, numberedLines(3, "Hour")});
    setQuoteJob(db, id, job);
    CompanyDetails company = kCompany;
    company.webSite = "www.hollis-marsh.example";
    company.acceptanceLine = acceptance;
    company.logoPath = logo ? db.dir() + "/logo.png" : QString();
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
    const QString tricky = "<b>&\"' 5% off </p>\x01";
    CompanyDetails company = kCompany;
    company.name = "Smith & <Sons>";
    company.logoPath = db.dir() + "/logo.png";
    QVERIFY(picture(300, 100).save(company.logoPath));
    const int id =
        addQuote(db, {5001, "O'Neil", 0.05, 0, {{1, tricky, 4, 4}}, numberedLines(60, "Hour")});
    setQuoteJob(
        db, id,
        {{"<b>&\"Smith\"</b>"}, "Deck & <porch>", {}, {}, "Net 30 <strong>\n& no \"surprises\""});
    const Quote q(db, id, company);
    QVERIFY(q.layout.pages.size() >= 2);
    const QByteArray html = reportHtml(q.layout);
    QVERIFY(html.contains("data:image/png;base64,"));
    // Every font an item names is one the page's style sheet defines.
    static const QRegularExpression fontClass("<p class=\"i (f\\d+)");
    int fontsNamed = 0;
    for (const QRegularExpressionMatch& m : fontClass.globalMatch(QString::fromUtf8(html))) {
        QVERIFY2(html.contains('.' + m.captured(1).toLatin1() + "{font-family:'"),
                 qPrintable(m.captured(1)));
        ++fontsNamed;
    }
    QVERIFY(fontsNamed > 60);

    // Well-formed, and its paragraphs carry the layout's texts in the layout's order: markup in a
    // text is escaped.
    QXmlStreamReader xml(html);
    QStringList paragraphs;
    int sheets = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"p")
            paragraphs << xml.readElementText();
        else if (xml.name() == u"div" && xml.attributes().value("class") == u"sheet")
            ++sheets;
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(sheets, q.layout.pages.size());
    QStringList expected;
    for (const ReportPage& page : q.layout.pages)
        for (const ReportItem& item : page.items)
            if (!item.text.isEmpty())
                expected << item.text;
    expected.replace(expected.indexOf(tricky), "<b>&\"' 5% off </p>");
    QCOMPARE(paragraphs, expected);
}

void TestReport::pdfCarriesTheSameTexts() {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    TestDatabase db;
    const int id = addQuote(db, {6001,
                                 "Ann",
                                 0.0825,
                                 15,
                                 numberedLines(45),
                                 {{2.5, "Rough-in plumbing, two bathrooms", 40, 100}}});
    setQuoteJob(db, id, kJob);
    CompanyDetails company = kCompany;
    company.webSite = "www.hm.example";
    company.acceptanceLine = true;
    const Quote q(db, id, company);
    const QString path = db.dir() + "/quote.pdf";
    QString error;
    QVERIFY2(writeReportPdf(q.layout, path, &error), qPrintable(error));
    QProcess text;
    text.start(pdftotext, {"-raw", path, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString extracted = QString::fromUtf8(text.readAllStandardOutput());
    QCOMPARE(extracted.count(QLatin1Char('\f')), q.layout.pages.size());
    QCOMPARE(words(extracted), words(q.texts().join(QLatin1Char(' '))));
    // Texts placed side by side read as one, a space apart.
    const qsizetype pages = q.layout.pages.size();
    for (const QString& joined :
         QStringList{"Tax @ 8.25%", QStringLiteral("Page 1 of %1").arg(pages),
                     QStringLiteral("Page %1 of %1").arg(pages)})
        QVERIFY2(extracted.contains(joined), qPrintable(joined));
    // The fonts travel inside the file.
    QProcess fonts;
    fonts.start(QStandardPaths::findExecutable("pdffonts"), {path});
    QVERIFY(fonts.waitForFinished(30000));
    const QStringList rows = QString::fromUtf8(fonts.readAllStandardOutput())
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                 .mid(2);
    QVERIFY(rows.size() >= 3);
    for (const QString& row : rows)
        QVERIFY2(row.split(QLatin1Char(' '), Qt::SkipEmptyParts).at(4) == u"yes", qPrintable(row));
    // An export that cannot be written leaves no file behind.
    QVERIFY(!writeReportPdf(q.layout, db.dir() + "/no/such/folder/q.pdf", &error));
    QVERIFY(!error.isEmpty());
}

// The HTML page as a browser draws it, beside the PDF's first page drawn at the same size: the
// same texts on the same rows, as wide, as dark, in strokes as thick.
void TestReport::htmlInABrowserLooksLikeThePdf() {
    QString browser;
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"})
        if (browser.isEmpty())
            browser = QStandardPaths::findExecutable(QLatin1String(name));
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (browser.isEmpty() || pdftoppm.isEmpty())
        QSKIP("No browser to draw the HTML page (chromium) or no pdftoppm (poppler-utils)");
    // A description that wraps: its lines as far apart as on paper.
    const QString kLongLine = QStringLiteral(
        "Rough-in plumbing for two bathrooms: supply and drain lines, vents, shower valves and "
        "the stub-outs for two vanities, set and tested before the walls close");
    TestDatabase db;
    const int id = addQuote(db, {7001,
                                 "Dana Reyes",
                                 0.0825,
                                 15,
                                 {{4, "Ball valve 3/4\"", 25, 100},
                                  {12, "Copper pipe, type L, 10 ft", 18.4, 220.8},
                                  {30, "Pipe strap", 0.35, 10.5}},
                                 {{6, kLongLine, 65, 390}, {2, "Fit valves", 50, 100}}});
    setQuoteJob(db, id, kJob);
    CompanyDetails company = kCompany;
    company.webSite = "www.hm.example";
    company.acceptanceLine = true;
    const Quote q(db, id, company);
    const QString html = db.dir() + "/quote.htm";
    const QString pdf = db.dir() + "/quote.pdf";
    QString error;
    QVERIFY2(writeReportHtml(q.layout, html, &error), qPrintable(error));
    QVERIFY2(writeReportPdf(q.layout, pdf, &error), qPrintable(error));

    // Both at 192 pixels to the inch: a CSS pixel is two of the screenshot's.
    constexpr int kDpi = 192;
    const QString shot = db.dir() + "/browser.png";
    QStringList arguments = QString("--headless --disable-gpu --hide-scrollbars --no-first-run "
                                    "--force-device-scale-factor=2 --window-size=816,1100")
                                .split(u' ');
    arguments << "--user-data-dir=" + db.dir() + "/browser"
              << "--screenshot=" + shot << QUrl::fromLocalFile(html).toString();
    if (geteuid() == 0)
        arguments.prepend("--no-sandbox");
    const QString pdfPage = db.dir() + "/pdf";
    QCOMPARE(run(pdftoppm, {"-r", QString::number(kDpi), "-f", "1", "-l", "1", "-png",
                            "-singlefile", pdf, pdfPage}),
             QString());
    const QImage printed = QImage(pdfPage + ".png").convertToFormat(QImage::Format_Grayscale8);
    QCOMPARE(printed.size(), QSize(kWidth * kDpi / 1440, kHeight * kDpi / 1440));
    // On a busy machine the browser may take its picture before the page is fully drawn: a
    // picture with the sheet cut short is taken again, a few times.
    QImage screen;
    QRect sheet;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QFile::remove(shot);
        const QString browserError = run(browser, arguments);
        if (!QFile::exists(shot))
            QSKIP(qPrintable("The browser made no picture of the page: " +
                             (browserError.isEmpty() ? browser : browserError)));
        screen = QImage(shot);
        sheet = whiteSheet(screen.convertToFormat(QImage::Format_RGB32));
        if (sheet.height() >= printed.height() - 4)
            break;
    }
    QVERIFY2(sheet.width() == printed.width() && sheet.height() >= printed.height() - 4,
             qPrintable(QStringLiteral("sheet %1x%2").arg(sheet.width()).arg(sheet.height())));
    const QImage shown = screen.copy(QRect(sheet.topLeft(), printed.size()))
                             .convertToFormat(QImage::Format_Grayscale8);
    if (qEnvironmentVariableIsSet("PLENWICK_KEEP_PICTURES")) {
        shown.save(qEnvironmentVariable("PLENWICK_KEEP_PICTURES") + "/html.png");
        printed.save(qEnvironmentVariable("PLENWICK_KEEP_PICTURES") + "/pdf.png");
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
            QDebug(&unlike.emplace_back())
                << item.name << item.text << "ink on screen" << s << "on paper" << p
                << "screen/paper ink" << mass << "stroke" << stroke;
    }
    QVERIFY2(unlike.isEmpty(), qPrintable(unlike.join(QLatin1Char('\n'))));
}

namespace {
// Every figure the printed quotes of a database show, estimate by estimate, and the Home list's
// totals: one text per estimate.
QStringList quoteFigures(Connection& connection) {
    const auto amount = [](const Money& m) { return QString::number(m.units()); };
    const auto optionalAmount = [&](const std::optional<Money>& m) {
        return m ? amount(*m) : QStringLiteral("-");
    };
    QStringList figures;
    Statement list(connection.database(),
                   QStringLiteral("SELECT EstimateID, Materials, [Grand Total] FROM EstimatesAll "
                                  "ORDER BY EstimateID"));
    QList<QPair<int, QString>> listed;
    while (list.next())
        listed.append({int(list.integer(0)), QStringLiteral("list %1 %2")
                                                 .arg(amount(Money::fromDouble(list.real(1))),
                                                      amount(Money::fromDouble(list.real(2))))});
    if (list.failed())
        qWarning("the Home list could not be read: %s", qPrintable(list.error().text()));
    for (const auto& [id, totals] : listed) {
        DataEnvironment source;
        if (!source.fillWorkTable(connection, id) || !source.rptMain_Grouping(connection, id)) {
            figures << QStringLiteral("%1 refused: %2").arg(id).arg(source.lastError().text());
            continue;
        }
        const QuoteHeader& h = source.data().header;
        QStringList shown = {QString::number(id),
                             h.quoteNumber,
                             h.estimator,
                             QString::number(h.taxRate),
                             amount(h.shipping),
                             amount(h.totalMaterial),
                             amount(h.totalLabor),
                             amount(h.tax),
                             amount(h.grandTotal),
                             h.customer.name,
                             totals};
        for (const QuoteGroup& group : source.data().groups) {
            shown << group.type + QLatin1Char(' ') + amount(group.costs);
            for (const QuoteLine& line : group.lines)
                shown << QStringLiteral("%1 x %2 at %3 = %4")
                             .arg(line.quantity ? QString::number(*line.quantity) : "-",
                                  line.description, optionalAmount(line.price),
                                  optionalAmount(line.extension));
        }
        figures << shown.join(QLatin1Char('|'));
    }
    return figures;
}
} // namespace

void TestReport::aFileAndAServerQuoteTheSameFigures() {
    if (!TestBackend::onServer())
        QSKIP("compares a file with a server: runs where the tests run on a server");
    DemoData::Counts counts;
    counts.materials = 200;
    counts.manufacturers = 8;
    counts.suppliers = 6;
    counts.categories = 10;
    counts.estimators = 3;
    counts.customers = 12;
    counts.estimates = 20;
    counts.materialLinesPerEstimate = 8;
    counts.laborLinesPerEstimate = 3;
    counts.today = QDate(2026, 12, 6);
    TestDatabase db;
    const QString file = db.dir() + QStringLiteral("/demo.mdb");
    const QString server = db.freshPlace(QStringLiteral("demo.mdb"));
    QString error;
    QVERIFY2(DemoData::generate(file, counts, &error), qPrintable(error));
    QVERIFY2(DemoData::generate(server, counts, &error), qPrintable(error));
    Connection fromFile;
    Connection fromServer;
    QVERIFY(openProgramFile(fromFile, file));
    QVERIFY(openProgramFile(fromServer, server));
    const QStringList expected = quoteFigures(fromFile);
    QCOMPARE(expected.size(), counts.estimates);
    QVERIFY2(!expected.join('\n').contains(" refused: "), qPrintable(expected.join('\n')));
    const QStringList actual = quoteFigures(fromServer);
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(actual.at(i), expected.at(i));
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
