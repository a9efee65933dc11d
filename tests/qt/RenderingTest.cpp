// SPDX-License-Identifier: GPL-3.0-or-later
// The window's picture against the logical page: grid and text where the layout puts them.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QtMath>
#include <random>

#include "qt/QtPrinting.h"
#include "qt/QtSurface.h"
#include "qt/QtViewWidget.h"
#include "resources/KeyCodes.h"
#include "resources/Texts.h"
#include "score/CTabrellaView.h"
#include "score/ScoreCell.h"
#include "support/FakePlatform.h"
#include "support/ScriptedDialogHost.h"

namespace tabrella::qt {
namespace {

bool Dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

bool DarkNear(const QImage& image, int x, int y, bool alongX) {
    for (int d = -1; d <= 1; ++d) {
        if (alongX ? Dark(image, x + d, y) : Dark(image, x, y + d)) return true;
    }
    return false;
}

struct InkBox {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
};

InkBox Ink(const QImage& image, QRect area) {
    InkBox box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 160) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

class RenderingTest : public testing::Test {
  protected:
    void SetUp() override {
        widget.resize(1200, 1000);
        widget.SetView(&view);
        widget.show();
    }
    QImage Paint() {
        widget.Invalidate();
        widget.viewport()->grab();
        return widget.Picture();
    }

    QtViewWidget widget;
    test::ScriptedDialogHost dialogs;
    test::FakeSequencer sequencer;
    CTabrellaView view{platform::Services{widget, dialogs, sequencer}};
};

TEST_F(RenderingTest, GridLinesLieAtTheirLogicalPositionsAt300Percent) {
    view.m_zoom = 300;  // 0.66 px across and 0.6 px down per logical unit
    const QImage image = Paint();
    ASSERT_GE(image.width(), 1120);
    // Double line at the top: y -84 and -100.
    EXPECT_TRUE(DarkNear(image, 500, qRound(84 * 0.6), false));
    EXPECT_TRUE(DarkNear(image, 500, qRound(100 * 0.6), false));
    EXPECT_FALSE(Dark(image, 500, 55));
    // Row line i = 1: y = -100 - 160 = -260.
    EXPECT_TRUE(DarkNear(image, 500, qRound(260 * 0.6), false));
    // Column lines x = 80 + i * 230.
    for (int i = 0; i <= 7; ++i) {
        EXPECT_TRUE(DarkNear(image, qRound((80 + i * 230) * 0.66), 290, true)) << "column " << i;
    }
    EXPECT_FALSE(Dark(image, qRound(200 * 0.66), 290));
}

TEST_F(RenderingTest, CellTextStartsAtItsLogicalAnchor) {
    view.m_zoom = 300;
    view.m_cells[5].first[2] = 5;  // 五 in the centre slot of cell 5, away from the cursor
    const QImage image = Paint();
    // Anchor: column edge 1460 + W/25 9 + W/3 76; cell top -420 (just under a row line)
    // less H/20 8.
    const double ax = (1460 + 9 + 76) * 0.66, ay = (420 + 8) * 0.6;
    const InkBox ink = Ink(image, QRect(qRound(ax) - 20, qRound(ay) - 3, 80, 41));
    ASSERT_GE(ink.right, 0);
    // The glyph's ink starts just inside its cell: never left of or above the anchor by more
    // than a pixel, and within the character's 50 x 60 logical cell.
    EXPECT_GE(ink.left, qRound(ax) - 1);
    EXPECT_GE(ink.top, qRound(ay) - 1);
    EXPECT_LE(ink.right, qRound(ax + 50 * 0.66) + 1);
    EXPECT_LE(ink.bottom, qRound(ay + 60 * 0.6) + 1);
}

TEST_F(RenderingTest, TheColumnAfterThePageLeavesNoInkInTheMargin) {
    view.m_zoom = 300;
    // Wide three-string chords with pressings in the column after the page.
    for (int k = 225; k <= 256; ++k) {
        view.m_cells[k].first[1] = slot::kSmallO + 10;
        view.m_cells[k].first[2] = slot::kSmallO + 11;
        view.m_cells[k].first[3] = slot::kSmallO + 12;
    }
    const QImage image = Paint();
    // The page's left edge is x 80; the grid runs from y -84 down to -2724.
    const QRect area(0, qRound(84 * 0.6), qRound(80 * 0.66) - 1, qRound((2724 - 84) * 0.6));
    const InkBox margin = Ink(image, area.intersected(image.rect()));
    EXPECT_EQ(margin.right, -1) << "ink at x " << margin.left << ", y " << margin.top << " in "
                                << image.width() << " x " << image.height();
}

TEST_F(RenderingTest, TheCursorBoxCoversExactlyItsRectangle) {
    view.m_zoom = 300;
    const QImage image = Paint();
    InkBox red;
    for (int y = 0; y < 300; ++y) {
        for (int x = 900; x < 1150; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 120 && c.blue() < 120) {
                red.left = std::min(red.left, x);
                red.right = std::max(red.right, x);
                red.top = std::min(red.top, y);
                red.bottom = std::max(red.bottom, y);
            }
        }
    }
    // Cell 1, slot 2: bx = 1460 + 76 - 3; corners (bx + 2, -103) and (bx + 81, -181), whose
    // pixels run up to, not including, the far corner.
    const int bx = 1460 + 76 - 3;
    EXPECT_EQ(red.left, qRound((bx + 2) * 0.66));
    EXPECT_EQ(red.right, qRound((bx + 81) * 0.66) - 1);
    EXPECT_EQ(red.top, qRound(103 * 0.6));
    EXPECT_EQ(red.bottom, qRound(181 * 0.6) - 1);
}

// A key redraws only the columns around the cursor; over random scores, zooms and runs of
// keys that type, clear, split, rest and move (down to the end of the page and back), the
// window's picture after each key is the one a whole redraw gives.
TEST_F(RenderingTest, AKeysRedrawOfTheCursorColumnsEqualsAWholeRedraw) {
    const std::vector<int> keys = {
        vk::kDigit1, vk::kDigit1 + 4, vk::kDigit9,    vk::kDigit0,  vk::kOemMinus,
        vk::kOem5,   vk::kSpace,      vk::kO,         vk::kOem1,    vk::kOem3,
        vk::kOem6,   vk::kOem4,       vk::kOemPeriod, vk::kOemPlus, vk::kL,
        vk::kK,      vk::kSubtract,   vk::kDown,      vk::kDown,    vk::kDown,
        vk::kDown,   vk::kUp,         vk::kRight,     vk::kLeft,    vk::kHome};
    std::mt19937 rng(7);
    const auto any = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    int compared = 0;
    // Nor does any drawing use a painter after it ended (Qt warns of that).
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg) warnings << text;
        });
    for (int run = 0; run < 6; ++run) {
        view.m_zoom = std::array{80, 120, 150, 300}[static_cast<size_t>(any(4))];
        for (int k = 1; k <= 400; ++k) {
            view.m_cells[k] = {};
            if (any(3) == 0) view.m_cells[k].first[2] = 1 + any(13) + 100 * any(4);
            if (any(8) == 0) view.m_cells[k].first[1] = slot::kSmallO + 1 + any(13);
        }
        view.m_cursorPos = 1 + any(200);
        Paint();
        for (int i = 0; i < 60; ++i) {
            view.OnKeyDown(keys[static_cast<size_t>(any(int(keys.size())))]);
            const QImage afterKey = widget.Picture().copy();
            const QImage whole = Paint();
            ASSERT_EQ(afterKey, whole) << "run " << run << ", key " << i << ", cursor place "
                                       << view.m_cursorPos << ", zoom " << view.m_zoom;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 6 * 60);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

TEST(QtSurface, AGlyphIsCentredOnItsPlaceInFixedAndProportionalFaces) {
    for (const res::Txt face : {res::Txt::FontGothic, res::Txt::FontPGothicHalf}) {
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            QtSurface surface(painter);
            surface.SetScreenMapping(1000, 600, 660, -360, 0, 0);
            surface.SelectFont({60, 25, 400, res::Sjis(face)});
            surface.Text({100, -100}, res::Sjis(res::Txt::RestDot));
        }
        // The two-byte "・" has the place x 100..150.
        const InkBox ink = Ink(image, image.rect());
        ASSERT_GE(ink.right, 0);
        EXPECT_NEAR((ink.left + ink.right + 1) / 2.0, 125 * 0.66, 1.5) << static_cast<int>(face);
    }
}

TEST(PrintableOrigin, IsInsideTheHardwareMarginsAndAtAPdfsCorner) {
    const QPageLayout printer(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                              QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter,
                              QMarginsF(4, 6, 4, 6));
    const QPointF origin = PrintableOrigin(printer, 254);  // 10 pixels a millimetre
    EXPECT_NEAR(origin.x(), 40, 1);
    EXPECT_NEAR(origin.y(), 60, 1);
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    EXPECT_EQ(PrintableOrigin(pdf.pageLayout(), pdf.resolution()), QPointF(0, 0));
}

TEST(QtSurface, OverlayNoLandsOnTheSmallO) {
    // Draw ォ五 in the narrow font and ノ + full-width space in the overlay font at one
    // anchor, then check that the ノ ink lies inside the advance of the ォ.
    auto render = [](const std::string& text, platform::LogicalFont font) {
        QImage image(600, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QtSurface surface(painter);
        surface.SetScreenMapping(1000, 600, 660, -360, 0, 0);
        surface.SelectFont(font);
        surface.Text({100, -100}, text);
        return image;
    };
    const std::string face = res::Sjis(res::Txt::FontGothic);
    const QImage small = render(res::MarkName(3), {60, 14, 200, face});
    const QImage no = render(res::Sjis(res::Txt::OverlayNo), {25, 14, 400, face});
    const InkBox o = Ink(small, small.rect());
    const InkBox n = Ink(no, no.rect());
    ASSERT_GE(o.right, 0);
    ASSERT_GE(n.right, 0);
    const int cellLeft = qRound(100 * 0.66), cellRight = qRound(128 * 0.66);
    EXPECT_GE(n.left, cellLeft - 1);
    EXPECT_LE(n.right, cellRight + 1);
    // Overlapping the small オ horizontally.
    EXPECT_LT(n.left, o.right);
    EXPECT_GT(n.right, o.left);
}

TEST(QtSurface, PrinterMappingIsTrueSize) {
    // 254 dpi: one pixel per logical unit (0.1 mm); y up from the printable origin.
    QImage image(2200, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QtSurface surface(painter, 254, QPointF(10, 20));
    surface.SetPrinterMapping();
    EXPECT_EQ(surface.Map({2000, -300}), QPointF(2010, 320));
    surface.SelectPen({2, {0, 0, 0}});
    surface.Line({0, -100}, {2000, -100});
    painter.end();
    const InkBox ink = Ink(image, image.rect());
    EXPECT_NEAR(ink.right - ink.left, 2000, 1);
    EXPECT_NEAR(ink.top, 119, 1);
}

}  // namespace
}  // namespace tabrella::qt

namespace tabrella::qt {
namespace {

TEST(QtSurface, AFaceWithoutKanjiStillShowsTheString) {
    // The font dialog may name any face; characters it lacks come from another face.
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QtSurface surface(painter);
        surface.SetScreenMapping(1000, 600, 660, -360, 0, 0);
        surface.SelectFont({60, 25, 400, "DejaVu Sans"});
        surface.Text({100, -100}, res::StringName(5));
    }
    const InkBox ink = Ink(image, image.rect());
    EXPECT_GE(ink.right, 0) << "nothing drawn";
}

}  // namespace
}  // namespace tabrella::qt

// ---- Sharp at every scale: run alone with QT_SCALE_FACTOR 1.5 and 2 as well ----------------

namespace tabrella::qt {
namespace {

TEST(HiDpi, ThePageIsDrawnWithAPixelForEveryScreenPixel) {
    QtViewWidget widget;
    test::ScriptedDialogHost dialogs;
    test::FakeSequencer sequencer;
    CTabrellaView view{platform::Services{widget, dialogs, sequencer}};
    widget.resize(800, 700);
    widget.SetView(&view);
    widget.show();
    view.m_zoom = 300;
    widget.Invalidate();
    widget.viewport()->grab();
    const qreal ratio = widget.viewport()->devicePixelRatioF();
    RecordProperty("ratio", QString::number(ratio).toStdString());
    const QImage& picture = widget.Picture();
    EXPECT_EQ(picture.devicePixelRatio(), ratio);
    EXPECT_EQ(picture.width(), qCeil(widget.viewport()->width() * ratio));
    EXPECT_EQ(picture.height(), qCeil(widget.viewport()->height() * ratio));
    // The view still counts in the widget's own pixels.
    EXPECT_EQ(widget.GetClientSize().width, widget.viewport()->width());
    // The double top line (y -84 and -100, 0.6 px a unit) lies where the scale puts it, a
    // sharp line of dark screen pixels rather than a smear of grey ones.
    const int x = qRound(500 * ratio);
    for (int logicalY : {qRound(84 * 0.6), qRound(100 * 0.6)}) {
        int darkest = 255;
        for (int y = qFloor((logicalY - 1) * ratio); y <= qCeil((logicalY + 1) * ratio); ++y) {
            darkest = std::min(darkest, qGray(picture.pixel(x, y)));
        }
        EXPECT_LT(darkest, 64) << "line at " << logicalY << " scale " << ratio;
    }
}

}  // namespace
}  // namespace tabrella::qt
