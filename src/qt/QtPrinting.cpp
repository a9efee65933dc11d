// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/QtPrinting.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <memory>

#include "qt/QtSurface.h"
#include "qt/QtText.h"

namespace tabrella::qt {

QPointF PrintableOrigin(const QPageLayout& layout, int dotsPerInch) {
    // The printable area is what the device's own (minimum) margins leave; a full-page
    // layout would report the paper's corner instead.
    QPageLayout device = layout;
    device.setMode(QPageLayout::StandardMode);
    device.setMargins(layout.minimumMargins());
    return device.paintRectPixels(dotsPerInch).topLeft();
}

bool PrintPages(QPrinter& printer, const platform::PrintPages& pages) {
    int first = 1, last = pages.count;
    if (printer.printRange() == QPrinter::CurrentPage) {
        first = last = 0;
    } else if (printer.printRange() == QPrinter::PageRange) {
        first = std::max(first, printer.fromPage());
        if (printer.toPage() > 0) last = std::min(last, printer.toPage());
    }
    if (first > last) return true;  // a range past the end prints nothing
    // True size from the top-left of the printable area, whatever margins the user set.
    printer.setFullPage(true);
    const QPointF origin = PrintableOrigin(printer.pageLayout(), printer.resolution());
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int page = first; page <= last; ++page) {
        if (page > first && !printer.newPage()) return false;
        QtSurface surface(painter, printer.resolution(), origin);
        pages.draw(surface, page);
    }
    return painter.end();
}

QString RunPrintJob(QWidget* parent, platform::PrintJob job, const platform::PrintPages& pages) {
    static const std::unique_ptr<QPrinter> printer =
        std::make_unique<QPrinter>(QPrinter::HighResolution);
    // Every job starts on the whole score, whatever the last one chose.
    printer->setPrintRange(QPrinter::AllPages);
    printer->setFromTo(1, pages.count);
    printer->setDocName(FromSjis(pages.title));
    // Printing into a file: propose one beside the score, under its name.
    if (printer->outputFormat() == QPrinter::PdfFormat && !pages.pdfNearby.empty()) {
        printer->setOutputFileName(FromNativePath(pages.pdfNearby));
    }
    switch (job) {
        case platform::PrintJob::Setup: {
            QPageSetupDialog dialog(printer.get(), parent);
            dialog.exec();
            break;
        }
        case platform::PrintJob::Print: {
            QPrintDialog dialog(printer.get(), parent);
            dialog.setMinMax(1, pages.count);
            dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
            dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
            if (dialog.exec() == QDialog::Accepted && PrintPages(*printer, pages) &&
                printer->outputFormat() == QPrinter::PdfFormat) {
                return printer->outputFileName();
            }
            break;
        }
        case platform::PrintJob::Preview: {
            QPrintPreviewDialog dialog(printer.get(), parent);
            QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                             [&pages](QPrinter* p) { PrintPages(*p, pages); });
            dialog.exec();
            break;
        }
    }
    return {};
}

QString PrintToPdf(const platform::PrintPages& pages, const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(FromSjis(pages.title));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    const bool printed = PrintPages(printer, pages);
    if (!printed || printer.printerState() == QPrinter::Error) {
        return QStringLiteral("cannot write the PDF file");
    }
    return {};
}

}  // namespace tabrella::qt
