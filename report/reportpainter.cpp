#include "report/reportpainter.h"

#include "data/partialfile.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

void paintReportPage(QPainter& painter, const ReportLayout& layout, int page) {
    if (page < 0 || page >= layout.pages.size())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setPen(QPen(Qt::black, 15)); // a rule of 3/4 point
    for (const ReportItem& item : layout.pages[page].items) {
        switch (item.kind) {
        case ReportItem::Picture:
            painter.drawImage(QRectF(item.rect), layout.logo);
            break;
        case ReportItem::Rule:
            painter.drawLine(item.rect.topLeft(), QPoint(item.rect.right() + 1, item.rect.top()));
            break;
        case ReportItem::Label:
        case ReportItem::Field: {
            if (item.text.isEmpty())
                break;
            painter.setFont(item.font.font());
            const int flags = int(item.alignment) | Qt::AlignTop | Qt::TextDontClip;
            if (item.lines.isEmpty()) {
                painter.drawText(QRectF(item.rect), flags, item.text);
                break;
            }
            const double spacing = reportLineSpacing(item.font);
            QRectF line(item.rect.left(), item.rect.top(), item.rect.width(), spacing);
            for (const QString& text : item.lines) {
                painter.drawText(line, flags, text);
                line.translate(0, spacing);
            }
            break;
        }
        }
    }
    painter.restore();
}

bool paintReport(QPagedPaintDevice& device, const ReportLayout& layout, int first, int last) {
    const int pages = int(layout.pages.size());
    first = first > 0 ? std::min(first, pages) : 1;
    last = last > 0 ? std::min(last, pages) : pages;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double scale = device.logicalDpiX() / 1440.0;
    for (int page = first; page <= last; ++page) {
        if (page > first)
            device.newPage();
        painter.save();
        // Twips from the paper's corner, whatever margins the device keeps.
        const QRectF paintable = device.pageLayout().paintRectPixels(device.logicalDpiX());
        painter.translate(-paintable.left(), -paintable.top());
        painter.scale(scale, scale);
        paintReportPage(painter, layout, page - 1);
        painter.restore();
    }
    return painter.end();
}

bool writeReportPdf(const ReportLayout& layout, const QString& path, QString* error) {
    // Drawn in memory first: the PDF writer does not report a write its device refused, so the
    // file is written whole afterwards, every byte accounted for.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(1440);
        pdf.setCreator(QStringLiteral("Plenwick"));
        pdf.setTitle(layout.title.trimmed());
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0)));
        if (!paintReport(pdf, layout)) {
            *error = QStringLiteral("The PDF could not be drawn.");
            return false;
        }
    }
    return writeWholeFile(path, buffer.data(), error);
}
