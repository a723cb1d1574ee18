// The preview's page view: every page drawn in its place as it comes into view, the current page
// following the scrolling (keys, a drag), and the zoom modes.
#include "report/reportpageview.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QtTest>

namespace {

constexpr QRgb kMark = 0xffd02020;

// Twips from the paper's top to the band of the page (0-based).
int bandTop(int page) {
    return 1000 + 2000 * page;
}

// Pages that each carry a red band lower down the page the later the page: the band's place
// tells which page is drawn.
ReportLayout bandedPages(int pages) {
    ReportLayout layout;
    layout.logo = QImage(8, 8, QImage::Format_RGB32);
    layout.logo.fill(kMark);
    for (int page = 0; page < pages; ++page) {
        ReportItem band;
        band.kind = ReportItem::Picture;
        band.name = QStringLiteral("Image1");
        band.rect = QRect(1000, bandTop(page), 10000, 600);
        layout.pages.append(ReportPage{{}, {band}});
    }
    return layout;
}

bool isMark(QRgb pixel) {
    return qRed(pixel) > 160 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

// The paper, the band and the band's blended edges; not the grey ground or the shadows.
bool isPaper(QRgb pixel) {
    const bool neutral =
        std::abs(qRed(pixel) - qGreen(pixel)) < 16 && std::abs(qGreen(pixel) - qBlue(pixel)) < 16;
    return !neutral || qRed(pixel) > 250;
}

// Down the middle of the view: where the paper at the view's centre starts and ends, and where
// its band starts, as a share of the paper's height; -1 when it shows no band.
double bandPlace(ReportPageView& view) {
    const QImage shot = view.viewport()->grab().toImage();
    const int x = shot.width() / 2;
    const auto onPaper = [&](int y) {
        return y >= 0 && y < shot.height() && isPaper(shot.pixel(x, y));
    };
    int top = shot.height() / 2;
    int bottom = top;
    if (!onPaper(top))
        return -1;
    while (onPaper(top - 1))
        --top;
    while (onPaper(bottom + 1))
        ++bottom;
    for (int y = top; y <= bottom; ++y)
        if (isMark(shot.pixel(x, y)))
            return double(y - top) / (bottom - top + 1);
    return -1;
}

} // namespace

class TestReportPageView : public QObject {
    Q_OBJECT
private slots:
    void eachPageIsDrawnWhenShown();
    void theCurrentPageFollowsTheScrolling();
    void zoomModes();
};

void TestReportPageView::eachPageIsDrawnWhenShown() {
    const ReportLayout layout = bandedPages(6);
    ReportPageView view(layout);
    view.resize(420, 560);
    view.fitInView();
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.pageCount(), 6);
    for (const int page : {1, 4, 6, 2}) {
        view.setCurrentPage(page);
        QCOMPARE(view.currentPage(), page);
        const double expected = double(bandTop(page - 1)) / ReportPaper::kHeight;
        QVERIFY2(std::abs(bandPlace(view) - expected) < 0.02,
                 qPrintable(QStringLiteral("page %1: band at %2, expected %3")
                                .arg(page)
                                .arg(bandPlace(view))
                                .arg(expected)));
    }
}

void TestReportPageView::theCurrentPageFollowsTheScrolling() {
    const ReportLayout layout = bandedPages(5);
    ReportPageView view(layout);
    view.resize(420, 560);
    view.fitInView();
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy changed(&view, &ReportPageView::previewChanged);
    // Fitted to the view, a page key moves a page.
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(view.currentPage(), 2);
    QVERIFY(!changed.isEmpty());
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(view.currentPage(), 3);
    QTest::keyClick(&view, Qt::Key_PageUp);
    QCOMPARE(view.currentPage(), 2);
    // Dragging the paper up brings the next page into view.
    QWidget* paper = view.viewport();
    const QPoint from(paper->width() / 2, paper->height() - 10);
    QTest::mousePress(paper, Qt::LeftButton, {}, from);
    QTest::mouseMove(paper, from - QPoint(0, paper->height() - 20));
    QTest::mouseRelease(paper, Qt::LeftButton, {}, from - QPoint(0, paper->height() - 20));
    QCOMPARE(view.currentPage(), 3);
    // The end of the column shows the last page.
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    QCOMPARE(view.currentPage(), 5);
    QVERIFY(std::abs(bandPlace(view) - double(bandTop(4)) / ReportPaper::kHeight) < 0.02);
}

void TestReportPageView::zoomModes() {
    const ReportLayout layout = bandedPages(3);
    ReportPageView view(layout);
    view.resize(500, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.zoomMode(), ReportPageView::FitToWidth);
    // Fit to width: no scrolling across.
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
    const qreal fitted = view.zoomFactor();
    view.zoomIn(1.25);
    QCOMPARE(view.zoomMode(), ReportPageView::CustomZoom);
    QVERIFY(qAbs(view.zoomFactor() - fitted * 1.25) < 1e-9);
    QVERIFY(view.horizontalScrollBar()->maximum() > 0);
    view.zoomOut(1.25);
    QVERIFY(qAbs(view.zoomFactor() - fitted) < 1e-9);
    // A whole page: the page shown is smaller than the width fitted, and a window made taller
    // keeps fitting it.
    view.fitInView();
    QCOMPARE(view.zoomMode(), ReportPageView::FitInView);
    const qreal whole = view.zoomFactor();
    QVERIFY(whole < fitted);
    view.resize(500, 800);
    QTRY_VERIFY(view.zoomFactor() > whole);
    QCOMPARE(view.zoomMode(), ReportPageView::FitInView);
}

QTEST_MAIN(TestReportPageView)
#include "tst_reportpageview.moc"
