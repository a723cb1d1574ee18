#include "report/quotepreview.h"

#include "report/datareport.h"
#include "report/quoteexport.h"
#include "report/reportpageview.h"
#include "report/reportpainter.h"

#include <QAction>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// The report's error number for a failed print.
constexpr qint64 kPrintError = 482;
} // namespace

QuotePreview::QuotePreview(const ReportLayout& layout, const QList<ExportFormat>& formats,
                           const QString& suggestedName, QWidget* parent)
    : QDialog(parent), preview(new ReportPageView(layout, this)), m_layout(layout),
      m_formats(formats), m_suggestedName(suggestedName) {
    setObjectName(QStringLiteral("DataReport1"));
    setWindowTitle(layout.caption);
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("tbPreview"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [this](const char* name, QStyle::StandardPixmap icon, const QString& text,
                      const QKeySequence& key, const QString& tip) {
        QAction* action = toolBar->addAction(style()->standardIcon(icon), text);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setToolTip(tip + (key.isEmpty() ? QString()
                                                : QStringLiteral(" (%1)").arg(
                                                      key.toString(QKeySequence::NativeText))));
        return action;
    };
    actPrint = add("actPrint", QStyle::SP_DialogSaveButton, tr("&Print..."), QKeySequence::Print,
                   tr("Print the quote"));
    actExport = add("actExport", QStyle::SP_DialogSaveButton, tr("&Export..."),
                    QKeySequence(tr("Ctrl+E")), tr("Save the quote as an HTML page or a PDF"));
    toolBar->addSeparator();
    actFirstPage = add("actFirstPage", QStyle::SP_MediaSkipBackward, QString(),
                       QKeySequence(Qt::CTRL | Qt::Key_Home), tr("First page"));
    actPreviousPage = add("actPreviousPage", QStyle::SP_ArrowLeft, QString(),
                          QKeySequence(Qt::Key_PageUp), tr("Previous page"));
    spnPage = new QSpinBox(toolBar);
    spnPage->setObjectName(QStringLiteral("spnPage"));
    spnPage->setToolTip(tr("The page shown"));
    spnPage->setAccessibleName(tr("Page"));
    spnPage->setKeyboardTracking(false);
    toolBar->addWidget(spnPage);
    lblPageCount = new QLabel(toolBar);
    lblPageCount->setObjectName(QStringLiteral("lblPageCount"));
    lblPageCount->setContentsMargins(4, 0, 4, 0);
    toolBar->addWidget(lblPageCount);
    actNextPage = add("actNextPage", QStyle::SP_ArrowRight, QString(),
                      QKeySequence(Qt::Key_PageDown), tr("Next page"));
    actLastPage = add("actLastPage", QStyle::SP_MediaSkipForward, QString(),
                      QKeySequence(Qt::CTRL | Qt::Key_End), tr("Last page"));
    toolBar->addSeparator();
    actZoomOut = add("actZoomOut", QStyle::SP_ArrowDown, tr("Zoom &Out"), QKeySequence::ZoomOut,
                     tr("Show the page smaller"));
    actZoomIn = add("actZoomIn", QStyle::SP_ArrowUp, tr("Zoom &In"), QKeySequence::ZoomIn,
                    tr("Show the page larger"));
    actFitWidth = add("actFitWidth", QStyle::SP_TitleBarMaxButton, tr("Fit &Width"),
                      QKeySequence(tr("Ctrl+1")), tr("Fit the page's width to the window"));
    actFitPage = add("actFitPage", QStyle::SP_TitleBarNormalButton, tr("Fit P&age"),
                     QKeySequence(tr("Ctrl+2")), tr("Show the whole page"));
    for (QAction* zoom : {actFitWidth, actFitPage})
        zoom->setCheckable(true);
    toolBar->addSeparator();
    actClose = add("actClose", QStyle::SP_DialogCloseButton, tr("&Close"),
                   QKeySequence(Qt::Key_Escape), tr("Close the preview"));
    // The page arrows are pictures; every other command is named in words.
    for (QAction* arrow : {actFirstPage, actPreviousPage, actNextPage, actLastPage})
        if (auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(arrow))) {
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);
            button->setAccessibleName(arrow->toolTip());
        }

    // The pages are drawn as they come into view, never all held as pictures.
    preview->setObjectName(QStringLiteral("pvwQuote"));
    preview->setFocusPolicy(Qt::StrongFocus);
    connect(preview, &ReportPageView::previewChanged, this, &QuotePreview::updatePageControls);

    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->setContentsMargins(0, 0, 0, 0);
    layoutBox->setSpacing(0);
    layoutBox->addWidget(toolBar);
    layoutBox->addWidget(preview, 1);

    connect(actFirstPage, &QAction::triggered, this, [this] { showPage(1); });
    connect(actPreviousPage, &QAction::triggered, this, [this] { showPage(currentPage() - 1); });
    connect(actNextPage, &QAction::triggered, this, [this] { showPage(currentPage() + 1); });
    connect(actLastPage, &QAction::triggered, this, [this] { showPage(pageCount()); });
    connect(spnPage, &QSpinBox::valueChanged, this, &QuotePreview::showPage);
    connect(actZoomIn, &QAction::triggered, this, [this] {
        preview->zoomIn(1.25);
        updatePageControls();
    });
    connect(actZoomOut, &QAction::triggered, this, [this] {
        preview->zoomOut(1.25);
        updatePageControls();
    });
    connect(actFitWidth, &QAction::triggered, this, [this] {
        preview->fitToWidth();
        updatePageControls();
    });
    connect(actFitPage, &QAction::triggered, this, [this] {
        preview->fitInView();
        updatePageControls();
    });
    connect(actPrint, &QAction::triggered, this, &QuotePreview::printQuote);
    connect(actExport, &QAction::triggered, this, &QuotePreview::exportQuote);
    connect(actClose, &QAction::triggered, this, &QDialog::reject);

    preview->fitToWidth();
    QSize size(900, 1000);
    if (const QScreen* shown = parent ? parent->screen() : screen())
        size = size.boundedTo(shown->availableSize() * 0.92);
    resize(size);
    updatePageControls();
    preview->setFocus();
}

QuotePreview::~QuotePreview() = default;

int QuotePreview::currentPage() const {
    return preview->currentPage();
}

void QuotePreview::showPage(int page) {
    page = std::clamp(page, 1, std::max(1, pageCount()));
    preview->setCurrentPage(page);
    updatePageControls();
}

void QuotePreview::updatePageControls() {
    const int pages = pageCount();
    const int page = std::clamp(preview->currentPage(), 1, std::max(1, pages));
    const QSignalBlocker quiet(spnPage);
    spnPage->setRange(1, std::max(1, pages));
    spnPage->setValue(page);
    lblPageCount->setText(tr("of %1").arg(pages));
    actFirstPage->setEnabled(page > 1);
    actPreviousPage->setEnabled(page > 1);
    actNextPage->setEnabled(page < pages);
    actLastPage->setEnabled(page < pages);
    actFitWidth->setChecked(preview->zoomMode() == ReportPageView::FitToWidth);
    actFitPage->setChecked(preview->zoomMode() == ReportPageView::FitInView);
}

void QuotePreview::printQuote() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    printer.setFullPage(true);
    printer.setDocName(m_suggestedName);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool range = printer.printRange() == QPrinter::PageRange;
    if (!paintReport(printer, m_layout, range ? printer.fromPage() : 0,
                     range ? printer.toPage() : 0))
        DataReport1::DataReport_Error(kPrintError, tr("The quote could not be printed"),
                                      printer.printerName());
}

bool QuotePreview::exportQuote() {
    return exportQuoteAs(m_layout, m_formats, m_suggestedName, this);
}
