#pragma once

#include "report/reportexport.h"
#include "report/reportlayout.h"

#include <QDialog>

class QAction;
class QLabel;
class ReportPageView;
class QSpinBox;
class QToolBar;

// The quote's preview window: the pages as they print, page by page or side by side, with page
// navigation, zoom, fit to width or page, Print (the system's print dialog) and Export (HTML or
// PDF, see quoteexport.h).
class QuotePreview : public QDialog {
    Q_OBJECT
public:
    // suggestedName: the name of the printed document and, with its extension, of the file.
    QuotePreview(const ReportLayout& layout, const QList<ExportFormat>& formats,
                 const QString& suggestedName, QWidget* parent = nullptr);
    ~QuotePreview() override;

    const ReportLayout& layout() const { return m_layout; }
    int pageCount() const { return int(m_layout.pages.size()); }
    int currentPage() const;
    // Asks for a file and writes the quote to it, asking again after a failure (said why);
    // false when cancelled.
    bool exportQuote();
    void printQuote();

    ReportPageView* preview;
    QToolBar* toolBar;
    QAction* actFirstPage;
    QAction* actPreviousPage;
    QSpinBox* spnPage;
    QLabel* lblPageCount;
    QAction* actNextPage;
    QAction* actLastPage;
    QAction* actZoomOut;
    QAction* actZoomIn;
    QAction* actFitWidth;
    QAction* actFitPage;
    QAction* actPrint;
    QAction* actExport;
    QAction* actClose;

private:
    void showPage(int page);
    void updatePageControls();

    const ReportLayout& m_layout;
    QList<ExportFormat> m_formats;
    QString m_suggestedName;
};
