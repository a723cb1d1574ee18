#pragma once

#include "report/reportlayout.h"

#include <QAbstractScrollArea>

// The pages of a laid-out report one below the other on a grey ground, as a print preview shows
// them: each page white with a shadow, drawn from the layout by the same code as the printer
// whenever it comes into view. Nothing is kept of a page but its place, so a quote of hundreds
// of pages costs no more memory than its layout. The zoom fits the width, fits a whole page, or
// is a factor (1: the paper's own size on the screen). Drag with the mouse or use the scroll bars
// and keys to move; the current page is the one taking most of the view.
class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum ZoomMode { CustomZoom, FitToWidth, FitInView };

    explicit ReportPageView(const ReportLayout& layout, QWidget* parent = nullptr);

    int pageCount() const { return int(m_layout.pages.size()); }
    // 1-based.
    int currentPage() const { return m_currentPage; }
    // Scrolls to the page's top (its whole in FitInView).
    void setCurrentPage(int page);
    ZoomMode zoomMode() const { return m_zoomMode; }
    qreal zoomFactor() const { return m_zoom; }
    void zoomIn(qreal factor);
    void zoomOut(qreal factor);
    void fitToWidth();
    void fitInView();

signals:
    // The zoom or the current page changed.
    void previewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A page's size on the screen at zoom 1, with the margin around it, in pixels.
    QSizeF paperSize() const;
    QSizeF cellSize() const;
    // The whole column's size at the present zoom.
    QSizeF contentSize() const;
    // Where the column's top left corner is in the viewport: scrolled, or centred when it is
    // narrower (or shorter) than the view.
    QPointF contentOrigin() const;
    // The page's paper in viewport coordinates (0-based page).
    QRectF paperRect(int page) const;
    void setZoom(qreal zoom, ZoomMode mode);
    void applyFit();
    void updateScrollBars();
    void updateCurrentPage();
    void paintPage(QPainter& painter, int page) const;

    const ReportLayout& m_layout;
    ZoomMode m_zoomMode = FitToWidth;
    qreal m_zoom = 1;
    int m_currentPage = 1;
    QPoint m_dragFrom;
    QPoint m_dragScroll;
    bool m_dragging = false;
};
