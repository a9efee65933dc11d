// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Printing on Qt's print support. The program loads it as a module at the first print
// (PrintModule.h), so that start-up does not load the print support.
#include <QPrinter>
#include <QString>

#include "platform/ViewWindow.h"

class QWidget;

namespace tabrella::qt {

// Where the page starts on paper, in device pixels from the paper's corner: the top-left of
// the printable area, inside a printer's hardware margins and at the corner of a PDF.
QPointF PrintableOrigin(const QPageLayout& layout, int dotsPerInch);

// Draws the pages the printer's range names on a printer (or a PDF file set up as one):
// all of them, a range of them, or the current page (the page the screen shows). False
// when the printer could not be started or refused a page.
bool PrintPages(QPrinter& printer, const platform::PrintPages& pages);

// The print, preview or printer set-up dialog over `parent`, on one printer kept for the
// program's life, so that its settings carry from one job to the next. Returns the path of
// the PDF file a print wrote, else nothing.
QString RunPrintJob(QWidget* parent, platform::PrintJob job, const platform::PrintPages& pages);

// Every page into an A4 PDF; an empty text on success, else the reason.
QString PrintToPdf(const platform::PrintPages& pages, const QString& path);

}  // namespace tabrella::qt
