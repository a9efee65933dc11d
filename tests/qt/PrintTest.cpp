// The printed page: one A4 page, true size, the grid where the layout puts it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/qt/QtViewWidget.h"
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

TEST(PrintedPage, GridLiesAtTrueSizeFromThePrintableOrigin) {
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    test::FakeWindow window;
    test::ScriptedDialogHost dialogs;
    test::FakeSequencer sequencer;
    CTabrellaView view(platform::Services{window, dialogs, sequencer});
    view.m_cells[1].first[2] = 5;

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("page.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    QtViewWidget::PrintPage(printer, [&](platform::IDrawSurface& s) { view.DrawScore(s); });
    const QRectF printable = printer.pageLayout().paintRect(QPageLayout::Millimeter);

    // 254 dots per inch: one pixel is 0.1 mm, one logical unit.
    QProcess render;
    render.start(pdftoppm, {"-r", "254", "-png", dir.filePath("page.pdf"), dir.filePath("out")});
    ASSERT_TRUE(render.waitForFinished(30000));
    QImage image(dir.filePath("out-1.png"));
    ASSERT_FALSE(image.isNull()) << "exactly one page expected";
    EXPECT_FALSE(QFile::exists(dir.filePath("out-2.png")));
    EXPECT_NEAR(image.width(), 2100, 2);  // A4 portrait

    const int ox = qRound(printable.left() * 10), oy = qRound(printable.top() * 10);
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
    // No cursor box on paper: nothing red anywhere.
    bool red = false;
    for (int y = 0; y < image.height() && !red; y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80) {
                red = true;
                break;
            }
        }
    }
    EXPECT_FALSE(red);
}

}  // namespace
}  // namespace tabrella::qt
