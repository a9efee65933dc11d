// SPDX-License-Identifier: GPL-3.0-or-later
// The printed pages: A4, true size, the grid where the layout puts it, every page of the
// score with its number, and the page the screen shows when the dialog asks for it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "qt/QtPrinting.h"
#include "qt/QtViewWidget.h"
#include "score/CTabrellaView.h"
#include "support/FakePlatform.h"
#include "support/ScriptedDialogHost.h"

namespace tabrella::qt {
namespace {

bool DarkRow(const QImage& image, int y, int x0, int x1) {
    int dark = 0;
    for (int x = x0; x < x1; ++x) dark += qGray(image.pixel(x, y)) < 128;
    return dark > (x1 - x0) * 9 / 10;
}

int DarkPixels(const QImage& image, QRect area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) dark += qGray(image.pixel(x, y)) < 128;
    }
    return dark;
}

bool AnyRed(const QImage& image) {
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80) return true;
        }
    }
    return false;
}

// A view on fakes, printed into a PDF and rasterised at 254 dpi: one pixel is 0.1 mm, one
// logical unit.
class PrintedPages : public ::testing::Test {
  protected:
    void SetUp() override {
        pdftoppm = QStandardPaths::findExecutable("pdftoppm");
        if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
        ASSERT_TRUE(dir.isValid());
    }

    // Prints the range the dialog would leave in the printer; returns the pages as images.
    std::vector<QImage> Print(QPrinter::PrintRange range = QPrinter::AllPages, int from = 0,
                              int to = 0) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("pages.pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setPrintRange(range);
        printer.setFromTo(from, to);
        EXPECT_TRUE(PrintPages(printer, view.PrintedPages()));
        const QRectF printable = printer.pageLayout().paintRect(QPageLayout::Millimeter);
        origin = {qRound(printable.left() * 10), qRound(printable.top() * 10)};

        QProcess render;
        render.start(pdftoppm, {"-r", "254", "-png", dir.filePath("pages.pdf"), dir.filePath("p")});
        EXPECT_TRUE(render.waitForFinished(60000));
        std::vector<QImage> images;
        for (int n = 1; QFile::exists(dir.filePath(QString("p-%1.png").arg(n))); ++n) {
            images.emplace_back(dir.filePath(QString("p-%1.png").arg(n)));
            QFile::remove(dir.filePath(QString("p-%1.png").arg(n)));
        }
        return images;
    }

    // The area of the top cell of column `d` from the right, in pixels of a page.
    QRect TopCell(int d) const {
        return {origin.x() + 1460 - 230 * d + 20, origin.y() + 100 + 8, 190, 60};
    }
    // Under the grid's centre, where the page number stands.
    QRect PageNumberArea() const {
        return {origin.x() + 885 - 100, origin.y() + 2724 + 20, 200, 90};
    }

    QString pdftoppm;
    QTemporaryDir dir;
    QPoint origin;
    test::FakeWindow window;
    test::ScriptedDialogHost dialogs;
    test::FakeSequencer sequencer;
    CTabrellaView view{platform::Services{window, dialogs, sequencer}};
};

TEST_F(PrintedPages, GridLiesAtTrueSizeFromThePrintableOrigin) {
    view.m_cells[1].first[2] = 5;
    const std::vector<QImage> pages = Print();
    ASSERT_EQ(pages.size(), 1u) << "a one-page score prints one page";
    const QImage& image = pages[0];
    EXPECT_NEAR(image.width(), 2100, 2);  // A4 portrait

    const int ox = origin.x(), oy = origin.y();
    // Top double line at y 84 and 100 below the origin, from x 80 to 1690: within 2 px
    // (0.2 mm).
    auto lineNear = [&](int y) {
        for (int d = -2; d <= 2; ++d) {
            if (DarkRow(image, oy + y + d, ox + 100, ox + 1600)) return true;
        }
        return false;
    };
    EXPECT_TRUE(lineNear(84));
    EXPECT_TRUE(lineNear(100));
    EXPECT_TRUE(lineNear(100 + 160));  // the next row line
    EXPECT_FALSE(DarkRow(image, oy + 92, ox + 100, ox + 1600));
    EXPECT_GT(DarkPixels(image, TopCell(0)), 50) << "cell 1 on the page";
    EXPECT_EQ(DarkPixels(image, PageNumberArea()), 0) << "one page carries no number";
    EXPECT_FALSE(AnyRed(image)) << "no cursor box on paper";
}

TEST_F(PrintedPages, EveryPagePrintsWithItsCellsAndNumberUnlessTheDialogChoosesOthers) {
    // Page n holds a note at the top of its n-th column from the right.
    view.m_cells[1].first[2] = 5;
    view.m_cells[224 + 33].first[2] = 6;
    view.m_cells[448 + 65].first[2] = 7;
    auto expectNotesOnly = [&](const QImage& page, int column) {
        for (int d = 0; d < 3; ++d) EXPECT_EQ(DarkPixels(page, TopCell(d)) > 50, d == column);
    };
    std::vector<QImage> pages = Print();
    ASSERT_EQ(pages.size(), 3u);
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE("page " + std::to_string(n + 1));
        expectNotesOnly(pages[n], n);
        EXPECT_GT(DarkPixels(pages[n], PageNumberArea()), 30) << "its number";
        EXPECT_FALSE(AnyRed(pages[n]));
    }
    // "1 / 3" and "2 / 3" differ in their first digit.
    EXPECT_NE(pages[0].copy(PageNumberArea()), pages[1].copy(PageNumberArea()));

    pages = Print(QPrinter::PageRange, 2, 3);
    ASSERT_EQ(pages.size(), 2u);
    expectNotesOnly(pages[0], 1);

    // The current page is the page the screen shows, from its own column and unnumbered.
    view.m_topColumn = 8;
    pages = Print(QPrinter::CurrentPage);
    ASSERT_EQ(pages.size(), 1u);
    expectNotesOnly(pages[0], 0);
    EXPECT_EQ(DarkPixels(pages[0], PageNumberArea()), 0);
}

// An odd Latin title reads back whole from the PDF, which carries it as its title too, and
// the print proposes a PDF beside the score under its name.
TEST_F(PrintedPages, ThePdfHoldsEveryLetterOfTheTitleAndNamesItsTitle) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
    if (pdftotext.isEmpty() || pdfinfo.isEmpty()) GTEST_SKIP() << "no poppler-utils";
    view.m_title = "Rokudan";
    view.m_filePath = "/scores/six.steps.tbr";
    EXPECT_EQ(view.PrintedPages().pdfNearby, "/scores/six.steps.pdf");
    const QString pdf = dir.filePath("title.pdf");
    ASSERT_TRUE(PrintToPdf(view.PrintedPages(), pdf).isEmpty());
    auto run = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString text = run(pdftotext, {"-raw", pdf, "-"}).remove(QRegularExpression("\\s"));
    EXPECT_TRUE(text.contains("Rokudan")) << text.toStdString();
    EXPECT_TRUE(run(pdfinfo, {pdf}).contains(QRegularExpression("Title:\\s+Rokudan\n")));
}

}  // namespace
}  // namespace tabrella::qt
