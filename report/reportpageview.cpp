#include "report/reportpageview.h"

#include "report/reportpainter.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {
// The grey around each page, in pixels at zoom 1.
constexpr qreal kBorder = 36;
// What a fitted page keeps free at the view's edges, in pixels.
constexpr int kFitMargin = 2;
} // namespace

ReportPageView::ReportPageView(const ReportLayout& layout, QWidget* parent)
    : QAbstractScrollArea(parent), m_layout(layout) {
    viewport()->setCursor(Qt::OpenHandCursor);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::NoFrame);
}

QSizeF ReportPageView::paperSize() const {
    const qreal perTwip = logicalDpiY() / 1440.0;
    return {ReportPaper::kWidth * perTwip, ReportPaper::kHeight * perTwip};
}

QSizeF ReportPageView::cellSize() const {
    return paperSize() + QSizeF(2 * kBorder, 2 * kBorder);
}

QSizeF ReportPageView::contentSize() const {
    const QSizeF cell = cellSize();
    return {cell.width() * m_zoom, cell.height() * std::max(1, pageCount()) * m_zoom};
}

QPointF ReportPageView::contentOrigin() const {
    const QSizeF content = contentSize();
    const QSize view = viewport()->size();
    const qreal x = content.width() < view.width() ? (view.width() - content.width()) / 2
                                                   : -horizontalScrollBar()->value();
    const qreal y = content.height() < view.height() ? (view.height() - content.height()) / 2
                                                     : -verticalScrollBar()->value();
    return {x, y};
}

QRectF ReportPageView::paperRect(int page) const {
    const QPointF topLeft =
        contentOrigin() + QPointF(kBorder, kBorder + page * cellSize().height()) * m_zoom;
    return {topLeft, paperSize() * m_zoom};
}

void ReportPageView::setCurrentPage(int page) {
    if (page < 1 || page > pageCount())
        return;
    const int previous = m_currentPage;
    m_currentPage = page;
    if (previous == page)
        return;
    const QRectF paper = paperRect(page - 1).translated(-contentOrigin());
    if (m_zoomMode == FitInView) {
        horizontalScrollBar()->setValue(qRound(paper.center().x() - viewport()->width() / 2.0));
        verticalScrollBar()->setValue(qRound(paper.center().y() - viewport()->height() / 2.0));
    } else {
        // The page's corner a margin inside the view's.
        horizontalScrollBar()->setValue(int(paper.left() - kBorder));
        verticalScrollBar()->setValue(int(paper.top() - kBorder));
    }
    updateCurrentPage();
    emit previewChanged();
}

void ReportPageView::zoomIn(qreal factor) {
    setZoom(m_zoom * factor, CustomZoom);
}

void ReportPageView::zoomOut(qreal factor) {
    setZoom(m_zoom / factor, CustomZoom);
}

void ReportPageView::fitToWidth() {
    m_zoomMode = FitToWidth;
    applyFit();
}

void ReportPageView::fitInView() {
    m_zoomMode = FitInView;
    applyFit();
}

void ReportPageView::applyFit() {
    const QSizeF cell = cellSize();
    const QSize view = viewport()->size();
    if (m_zoomMode == FitToWidth) {
        setZoom(view.width() / cell.width(), FitToWidth);
        return;
    }
    if (m_zoomMode != FitInView)
        return;
    const qreal zoom = std::min((view.width() - 2 * kFitMargin) / cell.width(),
                                (view.height() - 2 * kFitMargin) / cell.height());
    setZoom(std::max(zoom, 0.01), FitInView);
    // The whole current page, centred.
    const int page = m_currentPage;
    m_currentPage = 0;
    setCurrentPage(page);
}

void ReportPageView::setZoom(qreal zoom, ZoomMode mode) {
    zoom = std::clamp(zoom, 0.01, 64.0);
    // The point at the view's centre stays there; pages that all fitted start at the top.
    const QPointF centre(viewport()->width() / 2.0, viewport()->height() / 2.0);
    const QPointF atCentre = (centre - contentOrigin()) / m_zoom;
    const QSizeF before = contentSize();
    m_zoomMode = mode;
    m_zoom = zoom;
    updateScrollBars();
    const QPointF scrolled = atCentre * m_zoom - centre;
    horizontalScrollBar()->setValue(before.width() <= viewport()->width() ? 0
                                                                          : qRound(scrolled.x()));
    verticalScrollBar()->setValue(before.height() <= viewport()->height() ? 0
                                                                          : qRound(scrolled.y()));
    viewport()->update();
    updateCurrentPage();
    emit previewChanged();
}

void ReportPageView::updateScrollBars() {
    const QSizeF content = contentSize();
    const QSize view = viewport()->size();
    const auto range = [](qreal length, int shown) {
        return std::max(0, int(std::ceil(length - 0.5)) - shown);
    };
    QScrollBar* across = horizontalScrollBar();
    across->setRange(0, range(content.width(), view.width()));
    across->setPageStep(view.width());
    across->setSingleStep(std::max(1, view.width() / 20));
    QScrollBar* down = verticalScrollBar();
    down->setRange(0, range(content.height(), view.height()));
    // Fitted to the view, a step is a page.
    const int page = qRound(cellSize().height() * m_zoom);
    down->setPageStep(m_zoomMode == FitInView ? page : view.height());
    down->setSingleStep(m_zoomMode == FitInView ? page : std::max(1, view.height() / 20));
}

void ReportPageView::updateCurrentPage() {
    // The page taking the most of the view; on a tie the earlier one.
    const QRectF view = viewport()->rect();
    const qreal cellHeight = cellSize().height() * m_zoom;
    int best = m_currentPage;
    qreal largest = 0;
    const int first = std::max(0, int(-contentOrigin().y() / cellHeight));
    for (int page = first; page < pageCount(); ++page) {
        const QRectF cell = paperRect(page).adjusted(-kBorder * m_zoom, -kBorder * m_zoom,
                                                     kBorder * m_zoom, kBorder * m_zoom);
        if (cell.top() > view.bottom())
            break;
        const QRectF shown = cell & view;
        const qreal area = shown.width() * shown.height();
        if (area > largest) {
            largest = area;
            best = page + 1;
        }
    }
    if (best != m_currentPage && best >= 1) {
        m_currentPage = best;
        emit previewChanged();
    }
}

void ReportPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_zoomMode == CustomZoom)
        setZoom(m_zoom, CustomZoom);
    else
        applyFit();
}

void ReportPageView::scrollContentsBy(int, int) {
    viewport()->update();
    updateCurrentPage();
}

void ReportPageView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), Qt::gray);
    const qreal cellHeight = cellSize().height() * m_zoom;
    if (pageCount() == 0 || cellHeight <= 0)
        return;
    const qreal top = event->rect().top() - contentOrigin().y();
    const int first = std::max(0, int(std::floor(top / cellHeight)));
    const int last =
        std::min(pageCount() - 1, int(std::floor((top + event->rect().height()) / cellHeight)));
    for (int page = first; page <= last; ++page)
        paintPage(painter, page);
}

void ReportPageView::paintPage(QPainter& painter, int page) const {
    const QRectF paper = paperRect(page);
    painter.save();
    // A shadow at the right and bottom edges, a hundredth of the page wide.
    const qreal shadow = paper.width() / 100;
    const QRectF right(paper.topRight() + QPointF(0, shadow),
                       paper.bottomRight() + QPointF(shadow, 0));
    QLinearGradient across(right.topLeft(), right.topRight());
    across.setColorAt(0, QColor(0, 0, 0, 255));
    across.setColorAt(1, QColor(0, 0, 0, 0));
    painter.fillRect(right, across);
    const QRectF below(paper.bottomLeft() + QPointF(shadow, 0),
                       paper.bottomRight() + QPointF(0, shadow));
    QLinearGradient down(below.topLeft(), below.bottomLeft());
    down.setColorAt(0, QColor(0, 0, 0, 255));
    down.setColorAt(1, QColor(0, 0, 0, 0));
    painter.fillRect(below, down);
    const QRectF corner(paper.bottomRight(), paper.bottomRight() + QPointF(shadow, shadow));
    QRadialGradient round(corner.topLeft(), shadow, corner.topLeft());
    round.setColorAt(0, QColor(0, 0, 0, 255));
    round.setColorAt(1, QColor(0, 0, 0, 0));
    painter.fillRect(corner, round);

    painter.setClipRect(paper, Qt::IntersectClip);
    painter.fillRect(paper, Qt::white);
    // The page in twips from the paper's corner, as the printer draws it.
    painter.translate(paper.topLeft());
    const qreal scale = paper.width() / ReportPaper::kWidth;
    painter.scale(scale, scale);
    paintReportPage(painter, m_layout, page);
    painter.restore();
}

void ReportPageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    m_dragFrom = event->position().toPoint();
    m_dragScroll = {horizontalScrollBar()->value(), verticalScrollBar()->value()};
    viewport()->setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void ReportPageView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    const QPoint moved = event->position().toPoint() - m_dragFrom;
    horizontalScrollBar()->setValue(m_dragScroll.x() - moved.x());
    verticalScrollBar()->setValue(m_dragScroll.y() - moved.y());
    event->accept();
}

void ReportPageView::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    viewport()->setCursor(Qt::OpenHandCursor);
    event->accept();
}
